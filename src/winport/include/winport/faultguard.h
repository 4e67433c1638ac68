// Runs a call so that a hardware fault inside it (a bad memory access, a
// division by zero, an illegal instruction, a stack overflow) comes back here
// instead of ending the process. Lives in winport so the handlers stay loaded
// while the modules that use them come and go.
#pragma once

#include "winport/types.h"

typedef int (*WinportGuardedCall)(void *argument);

// TRUE: the call returned, its result is in *result (when not null).
// FALSE: it faulted; the thread is back here, on its own stack, and must do
// nothing that the faulting code may have left half done (it held no lock and
// allocated nothing, or it is never used again). A fault on a thread outside a
// guarded call goes on to the handler that was there before, so a real crash
// is still a crash.
WINPORT_API BOOL WinportRunGuarded(WinportGuardedCall call, void *argument, int *result);
