// The shared object's load and unload, delivered as the DLL entry would be.
#include <windows.h>

#include "host/host_state.hpp"

namespace {

HINSTANCE OwnHandle() {
  return static_cast<HINSTANCE>(WinportModuleOf(reinterpret_cast<const void *>(&OwnHandle)));
}

__attribute__((constructor)) void ModuleLoaded() {
  ModuleEntry(OwnHandle(), DLL_PROCESS_ATTACH);
}

__attribute__((destructor)) void ModuleUnloaded() {
  ModuleEntry(OwnHandle(), DLL_PROCESS_DETACH);
}

}  // namespace
