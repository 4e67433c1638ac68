// Which keys the editor takes from the host, and the redraw lock its keys
// leave for the repaint at the end of the notification.
#include <gtest/gtest.h>

#include "editor_fixture.hpp"

namespace {

using Strings = std::vector<std::string>;

TEST(PrintableKey, CtrlAndAltNeverTypeShiftDoesNotMatter) {
  struct {
    DWORD key;
    bool printable;
  } cases[] = {
      {' ', true},
      {'a', true},
      {0xFF, true},
      {KEY_SHIFT | 'A', true},
      {31, false},
      {0x100, false},
      {KEY_BS, false},
      {KEY_ENTER, false},
      {KEY_DEL, false},
      {KEY_CTRL | 'C', false},
      {KEY_ALT | 'x', false},
      {KEY_RCTRL | 'v', false},
      {KEY_RALT | 'q', false},
      {0x80000000u | 'a', true},
      {0x1041, true},
  };
  for (const auto &c : cases) EXPECT_EQ(IsPrintableKey(c.key), c.printable) << std::hex << c.key;
}

struct KeyResult {
  DWORD key;
  bool withoutSelection, withSelection;
};

// The cursor in the middle of the middle line of three: nothing to join.
TEST_F(EditorTest, KeysTakenWithAndWithoutASelection) {
  const KeyResult results[] = {
      {KEY_BS, false, true},
      {KEY_DEL, false, true},
      {KEY_CTRL | 'D', true, true},
      {KEY_CTRL | 'C', true, true},
      {KEY_CTRL | KEY_INS, true, true},
      {KEY_CTRL | 'X', false, true},
      {KEY_SHIFT | KEY_DEL, false, true},
      {KEY_CTRL | 'V', true, true},
      {KEY_SHIFT | KEY_INS, true, true},
      {KEY_CTRL | 'Y', true, true},
      {KEY_ENTER, true, true},
      {KEY_CTRL | 'N', true, true},
      {KEY_CTRL | KEY_SHIFT | KEY_UP, false, false},  // no such key in the tables
      {KEY_ALT | KEY_SHIFT | KEY_LEFT, false, false},
      {KEY_CTRL | KEY_LEFT, false, false},
      {KEY_TAB, false, false},
      {'a', false, false},
      {KEY_F1, false, false},
  };
  Open(text);
  for (const KeyResult &r : results) {
    for (bool selected : {false, true}) {
      SCOPED_TRACE(testing::Message() << std::hex << r.key << (selected ? " selected" : ""));
      Load(text, {"abcd", "efgh", "ijkl"});
      host.items[9].cursor = 2;
      text.regions[0].Clear();
      if (selected) text.regions[0].Set(1, 1, 3, 1);
      EXPECT_EQ(Send(text, DN_KEY, 9, r.key), selected ? r.withSelection : r.withoutSelection);
      EXPECT_EQ(result, selected ? r.withSelection : r.withoutSelection);
      EXPECT_INVARIANTS(text);
    }
  }
  EXPECT_FALSE(Send(text, DN_KEY, 7, KEY_CTRL | 'Y'));  // not a row
  EXPECT_EQ(text.lineCount, 3);
}

TEST_F(EditorTest, DroppingASelectionOnItsLineLocksTheRedraw) {
  Open(text);
  Load(text, {"abcdef", "ghi"});
  struct {
    Region selection;
    DWORD key;
    int locks;
  } cases[] = {
      {{1, 0, 4, 0, 0}, KEY_HOME, 1},   // same line, another column: repaint
      {{1, 0, 4, 0, 0}, KEY_RIGHT, 1},  // past the end is still another column
      {{1, 0, 4, 0, 0}, KEY_DOWN, 0},   // the row changes: the host redraws it
      {{0, 0, 0, 0, 0}, KEY_HOME, 0},   // nothing to drop
  };
  for (const auto &c : cases) {
    host.items[8].cursor = 4;
    text.MoveTo(0, 4, false);
    text.regions[0] = c.selection;
    dialog.UnlockAll();
    host.ClearLog();
    EXPECT_TRUE(Send(text, DN_KEY, 8, c.key));
    EXPECT_EQ(dialog.lockCount, c.locks) << std::hex << c.key;
    EXPECT_TRUE(text.regions[0].IsNull());
  }
}

// A line longer than a region's columns reach (pasted into itself often
// enough): the selection stops at the last column instead of turning round.
TEST_F(EditorTest, SelectionOfAVeryLongLineStaysInRange) {
  Open(text);
  Load(text, {std::string(40000, 'a'), "b"});
  EXPECT_TRUE(Send(text, DN_KEY, 8, KEY_SHIFT | KEY_END));
  EXPECT_EQ(text.regions[0].endColumn, 32767);
  // The host took no cursor column past 511: the cursor stayed in column 0,
  // on the selection's start, which moves down and becomes its end.
  EXPECT_TRUE(Send(text, DN_KEY, 8, KEY_SHIFT | KEY_DOWN));
  const Region &r = text.regions[0];
  EXPECT_TRUE(r.startColumn == 32767 && r.startLine == 0 && r.endColumn == 0 && r.endLine == 1);
}

// A new text leaves no selection behind that could cover its lines.
TEST_F(EditorTest, ANewTextDropsTheSelection) {
  Open(text);
  text.SetText("one\ntwo\nthree");
  text.regions[0].Set(1, 1, 2, 2);
  text.SetText("x");
  EXPECT_TRUE(text.regions[0].IsNull());
  text.regions[0].Set(0, 0, 1, 0);
  host.items[8].text = "typed";
  Send(text, DN_EDITCHANGE, 8);  // an edit of the row keeps it
  EXPECT_FALSE(text.regions[0].IsNull());
}

}  // namespace
