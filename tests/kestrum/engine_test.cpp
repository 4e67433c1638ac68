#include "kestrum/engine.hpp"
#include "kestrum/service_table.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace kestrum;

// One engine per test, made for a chosen OEM code page.
class Engine : public ::testing::Test {
 protected:
  void SetUp() override { Make(437); }
  void TearDown() override { EngineDestroy(&handle_); }

  void Make(UINT codePage) {
    if (handle_ != nullptr) EngineDestroy(&handle_);
    ASSERT_TRUE(WinportSetOemCodePage(codePage));
    handle_ = EngineCreate();
    ASSERT_NE(handle_, nullptr);
  }

  // As the tester sets an expression: then the mode, on the caller's thread.
  bool Set(const char *expression) {
    return EngineSetExpression(handle_, expression, 0, 0) != 0 &&
           EngineSetNoMoves(handle_, noMoves_) != 0;
  }

  // Searches the whole of `text` from `from`.
  bool Parse(const std::string &text, size_t from = 0) {
    match_ = MatchRecord{};
    const char *p = text.data();
    return EngineParse(handle_, p, p + from, p + text.size() - 1, &match_, 0, 0) != 0;
  }

  std::pair<int, int> Group(int i) const { return {match_.Start[i], match_.End[i]}; }

  EngineHandle handle_ = nullptr;
  MatchRecord match_{};
  int noMoves_ = 0;
};

using Span = std::pair<int, int>;
const Span kUnset{-1, -1};

TEST_F(Engine, AcceptsSlashedExpressionsAndRefusesTheRest) {
  struct Case {
    const char *expression;
    bool accepted;
  };
  const Case cases[] = {
      {"/abc/", true},     {"/abc/i", true},    {"/abc/imsxnU", true}, {"/abc/ii", true},
      {"//", true},        {"/a/b/", true},     {"/abc/q", false},     {"/abc/I", false},
      {"/abc/ i", false},  {"/abc", false},     {"/", false},          {"", false},
      {"abc", false},      {"abc/", false},     {"/a(/", false},       {"/[a/", false},
      {"/a{2,1}/", false}, {"/(?<n>a)/", true},
  };
  for (const Case &c : cases) EXPECT_EQ(Set(c.expression), c.accepted) << c.expression;
  EXPECT_EQ(EngineSetExpression(handle_, nullptr, 0, 0), 0);
}

TEST_F(Engine, PatternRunsToTheLastSlash) {
  ASSERT_TRUE(Set("/a/b/"));
  ASSERT_TRUE(Parse("xa/b"));
  EXPECT_EQ(Group(0), Span(1, 4));
}

TEST_F(Engine, FlagsChangeTheMatch) {
  struct Case {
    const char *expression;
    const char *text;
    Span whole;  // {-1, -1}: no match
    int count;
  };
  const Case cases[] = {
      {"/abc/", "xABC", kUnset, 0},          {"/abc/i", "xABC", {1, 4}, 1},
      {"/^b/", "a\nb", kUnset, 0},           {"/^b/m", "a\nb", {2, 3}, 1},
      {"/a.b/", "a\nb", kUnset, 0},          {"/a.b/s", "a\nb", {0, 3}, 1},
      {"/a b # comment/x", "ab", {0, 2}, 1}, {"/a b/", "ab", kUnset, 0},
      {"/(a)(b)/", "ab", {0, 2}, 3},         {"/(a)(b)/n", "ab", {0, 2}, 1},
      {"/(?<x>a)(b)/n", "ab", {0, 2}, 2},    {"/a+/", "aaa", {0, 3}, 1},
      {"/a+/U", "aaa", {0, 1}, 1},           {"/a+?/U", "aaa", {0, 3}, 1},
  };
  for (const Case &c : cases) {
    ASSERT_TRUE(Set(c.expression)) << c.expression;
    bool found = Parse(c.text);
    EXPECT_EQ(found, c.whole != kUnset) << c.expression;
    if (found) {
      EXPECT_EQ(Group(0), c.whole) << c.expression;
      EXPECT_EQ(match_.Count, c.count) << c.expression;
    }
  }
}

TEST_F(Engine, NoMovesAnchorsTheSearchAtItsStart) {
  ASSERT_TRUE(Set("/b+/"));
  ASSERT_TRUE(Parse("abb"));
  EXPECT_EQ(Group(0), Span(1, 3));
  ASSERT_TRUE(EngineSetNoMoves(handle_, 1));
  EXPECT_FALSE(Parse("abb"));
  ASSERT_TRUE(Parse("abb", 1));
  EXPECT_EQ(Group(0), Span(1, 3));
  ASSERT_TRUE(Parse("abb", 2));
  EXPECT_EQ(Group(0), Span(2, 3));
  ASSERT_TRUE(EngineSetNoMoves(handle_, 0));
  ASSERT_TRUE(Parse("abb"));
  EXPECT_EQ(Group(0), Span(1, 3));
  EXPECT_EQ(EngineSetNoMoves(nullptr, 1), 0);
}

TEST_F(Engine, NoMovesKeepsMachineCode) {
  ASSERT_TRUE(Set("/x[a-z]+y/"));
  ASSERT_TRUE(EngineSetNoMoves(handle_, 1));
  EXPECT_TRUE(EngineUsesJit(handle_));
  ASSERT_TRUE(Parse("xaby"));
  EXPECT_EQ(Group(0), Span(0, 4));
  // The same expression set again keeps it; a new one set alone interprets
  // (the machine code is made by SetNoMoves), with the same result.
  ASSERT_TRUE(EngineSetExpression(handle_, "/x[a-z]+y/", 0, 0));
  EXPECT_TRUE(EngineUsesJit(handle_));
  ASSERT_TRUE(EngineSetExpression(handle_, "/x[a-z]+y/i", 0, 0));
  EXPECT_FALSE(EngineUsesJit(handle_));
  ASSERT_TRUE(Parse("xaBy"));
  EXPECT_EQ(Group(0), Span(0, 4));
  EXPECT_FALSE(Parse("axaby"));
  EXPECT_TRUE(Set("/x[a-z]+y/i"));
  EXPECT_TRUE(EngineUsesJit(handle_));
  EXPECT_FALSE(Set("/x[a-z]+y/q"));  // refused, and the old one gone
  EXPECT_FALSE(Parse("xaby"));
}

// Machine code and interpreter agree, anchored and not, from every start,
// on patterns whose backtracking verbs move the next try's start: anchored,
// (*SKIP) may not move it, and the search fails there.
TEST_F(Engine, BacktrackingVerbsMatchAsTheInterpreterDoes) {
  const char *const expressions[] = {"/aaaaa(*SKIP)b|a+c/",
                                     "/aaaaa(*PRUNE)(*SKIP)b|a+c/",
                                     "/aaaaa(*THEN)(*SKIP)b|a+c/",
                                     "/aaaaa(*COMMIT)(*SKIP)b|a+c/",
                                     "/aa(*MARK:m)aaa(*SKIP:m)b|a+c/",
                                     "/(a+)(*SKIP)(b)|(a)c/",
                                     "/a(*PRUNE)b|a+c/",
                                     "/a\\Ka*c/"};
  const std::string text = "xaaaaaacaab aaaaaab aac";
  for (noMoves_ = 0; noMoves_ < 2; ++noMoves_) {
    for (const char *expression : expressions) {
      ASSERT_TRUE(Set(expression)) << expression;
      if (!EngineUsesJit(handle_)) GTEST_SKIP() << "no machine code on this platform";
      for (size_t from = 0; from <= text.size(); ++from) {
        MatchRecord byCode{}, byInterpreter{};
        for (MatchRecord *record : {&byCode, &byInterpreter}) {
          EngineForceInterpreter(handle_, record == &byInterpreter);
          Parse(text, from);
          *record = match_;
        }
        EXPECT_EQ(std::memcmp(&byCode, &byInterpreter, sizeof byCode), 0)
            << expression << " from " << from << (noMoves_ ? ", anchored" : "");
      }
      EngineForceInterpreter(handle_, false);
    }
  }
  // Anchored, position by position as the tester searches: aaaac at 2.
  noMoves_ = 1;
  ASSERT_TRUE(Set("/aaaaa(*SKIP)b|a+c/"));
  EXPECT_FALSE(Parse("aaaaaac", 0));
  EXPECT_FALSE(Parse("aaaaaac", 1));
  ASSERT_TRUE(Parse("aaaaaac", 2));
  EXPECT_EQ(Group(0), Span(2, 7));
  // A match that \K starts later still began at the start.
  ASSERT_TRUE(Set("/a\\Ka*c/"));
  ASSERT_TRUE(Parse("aaaaaac", 0));
  EXPECT_EQ(Group(0), Span(1, 7));
}

TEST_F(Engine, UnsetMiddleAndTrailingGroupsAreMinusOne) {
  ASSERT_TRUE(Set("/(a)(x)?(b)(y)?(z)?/"));
  ASSERT_TRUE(Parse("-ab-"));
  EXPECT_EQ(match_.Count, 6);
  const Span expected[] = {{1, 3}, {1, 2}, kUnset, {2, 3}, kUnset, kUnset};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Group(i), expected[i]) << i;
  for (int i = 6; i < kMatchEntries; ++i) EXPECT_EQ(Group(i), kUnset) << i;
}

TEST_F(Engine, ResetStartAndLookaheadGroups) {
  ASSERT_TRUE(Set("/ab\\Kcd/"));
  ASSERT_TRUE(Parse("xabcd"));
  EXPECT_EQ(Group(0), Span(3, 5));

  // A group inside a lookahead lies outside the whole match.
  ASSERT_TRUE(Set("/a(?=(bc))/"));
  ASSERT_TRUE(Parse("xabc"));
  EXPECT_EQ(match_.Count, 2);
  EXPECT_EQ(Group(0), Span(1, 2));
  EXPECT_EQ(Group(1), Span(2, 4));
}

TEST_F(Engine, MoreThanFifteenGroupsFillSixteenEntries) {
  std::string pattern = "/";
  for (char c = 'a'; c <= 'z'; ++c) pattern += std::string("(") + c + ")";
  pattern += "/";
  ASSERT_TRUE(Set(pattern.c_str()));
  ASSERT_TRUE(Parse("-abcdefghijklmnopqrstuvwxyz"));
  EXPECT_EQ(match_.Count, kMatchEntries);
  EXPECT_EQ(Group(0), Span(1, 27));
  for (int i = 1; i < kMatchEntries; ++i) EXPECT_EQ(Group(i), Span(i, i + 1)) << i;
}

TEST_F(Engine, TextWithNulBytes) {
  const std::string text("a\0b\0c", 5);
  ASSERT_TRUE(Set("/b\\0c/"));
  ASSERT_TRUE(Parse(text));
  EXPECT_EQ(Group(0), Span(2, 5));
  ASSERT_TRUE(Set("/c$/"));
  ASSERT_TRUE(Parse(text));
  EXPECT_EQ(Group(0), Span(4, 5));
}

TEST_F(Engine, SearchFromInsideTheTextCountsFromItsStart) {
  const std::string text = "abcabc";
  ASSERT_TRUE(Set("/abc/"));
  ASSERT_TRUE(Parse(text, 1));
  EXPECT_EQ(Group(0), Span(3, 6));
  // What lies before the start still counts for look-behind and \b.
  ASSERT_TRUE(Set("/(?<=a)b/"));
  ASSERT_TRUE(Parse(text, 1));
  EXPECT_EQ(Group(0), Span(1, 2));
  ASSERT_TRUE(Set("/\\bb/"));
  EXPECT_FALSE(Parse(text, 1));
  ASSERT_TRUE(Set("/^b/"));
  EXPECT_FALSE(Parse(text, 1));
  ASSERT_TRUE(Set("/$/"));
  ASSERT_TRUE(Parse(text, 6));
  EXPECT_EQ(Group(0), Span(6, 6));
}

TEST_F(Engine, BadCallsFindNothing) {
  MatchRecord m{};
  const char *text = "abc";
  EXPECT_EQ(EngineParse(handle_, text, text, text + 2, &m, 0, 0), 0);  // no expression yet
  ASSERT_TRUE(Set("/b/"));
  EXPECT_EQ(EngineParse(handle_, text, text, text + 2, nullptr, 0, 0), 0);
  EXPECT_EQ(EngineParse(handle_, text, text + 4, text + 2, &m, 0, 0), 0);
  EXPECT_EQ(EngineParse(handle_, text + 1, text, text + 2, &m, 0, 0), 0);
  EXPECT_EQ(EngineParse(nullptr, text, text, text + 2, &m, 0, 0), 0);
  EXPECT_NE(EngineParse(handle_, text, text, text + 2, &m, 0, 0), 0);
  // A refused expression leaves none behind.
  EXPECT_FALSE(Set("/b/q"));
  EXPECT_EQ(EngineParse(handle_, text, text, text + 2, &m, 0, 0), 0);
}

TEST_F(Engine, EmptyText) {
  ASSERT_TRUE(Set("/^$/"));
  const char *text = "x";
  MatchRecord m{};
  ASSERT_NE(EngineParse(handle_, text, text, text - 1, &m, 0, 0), 0);
  EXPECT_EQ(m.Start[0], 0);
  EXPECT_EQ(m.End[0], 0);
}

TEST_F(Engine, InterpreterGivesTheSameAnswers) {
  EngineForceInterpreter(handle_, true);
  ASSERT_TRUE(Set("/(a)(x)?(b)/"));
  ASSERT_TRUE(Parse("-ab"));
  EXPECT_EQ(match_.Count, 4);
  EXPECT_EQ(Group(2), kUnset);
  EXPECT_EQ(Group(3), Span(2, 3));
  // Deep backtracking: the interpreter's frames grow inside the handle.
  ASSERT_TRUE(Set("/(?:a(b)?)*c/"));
  std::string text(50000, 'a');
  text += 'c';
  ASSERT_TRUE(Parse(text));
  EXPECT_EQ(Group(0), Span(0, 50001));
  // And again, after the frames have grown.
  ASSERT_TRUE(Parse(text, 10));
  EXPECT_EQ(Group(0), Span(10, 50001));
}

TEST_F(Engine, DeepRecursionFallsBackFromMachineCode) {
  ASSERT_TRUE(Set("/(a|b(?1))+c/"));
  std::string text(100000, 'a');
  text += 'c';
  ASSERT_TRUE(Parse(text));
  EXPECT_EQ(Group(0), Span(0, 100001));
}

struct CaseTest {
  UINT codePage;
  const char *expression;
  std::string text;
  Span whole;
};

class CodePage : public Engine, public ::testing::WithParamInterface<CaseTest> {};

TEST_P(CodePage, LettersOfTheOemCodePage) {
  const CaseTest &c = GetParam();
  Make(c.codePage);
  ASSERT_TRUE(Set(c.expression)) << c.expression;
  bool found = Parse(c.text);
  EXPECT_EQ(found, c.whole != kUnset) << c.codePage << " " << c.expression;
  if (found) {
    EXPECT_EQ(Group(0), c.whole) << c.codePage << " " << c.expression;
  }
}

// 866: А 80, Р 90, а A0, р E0, Ё F0, ё F1, box drawing C4.
// 437: Ç 80, ç 87, é 82, É 90, ä 84, Ä 8E, Σ E4, σ E5, á A0, box drawing C4.
INSTANTIATE_TEST_SUITE_P(
    Engine, CodePage,
    ::testing::Values(
        CaseTest{866, "/\x80\x90/i", "-\xA0\xE0", {1, 3}},
        CaseTest{866, "/\xA0\xE0/i", "\x80\x90", {0, 2}}, CaseTest{866, "/\xF1/i", "\xF0", {0, 1}},
        CaseTest{866, "/\x80/", "\xA0", kUnset}, CaseTest{866, "/\x80/i", "\x87", kUnset},
        CaseTest{866, "/\\w+/", "-\x80\xA0\xF1x_9-", {1, 7}},
        CaseTest{866, "/[[:upper:]]+/", "\xA0\x80\x90\xE0", {1, 3}},
        CaseTest{866, "/[[:lower:]]+/", "\x80\xA0\xE0\x90", {1, 3}},
        CaseTest{866, "/[[:alpha:]]/", "\xC4-\x8F", {2, 3}},
        CaseTest{866, "/\\b\xA0/", "\x80\xA0 \xA0", {3, 4}},
        CaseTest{866, "/[\x80-\x8F]+/i", "\xA0\xAF", {0, 2}},
        CaseTest{437, "/\x82/i", "\x90", {0, 1}}, CaseTest{437, "/\x8E/i", "-\x84", {1, 2}},
        CaseTest{437, "/\x80/i", "\xA0\x87", {1, 2}}, CaseTest{437, "/\xE4/i", "\xE5", {0, 1}},
        CaseTest{437, "/\\w+/", "\xC4\x82\x90\x87\xC4", {1, 4}},
        CaseTest{437, "/\\W/", "\x82\xC4", {1, 2}},
        CaseTest{437, "/[[:upper:]]/", "\x82\x90", {1, 2}},
        CaseTest{437, "/\\bx/", "\x82x x", {3, 4}}));

}  // namespace

namespace {

TEST(EngineSlots, KestrumTableReachesTheEngine) {
  const EngineTable *table = KestrumServiceTable();
  ASSERT_NE(table->CreateEngine, nullptr);
  ASSERT_NE(table->DestroyEngine, nullptr);
  ASSERT_NE(table->SetNoMoves, nullptr);
  ASSERT_NE(table->SetExpression, nullptr);
  ASSERT_NE(table->Parse, nullptr);
  EngineHandle handle = table->CreateEngine();
  ASSERT_NE(handle, nullptr);
  ASSERT_NE(table->SetExpression(handle, "/b(c)?/i", 0, 0), 0);
  ASSERT_NE(table->SetNoMoves(handle, 0), 0);
  const char text[] = "aBx\n";
  MatchRecord m{};
  ASSERT_NE(table->Parse(handle, text, text, text + 3, &m, 0, 0), 0);
  EXPECT_EQ(m.Count, 2);
  EXPECT_EQ(m.Start[0], 1);
  EXPECT_EQ(m.End[0], 2);
  EXPECT_EQ(m.Start[1], -1);
  EXPECT_EQ(m.End[1], -1);
  ASSERT_NE(table->SetNoMoves(handle, 1), 0);
  EXPECT_EQ(table->Parse(handle, text, text, text + 3, &m, 0, 0), 0);
  table->DestroyEngine(&handle);
  EXPECT_EQ(handle, nullptr);
}

}  // namespace
