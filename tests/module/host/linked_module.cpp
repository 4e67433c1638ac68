#include "module/host/linked_module.hpp"

#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/host_state.hpp"
#include "module/host/recording_host.hpp"

HINSTANCE LinkedModuleHandle() {
#ifdef _WIN32
  return GetModuleHandleA(nullptr);
#else
  return static_cast<HINSTANCE>(
      WinportModuleOf(reinterpret_cast<const void *>(&LinkedModuleHandle)));
#endif
}

void ReloadLinkedModule() {
  ModuleEntry(LinkedModuleHandle(), DLL_PROCESS_DETACH);
  ModuleEntry(LinkedModuleHandle(), DLL_PROCESS_ATTACH);
}

void StartLinkedModule() {
  ResetFake();
  ReloadLinkedModule();
  Start(&Fake().info, &Fake().table);
}

namespace {

#ifndef _WIN32
// Start loads the settings: they come from a registry file of the test's own.
struct TestRegistry {
  TestRegistry() {
    path = "/tmp/pardune-module-host-test-" + std::to_string(getpid()) + ".reg";
    setenv("PARDUNE_REGISTRY", path.c_str(), 1);
  }
  ~TestRegistry() {
    std::remove(path.c_str());
    std::remove((path + ".lock").c_str());
  }
  std::string path;
} testRegistry;
#endif

}  // namespace
