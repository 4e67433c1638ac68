#include "altstack.hpp"

#include <sys/mman.h>

namespace winport {

namespace {
// Whether the calling thread is known to have an alternate stack.
__attribute__((tls_model("initial-exec"))) thread_local bool tHasAltStack = false;
}  // namespace

ScopedAltStack::ScopedAltStack(void *memory) {
  stack_t stack{};
  stack.ss_sp = memory;
  stack.ss_size = kAltStackSize;
  installed_ = sigaltstack(&stack, &previous_) == 0;
  hadOne_ = tHasAltStack;
  if (installed_) tHasAltStack = true;
}

ScopedAltStack::~ScopedAltStack() {
  if (!installed_) return;
  tHasAltStack = hadOne_;
  if (previous_.ss_flags & SS_DISABLE) {
    stack_t off{};
    off.ss_flags = SS_DISABLE;
    sigaltstack(&off, nullptr);
  } else {
    sigaltstack(&previous_, nullptr);
  }
}

namespace {

// For threads that winport did not start.
struct OwnAltStack {
  void *memory = nullptr;
  ScopedAltStack *scope = nullptr;
  ~OwnAltStack() {
    delete scope;
    if (memory != nullptr) munmap(memory, kAltStackSize);
  }
};

}  // namespace

void EnsureAltStack() {
  if (tHasAltStack) return;
  stack_t current{};
  if (sigaltstack(nullptr, &current) != 0) return;
  if (!(current.ss_flags & SS_DISABLE)) {
    tHasAltStack = true;  // someone else's
    return;
  }
  thread_local OwnAltStack own;
  if (own.memory != nullptr) return;
  void *p =
      mmap(nullptr, kAltStackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return;
  own.memory = p;
  own.scope = new ScopedAltStack(p);
}

}  // namespace winport
