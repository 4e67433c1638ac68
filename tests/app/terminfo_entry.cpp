#include "terminfo_entry.hpp"

#include <fcntl.h>
#include <ncursesw/curses.h>
#include <ncursesw/term.h>
#include <unistd.h>

bool ReadTerminfoStrings(const char *term, const std::vector<std::string> &names,
                         std::map<std::string, std::string> *found) {
  int null = open("/dev/null", O_RDWR);
  if (null < 0) return false;
  TERMINAL *previous = cur_term;
  int error = 0;
  use_extended_names(TRUE);
  bool ok = setupterm(term, null, &error) == OK;
  close(null);
  if (ok) {
    for (const std::string &name : names) {
      char *value = tigetstr(name.c_str());
      if (value && value != reinterpret_cast<char *>(-1)) (*found)[name] = value;
    }
    del_curterm(cur_term);
  }
  set_curterm(previous);
  return ok;
}
