// pardune-script.exe: `pardune --script` for Windows. It loads Pardune.kmx
// from beside itself, plays the file manager and Kestrum around it with the
// same headless backend, and prints what the script asks for.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/console_size.hpp"
#include "app/options.hpp"
#include "app/program.hpp"
#include "app/script_backend.hpp"
#include "farhost/failure.hpp"
#include "farhost/farhost.hpp"

namespace {

// Set in the copy started in a console of its own.
const char kOwnConsole[] = "PARDUNE_SCRIPT_OWN_CONSOLE";

bool HasConsole() {
  HANDLE console =
      CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (console == INVALID_HANDLE_VALUE) return false;
  CloseHandle(console);
  return true;
}

HANDLE Inheritable(DWORD which) {
  HANDLE handle = GetStdHandle(which), copy = nullptr;
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE,
                       DUPLICATE_SAME_ACCESS))
    return nullptr;
  return copy;
}

// The module reads the console's width, so the program needs a console even
// when it has none (started by a service, or by wine without a terminal): it
// runs itself again in a console without a window, with the same standard
// handles, and gives that run's exit status.
int RunInOwnConsole() {
  if (GetEnvironmentVariableA(kOwnConsole, nullptr, 0) != 0)
    return app::Fail("no console to run in, and none could be made");
  SetEnvironmentVariableA(kOwnConsole, "1");
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = Inheritable(STD_INPUT_HANDLE);
  startup.hStdOutput = Inheritable(STD_OUTPUT_HANDLE);
  startup.hStdError = Inheritable(STD_ERROR_HANDLE);
  std::string commandLine = GetCommandLineA();
  PROCESS_INFORMATION process = {};
  fflush(stdout);
  fflush(stderr);
  BOOL started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                nullptr, nullptr, &startup, &process);
  for (HANDLE h : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
    if (h) CloseHandle(h);
  if (!started) return app::Fail("cannot start in a console of its own");
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = app::kBadInput;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  return int(status);
}

// The texts are in the system's OEM code page, which a program cannot
// change: the script's must be the same.
bool CheckCodePage(int codePage, std::string *error) {
  int system = int(GetOEMCP());
  if (system == codePage) return true;
  *error = "the OEM code page of this system is " + std::to_string(system) + ", not " +
           std::to_string(codePage);
  if (app::IsSupportedCodePage(system))
    *error += " (give --codepage " + std::to_string(system) + ")";
  return false;
}

}  // namespace

int main(int argc, char **argv) {
  // The screens are printed byte for byte, as on Linux.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  app::Options options;
  std::string error;
  if (!app::ParseOptions(argc, argv, &options, &error)) return app::Fail(error);
  if (app::ShowUsageOrVersion(options)) return 0;
  if (options.script.empty())
    return app::Fail("pardune-script runs scripts only: give --script FILE (see --help)");

  if (!options.file.empty() && !app::CheckFile(options.file, &error)) return app::Fail(error);
  farhost::HostEditorOptions editorOptions;
  if (!app::ParseEditorOptions(options, &editorOptions, &error)) return app::Fail(error);
  if (!CheckCodePage(options.codePage, &error)) return app::Fail(error);
  std::vector<app::ScriptCommand> commands;
  if (!app::LoadScript(options, &commands, &error)) return app::Fail(error);
  if (!HasConsole()) return RunInOwnConsole();

  app::LoadedModule module;
  if (!app::OpenModule(options, &module, &error)) return app::Fail(error);
  const app::ModuleOwner moduleOwner(&module);
  const int columns = options.columns ? options.columns : 80;
  const int rows = options.rows ? options.rows : 25;
  if (!app::SetConsoleSize(columns, rows))
    return app::Fail("cannot make a console of " + std::to_string(columns) + "x" +
                     std::to_string(rows));
  if (!app::OpenEditor(options, editorOptions, columns, rows, &error)) return app::Fail(error);

  app::ScriptBackend script(std::move(commands), options.codePage, stdout);
  farhost::TheScreen().Resize(columns, rows);
  farhost::SetBackend(&script);
  int runResult = app::RunModule(module);
  farhost::SetBackend(nullptr);
  if (script.UnusedLine())
    fprintf(stderr, "pardune: %s: the program ended before line %d\n", options.script.c_str(),
            script.UnusedLine());
  fflush(stdout);
  if (const char *failure = farhost::Failure()) return app::Failed(failure);
  return runResult ? 0 : 1;
}
