// The built Pardune.kmx in the file manager stand-in: an engine call faults
// under the watchdog, the module is unloaded, and the host's own exceptions
// afterwards are the host's alone.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "app/module_loader.hpp"
#include "app/program.hpp"
#include "farhost/backend.hpp"
#include "support/queue_backend.hpp"
#include "support/test_files.hpp"

namespace {

using test_support::Key;
using test_support::Keys;

std::string ReadAll(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A folder of its own for the module, so that its hang log lands there.
std::string ScratchModule() {
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string folder =
      std::string(temp) + "pardune-unload-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  for (const char *name : {"Pardune.kmx", "Pardune.lng"})
    CopyFileA(BesideTestProgram(name).c_str(), (folder + "\\" + name).c_str(), FALSE);
  return folder + "\\Pardune.kmx";
}

// Raises exceptions and handles them, the way a host does all the time.
int HostExceptions() {
  const void *kernel = reinterpret_cast<const void *>(~uintptr_t{0} & ~uintptr_t{0xFFFF});
  if (!IsBadReadPtr(kernel, sizeof(int))) return 0;
  OutputDebugStringA("module_unload_test: the host goes on\n");
  try {
    throw 3;
  } catch (int n) {
    return n;
  }
}

TEST(UnloadedModule, LeavesNothingBehindAfterAFaultInAGuardedCall) {
  const std::string path = ScratchModule();
  app::LoadedModule module;
  std::string error;
  ASSERT_TRUE(app::LoadModule(path, &module, &error)) << error;

  // Text, then an expression whose search reads address zero; Find.
  test_support::QueueBackend backend;
  for (const auto &event : Keys("aaa")) backend.events.push_back(event);
  backend.events.push_back(Key(KEY_TAB));
  for (const auto &event : Keys("(*FAULT)a")) backend.events.push_back(event);
  backend.events.push_back(Key(KEY_ALT + 'F'));
  farhost::TheScreen().Resize(80, 25);
  farhost::SetBackend(&backend);
  app::RunModule(module);
  farhost::SetBackend(nullptr);
  app::UnloadModule(&module);
  EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr);

  const std::string folder = path.substr(0, path.rfind('\\'));
  const std::string log = ReadAll(folder + "\\RegExp_bug.txt");
  EXPECT_NE(log.find("Parser hungs up at Parse expression"), std::string::npos) << log;
  EXPECT_EQ(HostExceptions(), 3);

  for (const char *name : {"Pardune.kmx", "Pardune.lng", "RegExp_bug.txt"})
    DeleteFileA((folder + "\\" + name).c_str());
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
