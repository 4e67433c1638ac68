#include "module/host/failing_new.hpp"

#include <cstddef>
#include <new>

namespace {

int failAt = -1;
int made = 0;

bool Fails() {
  return failAt >= 0 && made++ == failAt;
}

}  // namespace

void FailNothrowAllocation(int count) {
  failAt = count;
  made = 0;
}

int NothrowAllocations() {
  return made;
}

// The rest goes to the ordinary operators, so the matching delete frees it.
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
  if (Fails()) return nullptr;
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}

void *operator new[](std::size_t size, const std::nothrow_t &) noexcept {
  if (Fails()) return nullptr;
  try {
    return ::operator new[](size);
  } catch (...) {
    return nullptr;
  }
}
