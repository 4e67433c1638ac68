// Runs an engine call so that a fault inside it (bad memory access, division
// by zero, illegal instruction, stack overflow; on Windows any exception the
// call leaves unhandled) comes back to the caller instead of ending the
// process.
#pragma once

// true: the call returned and *result holds its result (when not null).
// false: it faulted; the thread is back here and should idle until stopped,
// since the faulting code may have left its own state half done.
bool RunGuarded(int (*call)(void *), void *arg, int *result);

#ifdef _WIN32
// Removes what the guard left registered in the process; the module calls it
// when it is unloaded. A later guarded call registers it again.
void ReleaseFaultGuard();
#endif
