// pardune: the file manager and Kestrum around Pardune.kmx, in a terminal.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/module_links.hpp"
#include "app/module_loader.hpp"
#include "app/options.hpp"
#include "app/script.hpp"
#include "app/script_backend.hpp"
#include "app/terminal_backend.hpp"
#include "app/terminal_guard.hpp"
#include "farhost/backend.hpp"
#include "farhost/farhost.hpp"
#include "farhost/host_editor.hpp"
#include "kestrum/language.hpp"
#include "kestrum/service_table.hpp"

namespace {

constexpr int kBadInput = 2;

int Fail(const std::string &message) {
  fprintf(stderr, "pardune: %s\n", message.c_str());
  return kBadInput;
}

// FILE must be a readable regular file.
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
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = "cannot read '" + path + "': " + strerror(errno);
    return false;
  }
  close(fd);
  return true;
}

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

// A language other than English needs its file beside the module.
bool CheckLanguage(const std::string &modulePath, const std::string &lang, std::string *error) {
  if (lang.empty() || lang == "en") return true;
  std::string file = kestrum::LanguageFilePath(modulePath, lang);
  if (access(file.c_str(), R_OK) == 0) return true;
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

int main(int argc, char **argv) {
  app::Options options;
  std::string error;
  if (!app::ParseOptions(argc, argv, &options, &error)) return Fail(error);
  if (options.help) {
    fputs(app::UsageText(), stdout);
    return 0;
  }
  if (options.version) {
    printf("pardune %s\n", PARDUNE_VERSION);
    return 0;
  }

  if (!options.file.empty() && !CheckFile(options.file, &error)) return Fail(error);
  farhost::HostEditorOptions editorOptions;
  if (options.hasCursor && !farhost::ParseCursorOption(options.cursor.c_str(), &editorOptions))
    return Fail("--cursor must be LINE,COL with numbers from 1, not '" + options.cursor + "'");
  if (options.hasBlock && !farhost::ParseBlockOption(options.block.c_str(), &editorOptions))
    return Fail("--block must be stream|column,LINE1,COL1,LINE2,COL2 with numbers from 1, not '" +
                options.block + "'");

  std::vector<app::ScriptCommand> commands;
  if (!options.script.empty()) {
    std::string text;
    if (!ReadScript(options.script, &text, &error)) return Fail(error);
    if (!app::ParseScript(text, options.codePage, &commands, &error))
      return Fail(options.script + ": " + error);
  }

  app::LoadedModule module;
  std::string foundPath, modulePath;
  const std::string programDir = app::ProgramDirectory();
  if (!app::FindModule(programDir, &foundPath, &error)) return Fail(error);
  if (!app::ModuleLoadPath(programDir, foundPath, &modulePath, &error)) return Fail(error);
  if (!app::LoadModule(modulePath, &module, &error))
    return Fail(modulePath == foundPath ? error : error + " (a link to " + foundPath + ")");

  std::string lang = options.lang;
  if (lang.empty() && getenv("PARDUNE_LANG")) lang = getenv("PARDUNE_LANG");
  if (!CheckLanguage(modulePath, lang, &error)) {
    app::UnloadModule(&module);
    return Fail(error);
  }
  KestrumSetLanguage(lang.c_str());
  ReportLanguageProblems(modulePath, lang);
  WinportSetOemCodePage(UINT(options.codePage));

  int columns = options.columns ? options.columns : 80;
  int rows = options.rows ? options.rows : 25;
  winsize size;
  if (options.script.empty() && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col &&
      size.ws_row) {
    columns = size.ws_col;
    rows = size.ws_row;
  }
  // The editor's window is the screen less its title and key bar lines.
  editorOptions.windowWidth = columns;
  editorOptions.windowHeight = rows > 2 ? rows - 2 : 1;
  if (!options.file.empty() &&
      !farhost::OpenHostEditor(options.file.c_str(), editorOptions, &error)) {
    app::UnloadModule(&module);
    return Fail(error);
  }

  std::unique_ptr<farhost::Backend> backend;
  app::TerminalBackend *terminal = nullptr;
  app::ScriptBackend *script = nullptr;
  if (options.script.empty()) {
    std::unique_ptr<app::TerminalBackend> opened =
        app::TerminalBackend::Open(stdin, stdout, options.codePage, &error);
    if (!opened) {
      app::UnloadModule(&module);
      return Fail(error);
    }
    columns = opened->Columns();
    rows = opened->Rows();
    terminal = opened.get();
    backend = std::move(opened);
  } else {
    auto scripted =
        std::make_unique<app::ScriptBackend>(std::move(commands), options.codePage, stdout);
    script = scripted.get();
    backend = std::move(scripted);
  }
  WinportSetConsoleSize(columns, rows);
  farhost::TheScreen().Resize(columns, rows);
  farhost::SetBackend(backend.get());

  PluginStartupInfo info = farhost::MakeStartupInfo(modulePath.c_str());
  module.Start(&info, KestrumServiceTable());
  SubPluginInfo pluginInfo = {};
  module.GetInfo(&pluginInfo);
  // The tester runs until its close button; a refused version has shown
  // its warning box by then.
  int runResult = module.Run(0, 0, 0);
  module.Exit();

  farhost::SetBackend(nullptr);
  if (terminal) terminal->Close();
  if (script && script->UnusedLine())
    fprintf(stderr, "pardune: %s: the program ended before line %d\n", options.script.c_str(),
            script->UnusedLine());
  backend.reset();
  app::UnloadModule(&module);
  fflush(stdout);
  if (int sig = app::QuitSignal()) return 128 + sig;
  return runResult ? 0 : 1;
}
