#include "app/terminal_type.hpp"

#include <ncursesw/curses.h>
#include <ncursesw/term.h>

#include <cstdlib>

namespace app {

bool UsableTerminalType(int fd, std::string *error) {
  const char *type = std::getenv("TERM");
  const std::string name = std::string("'") + (type ? type : "") + "'";
  const std::string choices = " (pardune needs a full-screen terminal such as xterm, or --script)";
  int status = 0;
  if (setupterm(nullptr, fd, &status) != OK) {
    if (status == 1)
      *error = "the terminal type " + name + " prints on paper" + choices;
    else if (status == 0)
      *error = "the terminal type " + name + " is not known to terminfo" + choices;
    else
      *error = "no terminfo database to look up the terminal type " + name;
    return false;
  }
  const char *move = tigetstr(const_cast<char *>("cup"));
  const bool canMove = move && move != reinterpret_cast<char *>(-1);
  del_curterm(cur_term);
  if (!canMove) *error = "the terminal type " + name + " cannot move the cursor" + choices;
  return canMove;
}

}  // namespace app
