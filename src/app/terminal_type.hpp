// Whether the terminal type ($TERM) can show the dialogs at all.
#pragma once

#include <string>

namespace app {

// False, with a one-line reason, for a type terminfo does not know and for
// one that cannot move the cursor (TERM=dumb, a printing terminal): the
// screen would stay blank there.
bool UsableTerminalType(int fd, std::string *error);

}  // namespace app
