#include "module/linked_module.hpp"

#include "host/host_state.hpp"
#include "module/fake_host.hpp"

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
