// The built Pardune.kmx, loaded as the host plug-in loads it: dlopen on
// Linux, LoadLibrary on Windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#ifndef _WIN32
#include <dlfcn.h>
#endif

#include "module/host/lifecycle_cases.hpp"
#include "module/host/recording_host.hpp"
#include "support/test_files.hpp"

namespace {

// Pardune.kmx lies beside the test program.
std::string ModulePath() {
  return BesideTestProgram("Pardune.kmx");
}

void *loaded = nullptr;

void *Symbol(const char *name) {
#ifdef _WIN32
  return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(loaded), name));
#else
  return dlsym(loaded, name);
#endif
}

void Unload() {
  if (!loaded) return;
#ifdef _WIN32
  FreeLibrary(static_cast<HMODULE>(loaded));
#else
  dlclose(loaded);
#endif
  loaded = nullptr;
}

void Load() {
  Unload();
  const std::string path = ModulePath();
#ifdef _WIN32
  loaded = LoadLibraryA(path.c_str());
#else
  loaded = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!loaded) ADD_FAILURE() << dlerror();
#endif
  ASSERT_NE(loaded, nullptr) << path;
  ModuleApi &api = TheModule();
  api.start = reinterpret_cast<PardunePluginStart>(Symbol("Start"));
  api.getInfo = reinterpret_cast<PardunePluginGetInfo>(Symbol("GetInfo"));
  api.run = reinterpret_cast<PardunePluginRun>(Symbol("Run"));
  api.exit = reinterpret_cast<PardunePluginExit>(Symbol("Exit"));
  ASSERT_NE(api.start, nullptr);
  ASSERT_NE(api.getInfo, nullptr);
  ASSERT_NE(api.run, nullptr);
  ASSERT_NE(api.exit, nullptr);
}

TEST(BuiltModule, ExportsTheFourEntryPointsOnly) {
  Load();
  EXPECT_EQ(Symbol("ModuleEntry"), nullptr);
  EXPECT_EQ(Symbol("MessageText"), nullptr);
  EXPECT_EQ(Symbol("Start@8"), nullptr);
  EXPECT_EQ(Symbol("_Start@8"), nullptr);
  Unload();
}

TEST(BuiltModule, RegistersUnderTheNameTheHostGives) {
  Load();
  ResetFake();
  TheModule().start(&Fake().info, &Fake().table);
  ASSERT_EQ(Fake().registered.size(), 1u);
  EXPECT_EQ(Fake().registered[0], Fake().info.ModuleName);
  TheModule().exit();
  Unload();
}

}  // namespace

ModuleApi &TheModule() {
  static ModuleApi api = [] {
    ModuleApi a;
    a.reload = Load;
    return a;
  }();
  return api;
}

int main(int argc, char **argv) {
#ifndef _WIN32
  // The module's settings go to a registry file of the test's own.
  std::string registry = ModulePath() + ".test-registry.reg";
  setenv("PARDUNE_REGISTRY", registry.c_str(), 1);
#endif
  ::testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  Unload();
  return result;
}
