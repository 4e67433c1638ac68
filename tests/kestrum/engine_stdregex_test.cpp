// The Windows test host's engine keeps the same slot contract as the PCRE2
// engine, within ECMAScript's syntax.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "kestrum/engine.hpp"
#include "kestrum/service_table.hpp"

namespace {

using namespace kestrum;
using Span = std::pair<int, int>;
const Span kNone{-1, -1};

class StdRegexEngine : public ::testing::Test {
 protected:
  void SetUp() override { handle_ = EngineCreate(); }
  void TearDown() override { EngineDestroy(&handle_); }
  bool Set(const char *expression) { return EngineSetExpression(handle_, expression, 0, 0) != 0; }
  bool Parse(const std::string &text, size_t from = 0) {
    match_ = MatchRecord{};
    const char *p = text.data();
    return EngineParse(handle_, p, p + from, p + text.size() - 1, &match_, 0, 0) != 0;
  }
  Span Group(int i) const { return {match_.Start[i], match_.End[i]}; }

  EngineHandle handle_ = nullptr;
  MatchRecord match_{};
};

TEST_F(StdRegexEngine, FlagsAndRefusals) {
  struct Case {
    const char *expression;
    const char *text;
    bool accepted;
    Span whole;
  };
  const Case cases[] = {
      {"/abc/", "xABC", true, kNone},     {"/abc/i", "xABC", true, {1, 4}},
      {"/^b/", "a\nb", true, kNone},      {"/^b/m", "a\nb", true, {2, 3}},
      {"/a.b/", "a\nb", true, kNone},     {"/a.b/s", "a\nb", true, {0, 3}},
      {"/a b # c/x", "ab", true, {0, 2}}, {"/[ ]/x", "a b", true, {1, 2}},
      {"/a/b/", "a/b", true, {0, 3}},     {"/abc/n", "", false, kNone},
      {"/abc/U", "", false, kNone},       {"/abc", "", false, kNone},
      {"abc/", "", false, kNone},         {"/a(/", "", false, kNone},
  };
  for (const Case &c : cases) {
    ASSERT_EQ(Set(c.expression), c.accepted) << c.expression;
    if (!c.accepted) continue;
    bool found = Parse(c.text);
    EXPECT_EQ(found, c.whole != kNone) << c.expression;
    if (found) {
      EXPECT_EQ(Group(0), c.whole) << c.expression;
    }
  }
}

TEST_F(StdRegexEngine, GroupsAnchoringAndStartPosition) {
  ASSERT_TRUE(Set("/(a)(x)?(b)(y)?/"));
  ASSERT_TRUE(Parse("-ab"));
  EXPECT_EQ(match_.Count, 5);
  EXPECT_EQ(Group(1), Span(1, 2));
  EXPECT_EQ(Group(2), kNone);
  EXPECT_EQ(Group(3), Span(2, 3));
  EXPECT_EQ(Group(4), kNone);

  ASSERT_TRUE(Set("/b+/"));
  ASSERT_TRUE(EngineSetNoMoves(handle_, 1));
  EXPECT_FALSE(Parse("abb"));
  ASSERT_TRUE(Parse("abb", 1));
  EXPECT_EQ(Group(0), Span(1, 3));
  ASSERT_TRUE(EngineSetNoMoves(handle_, 0));

  // What lies before the start position still counts for \b.
  ASSERT_TRUE(Set("/\\bb/"));
  EXPECT_FALSE(Parse("abcabc", 1));
  ASSERT_TRUE(Set("/b\\0c/"));
  ASSERT_TRUE(Parse(std::string("a\0b\0c", 5)));
  EXPECT_EQ(Group(0), Span(2, 5));
}

TEST_F(StdRegexEngine, MoreThanFifteenGroupsFillSixteenEntries) {
  std::string pattern = "/";
  for (char c = 'a'; c <= 'z'; ++c) pattern += std::string("(") + c + ")";
  pattern += "/";
  ASSERT_TRUE(Set(pattern.c_str()));
  ASSERT_TRUE(Parse("-abcdefghijklmnopqrstuvwxyz"));
  EXPECT_EQ(match_.Count, kMatchEntries);
  for (int i = 1; i < kMatchEntries; ++i) EXPECT_EQ(Group(i), Span(i, i + 1)) << i;
}

struct ParseCall {
  EngineHandle handle;
  const char *text;
  MatchRecord match;
};

DWORD WINAPI CallParse(LPVOID arg) {
  auto *call = static_cast<ParseCall *>(arg);
  const char *last = call->text + std::strlen(call->text) - 1;
  return DWORD(EngineParse(call->handle, call->text, call->text, last, &call->match, 0, 0));
}

// A runaway on request: (*SPIN) spins until the thread is stopped by force,
// which leaves the heap and the handle usable; the rest of the pattern must
// still compile, and other verbs are ECMAScript's syntax errors.
TEST_F(StdRegexEngine, SpinsOnRequestAndIsSafeToStop) {
  EXPECT_FALSE(Set("/(*SPIN)a(/"));
  EXPECT_FALSE(Set("/(*HANG)a/"));
  EXPECT_TRUE(Set("/(*FAULT)/"));
  ASSERT_TRUE(Set("/(*SPIN)a+/"));
  ParseCall call = {handle_, "aaab", {}};
  HANDLE thread = CreateThread(nullptr, 0, CallParse, &call, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, 200), DWORD(WAIT_TIMEOUT));
  ASSERT_TRUE(TerminateThread(thread, 0));
  EXPECT_EQ(WaitForSingleObject(thread, 5000), DWORD(WAIT_OBJECT_0));
  CloseHandle(thread);

  std::string grown(1 << 20, 'x');  // the heap is not left locked
  ASSERT_TRUE(Set("/a+/"));
  ASSERT_TRUE(Parse("baab"));
  EXPECT_EQ(Group(0), Span(1, 3));
}

TEST(StdRegexEngineSlots, KestrumTableReachesTheEngine) {
  const EngineTable *table = KestrumServiceTable();
  EngineHandle handle = table->CreateEngine();
  ASSERT_NE(handle, nullptr);
  ASSERT_NE(table->SetExpression(handle, "/B/i", 0, 0), 0);
  const char text[] = "abc\n";
  MatchRecord m{};
  ASSERT_NE(table->Parse(handle, text, text, text + 3, &m, 0, 0), 0);
  EXPECT_EQ(m.Start[0], 1);
  table->DestroyEngine(&handle);
  EXPECT_EQ(handle, nullptr);
}

}  // namespace
