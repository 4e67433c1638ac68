// The OEM code pages (437 and 866) as Unicode: what a screen cell shows and
// which OEM byte a typed character becomes.
#pragma once

#include <string>
#include <string_view>

namespace app {

bool IsSupportedCodePage(int codePage);

// The glyph of an OEM byte; 0x00 shows as a space, 0x01-0x1F and 0x7F as the
// console's pictures.
char32_t OemToUnicode(unsigned char byte, int codePage);

// The OEM byte of a character, or -1 when the code page has none.
int UnicodeToOem(char32_t ch, int codePage);

void AppendUtf8(std::string &out, char32_t ch);
std::string OemToUtf8(std::string_view oem, int codePage);

// Decodes one UTF-8 character at the start of `text`. Returns the bytes used
// (0 when more bytes are needed) and sets `ch`; an invalid byte gives length 1
// and ch = U+FFFD.
size_t DecodeUtf8(std::string_view text, char32_t &ch);

}  // namespace app
