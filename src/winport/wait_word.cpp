#include "wait_word.hpp"

#include <linux/futex.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace winport {

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t) &&
                  std::atomic<uint32_t>::is_always_lock_free,
              "a futex word");

int64_t MonotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

int CurrentCpu() {
  return sched_getcpu();  // from the kernel's restartable-sequence area, or the vDSO
}

bool SpinPays() {
  // The processors the process may use when it first waits; a change of
  // affinity later on is not followed.
  static const bool pays = [] {
    cpu_set_t set;
    CPU_ZERO(&set);
    return sched_getaffinity(0, sizeof set, &set) != 0 || CPU_COUNT(&set) > 1;
  }();
  return pays;
}

void SleepWhile(std::atomic<uint32_t> &word, uint32_t value, const timespec *deadline) {
  // The bitset form takes an absolute time on the monotonic clock.
  syscall(SYS_futex, reinterpret_cast<uint32_t *>(&word), FUTEX_WAIT_BITSET_PRIVATE, value,
          deadline, nullptr, FUTEX_BITSET_MATCH_ANY);
}

void Wake(std::atomic<uint32_t> &word, int count) {
  syscall(SYS_futex, reinterpret_cast<uint32_t *>(&word), FUTEX_WAKE_PRIVATE, count, nullptr,
          nullptr, 0);
}

}  // namespace winport
