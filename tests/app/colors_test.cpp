#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "app/colors.hpp"
#include "app/mono_looks.hpp"

namespace {

struct AttrCase {
  unsigned char attr;
  int colors;
  int fg, bg;
  bool bold, reverse;
};

// Windows: blue 1, green 2, red 4, intensity 8; ANSI: red 1, green 2, blue 4.
const AttrCase kAttrs[] = {
    {0x07, 16, 7, 0, false, false},   // gray on black
    {0x70, 16, 0, 7, false, false},   // black on gray (dialogs)
    {0x01, 16, 4, 0, false, false},   // blue
    {0x04, 16, 1, 0, false, false},   // red
    {0x03, 16, 6, 0, false, false},   // cyan
    {0x06, 16, 3, 0, false, false},   // brown/yellow
    {0x05, 16, 5, 0, false, false},   // magenta stays
    {0x1F, 16, 15, 4, false, false},  // bright white on blue
    {0x30, 16, 0, 6, false, false},   // black on cyan (edit fields)
    {0x4E, 16, 11, 1, false, false},  // yellow on red (warnings)
    {0x9C, 16, 9, 12, false, false},  // bright red on bright blue
    {0x0C, 256, 9, 0, false, false},  // more colors than 16: same
    {0x1F, 8, 7, 4, true, false},     // 8 colors: bright as bold
    {0x4E, 8, 3, 1, true, false},
    {0x9C, 8, 1, 4, true, false},  // bright background loses intensity
    {0x07, 8, 7, 0, false, false},
    {0x70, 0, -1, -1, false, true},  // monochrome: a lighter background reversed
    {0x30, 0, -1, -1, false, true},
    {0x1F, 0, -1, -1, true, false},  // white on blue: light on dark, bright
    {0x0F, 0, -1, -1, true, false},
    {0x07, 0, -1, -1, false, false},
};

class AttrTable : public testing::TestWithParam<AttrCase> {};

TEST_P(AttrTable, MapsConsoleAttributes) {
  const AttrCase &c = GetParam();
  app::TerminalColor color = app::MapAttribute(c.attr, c.colors);
  EXPECT_EQ(color.fg, c.fg);
  EXPECT_EQ(color.bg, c.bg);
  EXPECT_EQ(color.bold, c.bold);
  EXPECT_EQ(color.reverse, c.reverse);
}

INSTANTIATE_TEST_SUITE_P(Colors, AttrTable, testing::ValuesIn(kAttrs));

// On 16 colors every attribute is a pair of its own, bright foregrounds
// and backgrounds included.
TEST(Colors, SixteenColorsTellAllAttributesApart) {
  std::set<std::pair<int, int>> seen;
  for (int attr = 0; attr < 256; ++attr) {
    app::TerminalColor color = app::MapAttribute((unsigned char)attr, 16);
    EXPECT_FALSE(color.bold || color.reverse);
    seen.insert({color.fg, color.bg});
  }
  EXPECT_EQ(256u, seen.size());
}

// A screen of cells whose colors change over time, drawn through a pair
// table as the terminal view draws: a pair given anew must never be one a
// cell on the screen still shows, or that cell would change color.
struct PairScreen {
  explicit PairScreen(int pairs, int cells) : table(pairs), combo(cells, -1), pair(cells, 0) {}
  // Cell i now shows fg on bg; false when the table had no pair for it.
  bool Show(int i, int fg, int bg) {
    if (combo[size_t(i)] >= 0) table.Unuse(pair[size_t(i)]);
    bool define = false;
    int p = table.Find(fg, bg, define);
    if (define) defined[p] = fg * 16 + bg;
    combo[size_t(i)] = fg * 16 + bg;
    pair[size_t(i)] = p;
    table.Use(p);
    return p != 0;
  }
  // Every cell given a pair still shows its colors through it.
  bool Consistent() const {
    for (size_t i = 0; i < combo.size(); ++i) {
      auto it = defined.find(pair[i]);
      if (combo[i] >= 0 && pair[i] != 0 && (it == defined.end() || it->second != combo[i]))
        return false;
    }
    return true;
  }
  app::PairTable table;
  std::vector<int> combo, pair;
  std::map<int, int> defined;
};

TEST(ColorPairs, PickerChoicesOnASixteenColorTerminal) {
  // 256 pairs: pair 0 is the terminal's, 255 to give out. The picker shows
  // its 32 buttons and three samples in the color chosen, then the next.
  PairScreen screen(256, 40);
  for (int k = 0; k < 16; ++k) {
    screen.Show(k, 7 - k % 8, k);
    screen.Show(16 + k, 7 - k % 8, k);
  }
  for (int round = 0; round < 2; ++round)
    for (int attr = 0; attr < 256; ++attr) {
      for (int i = 32; i < 35; ++i) ASSERT_TRUE(screen.Show(i, attr & 15, attr >> 4)) << attr;
      ASSERT_TRUE(screen.Consistent()) << "attribute " << attr;
    }
}

TEST(ColorPairs, RandomScreensWithinThePairs) {
  for (int pairs : {64, 256}) {
    int colors = pairs == 64 ? 8 : 16;
    PairScreen screen(pairs, pairs - 1);  // never more colors on screen than pairs
    std::mt19937 random(pairs);
    for (int step = 0; step < 20000; ++step) {
      int cell = int(random() % unsigned(pairs - 1));
      ASSERT_TRUE(
          screen.Show(cell, int(random() % unsigned(colors)), int(random() % unsigned(colors))));
      if (step % 97 == 0) {
        ASSERT_TRUE(screen.Consistent()) << pairs << " step " << step;
      }
    }
    EXPECT_TRUE(screen.Consistent());
  }
  // More colors on screen than pairs: the one left over gets none.
  PairScreen full(4, 4);
  EXPECT_TRUE(full.Show(0, 1, 0) && full.Show(1, 2, 0) && full.Show(2, 3, 0));
  EXPECT_FALSE(full.Show(3, 4, 0));
  EXPECT_TRUE(full.Show(2, 4, 0));  // 3 on 0 left the screen: its pair serves
  EXPECT_TRUE(full.Consistent());
}

// Without colors: a row of the text editor with the match of
// (\w+)@(\w)(\w+) (whole match 01, groups F1 E2 D3), a row of the 16
// default group colors side by side, a row of the dialog.
TEST(MonoLooks, TheMatchAndEachGroupStandOut) {
  const int width = 18;
  std::vector<unsigned char> attrs = {0x70, 0x30, 0xF1, 0xF1, 0x01, 0xE2, 0xD3};
  attrs.resize(size_t(width) - 1, 0x30);
  attrs.insert(attrs.end(), {0x70, 0x30});
  for (int i = 0, c = 0; i < 16; ++i, c = (16 - i) * 16 + i)
    attrs.push_back((unsigned char)(c >> 4 == (c & 15) ? c + 1 : c));  // repaired as settings do
  attrs.push_back(0x30);
  attrs.resize(size_t(width) * 3, 0x70);
  const unsigned char all = app::kLookReverse | app::kLookBold | app::kLookUnderline;
  for (unsigned char available : {all, (unsigned char)(app::kLookReverse | app::kLookUnderline)}) {
    app::MonoLooks looks;
    looks.Choose(attrs, width, available);
    EXPECT_EQ(looks.Of(0x70), app::kLookReverse);
    for (size_t i = 0; i + 1 < attrs.size(); ++i) {
      EXPECT_EQ(looks.Of(attrs[i]) & ~available, 0);
      if (attrs[i] != attrs[i + 1] && (i + 1) % size_t(width) != 0) {
        EXPECT_NE(looks.Of(attrs[i]), looks.Of(attrs[i + 1])) << int(available) << " at " << i;
      }
    }
    for (size_t i = 2; i < 7; ++i) EXPECT_NE(looks.Of(attrs[i]), looks.Of(0x30)) << i;
    EXPECT_NE(looks.Of(0xE2), looks.Of(0x01));  // inside the match, not only beside it
  }
}

TEST(Colors, SwapIsItsOwnInverse) {
  for (int c = 0; c < 16; ++c) EXPECT_EQ(app::AnsiColor(app::AnsiColor(c)), c);
}

}  // namespace
