#include "handle_table.hpp"

#include <new>

namespace winport {

namespace {

// A value: (generation, index + 1), shifted past the two low bits.
constexpr unsigned kIndexBits = 20;
constexpr uintptr_t kIndexMask = (uintptr_t{1} << kIndexBits) - 1;
constexpr uintptr_t kGenerationMask = ~uintptr_t{0} >> (kIndexBits + 2);

HANDLE Encode(uint32_t index, uintptr_t generation) {
  uintptr_t value = ((generation & kGenerationMask) << kIndexBits | (index + 1)) << 2;
  return reinterpret_cast<HANDLE>(value);
}

}  // namespace

HANDLE HandleTable::Add(void *record) {
  std::lock_guard<std::mutex> lock(mutex_);
  uint32_t index = 0;
  if (firstFree_ != 0) {
    index = firstFree_ - 1;
    firstFree_ = slots_[index].nextFree;
  } else {
    if (slots_.size() >= kIndexMask) return nullptr;
    try {
      slots_.emplace_back();
    } catch (const std::bad_alloc &) {
      return nullptr;
    }
    index = static_cast<uint32_t>(slots_.size() - 1);
  }
  Slot &slot = slots_[index];
  slot.record = record;
  slot.nextFree = 0;
  return Encode(index, slot.generation);
}

HandleTable::Slot *HandleTable::Find(HANDLE handle) {
  uintptr_t value = reinterpret_cast<uintptr_t>(handle);
  if ((value & 3) != 0) return nullptr;
  value >>= 2;
  uintptr_t index = value & kIndexMask;
  if (index == 0 || index > slots_.size()) return nullptr;
  Slot &slot = slots_[index - 1];
  if (slot.record == nullptr || (slot.generation & kGenerationMask) != value >> kIndexBits)
    return nullptr;
  return &slot;
}

void *HandleTable::Remove(HANDLE handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  Slot *slot = Find(handle);
  if (slot == nullptr) return nullptr;
  void *record = slot->record;
  slot->record = nullptr;
  slot->generation++;
  slot->nextFree = firstFree_;
  firstFree_ = static_cast<uint32_t>(slot - slots_.data()) + 1;
  return record;
}

}  // namespace winport
