// Alternate signal stacks: fault handlers must run even when the thread's own
// stack has overflowed.
#pragma once

#include <signal.h>

#include <cstddef>

namespace winport {

enum : size_t { kAltStackSize = 64 * 1024 };

// Installs `memory` (kAltStackSize bytes) as the calling thread's alternate
// stack for as long as it lives, then puts back what was there.
class ScopedAltStack {
 public:
  explicit ScopedAltStack(void *memory);
  ~ScopedAltStack();
  ScopedAltStack(const ScopedAltStack &) = delete;
  ScopedAltStack &operator=(const ScopedAltStack &) = delete;

 private:
  stack_t previous_{};
  bool installed_ = false;
  bool hadOne_ = false;
};

// Gives the calling thread an alternate stack if it has none; it is released
// when the thread ends. Asks the system only the first time on a thread.
void EnsureAltStack();

}  // namespace winport
