// Jobs that the thread tests run: what the watchdog's workers do, and calls
// for them to guard.
#pragma once

#include <windows.h>

#include <atomic>

#define NO_SANITIZE __attribute__((noinline, no_sanitize("address", "undefined")))

// A guarded call and what became of it.
struct GuardedRun {
  int (*call)(void *);
  void *argument;
  std::atomic<int> state{0};  // 1 running, 2 returned, 3 faulted
  int result = 0;
};

// What the watchdog's workers do: the call under the guard, with its result
// as the exit code, and after a fault an idle loop until stopped.
DWORD WINAPI GuardedWorker(LPVOID parameter);

int ReadNull(void *);
int SpinForever(void *);
// *argument + 1.
int Answer(void *argument);

// Waits up to 5 s for `state` to reach `value`; whether it did.
bool AwaitState(const std::atomic<int> &state, int value);
