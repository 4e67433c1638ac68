// Windows: pardune-script.exe with the real registry, clipboard and threads.
// It starts in a console without a window, as the file manager has one.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "scenario_host.hpp"
#include "support/test_files.hpp"

const char kScenarioEngine[] = "stdregex";
const char kScenarioPlatform[] = "Windows";
const char kLogLineEnd[] = "\r\n";

namespace {

const char kSettingsKey[] = "Software\\Far\\Plugins\\Pardune";
const DWORD kRunLimitMs = 120000;

std::string ReadAll(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Copy(const std::string &from, const std::string &to) {
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

void CopyFolderFiles(const std::string &from, const std::string &to) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((from + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    EXPECT_TRUE(Copy(from + "\\" + found.cFileName, to + "\\" + found.cFileName))
        << found.cFileName;
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

void PutSettings(const Settings &settings) {
  LONG gone = RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
  ASSERT_TRUE(gone == ERROR_SUCCESS || gone == ERROR_FILE_NOT_FOUND) << gone;
  if (settings.empty()) return;
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  for (const auto &[name, value] : settings) {
    DWORD data = value;
    EXPECT_EQ(RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE *>(&data),
                             sizeof data),
              ERROR_SUCCESS)
        << name;
  }
  RegCloseKey(key);
}

// The clipboard outlives a run under one wine server: each scenario starts
// with an empty one, as on Linux.
void EmptyTheClipboard() {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(EmptyClipboard());
  CloseClipboard();
}

HANDLE Inheritable(const std::string &path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     disposition, 0, nullptr);
}

}  // namespace

std::string MakeScratchFolder() {
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, temp);
  for (unsigned n = GetTickCount();; ++n) {
    std::string dir = std::string(temp) + "pardune-scenario-" + std::to_string(n);
    if (CreateDirectoryA(dir.c_str(), nullptr)) return dir;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return "";
  }
}

void RemoveScratchFolder(const std::string &dir) {
  if (dir.find("pardune-scenario-") == std::string::npos) return;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        DeleteFileA((dir + "\\" + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(dir.c_str());
  DeleteFileA((dir + ".out").c_str());
  DeleteFileA((dir + ".err").c_str());
}

namespace {

// Runs the copied program in `dir` with the creation flags given.
ScenarioRun Launch(const std::string &dir, const std::string &args, DWORD flags) {
  ScenarioRun run;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = Inheritable("NUL", GENERIC_READ, OPEN_EXISTING);
  startup.hStdOutput = Inheritable(dir + ".out", GENERIC_WRITE, CREATE_ALWAYS);
  startup.hStdError = Inheritable(dir + ".err", GENERIC_WRITE, CREATE_ALWAYS);
  const std::string program = dir + "\\pardune-script.exe";
  std::string commandLine = "\"" + program + "\" " + args;
  PROCESS_INFORMATION process = {};
  BOOL started = CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, flags,
                                nullptr, dir.c_str(), &startup, &process);
  for (HANDLE h : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) CloseHandle(h);
  EXPECT_TRUE(started) << commandLine << ": error " << GetLastError();
  if (!started) return run;
  CloseHandle(process.hThread);
  if (WaitForSingleObject(process.hProcess, kRunLimitMs) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 255);
    ADD_FAILURE() << "pardune-script.exe ran longer than " << kRunLimitMs << " ms";
  }
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  run.status = static_cast<int>(status);
  run.out = ReadAll(dir + ".out");
  run.err = ReadAll(dir + ".err");
  run.log = ReadAll(dir + "\\RegExp_bug.txt");
  return run;
}

void CopyProgram(const std::string &dir, const std::string &script) {
  for (const char *file : {"pardune-script.exe", "Pardune.kmx", "Pardune.lng", "Pardune.hlf"})
    EXPECT_TRUE(Copy(BesideTestProgram(file), dir + "\\" + file)) << file;
  CopyFolderFiles(SCENARIO_DIR "/files", dir);
  std::ofstream(dir + "\\s.scn", std::ios::binary) << script;
}

}  // namespace

ScenarioRun RunScenarioIn(const std::string &dir, const std::string &script,
                          const Settings &settings, const std::string &args) {
  CopyProgram(dir, script);
  PutSettings(settings);
  EmptyTheClipboard();
  return Launch(dir, "--script s.scn " + args, CREATE_NO_WINDOW);
}

// Started without a console (as wine starts it from a script), the program
// runs itself again in a console of its own: the screens keep their size.
TEST(ScriptProgram, WithoutAConsoleMakesItsOwn) {
  const std::string dir = MakeScratchFolder();
  ASSERT_FALSE(dir.empty());
  CopyProgram(dir, "screen\n");
  PutSettings({});
  ScenarioRun run = Launch(dir, "--script s.scn --size 100x25", 0);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, ReadAll(SCENARIO_DIR "/golden/open-100.out"));
  RemoveScratchFolder(dir);
}

// What cannot run is named on stderr with exit status 2, before anything
// is shown.
TEST(ScriptProgram, NamesWhatCannotRun) {
  const std::string dir = MakeScratchFolder();
  ASSERT_FALSE(dir.empty());
  CopyProgram(dir, "screen\nbogus\n");
  struct Case {
    const char *args;
    const char *err;
  };
  const Case cases[] = {
      {"", "pardune: pardune-script runs scripts only: give --script FILE (see --help)\n"},
      {"--script s.scn", "pardune: s.scn: line 2: unknown command 'bogus'\n"},
      {"--script none.scn", "pardune: cannot open 'none.scn': No such file or directory\n"},
      {"--script s.scn --codepage 866",
       "pardune: the OEM code page of this system is 437, not 866 (give --codepage 437)\n"},
  };
  for (const Case &c : cases) {
    ScenarioRun run = Launch(dir, c.args, CREATE_NO_WINDOW);
    EXPECT_EQ(run.status, 2) << c.args;
    EXPECT_EQ(run.err, c.err) << c.args;
    EXPECT_EQ(run.out, "") << c.args;
  }
  std::ofstream(dir + "\\s.scn", std::ios::binary) << "screen\n";
  ASSERT_TRUE(DeleteFileA((dir + "\\Pardune.kmx").c_str()));
  ScenarioRun run = Launch(dir, "--script s.scn", CREATE_NO_WINDOW);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "pardune: cannot find the module Pardune.kmx in " + dir + "\n");
  std::ofstream(dir + "\\Pardune.kmx", std::ios::binary) << "not a DLL";
  run = Launch(dir, "--script s.scn", CREATE_NO_WINDOW);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err.rfind("pardune: cannot load the module " + dir + "\\Pardune.kmx: ", 0), 0u)
      << run.err;
  RemoveScratchFolder(dir);
}
