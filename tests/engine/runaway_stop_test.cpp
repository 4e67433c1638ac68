// Runaway searches stopped the way the watchdog stops them: each on a worker
// thread under the fault guard, waited for briefly, then terminated. The same
// handle then matches as before, and the process holds what it held.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
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

DWORD WINAPI SearchWorker(LPVOID parameter) {
  auto *s = static_cast<Search *>(parameter);
  s->state.store(1);
  int found = 0;
  if (WinportRunGuarded(Parse, s, &found)) {
    s->state.store(2);
    return static_cast<DWORD>(found);
  }
  s->state.store(3);
  for (;;) Sleep(1);
}

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

}  // namespace
