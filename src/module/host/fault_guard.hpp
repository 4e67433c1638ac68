// Runs an engine call so that a hardware fault inside it (bad memory access,
// division by zero, illegal instruction, stack overflow) comes back to the
// caller instead of ending the process.
#pragma once

// true: the call returned and *result holds its result (when not null).
// false: it faulted; the thread is back here and should idle until stopped,
// since the faulting code may have left its own state half done.
bool RunGuarded(int (*call)(void *), void *arg, int *result);
