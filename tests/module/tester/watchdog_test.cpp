// The watchdog against an engine that hangs or faults on request: results
// pass through, stops are reported in a box and appended to the log beside
// the module, and the examined text comes back whole.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "host/host_state.hpp"
#include "tester/match_state.hpp"
#include "tester/watchdog.hpp"

#ifndef _WIN32
#include <sched.h>

#include <cstdlib>
#endif

namespace {

namespace fs = std::filesystem;

#ifndef _WIN32
// PARDUNE_ONE_CPU=1 pins the process to one processor before any test runs,
// as on a machine with one core: a wait may not spin the worker out.
const bool gPinned = [] {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (!std::getenv("PARDUNE_ONE_CPU") || sched_getaffinity(0, sizeof set, &set) != 0) return false;
  int first = 0;
  while (!CPU_ISSET(first, &set)) ++first;
  CPU_ZERO(&set);
  CPU_SET(first, &set);
  return sched_setaffinity(0, sizeof set, &set) == 0;
}();

TEST(OneProcessor, PinnedWhenAskedFor) {
  if (!std::getenv("PARDUNE_ONE_CPU")) GTEST_SKIP() << "PARDUNE_ONE_CPU is not set";
  EXPECT_TRUE(gPinned);
}
#endif

#define NO_SANITIZE __attribute__((noinline, no_sanitize("address", "undefined")))

volatile int *volatile gNull = nullptr;
std::atomic<int> gCalls{0};

// "hang" spins for ever, "fault" reads address 0, anything else matches its
// first character.
NO_SANITIZE int Behave(const char *text) {
  gCalls++;
  if (std::strstr(text, "hang")) {
    for (;;) gCalls.load();
  }
  if (std::strstr(text, "fault")) return *gNull;
  return 1;
}

int WINAPI TestSetExpression(EngineHandle, const char *expression, int, int) {
  return Behave(expression);
}

int WINAPI TestParse(EngineHandle, const char *text, const char *, const char *, MatchRecord *match,
                     int, int) {
  int r = Behave(text);
  match->Start[0] = 0;
  match->End[0] = 1;
  match->Count = 1;
  return r;
}

struct Box {
  DWORD flags;
  std::string text;
};
std::vector<Box> gBoxes;

int WINAPI RecordMessage(int, DWORD flags, const char *, const char *const *items, int, int) {
  gBoxes.push_back({flags, reinterpret_cast<const char *>(items)});
  return 0;
}

std::string ReadBinary(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class Watchdog : public testing::Test {
 protected:
  void SetUp() override {
    // Test programs may run side by side: a folder of this run's own.
    dir_ = fs::temp_directory_path() /
           ("pardune-watchdog-" + std::to_string(std::random_device()()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    SetDirectory(dir_.string());
    info_ = {};
    info_.Message = RecordMessage;
    table_ = {};
    table_.SetExpression = TestSetExpression;
    table_.Parse = TestParse;
    Host.HostInfo = &info_;
    Host.EngineTable = &table_;
    Host.ModuleDirectory = directory_;
    // Calls that answer get all the time a slow machine needs; those meant
    // to be stopped are given a short wait (Stopped).
    WatchdogTimeout = 20000;
    gBoxes.clear();
    std::strcpy(TheMatchState.expression, "/x/");
  }
  void TearDown() override {
    Host.HostInfo = nullptr;
    Host.EngineTable = nullptr;
    Host.ModuleDirectory = nullptr;
    WatchdogTimeout = 2000;
    fs::remove_all(dir_);
  }
  void SetDirectory(const std::string &path) {
    std::strncpy(directory_, path.c_str(), sizeof directory_ - 1);
  }
  std::string Log() { return ReadBinary(dir_ / "RegExp_bug.txt"); }
  template <typename Call>
  static int Stopped(Call call) {
    WatchdogTimeout = 100;
    int result = call();
    WatchdogTimeout = 20000;
    return result;
  }

  fs::path dir_;
  char directory_[262] = {};
  PluginStartupInfo info_;
  EngineTable table_;
};

#ifdef _WIN32
const char *const kNewLine = "\r\n";  // the log is written in text mode
#else
const char *const kNewLine = "\n";
#endif

std::string AsLogged(const std::string &report) {
  std::string logged = std::string(80, '-') + kNewLine;
  for (char c : report) logged += c == '\n' ? std::string(kNewLine) : std::string(1, c);
  return logged;
}

TEST_F(Watchdog, ResultsPassThroughWithoutAWord) {
  MatchRecord match = {};
  char text[] = "abc\n";
  EXPECT_EQ(GuardedSetExpression("/abc/"), 1);
  EXPECT_EQ(GuardedParse(text, text + 3, &match), 1);
  EXPECT_EQ(match.End[0], 1);
  EXPECT_TRUE(gBoxes.empty());
  EXPECT_FALSE(fs::exists(dir_ / "RegExp_bug.txt"));
}

TEST_F(Watchdog, HangsAndFaultsAreStoppedReportedAndLoggedInOrder) {
  TheMatchState.ExpressionReady = true;
  EXPECT_EQ(Stopped([] { return GuardedSetExpression("/hang/"); }), 0);
  EXPECT_FALSE(TheMatchState.ExpressionReady);

  char text[] = "a fault here\nnext line\n";
  const std::string before = text;
  MatchRecord match = {};
  TheMatchState.ExpressionReady = true;
  EXPECT_EQ(Stopped([&] { return GuardedParse(text + 2, text + sizeof text - 2, &match); }), 0);
  EXPECT_FALSE(TheMatchState.ExpressionReady);
  EXPECT_EQ(std::string(text), before);  // the line feed is back

  const std::string setReport =
      "Parser hungs up at: Set expression...\nExpression:\n  [/hang/]\n\n";
  const std::string parseReport =
      "Parser hungs up at Parse expression...\nExpression:\n  [/x/]\n"
      "Examined text:\n  [fault here]\n\n";
  ASSERT_EQ(gBoxes.size(), 2u);
  EXPECT_EQ(gBoxes[0].flags, 0x10031u);
  EXPECT_EQ(gBoxes[0].text, setReport);
  EXPECT_EQ(gBoxes[1].text, parseReport);
  EXPECT_EQ(Log(), AsLogged(setReport) + AsLogged(parseReport));

  // The next call answers as before.
  EXPECT_EQ(GuardedSetExpression("/ok/"), 1);
  EXPECT_EQ(gBoxes.size(), 2u);
}

TEST_F(Watchdog, ALogThatCannotBeOpenedIsSkipped) {
  SetDirectory((dir_ / "no such folder").string());
  EXPECT_EQ(Stopped([] { return GuardedSetExpression("/hang/"); }), 0);
  EXPECT_EQ(gBoxes.size(), 1u);
  EXPECT_FALSE(fs::exists(dir_ / "no such folder"));
  // Without a directory the log would land at the root: it is not written.
  directory_[0] = '\0';
  EXPECT_EQ(Stopped([] { return GuardedSetExpression("/hang/"); }), 0);
  EXPECT_EQ(gBoxes.size(), 2u);
}

#ifndef _WIN32
// A directory name of 260 characters is held whole in the log's path.
TEST_F(Watchdog, ALongModuleDirectoryHoldsTheLog) {
  std::string deep = dir_.string();
  while (deep.size() < 260) deep += "/" + std::string(std::min<size_t>(60, 259 - deep.size()), 'd');
  ASSERT_EQ(deep.size(), 260u);
  fs::create_directories(deep);
  SetDirectory(deep);
  EXPECT_EQ(Stopped([] { return GuardedSetExpression("/hang/"); }), 0);
  EXPECT_TRUE(fs::exists(deep + "/RegExp_bug.txt"));
}
#endif

}  // namespace
