// The built Pardune.kmx in the file manager stand-in: an engine call faults
// under the watchdog, the module is unloaded, and the host's own exceptions
// afterwards are the host's alone.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "app/module_loader.hpp"
#include "app/program.hpp"
#include "farhost/backend.hpp"
#include "support/queue_backend.hpp"
#include "support/test_files.hpp"

namespace {

const char *const kFiles[] = {"Pardune.kmx", "Pardune.lng", "RegExp_bug.txt"};

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
  // A folder of its own for the module, where its hang log lands.
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder =
      temp + std::string("pardune-unload-") + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  for (int i = 0; i < 2; ++i)
    CopyFileA(BesideTestProgram(kFiles[i]).c_str(), (folder + kFiles[i]).c_str(), FALSE);
  const std::string path = folder + kFiles[0];
  app::LoadedModule module;
  std::string error;
  ASSERT_TRUE(app::LoadModule(path, &module, &error)) << error;

  // Text, then an expression whose search reads address zero; Find.
  test_support::QueueBackend backend;
  for (const auto &event : test_support::Keys("aaa\t(*FAULT)a")) backend.events.push_back(event);
  backend.events.push_back(test_support::Key(KEY_ALT + 'F'));
  farhost::TheScreen().Resize(80, 25);
  farhost::SetBackend(&backend);
  app::RunModule(module);
  farhost::SetBackend(nullptr);
  app::UnloadModule(&module);
  EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr);

  std::ifstream in(folder + kFiles[2], std::ios::binary);
  const std::string log{std::istreambuf_iterator<char>(in), {}};
  in.close();
  EXPECT_NE(log.find("Parser hungs up at Parse expression"), std::string::npos) << log;
  EXPECT_EQ(HostExceptions(), 3);

  for (const char *name : kFiles) DeleteFileA((folder + name).c_str());
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
