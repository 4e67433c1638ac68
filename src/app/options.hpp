// The command line of pardune.
#pragma once

#include <string>

namespace app {

struct Options {
  std::string lang;    // empty: $PARDUNE_LANG or English
  int codePage = 437;  // without --codepage: LocaleCodePage of the user's locale
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

// The OEM code pages the program knows: 437 and 866.
bool IsSupportedCodePage(int codePage);
// The OEM code page that suits a locale name such as "ru_RU.UTF-8": 866 for
// a language written in Cyrillic (or a "@cyrillic" locale), else 437.
int LocaleCodePage(const char *locale);
// The locale that decides how characters are taken: $LC_ALL, else
// $LC_CTYPE, else $LANG ("" when none is set).
const char *CharacterLocale();

}  // namespace app
