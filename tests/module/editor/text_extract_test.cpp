#include <gtest/gtest.h>

#include <cstring>

#include "editor_fixture.hpp"

namespace {

Region Range(int sc, int sl, int ec, int el) {
  Region r = {};
  r.Set(sc, sl, ec, el);
  return r;
}

TEST_F(EditorTest, WholeTextEndsEveryLineWithABreak) {
  Load(text, {"ab", "cd"});
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(text.GetAllTextLength(), 6);
  char buffer[16];
  memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(text.GetAllText(buffer, 7), 6);
  EXPECT_STREQ(buffer, "ab\ncd\n");
  memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(text.GetAllText(buffer, 6), 6);  // the last break counted, not stored
  EXPECT_STREQ(buffer, "ab\ncd");
  EXPECT_EQ(buffer[6], '#');
  memset(buffer, '#', sizeof buffer);
  text.GetAllText(buffer, 3);
  EXPECT_STREQ(buffer, "ab");  // a break needs room for itself and the terminator
  text.GetAllText(buffer, 1);
  EXPECT_STREQ(buffer, "");
  buffer[0] = '#';
  EXPECT_EQ(text.GetAllText(buffer, 0), 0);
  EXPECT_EQ(buffer[0], '#');  // no room: not even a terminator
  EXPECT_INVARIANTS(text);
}

TEST_F(EditorTest, ExtractTextOfRanges) {
  Load(text, {"abc", "def", "", "ghij"});
  EXPECT_INVARIANTS(text);
  struct Case {
    Region range;
    const char *expected;
  } cases[] = {
      {Range(1, 0, 1, 1), "bc\nd"},
      {Range(0, 0, 3, 0), "abc"},
      {Range(1, 0, 99, 0), "bc"},      // columns stop at the line's end
      {Range(5, 0, 0, 1), "\n"},       // from past the end: only the break
      {Range(0, 1, 0, 3), "def\n\n"},  // ends at column 0: lines and their breaks
      {Range(2, 1, 2, 3), "f\n\ngh"},
      {Range(-4, 3, 2, 3), "gh"},   // columns clamp at 0
      {Range(0, -2, 1, 0), "a"},    // lines clamp at 0
      {Range(2, 3, 0, 9), "ij\n"},  // and at the point after the last line
      {Range(0, 0, 0, 4), "abc\ndef\n\nghij\n"},
      {Range(1, 1, 1, 1), ""},   // empty
      {Range(0, 9, 3, 12), ""},  // beyond the text: both clamp to the end
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.expected);
    char buffer[64];
    int full = text.ExtractText(c.range, nullptr, 0);
    EXPECT_EQ(full, static_cast<int>(strlen(c.expected)));
    EXPECT_EQ(text.ExtractText(c.range, buffer, sizeof buffer), full);
    EXPECT_STREQ(buffer, c.expected);
  }
}

TEST_F(EditorTest, RegionTextByIndex) {
  Load(text, {"abc", "def"});
  EXPECT_INVARIANTS(text);
  text.AddRegion();
  EXPECT_INVARIANTS(text);
  text.regions[1].Set(1, 0, 1, 1);
  char buffer[16] = "junk";
  EXPECT_EQ(text.GetRegionText(1, buffer, sizeof buffer), 4);
  EXPECT_STREQ(buffer, "bc\nd");
  strcpy(buffer, "junk");
  EXPECT_EQ(text.GetRegionText(0, buffer, sizeof buffer), 0);  // the null selection
  EXPECT_STREQ(buffer, "");
  strcpy(buffer, "junk");
  EXPECT_EQ(text.GetRegionText(2, buffer, sizeof buffer), 0);  // no such region
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(text.GetRegionText(-1, nullptr, 0), 8);
  text.regions[1].SetPoint(2, 1);
  EXPECT_EQ(text.GetRegionText(1, nullptr, 0), 0);
}

TEST_F(EditorTest, ExtractTextOfLongLinesIsBounded) {
  std::string longLine(700, 'z');
  Load(text, {longLine, "tail"});
  EXPECT_INVARIANTS(text);
  std::vector<char> buffer(2000, '#');
  EXPECT_EQ(text.GetAllTextLength(), 706);
  EXPECT_EQ(text.GetAllText(buffer.data(), 600), 599 + 2);
  EXPECT_EQ(strlen(buffer.data()), 599u);
  EXPECT_EQ(buffer[600], '#');
  EXPECT_EQ(text.GetAllText(buffer.data(), 2000), 706);
  EXPECT_EQ(std::string(buffer.data()), longLine + "\ntail\n");
}

}  // namespace
