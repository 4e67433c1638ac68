// Strings of a terminal type's terminfo entry, read apart from the key code
// headers (curses names clash with them).
#pragma once

#include <map>
#include <string>
#include <vector>

// The string capabilities among `names` that the entry for `term` defines;
// false when the system has no entry for it.
bool ReadTerminfoStrings(const char *term, const std::vector<std::string> &names,
                         std::map<std::string, std::string> *found);
