// Opening a 10 MB file in the file manager's editor stand-in and reading its
// first 100 lines, as the tester's load button does. Target: peak memory
// <= 3x the file's size plus a few MB, both for a file of line feeds and for
// one long line. The counters give the peak of the heap (every operator new)
// and of the resident size, each against the file's size.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>

#include "farhost/host_editor.hpp"

namespace {

std::atomic<size_t> heapNow{0};
std::atomic<size_t> heapPeak{0};

void *Allocate(size_t size) {
  // The size rides in front of the block, so a delete knows what it frees.
  void *block = std::malloc(size + 16);
  if (!block) throw std::bad_alloc();
  *static_cast<size_t *>(block) = size;
  size_t now = heapNow += size;
  size_t peak = heapPeak.load();
  while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) {
  }
  return static_cast<char *>(block) + 16;
}

void Free(void *pointer) {
  if (!pointer) return;
  void *block = static_cast<char *>(pointer) - 16;
  heapNow -= *static_cast<size_t *>(block);
  std::free(block);
}

// The resident size's peak in bytes since the last reset; 0 where the
// system does not tell.
size_t ResidentPeak() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::strtoull(line.c_str() + 6, nullptr, 10) * 1024;
  return 0;
}

size_t Resident() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::strtoull(line.c_str() + 6, nullptr, 10) * 1024;
  return 0;
}

void ResetResidentPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

const size_t kFileSize = 10 * 1024 * 1024;

void BM_OpenAndLoad(benchmark::State &state, const char *name, std::string (*make)()) {
  // Big blocks come from the system and go back to it when freed, so the
  // resident size shows each load afresh.
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
  const std::string path = "/tmp/pardune-bench-" + std::to_string(getpid()) + "-" + name;
  std::ofstream(path, std::ios::binary) << make();
  size_t heapMost = 0, residentMost = 0;
  for (auto _ : state) {
    heapPeak = heapNow.load();
    const size_t heapBefore = heapNow;
    ResetResidentPeak();
    const size_t residentBefore = Resident();
    std::string error;
    if (!farhost::OpenHostEditor(path.c_str(), farhost::HostEditorOptions(), &error)) {
      state.SkipWithError(error.c_str());
      break;
    }
    EditorInfo info = {};
    farhost::HostEditorControl(ECTL_GETINFO, &info);
    for (int line = 0; line < 100 && line < info.TotalLines; ++line) {
      EditorGetString record = {};
      record.StringNumber = line;
      farhost::HostEditorControl(ECTL_GETSTRING, &record);
      benchmark::DoNotOptimize(record.StringText);
    }
    heapMost = std::max(heapMost, heapPeak - heapBefore);
    residentMost = std::max(residentMost, ResidentPeak() - residentBefore);
    farhost::CloseHostEditor();
  }
  std::remove(path.c_str());
  state.counters["heap_peak_MB"] = double(heapMost) / (1 << 20);
  state.counters["heap_peak_per_byte"] = double(heapMost) / double(kFileSize);
  state.counters["rss_peak_MB"] = double(residentMost) / (1 << 20);
  state.counters["rss_peak_per_byte"] = double(residentMost) / double(kFileSize);
}

std::string LineFeeds() {
  return std::string(kFileSize, '\n');
}
std::string OneLine() {
  return std::string(kFileSize, 'x');
}
// Two-byte characters among ASCII: decoded into the code page in place.
std::string Utf8Lines() {
  std::string text;
  while (text.size() < kFileSize) text += "Caf\xC3\xA9 na\xC3\xAFve r\xC3\xA9sum\xC3\xA9\n";
  return text;
}

BENCHMARK_CAPTURE(BM_OpenAndLoad, line_feeds, "line-feeds", LineFeeds)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenAndLoad, one_line, "one-line", OneLine)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenAndLoad, utf8_lines, "utf8-lines", Utf8Lines)
    ->Unit(benchmark::kMillisecond);

}  // namespace

void *operator new(size_t size) {
  return Allocate(size);
}
void *operator new[](size_t size) {
  return Allocate(size);
}
void operator delete(void *pointer) noexcept {
  Free(pointer);
}
void operator delete[](void *pointer) noexcept {
  Free(pointer);
}
void operator delete(void *pointer, size_t) noexcept {
  Free(pointer);
}
void operator delete[](void *pointer, size_t) noexcept {
  Free(pointer);
}
BENCHMARK_MAIN();
