// Puts a UTF-8 text on the process clipboard in the three text formats, as a
// Windows program would (Unicode, ANSI and OEM).
#pragma once

#include <cstddef>
#include <string>

namespace app {

bool PutClipboardText(const std::string &utf8);

// The most characters a paste brings in: what the examined text's 100 rows
// of 511 characters hold, each with a line break of two characters. Every
// way in (a terminal paste, the desktop's clipboard, a script) stops there.
constexpr size_t kLargestPaste = 100 * (511 + 2);

// The bytes of the first `characters` UTF-8 characters of `text` (a byte
// that starts no character counts as one): where a bounded text ends.
size_t Utf8Prefix(const char *text, size_t size, size_t characters);
// Cuts a UTF-8 text after kLargestPaste characters; true when it cut.
bool BoundPasteText(std::string *utf8);

}  // namespace app
