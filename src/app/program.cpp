#include "app/program.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "app/module_links.hpp"
#include "farhost/farhost.hpp"
#include "kestrum/language.hpp"
#include "kestrum/service_table.hpp"

namespace app {
namespace {

bool ReadScript(const std::string &path, std::string *text, std::string *error) {
  if (!CheckFile(path, error)) return false;
  std::ifstream in(path, std::ios::binary);
  std::ostringstream contents;
  contents << in.rdbuf();
  if (!in && !in.eof()) {
    *error = "cannot read the script '" + path + "'";
    return false;
  }
  *text = contents.str();
  return true;
}

bool Readable(const std::string &path) {
  FILE *file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  std::fclose(file);
  return true;
}

// A language other than English needs its file beside the module.
bool CheckLanguage(const std::string &modulePath, const std::string &lang, std::string *error) {
  if (lang.empty() || lang == "en") return true;
  std::string file = kestrum::LanguageFilePath(modulePath, lang);
  if (Readable(file)) return true;
  *error = "no language file for '" + lang + "' (" + file + ")";
  return false;
}

// Faults in the language file are the user's to mend: named on stderr
// (seen once the terminal is back), the texts that parsed are used.
void ReportLanguageProblems(const std::string &modulePath, const std::string &lang) {
  kestrum::LanguageData data;
  std::string file = kestrum::LanguageFilePath(modulePath, lang);
  if (!kestrum::LoadLanguageFile(file, data)) {
    fprintf(stderr, "pardune: warning: cannot read the language file %s\n", file.c_str());
    return;
  }
  const size_t kShown = 10;
  for (size_t i = 0; i < data.problems.size() && i < kShown; ++i)
    fprintf(stderr, "pardune: warning: %s:%d: %s\n", file.c_str(), data.problems[i].line,
            data.problems[i].reason.c_str());
  if (data.problems.size() > kShown)
    fprintf(stderr, "pardune: warning: %s: %zu more problems\n", file.c_str(),
            data.problems.size() - kShown);
}

}  // namespace

int Fail(const std::string &message) {
  fprintf(stderr, "pardune: %s\n", message.c_str());
  return kBadInput;
}

int Failed(const char *what) {
  fprintf(stderr, "pardune: %s\n", what ? what : "failed");
  return kFailed;
}

bool ShowUsageOrVersion(const Options &options) {
  if (options.help) fputs(UsageText(), stdout);
  if (options.version && !options.help) printf("pardune %s\n", PARDUNE_VERSION);
  return options.help || options.version;
}

std::string MissingExports(const LoadedModule &module) {
  std::string missing;
  if (!module.Start) missing += " Start";
  if (!module.GetInfo) missing += " GetInfo";
  if (!module.Run) missing += " Run";
  if (!module.Exit) missing += " Exit";
  return missing;
}

bool CheckFile(const std::string &path, std::string *error) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    *error = "cannot open '" + path + "': " + strerror(errno);
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    *error = "'" + path + "' is a directory, not a file";
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    *error = "'" + path + "' is not a regular file";
    return false;
  }
  FILE *file = std::fopen(path.c_str(), "rb");
  if (!file) {
    *error = "cannot read '" + path + "': " + strerror(errno);
    return false;
  }
  std::fclose(file);
  return true;
}

bool LoadScript(const Options &options, std::vector<ScriptCommand> *commands, std::string *error) {
  std::string text;
  if (!ReadScript(options.script, &text, error)) return false;
  if (ParseScript(text, options.codePage, commands, error)) return true;
  *error = options.script + ": " + *error;
  return false;
}

bool ParseEditorOptions(const Options &options, farhost::HostEditorOptions *editor,
                        std::string *error) {
  if (options.hasCursor && !farhost::ParseCursorOption(options.cursor.c_str(), editor)) {
    *error = "--cursor must be LINE,COL with numbers from 1, not '" + options.cursor + "'";
    return false;
  }
  if (options.hasBlock && !farhost::ParseBlockOption(options.block.c_str(), editor)) {
    *error = "--block must be stream|column,LINE1,COL1,LINE2,COL2 with numbers from 1, not '" +
             options.block + "'";
    return false;
  }
  return true;
}

bool OpenModule(const Options &options, LoadedModule *module, std::string *error) {
  std::string foundPath, modulePath;
  const std::string programDir = ProgramDirectory();
  if (!FindModule(programDir, &foundPath, error)) return false;
  if (!ModuleLoadPath(programDir, foundPath, &modulePath, error)) return false;
  if (!LoadModule(modulePath, module, error)) {
    if (modulePath != foundPath) *error += " (a link to " + foundPath + ")";
    return false;
  }
  std::string lang = options.lang;
  if (lang.empty() && getenv("PARDUNE_LANG")) lang = getenv("PARDUNE_LANG");
  if (!CheckLanguage(modulePath, lang, error)) {
    UnloadModule(module);
    return false;
  }
  KestrumSetLanguage(lang.c_str());
  ReportLanguageProblems(modulePath, lang);
  return true;
}

bool OpenEditor(const Options &options, farhost::HostEditorOptions editor, int columns, int rows,
                std::string *error) {
  if (options.file.empty()) return true;
  editor.windowWidth = columns;
  editor.windowHeight = rows > 2 ? rows - 2 : 1;
  return farhost::OpenHostEditor(options.file.c_str(), editor, error);
}

int RunModule(const LoadedModule &module) {
  PluginStartupInfo info = farhost::MakeStartupInfo(module.path.c_str());
  module.Start(&info, KestrumServiceTable());
  SubPluginInfo pluginInfo = {};
  module.GetInfo(&pluginInfo);
  // The tester runs until its close button; a refused version has shown
  // its warning box by then.
  int result = module.Run(0, 0, 0);
  module.Exit();
  return result;
}

}  // namespace app
