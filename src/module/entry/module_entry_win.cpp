// The DLL's entry point.
#include <windows.h>

#include "host/fault_guard.hpp"
#include "host/host_state.hpp"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  // Nothing of the module may stay registered in the host's process.
  if (reason == DLL_PROCESS_DETACH) ReleaseFaultGuard();
  return ModuleEntry(instance, reason);
}
