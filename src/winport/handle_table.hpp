// Handles that name records: a slot per open handle and a generation per
// slot, so that a closed handle never names what later takes its slot.
// Values are multiples of 4, as Windows' handles are, and never null.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "winport/types.h"

namespace winport {

class HandleTable {
 public:
  // A new handle for `record`; null when there is no room.
  HANDLE Add(void *record);
  // The record `handle` names, or null. `use` runs on it under the table's
  // lock, so it can take a reference before a close lets the record go.
  template <typename Use>
  void *With(HANDLE handle, Use use) {
    std::lock_guard<std::mutex> lock(mutex_);
    void *record = Lookup(handle);
    if (record != nullptr) use(record);
    return record;
  }
  // Closes `handle`; the record it named, or null.
  void *Remove(HANDLE handle);
  // Held across a fork, so the child finds the table whole.
  std::mutex &Mutex() { return mutex_; }

 private:
  struct Slot {
    void *record = nullptr;
    uintptr_t generation = 0;
    uint32_t nextFree = 0;  // index + 1 of the next free slot, 0 for none
  };
  // Under the lock: the slot `handle` names, or null.
  Slot *Find(HANDLE handle);
  void *Lookup(HANDLE handle) {
    Slot *slot = Find(handle);
    return slot != nullptr ? slot->record : nullptr;
  }

  std::mutex mutex_;
  std::vector<Slot> slots_;
  uint32_t firstFree_ = 0;
};

}  // namespace winport
