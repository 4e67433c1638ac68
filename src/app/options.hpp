// The command line of pardune.
#pragma once

#include <string>

namespace app {

struct Options {
  std::string lang;  // empty: $PARDUNE_LANG or English
  int codePage = 437;
  std::string script;  // --script FILE: headless
  int columns = 0;     // --size, 0 when not given
  int rows = 0;
  bool hasCursor = false;
  std::string cursor;  // --cursor LINE,COL as given
  bool hasBlock = false;
  std::string block;  // --block stream|column,... as given
  std::string file;   // the editor's file
  bool help = false;
  bool version = false;
};

// False with a one-line reason on a bad command line.
bool ParseOptions(int argc, const char *const *argv, Options *options, std::string *error);

const char *UsageText();

}  // namespace app
