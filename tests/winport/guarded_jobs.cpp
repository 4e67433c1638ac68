#include "winport/guarded_jobs.hpp"

#include <cstdint>

#include "host/fault_guard.hpp"

// Read through a global, so the compiler can't see the fault coming.
volatile int *volatile gNull = nullptr;

NO_SANITIZE int ReadNull(void *) {
  return *gNull;
}

int SpinForever(void *) {
  volatile uint64_t n = 0;
  for (;;) n = n + 1;
  return 0;
}

int Answer(void *argument) {
  return *static_cast<int *>(argument) + 1;
}

DWORD WINAPI GuardedWorker(LPVOID parameter) {
  auto *run = static_cast<GuardedRun *>(parameter);
  run->state.store(1);
  if (RunGuarded(run->call, run->argument, &run->result)) {
    run->state.store(2);
    return static_cast<DWORD>(run->result);
  }
  run->state.store(3);
  for (;;) Sleep(1);
}

bool AwaitState(const std::atomic<int> &state, int value) {
  for (int i = 0; i < 5000 && state.load() != value; ++i) Sleep(1);
  return state.load() == value;
}
