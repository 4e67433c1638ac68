// Text between UTF-8 and the console's OEM code page. The conversions are
// MultiByteToWideChar and WideCharToMultiByte (winport's on Linux, the
// system's on Windows); this adds the rules the hosts share on top, the same
// on every platform: a malformed UTF-8 sequence is one U+FFFD for its longest
// valid start (Unicode's rule; wine's own decoder would also swallow the
// byte after a bad one), a character beyond U+FFFF is one '?', and one the
// code page lacks is its look-alike, else '?'.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace codec {

// True when the bytes are UTF-8 throughout: no malformed sequence, overlong
// form or encoded surrogate.
bool IsUtf8(std::string_view bytes);

// UTF-8 to the OEM code page, in place, a piece at a time: a text of any
// size needs no second copy.
void Utf8ToOem(std::string *text);
std::string Utf8ToOem(std::string_view text);

// What the console shows for each byte of a code page: the system's glyphs
// (MB_USEGLYPHCHARS), so the control bytes are pictures; byte 0 is blank.
class OemGlyphs {
 public:
  explicit OemGlyphs(UINT codePage);
  char32_t operator[](unsigned char byte) const { return glyphs_[byte]; }
  std::string ToUtf8(std::string_view oem) const;

 private:
  WCHAR glyphs_[256];
};

// The OEM byte a typed character stands for: printable ASCII or a byte of
// the upper half that is exactly that character; -1 when there is none.
int OemByte(char32_t ch, UINT codePage);

// One character at the start of UTF-8 text: the bytes it takes, or 0 when
// the text ends inside it. A malformed start is U+FFFD for its longest
// valid start (at least one byte).
size_t DecodeUtf8(std::string_view text, char32_t *ch);
void AppendUtf8(std::string *out, char32_t ch);

}  // namespace codec
