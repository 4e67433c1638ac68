// Runaway searches stopped the way the watchdog stops them: each on a worker
// thread under the fault guard, waited for briefly, then terminated. The same
// handle then matches as before, and the process holds what it held. And
// compiles stopped part-way: they leave no lock held and nothing leaked.
#include <gtest/gtest.h>
#include <windows.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "kestrum/engine.hpp"
#include "kestrum/service_table.hpp"
#include "support/process_use.hpp"

namespace {

struct Search {
  const EngineTable *table;
  EngineHandle engine;
  const std::string *text;
  MatchRecord match{};
  std::atomic<int> state{0};  // 1 searching, 2 returned, 3 faulted
};

int Parse(void *argument) {
  auto *s = static_cast<Search *>(argument);
  const char *p = s->text->data();
  return s->table->Parse(s->engine, p, p, p + s->text->size() - 1, &s->match, 0, 0);
}

int SetExpression(void *argument) {
  auto *s = static_cast<Search *>(argument);
  return s->table->SetExpression(s->engine, s->text->c_str(), 0, 0);
}

// The watchdog's worker around `call`.
template <int (*call)(void *)>
DWORD WINAPI Guarded(LPVOID parameter) {
  auto *s = static_cast<Search *>(parameter);
  s->state.store(1);
  int result = 0;
  if (WinportRunGuarded(call, s, &result)) {
    s->state.store(2);
    return static_cast<DWORD>(result);
  }
  s->state.store(3);
  for (;;) Sleep(1);
}
constexpr LPTHREAD_START_ROUTINE SearchWorker = Guarded<Parse>;
constexpr LPTHREAD_START_ROUTINE CompileWorker = Guarded<SetExpression>;

class RunawayStop : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_ = table_->CreateEngine();
    ASSERT_NE(engine_, nullptr);
  }
  void TearDown() override { table_->DestroyEngine(&engine_); }

  // A catastrophic search stopped after a short wait, then an ordinary one.
  void StopThenMatch(int i) {
    // The compiled code and the interpreter in turn.
    kestrum::EngineForceInterpreter(engine_, i % 2 == 1);
    ASSERT_NE(table_->SetExpression(engine_, "/(a+)+$/", 0, 0), 0);
    ASSERT_NE(table_->SetNoMoves(engine_, 0), 0);
    Search runaway{table_, engine_, &text_};
    HANDLE h = CreateThread(nullptr, 0, SearchWorker, &runaway, 0, nullptr);
    ASSERT_NE(h, nullptr);
    for (int wait = 0; wait < 5000 && runaway.state.load() == 0; ++wait) Sleep(1);
    ASSERT_EQ(WaitForSingleObject(h, 5), WAIT_TIMEOUT) << i;
    ASSERT_EQ(runaway.state.load(), 1) << i;
    ASSERT_TRUE(TerminateThread(h, 7));
    ASSERT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0) << i;
    DWORD code = 0;
    GetExitCodeThread(h, &code);
    ASSERT_EQ(code, 7u) << i;
    CloseHandle(h);

    ASSERT_NE(table_->SetExpression(engine_, "/(a+)(b)/", 0, 0), 0);
    ASSERT_NE(table_->SetNoMoves(engine_, 0), 0);
    Search ordinary{table_, engine_, &text_};
    h = CreateThread(nullptr, 0, SearchWorker, &ordinary, 0, nullptr);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0) << i;
    GetExitCodeThread(h, &code);
    CloseHandle(h);
    ASSERT_EQ(code, 1u) << i;
    const MatchRecord &m = ordinary.match;
    ASSERT_EQ(m.Count, 3) << i;
    EXPECT_EQ(m.Start[0], 0);
    EXPECT_EQ(m.End[0], kRun + 1);
    EXPECT_EQ(m.Start[1], 0);
    EXPECT_EQ(m.End[1], kRun);
    EXPECT_EQ(m.Start[2], kRun);
    EXPECT_EQ(m.End[2], kRun + 1);
    EXPECT_EQ(m.Start[3], -1);
  }

  static constexpr int kRun = 4000;
  const EngineTable *table_ = KestrumServiceTable();
  EngineHandle engine_ = nullptr;
  const std::string text_ = std::string(kRun, 'a') + "b\n";
};

TEST_F(RunawayStop, AHundredStopsLeaveTheEngineAndTheProcessAsTheyWere) {
  for (int i = 0; i < 2; ++i) StopThenMatch(i);
  ProcessUse before = MeasureProcessUse();
  for (int i = 0; i < 100 && !HasFatalFailure(); ++i) StopThenMatch(i);
  ProcessUse after = MeasureSettled(before, 0, 2.0);
  EXPECT_EQ(after.threads, before.threads) << Describe(before) << " / " << Describe(after);
  EXPECT_EQ(after.handles, before.handles) << Describe(before) << " / " << Describe(after);
  EXPECT_EQ(after.stacks, before.stacks) << Describe(before) << " / " << Describe(after);
  EXPECT_LT(MemoryGrowthKiB(before, after), 1024) << Describe(before) << " / " << Describe(after);
}

double Microseconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - since)
      .count();
}

// SetExpression on a worker, as the watchdog runs it; stopped `stopAfter`
// microseconds into the call (never when negative). Whether the stop landed
// inside the call.
bool SetOnWorker(const EngineTable *table, EngineHandle engine, const std::string &expression,
                 double stopAfter) {
  Search call{table, engine, &expression};
  HANDLE h = CreateThread(nullptr, 0, CompileWorker, &call, 0, nullptr);
  EXPECT_NE(h, nullptr);
  if (stopAfter >= 0) {
    while (call.state.load() == 0) {
    }
    for (auto begun = std::chrono::steady_clock::now(); Microseconds(begun) < stopAfter;) {
    }
    EXPECT_TRUE(TerminateThread(h, 7));
  }
  EXPECT_EQ(WaitForSingleObject(h, 10000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(h, &code);
  CloseHandle(h);
  return code == 7 && call.state.load() == 1;
}

TEST_F(RunawayStop, CompilesStoppedPartWayLeaveNoLockHeld) {
  // A lock left held hangs the heap or the memory for machine code on this
  // thread: the alarm ends the test then.
  struct Alarm {
    Alarm() { alarm(300); }
    ~Alarm() { alarm(0); }
  } limit;
  // 600 named groups: a compile long enough to be stopped at many points.
  std::string expression = "/";
  for (int i = 0; i < 600; ++i)
    expression += (i ? "|(?<g" : "(?<g") + std::to_string(i) + ">\\d{2,5}[a-z]+(?:x|yy)*)";
  expression += "/i";
  double compile = 1e9;  // the quickest of a few
  for (int i = 0; i < 5; ++i) {
    const auto start = std::chrono::steady_clock::now();
    ASSERT_NE(table_->SetExpression(engine_, expression.c_str(), 0, 0), 0);
    compile = std::min(compile, Microseconds(start));
  }
  // Each stop follows an expression set as the tester sets it (compiled on
  // a worker, then to machine code here), which the next SetNoMoves frees.
  int inside = 0, stops = 0;
  for (; inside < 50 && stops < 1000 && !HasFailure(); ++stops) {
    SetOnWorker(table_, engine_, "/(a+)(b)|x" + std::to_string(stops) + "/", -1);
    ASSERT_NE(table_->SetNoMoves(engine_, stops % 2), 0) << stops;
    inside += SetOnWorker(table_, engine_, expression, compile * (stops % 97) / 97);
    ASSERT_NE(table_->SetNoMoves(engine_, stops % 2), 0) << stops;
  }
  std::printf("%d of %d stops landed inside a compile of %.0f us\n", inside, stops, compile);
  EXPECT_EQ(inside, 50);
  // Every stopped worker ended; the heap and machine code answer here.
  EXPECT_EQ(WinportStrandedThreads(), 0);
  std::unique_ptr<char[]> block(new char[1 << 20]);
  block[0] = 1;
  ASSERT_NE(table_->SetExpression(engine_, "/(a+)(b)/", 0, 0), 0);
  ASSERT_NE(table_->SetNoMoves(engine_, 0), 0);
  EXPECT_TRUE(kestrum::EngineUsesJit(engine_));
  MatchRecord match{};
  const char *p = text_.data();
  ASSERT_NE(table_->Parse(engine_, p, p, p + text_.size() - 1, &match, 0, 0), 0);
  EXPECT_EQ(match.End[0], kRun + 1);
}

}  // namespace
