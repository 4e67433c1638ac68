// A fixed block of memory handed out by first fit, for callers that must not
// touch the process heap (the engine's compiles and match frames). No lock:
// one user at a time. Reset forgets every block made after the last Keep, so
// a call stopped halfway through an allocation leaves nothing that the next
// Reset can't mend.
#pragma once

#include <cstddef>

namespace kestrum {

class Arena {
 public:
  explicit Arena(size_t capacity);
  ~Arena();
  Arena(const Arena &) = delete;
  Arena &operator=(const Arena &) = delete;

  bool Valid() const { return base_ != nullptr; }
  void *Allocate(size_t size);
  void Free(void *block);
  // Blocks made so far survive every later Reset.
  void Keep() { kept_ = count_; }
  void Reset() { count_ = kept_; }
  size_t BlockCount() const { return static_cast<size_t>(count_); }
  size_t Capacity() const { return capacity_; }

  // Shapes of pcre2's custom allocator.
  static void *Malloc(size_t size, void *arena);
  static void Release(void *block, void *arena);

 private:
  struct Block {
    size_t offset;
    size_t size;
  };
  static constexpr int kMaxBlocks = 32;

  unsigned char *base_ = nullptr;
  size_t capacity_ = 0;
  Block blocks_[kMaxBlocks] = {};
  int count_ = 0;
  int kept_ = 0;
};

}  // namespace kestrum
