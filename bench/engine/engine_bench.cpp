// One guarded call (CreateThread, a wait of 2000 ms, the exit code, the
// handle closed) against the bare call, with a trivial job and with a Parse
// of a short text, beside the limit of any hand-off between two threads (a
// round trip of two spinning threads, measured in the same run); and Parse
// on a full examined text against a bare pcre2_match. Targets: a guarded
// Parse <= 1.5 us over the bare one and <= 3 round trips.
#include <benchmark/benchmark.h>
#include <windows.h>

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "kestrum/char_tables.hpp"
#include "kestrum/engine.hpp"

namespace {

using namespace kestrum;

// 100 lines of 511 bytes (510 characters and a line feed): 51,100 bytes.
std::string ExaminedText() {
  std::string text;
  for (int line = 0; line < 100; ++line) {
    std::string row;
    for (int i = 0; i < 510; ++i) row += static_cast<char>('a' + (line * 7 + i * 3) % 26);
    text += row;
    text += '\n';
  }
  return text;
}

struct Call {
  EngineHandle engine;
  const char *text;
  const char *last;
  MatchRecord match;
};

DWORD WINAPI ParseWorker(LPVOID parameter) {
  auto *c = static_cast<Call *>(parameter);
  return static_cast<DWORD>(EngineParse(c->engine, c->text, c->text, c->last, &c->match, 0, 0));
}

struct ShortCall {
  EngineHandle engine = EngineCreate();
  std::string text = "the quick brown fox jumps over the lazy dog\n";
  Call call{engine, text.data(), text.data() + text.size() - 1, {}};
  ShortCall() {
    EngineSetExpression(engine, "/(l\\w+) (d\\w+)/", 0, 0);
    EngineSetNoMoves(engine, 0);
  }
  ~ShortCall() { EngineDestroy(&engine); }
};

// Each iteration is timed by itself: the target is the median, and on a
// busy machine the mean is ruled by the moments a thread waits for a
// processor.
template <typename Body>
std::vector<double> TimeEach(benchmark::State &state, Body body) {
  std::vector<double> times;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    body();
    times.push_back(
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::sort(times.begin(), times.end());
  return times;
}

double Percentile(const std::vector<double> &sorted, double p) {
  return sorted.empty() ? 0.0 : sorted[static_cast<size_t>(p * (sorted.size() - 1))];
}

// The same call bare, timed alone.
template <typename Call>
double BareMedian(Call call) {
  std::vector<double> times;
  for (int i = 0; i < 2001; ++i) {
    auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(call());
    times.push_back(
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void Relax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

// The physical limit of a hand-off: a number passed to a spinning thread and
// handed back, one cache line each way. Median over batches, in us.
double SpinRoundTrip() {
  struct alignas(64) Line {
    std::atomic<uint64_t> value{0};
  };
  Line ping, pong;
  constexpr uint64_t kBatch = 1000, kBatches = 201;
  std::thread echo([&] {
    for (uint64_t i = 1; i <= kBatch * kBatches; ++i) {
      while (ping.value.load(std::memory_order_acquire) != i) Relax();
      pong.value.store(i, std::memory_order_release);
    }
  });
  std::vector<double> times;
  for (uint64_t b = 0; b < kBatches; ++b) {
    auto start = std::chrono::steady_clock::now();
    for (uint64_t i = b * kBatch + 1; i <= (b + 1) * kBatch; ++i) {
      ping.value.store(i, std::memory_order_release);
      while (pong.value.load(std::memory_order_acquire) != i) Relax();
    }
    times.push_back(
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
            .count() /
        kBatch);
  }
  echo.join();
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void Report(benchmark::State &state, const std::vector<double> &times, double bare) {
  state.counters["median_us"] = Percentile(times, 0.5);
  state.counters["p90_us"] = Percentile(times, 0.9);
  if (bare < 0) return;
  const double over = Percentile(times, 0.5) - bare;
  const double trip = SpinRoundTrip();
  state.counters["over_bare_us"] = over;
  state.counters["round_trip_us"] = trip;
  state.counters["trips"] = over / trip;
}

// The watchdog's pattern around one call.
DWORD Guarded(LPTHREAD_START_ROUTINE job, void *parameter, benchmark::State &state) {
  HANDLE h = CreateThread(nullptr, 0, job, parameter, 0, nullptr);
  if (h == nullptr || WaitForSingleObject(h, 2000) != WAIT_OBJECT_0) {
    state.SkipWithError("no thread, or the wait failed");
  }
  DWORD code = 0;
  GetExitCodeThread(h, &code);
  CloseHandle(h);
  return code;
}

DWORD WINAPI Trivial(LPVOID parameter) {
  return static_cast<DWORD>(reinterpret_cast<uintptr_t>(parameter));
}

void BM_SpinRoundTrip(benchmark::State &state) {
  double trip = 0;
  for (auto _ : state) trip = SpinRoundTrip();
  state.counters["round_trip_us"] = trip;
}
BENCHMARK(BM_SpinRoundTrip)->Iterations(5)->UseRealTime();

void BM_TrivialBare(benchmark::State &state) {
  auto times = TimeEach(state, [] { benchmark::DoNotOptimize(Trivial(nullptr)); });
  Report(state, times, -1);
}
BENCHMARK(BM_TrivialBare);

void BM_TrivialOnWorkerThread(benchmark::State &state) {
  double bare = BareMedian([] { return Trivial(nullptr); });
  auto times = TimeEach(state, [&] { benchmark::DoNotOptimize(Guarded(Trivial, nullptr, state)); });
  Report(state, times, bare);
}
BENCHMARK(BM_TrivialOnWorkerThread)->UseRealTime();

void BM_ParseBare(benchmark::State &state) {
  ShortCall s;
  auto times = TimeEach(state, [&] { benchmark::DoNotOptimize(ParseWorker(&s.call)); });
  Report(state, times, -1);
}
BENCHMARK(BM_ParseBare);

void BM_ParseOnWorkerThread(benchmark::State &state) {
  ShortCall s;
  double bare = BareMedian([&] { return ParseWorker(&s.call); });
  auto times =
      TimeEach(state, [&] { benchmark::DoNotOptimize(Guarded(ParseWorker, &s.call, state)); });
  Report(state, times, bare);
}
BENCHMARK(BM_ParseOnWorkerThread)->UseRealTime();

// What each call cost before the pool: the system's own thread, created and
// joined.
void *PthreadWorker(void *parameter) {
  return reinterpret_cast<void *>(static_cast<uintptr_t>(ParseWorker(parameter)));
}

void BM_ParseOnBarePthread(benchmark::State &state) {
  ShortCall s;
  double bare = BareMedian([&] { return ParseWorker(&s.call); });
  auto times = TimeEach(state, [&] {
    pthread_t thread;
    void *result = nullptr;
    if (pthread_create(&thread, nullptr, PthreadWorker, &s.call) == 0) {
      pthread_join(thread, &result);
    }
    benchmark::DoNotOptimize(result);
  });
  Report(state, times, bare);
}
BENCHMARK(BM_ParseOnBarePthread)->UseRealTime();

// A pattern that scans the whole text and finds nothing.
const char kPattern[] = "[a-z]+q{3}[0-9]";

void BM_ParseFullText(benchmark::State &state) {
  std::string text = ExaminedText();
  EngineHandle engine = EngineCreate();
  EngineSetExpression(engine, (std::string("/") + kPattern + "/").c_str(), 0, 0);
  EngineSetNoMoves(engine, 0);
  MatchRecord match{};
  const char *last = text.data() + text.size() - 1;
  for (auto _ : state) {
    benchmark::DoNotOptimize(EngineParse(engine, text.data(), text.data(), last, &match, 0, 0));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  EngineDestroy(&engine);
}
BENCHMARK(BM_ParseFullText);

void BM_Pcre2MatchFullText(benchmark::State &state) {
  std::string text = ExaminedText();
  unsigned char tables[kCharTablesSize];
  BuildOemCharTables(tables);
  pcre2_compile_context *compile = pcre2_compile_context_create(nullptr);
  pcre2_set_character_tables(compile, tables);
  int error = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code *code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(kPattern), PCRE2_ZERO_TERMINATED,
                                   PCRE2_NEVER_UTF | PCRE2_NEVER_UCP, &error, &offset, compile);
  pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);
  pcre2_match_data *data = pcre2_match_data_create(16, nullptr);
  pcre2_match_context *context = pcre2_match_context_create(nullptr);
  pcre2_jit_stack *stack = pcre2_jit_stack_create(16 << 20, 16 << 20, nullptr);
  pcre2_jit_stack_assign(context, nullptr, stack);
  for (auto _ : state) {
    benchmark::DoNotOptimize(pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(text.data()),
                                         text.size(), 0, 0, data, context));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  pcre2_jit_stack_free(stack);
  pcre2_match_context_free(context);
  pcre2_match_data_free(data);
  pcre2_code_free(code);
  pcre2_compile_context_free(compile);
}
BENCHMARK(BM_Pcre2MatchFullText);

}  // namespace

BENCHMARK_MAIN();
