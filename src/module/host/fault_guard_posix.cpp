#include "host/fault_guard.hpp"

#include <windows.h>

// The handlers live in winport, which stays loaded when the module goes.
bool RunGuarded(int (*call)(void *), void *arg, int *result) {
  return WinportRunGuarded(call, arg, result) != FALSE;
}
