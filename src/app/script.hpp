// The script language of `pardune --script` (docs/script.md): one command a
// line, parsed whole before the program starts.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace app {

struct ScriptCommand {
  enum Kind { Key, Click, Resize, Paste, Clipboard, Screen, Attributes, Cursor, Echo, Quit };
  Kind kind = Key;
  int line = 0;
  DWORD key = 0;
  int count = 1;  // Key: how many presses
  int x = 0;      // Click: cell; Resize: columns; Screen: first row
  int y = 0;      // Click: cell; Resize: rows; Screen: last row
  int button = 1;
  std::string text;  // Paste, Clipboard, Echo: UTF-8
};

// Parses a whole script. Typed text becomes one Key command per character,
// in the OEM code page. On a fault: false and "line N: what is wrong".
bool ParseScript(std::string_view script, int codePage, std::vector<ScriptCommand> *commands,
                 std::string *error);

// Backslash escapes of clipboard and paste texts: \n \t \r \\ \s (space),
// \xHH and \uHHHH (not 0 nor a surrogate). False on any other escape.
bool UnescapeText(std::string_view text, std::string *out, std::string *error);

}  // namespace app
