// Key names as people write them ("Ctrl+Shift+Left", "F1", "Alt+X", "a").
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace app {

// The FAR key code of a name, or 0 when the name is not a key. Modifiers
// Ctrl, Alt and Shift in any order and case; a letter with Ctrl or Alt is
// the capital letter with that modifier, Shift+letter is the capital.
DWORD ParseKeyName(std::string_view name);

// The name of a key code (for messages and dumps).
std::string KeyName(DWORD key);

}  // namespace app
