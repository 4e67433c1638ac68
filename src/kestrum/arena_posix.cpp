#include "kestrum/arena.hpp"

#include <sys/mman.h>

namespace kestrum {

namespace {
constexpr size_t kAlign = 16;

size_t RoundUp(size_t n) {
  return (n + kAlign - 1) & ~(kAlign - 1);
}
}  // namespace

// Reserved, not committed: pages cost memory only once a match touches them.
Arena::Arena(size_t capacity) {
  void *p = mmap(nullptr, capacity, PROT_READ | PROT_WRITE,
                 MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (p == MAP_FAILED) return;
  base_ = static_cast<unsigned char *>(p);
  capacity_ = capacity;
}

Arena::~Arena() {
  if (base_ != nullptr) munmap(base_, capacity_);
}

void *Arena::Allocate(size_t size) {
  if (base_ == nullptr || size == 0 || size > capacity_ || count_ == kMaxBlocks) return nullptr;
  size = RoundUp(size);
  // Blocks are kept in address order, the kept ones first; take the first gap
  // after them that fits.
  int slot = kept_;
  size_t at = slot == 0 ? 0 : RoundUp(blocks_[slot - 1].offset + blocks_[slot - 1].size);
  for (; slot < count_; ++slot) {
    if (blocks_[slot].offset - at >= size) break;
    at = RoundUp(blocks_[slot].offset + blocks_[slot].size);
  }
  if (slot == count_ && capacity_ - at < size) return nullptr;
  for (int i = count_; i > slot; --i) blocks_[i] = blocks_[i - 1];
  blocks_[slot] = Block{at, size};
  ++count_;
  return base_ + at;
}

void Arena::Free(void *block) {
  if (block == nullptr || base_ == nullptr) return;
  size_t offset = static_cast<size_t>(static_cast<unsigned char *>(block) - base_);
  for (int i = kept_; i < count_; ++i) {
    if (blocks_[i].offset != offset) continue;
    for (int j = i; j + 1 < count_; ++j) blocks_[j] = blocks_[j + 1];
    --count_;
    return;
  }
}

void *Arena::Malloc(size_t size, void *arena) {
  return static_cast<Arena *>(arena)->Allocate(size);
}

void Arena::Release(void *block, void *arena) {
  static_cast<Arena *>(arena)->Free(block);
}

}  // namespace kestrum
