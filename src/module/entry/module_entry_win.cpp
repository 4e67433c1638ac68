// The DLL's entry point.
#include <windows.h>

#include "host/host_state.hpp"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  return ModuleEntry(instance, reason);
}
