#include <gtest/gtest.h>

#include <cstdlib>

#include "editor_fixture.hpp"

namespace {

using Strings = std::vector<std::string>;

TEST_F(EditorTest, NewEditorHoldsOneEmptyLine) {
  for (StatusLineEditor *e :
       {static_cast<StatusLineEditor *>(&text), static_cast<StatusLineEditor *>(&expression)}) {
    EXPECT_INVARIANTS(*e);
    EXPECT_EQ(LinesOf(*e), Strings{""});
    EXPECT_EQ(e->rowCount, 6);
    EXPECT_EQ(e->dialog, nullptr);
    EXPECT_EQ(e->hostEditor, nullptr);
    EXPECT_FALSE(e->drawn);
    EXPECT_EQ(e->topLine, 0);
    EXPECT_EQ(e->cursorColumn, 0);
    EXPECT_EQ(e->regionCount, 1);
    EXPECT_TRUE(e->regions[0].IsNull());
    EXPECT_EQ(e->regions[0].color, static_cast<uint32_t>(ScriptedDialogHost::kSelectionColor));
  }
  EXPECT_EQ(text.capacity, 100);
  EXPECT_EQ(text.rowItems[0], 8);
  EXPECT_EQ(text.rowItems[5], 13);
  EXPECT_EQ(text.statusItem, 1);
  EXPECT_EQ(expression.capacity, 20);
  EXPECT_EQ(expression.rowItems[0], 23);
  EXPECT_EQ(expression.rowItems[5], 28);
  EXPECT_EQ(expression.statusItem, 15);
  EXPECT_TRUE(host.sent.empty());  // nothing reaches a dialog before the first message
}

TEST_F(EditorTest, InitDialogShowsTheTextAndClearsTheFlag) {
  EditorLink *link = reinterpret_cast<EditorLink *>(&host);  // only stored
  text.modified = true;
  EXPECT_FALSE(Send(text, DN_INITDIALOG, 0, reinterpret_cast<LONG_PTR>(link)));
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(text.dialog, &dialog);
  EXPECT_EQ(text.hostEditor, link);
  EXPECT_EQ(text.dialogRect.Left, 1);
  EXPECT_EQ(text.dialogRect.Bottom, 23);
  EXPECT_FALSE(text.modified);
  EXPECT_EQ(Status(text), "  Pos: 1:1(of 1)");
  EXPECT_EQ(Shown(text), (std::vector<bool>{true, false, false, false, false, false}));
  EXPECT_EQ(Notifications(kTextModifiedMessage, text), 0);
  EXPECT_EQ(dialog.lockCount, 1);  // the tester unlocks when its call returns

  Open(expression);
  EXPECT_INVARIANTS(expression);
  EXPECT_EQ(Status(expression), "  Pos: 1:1(of 1)");
  EXPECT_EQ(host.items[23].visible, true);
  EXPECT_EQ(host.items[24].visible, false);
}

TEST_F(EditorTest, StatusShowsColumnLineAndCountFromOne) {
  Open(text);
  EXPECT_INVARIANTS(text);
  Load(text, Numbered(10));
  EXPECT_INVARIANTS(text);
  ASSERT_TRUE(text.MoveTo(2, 4, false));
  EXPECT_INVARIANTS(text);
  text.SetModified(true);
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(Status(text), "* Pos: 5:3(of 10)");
  EXPECT_EQ(Notifications(kTextModifiedMessage, text), 1);
  EXPECT_EQ(host.sent.back().message, DM_SETTEXT);  // the status follows the flag
  text.SetModified(false);
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(Status(text), "  Pos: 5:3(of 10)");
  EXPECT_EQ(Notifications(kTextModifiedMessage, text), 1);
}

TEST_F(EditorTest, WindowFollowsTheCursor) {
  Open(text);
  EXPECT_INVARIANTS(text);
  Load(text, Numbered(10));
  EXPECT_INVARIANTS(text);
  struct Step {
    int line, column;
    bool moved;
    int top, row;
  } steps[] = {
      {9, 0, true, 4, 5},                          // the last line sits in the bottom row
      {-3, -1, true, 0, 0},                        // clamped to the first line
      {0, -1, false, 0, 0},                        // same line, column kept: nothing
      {5, -1, true, 0, 5},                         // inside the window
      {6, -1, true, 1, 5},                         // one below: the window scrolls one line
      {2, -1, true, 1, 1},  {0, -1, true, 0, 0},   // above: the target comes to row 0
      {8, -1, true, 3, 5},                         // far below: the target in the bottom row
      {3, -1, true, 3, 0},  {42, -1, true, 4, 5},  // clamped to the last line
  };
  for (const Step &s : steps) {
    SCOPED_TRACE(testing::Message() << "MoveTo " << s.line);
    host.ClearLog();
    EXPECT_EQ(text.MoveTo(s.line, s.column, false), s.moved);
    EXPECT_INVARIANTS(text);
    EXPECT_EQ(text.topLine, s.top);
    EXPECT_EQ(text.cursorRow, s.row);
    if (!s.moved) {
      EXPECT_TRUE(host.sent.empty());
      continue;
    }
    EXPECT_EQ(host.focus, 8 + s.row);
    EXPECT_EQ(Notifications(kCursorMovedMessage, text), 1);
    Strings rows;
    for (int i = 0; i < 6; i++) rows.push_back("line" + std::to_string(s.top + i));
    EXPECT_EQ(Rows(text), rows);
  }
}

TEST_F(EditorTest, MoveToShowsLinesFourToNineForTheLast) {
  Open(text);
  EXPECT_INVARIANTS(text);
  Load(text, Numbered(10));
  EXPECT_INVARIANTS(text);
  EXPECT_TRUE(text.MoveTo(9, -1, false));
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(Rows(text), (Strings{"line4", "line5", "line6", "line7", "line8", "line9"}));
  EXPECT_EQ(text.CurrentLine(), 9);
  EXPECT_EQ(text.cursorRow, 5);
  EXPECT_TRUE(text.MoveTo(-3, -1, false));
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(text.CurrentLine(), 0);
  EXPECT_FALSE(text.MoveTo(text.CurrentLine(), -1, true));  // even forced
}

TEST_F(EditorTest, MoveToKeepsTheColumnTheHostRefuses) {
  Open(text);
  EXPECT_INVARIANTS(text);
  Load(text, Numbered(3));
  EXPECT_INVARIANTS(text);
  EXPECT_TRUE(text.MoveTo(1, 30, false));
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(text.cursorColumn, 30);
  EXPECT_EQ(host.items[9].cursor, 30);
  host.maxCursor = 40;
  EXPECT_TRUE(text.MoveTo(2, 41, false));
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(text.cursorColumn, 30);  // refused: kept, the rest goes on
  EXPECT_EQ(text.cursorRow, 2);
  EXPECT_EQ(host.focus, 10);
  EXPECT_TRUE(text.MoveTo(2, 0, false));  // same line, a new column: a move
  EXPECT_EQ(text.cursorColumn, 0);
}

TEST_F(EditorTest, ForcedMoveRefreshesTheRows) {
  Open(text);
  EXPECT_INVARIANTS(text);
  Load(text, Numbered(8));
  EXPECT_INVARIANTS(text);
  host.ClearLog();
  text.MoveTo(1, -1, false);
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(host.CountOf(DM_SETTEXT), 0);  // window unchanged
  text.MoveTo(2, -1, true);
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(host.CountOf(DM_SETTEXT), 6);
}

TEST_F(EditorTest, ShortTextHidesTheRowsBelowIt) {
  Open(text);
  EXPECT_INVARIANTS(text);
  Load(text, {"a", "b", "c"});
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(Rows(text), (Strings{"a", "b", "c", "", "", ""}));
  EXPECT_EQ(Shown(text), (std::vector<bool>{true, true, true, false, false, false}));
  Load(text, Numbered(7));
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(Shown(text), std::vector<bool>(6, true));
}

// Lines removed from under a window that shows the end, as a deletion does.
void RemoveLines(LineEditor &e, int from, int count) {
  for (int i = from; i < from + count; i++) free(e.lines[i]);
  for (int i = from + count; i < e.lineCount; i++) e.lines[i - count] = e.lines[i];
  e.lineCount -= count;
}

TEST_F(EditorTest, DeletingAtTheEndMovesTheWindowUp) {
  Open(text);
  EXPECT_INVARIANTS(text);
  Load(text, Numbered(10));
  EXPECT_INVARIANTS(text);
  text.MoveTo(9, -1, false);
  EXPECT_INVARIANTS(text);
  ASSERT_EQ(text.topLine, 4);

  RemoveLines(text, 7, 3);  // the last three
  EXPECT_TRUE(text.MoveTo(6, text.cursorColumn, true));
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(text.topLine, 1);
  EXPECT_EQ(text.cursorRow, 5);
  EXPECT_EQ(Rows(text).back(), "line6");

  RemoveLines(text, 4, 2);  // five lines left: the window goes to the top
  EXPECT_TRUE(text.MoveTo(4, -1, true));
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(text.topLine, 0);
  EXPECT_EQ(text.cursorRow, 4);
  EXPECT_EQ(Shown(text).back(), false);

  Load(text, Numbered(10));
  EXPECT_INVARIANTS(text);
  text.MoveTo(9, -1, false);
  EXPECT_INVARIANTS(text);
  RemoveLines(text, 5, 1);  // window past the end: the target goes to the bottom row
  EXPECT_TRUE(text.MoveTo(5, -1, true));
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(text.topLine, 0);
  EXPECT_EQ(text.cursorRow, 5);
}

TEST_F(EditorTest, KeyOnARowTakesRowAndColumnFromTheHost) {
  Open(text);
  EXPECT_INVARIANTS(text);
  Load(text, Numbered(10));
  EXPECT_INVARIANTS(text);
  text.MoveTo(9, -1, false);
  EXPECT_INVARIANTS(text);
  host.items[10].cursor = 7;
  host.ClearLog();
  const DWORD kF5 = 0x174;  // no editor key
  EXPECT_FALSE(Send(text, DN_KEY, 10, kF5));
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(text.cursorRow, 2);
  EXPECT_EQ(text.cursorColumn, 7);
  EXPECT_EQ(text.CurrentLine(), 6);
  EXPECT_INVARIANTS(text);

  host.items[11].cursor = 3;
  EXPECT_FALSE(Send(text, DN_KEY, 5, kF5));   // a button, not a row
  EXPECT_FALSE(Send(text, DN_KEY, 24, kF5));  // the other editor's row
  EXPECT_EQ(text.cursorRow, 2);
  EXPECT_EQ(text.cursorColumn, 7);
  EXPECT_FALSE(Send(expression, DN_KEY, 11, kF5));
  EXPECT_INVARIANTS(expression);
  EXPECT_EQ(expression.cursorRow, 0);
}

TEST_F(EditorTest, EditChangeReadsTheRowBack) {
  Open(text);
  EXPECT_INVARIANTS(text);
  Load(text, {"one", "two", "three"});
  EXPECT_INVARIANTS(text);
  host.items[9].text = "twice";
  host.items[9].cursor = 5;
  host.ClearLog();
  EXPECT_FALSE(Send(text, DN_EDITCHANGE, 9));
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(LinesOf(text), (Strings{"one", "twice", "three"}));
  EXPECT_EQ(text.cursorColumn, 5);
  EXPECT_TRUE(text.modified);
  ASSERT_EQ(Notifications(kTextModifiedMessage, text), 1);
  EXPECT_EQ(host.sent[host.sent.size() - 2].param1, 1);
  EXPECT_EQ(Status(text)[0], '*');

  host.items[12].text = "ghost";  // a hidden row holds no line
  Send(text, DN_EDITCHANGE, 12);
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(text.lineCount, 3);
  EXPECT_INVARIANTS(text);

  host.items[8].text = std::string(600, 'x');
  Send(text, DN_EDITCHANGE, 8);
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(text.LineLength(0), 511);

  text.modified = false;
  EXPECT_FALSE(Send(text, DN_EDITCHANGE, 2));  // not a row: nothing
  EXPECT_FALSE(text.modified);
}

TEST_F(EditorTest, PadToCursorPadsTheRowNotTheLine) {
  Open(text);
  EXPECT_INVARIANTS(text);
  Load(text, {"ab", "abcdef"});
  EXPECT_INVARIANTS(text);
  text.cursorColumn = 5;
  host.ClearLog();
  text.PadToCursor(0);
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(host.items[8].text, "ab   ");
  EXPECT_EQ(text.LineText(0), std::string("ab"));
  text.PadToCursor(1);  // long enough already
  text.PadToCursor(2);  // no such line
  EXPECT_EQ(host.CountOf(DM_SETTEXT), 1);
}

// A cursor beyond what an item holds pads the row to the item's 511
// characters, no further.
TEST_F(EditorTest, PadToCursorStopsAtTheItemsSize) {
  Open(text);
  Load(text, {"ab"});
  EXPECT_INVARIANTS(text);
  text.cursorColumn = 2000;
  text.PadToCursor(0);
  EXPECT_EQ(host.items[8].text, "ab" + std::string(509, ' '));
  EXPECT_EQ(text.LineText(0), std::string("ab"));
  std::string full(511, 'f');
  Load(text, {full});
  host.ClearLog();
  text.PadToCursor(0);  // already as long as an item holds
  EXPECT_EQ(host.CountOf(DM_SETTEXT), 0);
}

TEST_F(EditorTest, DrawDialogMarksTheEditorDrawn) {
  Open(text);
  EXPECT_INVARIANTS(text);
  host.dialogRect = {2, 1, 78, 23};
  EXPECT_FALSE(Send(text, DN_DRAWDIALOG, 0));
  EXPECT_INVARIANTS(text);
  EXPECT_TRUE(text.drawn);
  EXPECT_EQ(text.dialogRect.Left, 2);
  EXPECT_FALSE(Send(text, 0x1234, 8));  // anything else is left alone
  EXPECT_FALSE(Send(text, DN_BTNCLICK, 8));
  EXPECT_INVARIANTS(text);
}

TEST_F(EditorTest, RegionsAreAddedClearedInColorSeven) {
  EXPECT_EQ(text.GetRegion(text.regionCount), nullptr);
  EXPECT_EQ(text.GetRegion(-1), nullptr);
  EXPECT_EQ(text.AddRegion(), 1);
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(text.regionCount, 2);
  ASSERT_NE(text.GetRegion(1), nullptr);
  EXPECT_TRUE(text.GetRegion(1)->IsNull());
  EXPECT_EQ(text.GetRegion(1)->color, 7u);
  EXPECT_EQ(text.GetRegion(0), &text.regions[0]);
  for (int i = 2; i <= 16; i++) EXPECT_EQ(text.AddRegion(), i);
  EXPECT_EQ(text.GetRegion(17), nullptr);
  EXPECT_EQ(text.regions[0].color, static_cast<uint32_t>(ScriptedDialogHost::kSelectionColor));
}

TEST_F(EditorTest, ClearLinesLeavesRegionsAndFlag) {
  Open(text);
  EXPECT_INVARIANTS(text);
  Load(text, Numbered(9));
  EXPECT_INVARIANTS(text);
  text.MoveTo(8, 2, false);
  EXPECT_INVARIANTS(text);
  text.regions[0].Set(1, 1, 2, 2);
  text.modified = true;
  text.ClearLines();
  EXPECT_EQ(text.lineCount, 0);
  EXPECT_EQ(text.topLine, 0);
  EXPECT_EQ(text.cursorRow, 0);
  EXPECT_EQ(text.cursorColumn, 0);
  EXPECT_TRUE(text.modified);
  EXPECT_EQ(text.regions[0].endLine, 2);
  text.Refresh();  // an empty table becomes one empty line
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(LinesOf(text), Strings{""});
}

TEST_F(EditorTest, ExpressionEditorAnswersLikeItsBase) {
  Open(expression);
  EXPECT_INVARIANTS(expression);
  EXPECT_FALSE(Send(expression, DN_DRAWDIALOG, 0));
  EXPECT_INVARIANTS(expression);
  EXPECT_TRUE(expression.drawn);
  host.items[23].text = "a+";
  EXPECT_FALSE(Send(expression, DN_EDITCHANGE, 23));
  EXPECT_INVARIANTS(expression);
  EXPECT_EQ(LinesOf(expression), Strings{"a+"});
  EXPECT_EQ(Status(expression), "* Pos: 1:1(of 1)");
  LineEditor &base = expression;  // through the virtual table
  base.SetModified(false);
  EXPECT_EQ(Status(expression), "  Pos: 1:1(of 1)");
}

}  // namespace
