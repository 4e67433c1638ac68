// pardune: the file manager and Kestrum around Pardune.kmx, in a terminal.
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "app/console_size.hpp"
#include "app/notices.hpp"
#include "app/program.hpp"
#include "app/script_backend.hpp"
#include "app/terminal_backend.hpp"
#include "app/terminal_guard.hpp"
#include "farhost/backend.hpp"
#include "farhost/failure.hpp"
#include "farhost/farhost.hpp"

namespace {

int RunPardune(int argc, char **argv) {
  app::Options options;
  std::string error;
  if (!app::ParseOptions(argc, argv, &options, &error)) return app::Fail(error);
  if (app::ShowUsageOrVersion(options)) return 0;

  if (!options.file.empty() && !app::CheckFile(options.file, &error)) return app::Fail(error);
  farhost::HostEditorOptions editorOptions;
  if (!app::ParseEditorOptions(options, &editorOptions, &error)) return app::Fail(error);
  std::vector<app::ScriptCommand> commands;
  if (!options.script.empty() && !app::LoadScript(options, &commands, &error))
    return app::Fail(error);

  app::LoadedModule module;
  if (!app::OpenModule(options, &module, &error)) return app::Fail(error);
  const app::ModuleOwner moduleOwner(&module);  // unloaded last, after the notices
  WinportSetOemCodePage(UINT(options.codePage));

  int columns = options.columns ? options.columns : 80;
  int rows = options.rows ? options.rows : 25;
  winsize size;
  if (options.script.empty() && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col &&
      size.ws_row) {
    columns = size.ws_col;
    rows = size.ws_row;
  }
  if (!app::OpenEditor(options, editorOptions, columns, rows, &error)) return app::Fail(error);

  std::unique_ptr<farhost::Backend> backend;
  app::TerminalBackend *terminal = nullptr;
  app::ScriptBackend *script = nullptr;
  if (options.script.empty()) {
    std::unique_ptr<app::TerminalBackend> opened =
        app::TerminalBackend::Open(stdin, stdout, options.codePage, &error);
    if (!opened) return app::Fail(error);
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
  app::SetConsoleSize(columns, rows);
  farhost::TheScreen().Resize(columns, rows);
  farhost::SetBackend(backend.get());

  int runResult = app::RunModule(module);

  farhost::SetBackend(nullptr);
  if (terminal) terminal->Close();
  const char *failure = farhost::Failure();
  if (failure) app::Failed(failure);
  if (script && script->UnusedLine())
    fprintf(stderr, "pardune: %s: the program ended before line %d\n", options.script.c_str(),
            script->UnusedLine());
  backend.reset();
  app::PrintNotices(stderr);
  fflush(stdout);
  if (failure) return app::kFailed;
  if (int sig = app::QuitSignal()) return 128 + sig;
  return runResult ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv) {
  try {
    return RunPardune(argc, argv);
  } catch (...) {  // outside the dialogs; the terminal is restored by now
    farhost::NoteFailure();
    return app::Failed(farhost::Failure());
  }
}
