// The watchdog's forced stops in a row, through the module's own guarded
// calls: a set expression or a search that spins or faults, stopped each
// time, reported in a box and in the log, then a call that must answer.
// Afterwards the process holds what it held before.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "host/host_state.hpp"
#include "support/process_use.hpp"
#include "tester/match_state.hpp"
#include "tester/watchdog.hpp"

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
// Every stop ends a real thread there, which wine makes slow.
constexpr int kStops = 60;
const char *const kNewLine = "\r\n";  // the log is written in text mode
#else
constexpr int kStops = 1000;
const char *const kNewLine = "\n";
#endif
// The wait for a call that is known to misbehave, and for one that answers:
// a busy machine must not turn the answer into a stop.
constexpr DWORD kStopWait = 3;
constexpr DWORD kAnswerWait = 10000;
// A stop that lands before the engine was entered is reported like any
// other but does not count; this many of them in a row fail the test.
constexpr int kMaxEarlyStops = 100;

#define NO_SANITIZE __attribute__((noinline, no_sanitize("address", "undefined")))

volatile int *volatile gNull = nullptr;
std::atomic<int> gEntered{0};

// "spin" spins for ever, "fault" reads address 0.
NO_SANITIZE void Misbehave(const char *text) {
  if (std::strstr(text, "spin")) {
    gEntered++;
    for (;;) gEntered.load();
  }
  if (std::strstr(text, "fault")) {
    gEntered++;
    (void)*gNull;
  }
}

// Otherwise: the expression's length.
int WINAPI SoakSetExpression(EngineHandle, const char *expression, int, int) {
  Misbehave(expression);
  return static_cast<int>(std::strlen(expression));
}

// Otherwise: the first 'x' up to the last character.
int WINAPI SoakParse(EngineHandle, const char *text, const char *, const char *last,
                     MatchRecord *match, int, int) {
  Misbehave(text);
  for (const char *p = text; p <= last; ++p) {
    if (*p != 'x') continue;
    match->Start[0] = static_cast<int>(p - text);
    match->End[0] = match->Start[0] + 1;
    match->Count = 1;
    return 1;
  }
  match->Count = 0;
  return 0;
}

// Only the count and the last box: the record itself must not grow.
int gBoxes = 0;
DWORD gLastFlags = 0;
char gLastBox[4096];

int WINAPI RecordMessage(int, DWORD flags, const char *, const char *const *items, int, int) {
  ++gBoxes;
  gLastFlags = flags;
  std::snprintf(gLastBox, sizeof gLastBox, "%s", reinterpret_cast<const char *>(items));
  return 0;
}

std::string AsLogged(const std::string &report) {
  std::string logged = std::string(80, '-') + kNewLine;
  for (char c : report) logged += c == '\n' ? std::string(kNewLine) : std::string(1, c);
  return logged;
}

class ForcedStopSoak : public testing::Test {
 protected:
  void SetUp() override {
    // Test programs may run side by side: a folder of this run's own.
    std::random_device random;
    dir_ = fs::temp_directory_path() /
           ("pardune-soak-" + std::to_string(random()) + "-" + std::to_string(random()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    std::snprintf(directory_, sizeof directory_, "%s", dir_.string().c_str());
    info_.Message = RecordMessage;
    table_.SetExpression = SoakSetExpression;
    table_.Parse = SoakParse;
    Host.HostInfo = &info_;
    Host.EngineTable = &table_;
    Host.ModuleDirectory = directory_;
  }
  void TearDown() override {
    Host.HostInfo = nullptr;
    Host.EngineTable = nullptr;
    Host.ModuleDirectory = nullptr;
    WatchdogTimeout = 2000;
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // What the log gained since the last call.
  std::string NewLogEntries() {
    std::ifstream in(dir_ / "RegExp_bug.txt", std::ios::binary);
    in.seekg(static_cast<std::streamoff>(logRead_));
    std::ostringstream text;
    text << in.rdbuf();
    logRead_ += text.str().size();
    return text.str();
  }

  // One stopped call, kinds in turn: a set expression that spins, a search
  // that faults, a search that spins, a set expression that faults. Whether
  // the engine had been entered when the stop came.
  bool Stop(int i) {
    const bool search = i % 4 == 1 || i % 4 == 2;
    const char *how = i % 2 == 0 ? "spin" : "fault";
    const int enteredBefore = gEntered.load();
    const int boxesBefore = gBoxes;
    std::string report;
    TheMatchState.ExpressionReady = true;
    WatchdogTimeout = kStopWait;
    if (search) {
      std::snprintf(TheMatchState.expression, sizeof TheMatchState.expression, "/soak %d/", i);
      char text[64];
      int length = std::snprintf(text, sizeof text, "a %s %d\nnext line x\n", how, i);
      const std::string before = text;
      MatchRecord match = {};
      EXPECT_EQ(GuardedParse(text + 2, text + length - 1, &match), 0) << i;
      EXPECT_EQ(std::string(text), before) << i;  // the line feed is back
      report = std::string("Parser hungs up at Parse expression...\nExpression:\n  [/soak ") +
               std::to_string(i) + "/]\nExamined text:\n  [" + how + " " + std::to_string(i) +
               "]\n\n";
    } else {
      const std::string expression = std::string("/") + how + " " + std::to_string(i) + "/";
      EXPECT_EQ(GuardedSetExpression(expression.c_str()), 0) << i;
      report = "Parser hungs up at: Set expression...\nExpression:\n  [" + expression + "]\n\n";
    }
    WatchdogTimeout = kAnswerWait;
    EXPECT_FALSE(TheMatchState.ExpressionReady) << i;
    EXPECT_EQ(gBoxes, boxesBefore + 1) << i;
    EXPECT_EQ(gLastFlags, 0x10031u) << i;
    EXPECT_EQ(std::string(gLastBox), report) << i;
    EXPECT_EQ(NewLogEntries(), AsLogged(report)) << i;
    return gEntered.load() != enteredBefore;
  }

  // The call after a stop answers, without a word.
  void Answer(int i) {
    const int boxesBefore = gBoxes;
    if (i % 2 == 0) {
      const std::string expression = "/answer " + std::to_string(i) + "/";
      EXPECT_EQ(GuardedSetExpression(expression.c_str()), static_cast<int>(expression.size())) << i;
    } else {
      std::string text = std::string(static_cast<size_t>(i % 37), '.') + "x\n";
      MatchRecord match = {};
      EXPECT_EQ(GuardedParse(text.c_str(), text.c_str() + text.size() - 1, &match), 1) << i;
      EXPECT_EQ(match.Count, 1) << i;
      EXPECT_EQ(match.Start[0], i % 37) << i;
      EXPECT_EQ(match.End[0], i % 37 + 1) << i;
    }
    EXPECT_EQ(gBoxes, boxesBefore) << i;
    EXPECT_TRUE(NewLogEntries().empty()) << i;
  }

  void StopAndAnswer(int i) {
    int early = 0;
    while (!Stop(i) && !HasFailure()) ASSERT_LT(++early, kMaxEarlyStops) << i;
    earlyStops_ += early;
    Answer(i);
  }

  fs::path dir_;
  char directory_[262] = {};
  PluginStartupInfo info_ = {};
  EngineTable table_ = {};
  size_t logRead_ = 0;
  int earlyStops_ = 0;
};

TEST_F(ForcedStopSoak, StopsInARowAreReportedAndLeaveNoTrace) {
  // Heap, stack caches, the fault handlers and the log are set up first.
  for (int i = 0; i < 4; ++i) StopAndAnswer(i);
  earlyStops_ = 0;
  ProcessUse before = MeasureProcessUse();
  ASSERT_GT(before.threads, 0);
  ASSERT_GT(before.handles, 0);
  const int boxesBefore = gBoxes;
  for (int i = 0; i < kStops && !HasFailure(); ++i) StopAndAnswer(i);
  ASSERT_FALSE(HasFailure());
  EXPECT_EQ(gBoxes - boxesBefore, kStops + earlyStops_);
  ProcessUse after = MeasureSettled(before, 0, 2.0);
  std::string change = Describe(before) + " / " + Describe(after);
  std::printf("%d stops (%d more landed before the engine was entered): %s\n", kStops, earlyStops_,
              change.c_str());
  EXPECT_EQ(after.threads, before.threads) << change;
  EXPECT_EQ(after.handles, before.handles) << change;
  if (UnderWine()) return;  // wine keeps the stack of every stopped thread
  EXPECT_EQ(after.stacks, before.stacks) << change;
  EXPECT_LT(MemoryGrowthKiB(before, after), 1024) << change;
}

}  // namespace
