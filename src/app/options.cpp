#include "app/options.hpp"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace app {
namespace {

bool ParseSize(const std::string &text, int *columns, int *rows) {
  size_t x = text.find_first_of("xX");
  if (x == std::string::npos || x == 0 || x + 1 == text.size() || x > 4 || text.size() - x > 5)
    return false;
  int values[2] = {0, 0};
  std::string parts[2] = {text.substr(0, x), text.substr(x + 1)};
  for (int i = 0; i < 2; ++i) {
    for (char c : parts[i]) {
      if (!std::isdigit((unsigned char)c)) return false;
      values[i] = values[i] * 10 + (c - '0');
    }
  }
  if (values[0] < 1 || values[0] > 1000 || values[1] < 1 || values[1] > 1000) return false;
  *columns = values[0];
  *rows = values[1];
  return true;
}

bool ValidLanguage(const std::string &lang) {
  if (lang.empty() || lang.size() > 16) return false;
  for (char c : lang)
    if (!std::isalnum((unsigned char)c) && c != '-' && c != '_') return false;
  return true;
}

// Languages written in Cyrillic, whose DOS and Windows console code page is
// 866 (or, for Serbian, a page 866 stands in for best).
const char *const kCyrillicLanguages[] = {"ba", "be", "bg", "ce",  "cv", "kk", "ky", "mk",
                                          "mn", "os", "ru", "sah", "sr", "tg", "tt", "uk"};

}  // namespace

bool IsSupportedCodePage(int codePage) {
  return codePage == 437 || codePage == 866;
}

int LocaleCodePage(const char *locale) {
  if (!locale) return 437;
  std::string name = locale;
  size_t at = name.find('@');
  std::string modifier = at == std::string::npos ? "" : name.substr(at + 1);
  if (modifier == "cyrillic") return 866;
  if (modifier == "latin") return 437;
  std::string language = name.substr(0, name.find_first_of("_.@"));
  for (const char *cyrillic : kCyrillicLanguages)
    if (language == cyrillic) return 866;
  return 437;
}

const char *CharacterLocale() {
  for (const char *variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char *value = std::getenv(variable);
    if (value && *value) return value;
  }
  return "";
}

const char *UsageText() {
  return "Usage: pardune [OPTIONS] [FILE]\n"
         "       pardune --script SCRIPT [--size COLSxROWS] [OPTIONS] [FILE]\n"
         "Opens the Pardune regular-expression tester in the terminal. FILE becomes the\n"
         "file manager's editor text, which the tester loads with Alt+L.\n"
         "\n"
         "Two options are on from the start: Strip spaces ('failed login' is searched\n"
         "as 'failedlogin') and No moves (each position is tried as the start of the\n"
         "text: '^INFO' matches in the middle of a line, '(?<=user )\\w+' never).\n"
         "Turn them off in the Options dialog: Alt+O in the tester.\n"
         "\n"
         "  --lang L             language of the texts (Pardune.L.lng; default $PARDUNE_LANG\n"
         "                       or English)\n"
         "  --codepage 437|866   OEM code page of the texts (default 866 in a Cyrillic\n"
         "                       locale, else 437)\n"
         "  --script SCRIPT      run headless: keys from SCRIPT, screens to standard output\n"
         "  --size COLSxROWS     screen size with --script (default 80x25)\n"
         "  --cursor LINE,COL    editor cursor in FILE (1-based)\n"
         "  --block stream|column,LINE1,COL1,LINE2,COL2\n"
         "                       editor block in FILE (1-based; LINE2,COL2 just after it)\n"
         "  -h, --help           show this text\n"
         "  --version            show the version\n"
         "\n"
         "The hang log RegExp_bug.txt lies beside the module, for an installed pardune in\n"
         "$XDG_STATE_HOME/pardune (default ~/.local/state/pardune).\n"
         "\n"
         "Exit status: 0 done; 1 the module refused to run; 2 bad command line, file,\n"
         "script, module, per-user folder or terminal; 3 out of memory (or another\n"
         "failure, named on standard error); 128+N ended by signal N.\n"
         "More in pardune(1).\n";
}

bool ParseOptions(int argc, const char *const *argv, Options *options, std::string *error) {
  bool optionsEnded = false;
  bool seen[6] = {};
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      if (!options->file.empty()) {
        *error = "only one FILE can be given ('" + options->file + "' and '" + arg + "')";
        return false;
      }
      if (arg.empty()) {
        *error = "FILE is an empty name";
        return false;
      }
      options->file = arg;
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      options->help = true;
      continue;
    }
    if (arg == "--version") {
      options->version = true;
      continue;
    }
    std::string name = arg, value;
    bool hasValue = false;
    size_t eq = arg.find('=');
    if (eq != std::string::npos) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
      hasValue = true;
    }
    static const char *const kWithValue[] = {"--lang", "--codepage", "--script",
                                             "--size", "--cursor",   "--block"};
    int which = -1;
    for (int k = 0; k < 6; ++k)
      if (name == kWithValue[k]) which = k;
    if (which < 0) {
      *error = "unknown option '" + name + "' (see pardune --help)";
      return false;
    }
    if (!hasValue) {
      if (i + 1 >= argc) {
        *error = name + " needs a value (see pardune --help)";
        return false;
      }
      value = argv[++i];
    }
    if (seen[which]) {
      *error = name + " is given twice";
      return false;
    }
    seen[which] = true;
    switch (which) {
      case 0:
        if (!ValidLanguage(value)) {
          *error = "--lang needs a language name of letters and digits, not '" + value + "'";
          return false;
        }
        options->lang = value;
        break;
      case 1:
        options->codePage = value == "437" ? 437 : value == "866" ? 866 : 0;
        if (!IsSupportedCodePage(options->codePage)) {
          *error = "--codepage must be 437 or 866, not '" + value + "'";
          return false;
        }
        break;
      case 2:
        if (value.empty()) {
          *error = "--script needs a file name";
          return false;
        }
        options->script = value;
        break;
      case 3:
        if (!ParseSize(value, &options->columns, &options->rows)) {
          *error = "--size must be COLSxROWS with numbers from 1 to 1000, not '" + value + "'";
          return false;
        }
        break;
      case 4:
        options->hasCursor = true;
        options->cursor = value;
        break;
      case 5:
        options->hasBlock = true;
        options->block = value;
        break;
    }
  }
  if (options->help || options->version) return true;
#ifndef _WIN32
  if (!seen[1]) options->codePage = LocaleCodePage(CharacterLocale());
#endif
  if (options->columns && options->script.empty()) {
    *error = "--size works only with --script (the terminal sets the size)";
    return false;
  }
  if ((options->hasCursor || options->hasBlock) && options->file.empty()) {
    *error = std::string(options->hasCursor ? "--cursor" : "--block") + " needs a FILE";
    return false;
  }
  return true;
}

}  // namespace app
