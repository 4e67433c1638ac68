// What the process holds, as the platform can tell: threads, open files or
// handles, thread stacks and resident memory. Leak checks compare two of
// these.
#pragma once

#include <string>

struct ProcessUse {
  int threads = -1;
  int handles = -1;  // open files on Linux, handles on Windows
  int stacks = -1;   // thread stacks mapped
  long residentKiB = -1;
  long heapKiB = -1;  // live heap, where the allocator tells
};

ProcessUse MeasureProcessUse();

// Measures until handles are back to `before` and threads to at most
// `spare` more, or until `seconds` have passed: a thread that has ended may
// take a moment to go.
ProcessUse MeasureSettled(const ProcessUse &before, int spare, double seconds);

// What the process took on in memory from `before` to `after`: resident
// memory; under the address sanitizer, whose shadow and free lists count in
// that, the live heap.
long MemoryGrowthKiB(const ProcessUse &before, const ProcessUse &after);

std::string Describe(const ProcessUse &use);

// Whether this Windows program runs under wine (false on Linux).
bool UnderWine();
