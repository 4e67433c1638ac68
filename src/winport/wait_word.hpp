// A 32-bit word that one thread waits on until another changes it: a short
// spin first, so a change that comes within microseconds costs no sleep and
// no wake-up, then a sleep in the kernel.
#pragma once

#include <time.h>

#include <atomic>
#include <cstdint>

namespace winport {

// How long a waiter spins before it sleeps. The spin makes no system call:
// a pause instruction between looks, the clock read through the vDSO. A
// sleeper is woken late (tens of microseconds, more in a virtual machine),
// so the spin covers a search of a whole text and the work the caller does
// between two calls (a compile to machine code).
constexpr int64_t kSpinNanoseconds = 2000 * 1000;

inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#elif defined(__aarch64__)
  asm volatile("yield");
#endif
}

int64_t MonotonicNanoseconds();
// The processor the calling thread runs on (read without a system call), or
// -1.
int CurrentCpu();
// False when the process may run on one processor only: the thread waited
// for cannot run while the waiter spins, so the waiter sleeps at once.
bool SpinPays();

// Spins until ready() holds, for `most` nanoseconds at most; returns
// ready(). `peerCpu`: where the thread waited for last ran, if known. When
// that is the waiter's own processor, the other thread is most likely queued
// behind the waiter (a busy machine put both on one processor): no spin then.
template <typename Ready>
bool SpinUntil(Ready ready, int peerCpu = -1, int64_t most = kSpinNanoseconds) {
  if (ready()) return true;
  if (!SpinPays() || (peerCpu >= 0 && peerCpu == CurrentCpu())) return false;
  // Most hand-offs are done within a microsecond: the clock is read only
  // after that.
  for (int i = 0; i < 64; ++i) {
    CpuRelax();
    if (ready()) return true;
  }
  const int64_t start = MonotonicNanoseconds();
  for (;;) {
    for (int i = 0; i < 32; ++i) {
      CpuRelax();
      if (ready()) return true;
    }
    if (MonotonicNanoseconds() - start >= most) return ready();
  }
}

// Sleeps while `word` holds `value`, until woken or until `deadline`
// (CLOCK_MONOTONIC; null: no limit). May return early: callers check again.
void SleepWhile(std::atomic<uint32_t> &word, uint32_t value, const timespec *deadline);

// Wakes up to `count` threads asleep on `word`.
void Wake(std::atomic<uint32_t> &word, int count);

}  // namespace winport
