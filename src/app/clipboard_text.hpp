// Puts a UTF-8 text on the process clipboard in the three text formats, as a
// Windows program would (Unicode, ANSI and OEM).
#pragma once

#include <string>

namespace app {

bool PutClipboardText(const std::string &utf8);

}  // namespace app
