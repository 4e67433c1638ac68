// Loading the settings from a large registry file: the file read and parsed
// once, then the 22 values read one by one, each with its own open and close
// of the key, as the module does. Target: a 50 MB file in <= 2 s, or refused
// by its size; files up to the largest read (16 MB) in time linear in size.
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>
#include <windows.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

const char kKey[] = "Software\\Far\\Plugins\\Pardune";

// `megabytes` of values: under the module's key, or each in a key of its own.
std::string LargeFile(size_t megabytes, bool keyEach) {
  std::string text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Far\\Plugins\\Pardune]\n";
  char line[128];
  for (int i = 0; text.size() + 4096 < megabytes << 20; ++i) {
    if (keyEach) {
      std::snprintf(line, sizeof line, "\n[HKEY_CURRENT_USER\\Software\\Many\\K%07d]\n", i);
      text += line;
    }
    std::snprintf(line, sizeof line, "\"Value%07d\"=dword:%08x\n", i, unsigned(i));
    text += line;
  }
  text += "\n[HKEY_CURRENT_USER\\Software\\Far\\Plugins\\Pardune]\n\"OnFly\"=dword:00000000\n";
  return text;
}

int ReadSettings() {
  int sum = 0;
  for (int i = 0; i < 22; ++i) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, kKey, &key) != ERROR_SUCCESS) continue;
    int32_t value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key, i ? "Missing" : "OnFly", nullptr, nullptr,
                         reinterpret_cast<BYTE *>(&value), &size) == ERROR_SUCCESS)
      sum += 1 + value;
    RegCloseKey(key);
  }
  return sum;
}

void LoadLargeFile(benchmark::State &state, bool keyEach, bool refused = false) {
  char dir[] = "/tmp/pardune-bench-XXXXXX";
  if (!mkdtemp(dir)) {
    state.SkipWithError("no scratch folder");
    return;
  }
  // Two copies taken in turn, so that every load reads and parses anew.
  const std::string files[2] = {std::string(dir) + "/a.reg", std::string(dir) + "/b.reg"};
  {
    std::string text = LargeFile(size_t(state.range(0)), keyEach);
    for (const std::string &file : files) std::ofstream(file, std::ios::binary) << text;
  }
  int turn = 0;
  for (auto _ : state) {
    setenv("PARDUNE_REGISTRY", files[turn ^= 1].c_str(), 1);
    if (ReadSettings() != (refused ? 0 : 1)) state.SkipWithError("OnFly read wrongly");
  }
  char notice[512];
  if (refused != bool(WinportTakeNotice(notice, sizeof notice)))
    state.SkipWithError("a file too large to read is named in a notice, no other");
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024;
  unsetenv("PARDUNE_REGISTRY");
  for (const std::string &file : files) unlink(file.c_str());
  rmdir(dir);
}

void BM_ValuesUnderTheKey(benchmark::State &state) {
  LoadLargeFile(state, false);
}
void BM_AKeyPerValue(benchmark::State &state) {
  LoadLargeFile(state, true);
}
void BM_RefusedBySize(benchmark::State &state) {
  LoadLargeFile(state, false, true);
}
BENCHMARK(BM_ValuesUnderTheKey)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AKeyPerValue)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefusedBySize)->Arg(50)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
