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
};

ProcessUse MeasureProcessUse();

// Measures until handles are back to `before` and threads to at most
// `spare` more, or until `seconds` have passed: a thread that has ended may
// take a moment to go.
ProcessUse MeasureSettled(const ProcessUse &before, int spare, double seconds);

std::string Describe(const ProcessUse &use);
