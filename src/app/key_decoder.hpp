// Terminal input bytes to FAR key codes, mouse clicks and pastes. Pure: the
// caller owns the bytes and the ESC delay.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace app {

struct DecodedInput {
  enum Kind {
    Incomplete,  // a prefix of something longer: wait for more bytes
    Ignored,     // consumed, nothing to deliver (unknown sequence, release)
    Key,
    Mouse,
    Paste,
  };
  Kind kind = Incomplete;
  size_t length = 0;  // bytes consumed from the start
  DWORD key = 0;
  int x = 0;  // mouse cell, 0-based
  int y = 0;
  int button = 0;        // 1 left, 2 right, 3 middle
  bool inPaste = false;  // Incomplete inside a bracketed paste: wait longer
  std::string paste;     // UTF-8 as the terminal sent it
};

// Decodes the first input at the start of `bytes`. `final` says no more bytes
// arrived within the ESC delay: a lone ESC is then Esc and ESC + char is
// Alt+char. Printable characters become OEM bytes of `codePage`.
DecodedInput DecodeInput(std::string_view bytes, bool final, int codePage);

// The Linux console sends the cursor and editing keys the same with or
// without Shift, Ctrl and Alt. `shiftState` is its keyboard's modifier state
// as the key is read (Shift 1, AltGr 2, Ctrl 4, Alt 8): it is added to such a
// key that came without modifiers, and Shift turns Tab into Shift+Tab.
DWORD AddConsoleModifiers(DWORD key, int shiftState);

}  // namespace app
