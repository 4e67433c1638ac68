// The editors' keys as a user presses them, through the file manager
// stand-in: after every key the lines, the cursor and the selection are
// checked, and the clipboard where a key uses it.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <future>
#include <thread>

#include "editor_checks.hpp"
#include "host/clipboard.hpp"
#include "private_clipboard.hpp"
#include "test_dialog.hpp"

PARDUNE_PRIVATE_CLIPBOARD("editor-keys");

namespace {

using Strings = std::vector<std::string>;
constexpr DWORD kShift = KEY_SHIFT, kCtrl = KEY_CTRL;

void PutOnClipboard(const std::string &text) {
  ASSERT_TRUE(ClipboardPut(text.c_str(), static_cast<int>(text.size())));
}

// What the editor holds after a key; an empty `lines` keeps the previous ones.
struct After {
  DWORD key;
  Strings lines;
  int line, column;
  Region selection = {};  // (startColumn, startLine, endColumn, endLine)
};

std::string Describe(const LineEditor &e) {
  std::string out;
  for (const std::string &line : LinesOf(e)) out += "[" + line + "]";
  const Region &r = e.regions[0];
  return out + " cursor " + std::to_string(e.cursorColumn) + "," + std::to_string(e.CurrentLine()) +
         " selection " + std::to_string(r.startColumn) + "," + std::to_string(r.startLine) + "-" +
         std::to_string(r.endColumn) + "," + std::to_string(r.endLine);
}

void Check(const LineEditor &e, const After &want, const Strings &lines, size_t step) {
  SCOPED_TRACE(testing::Message() << "after key " << step << ": " << Describe(e));
  EXPECT_INVARIANTS(e);
  EXPECT_EQ(LinesOf(e), lines);
  EXPECT_EQ(e.CurrentLine(), want.line);
  EXPECT_EQ(e.cursorColumn, want.column);
  const Region &r = e.regions[0];
  EXPECT_TRUE(r.startColumn == want.selection.startColumn &&
              r.startLine == want.selection.startLine && r.endColumn == want.selection.endColumn &&
              r.endLine == want.selection.endLine);
}

// Opens the dialog with `text` in one editor and the cursor at (column,
// line), presses the keys and checks the editor after each one. `between`
// runs before key i is pressed (from 1 on).
void Play(TestDialog &t, bool expression, const Strings &text, int line, int column,
          const std::vector<After> &steps,
          const std::function<void(TestDialog &, size_t)> &between = nullptr) {
  LineEditor &e = expression ? static_cast<LineEditor &>(t.expression) : t.text;
  t.onInit = [&](TestDialog &) {
    Load(e, text);
    e.MoveTo(line, column, true);
  };
  std::vector<Strings> lines;
  Strings current = text;
  for (const After &step : steps) {
    if (!step.lines.empty()) current = step.lines;
    lines.push_back(current);
    t.Key(step.key);
  }
  t.backend.before = [&](int index) {
    if (index < 1) return;
    Check(e, steps[index - 1], lines[index - 1], index - 1);
    if (between) between(t, static_cast<size_t>(index));
  };
  t.Run();
  Check(e, steps.back(), lines.back(), steps.size() - 1);
}

Region Sel(int startColumn, int startLine, int endColumn, int endLine) {
  Region r = {};
  r.Set(startColumn, startLine, endColumn, endLine);
  return r;
}

TEST(EditorKeys, ShiftedKeysGrowAndShrinkTheSelectionAtTheCursor) {
  TestDialog t;
  const Strings text = {"abcdef"};
  Play(t, false, text, 0, 2,
       {
           {kShift | KEY_RIGHT, {}, 0, 3, Sel(2, 0, 3, 0)},
           {kShift | KEY_RIGHT, {}, 0, 4, Sel(2, 0, 4, 0)},
           {kShift | KEY_RIGHT, {}, 0, 5, Sel(2, 0, 5, 0)},
           {kShift | KEY_LEFT, {}, 0, 4, Sel(2, 0, 4, 0)},  // from column 2 to 4
           {kCtrl | 'C', {}, 0, 4, Sel(2, 0, 4, 0)},
           {kShift | KEY_LEFT, {}, 0, 3, Sel(2, 0, 3, 0)},
           {kShift | KEY_LEFT, {}, 0, 2, Sel(2, 0, 2, 0)},  // empty, at the cursor
           {kShift | KEY_LEFT, {}, 0, 1, Sel(1, 0, 2, 0)},  // so its start moves
           {kShift | KEY_HOME, {}, 0, 0, Sel(0, 0, 2, 0)},
           {kShift | KEY_END, {}, 0, 6, Sel(2, 0, 6, 0)},  // past the other end
           {KEY_LEFT, {}, 0, 5},                           // drops it
           {KEY_HOME, {}, 0, 0},
           {KEY_LEFT, {}, 0, 0},  // column 0: no wrap
       },
       [](TestDialog &d, size_t key) {
         if (key == 5) {
           EXPECT_EQ(ClipboardText(), "cd");
         }
         if (key == 4) {  // the selection is painted over columns 2 and 3
           const farhost::Screen &screen = farhost::TheScreen();
           uint32_t color = d.text.regions[0].color;
           EXPECT_EQ(screen.At(14 + 1, 5).attr, screen.At(14 + 4, 5).attr);
           EXPECT_EQ(screen.At(14 + 2, 5).attr, color);
           EXPECT_EQ(screen.At(14 + 3, 5).attr, color);
           EXPECT_NE(screen.At(14 + 4, 5).attr, color);
         }
       });
  EXPECT_EQ(t.consumed, std::vector<bool>(13, true));
}

TEST(EditorKeys, CopyingAndTypingOverASelectionAcrossRows) {
  TestDialog t;
  Play(t, false, {"abcdef", "xyz"}, 0, 3,
       {
           {kShift | KEY_DOWN, {}, 1, 3, Sel(3, 0, 3, 1)},
           {kCtrl | 'C', {}, 1, 3, Sel(3, 0, 3, 1)},
           {'Q', {"abcQ"}, 0, 4},  // the block goes, then the host types
       },
       [](TestDialog &, size_t key) {
         if (key == 2) {
           EXPECT_EQ(ClipboardText(), "def\nxyz");
         }
       });
  EXPECT_TRUE(t.text.modified);
  EXPECT_EQ(t.text.LineText(0), std::string("abcQ"));
  EXPECT_EQ(t.consumed, (std::vector<bool>{true, true, false}));
}

TEST(EditorKeys, ASelectionEndingAtColumnZeroCopiesTheLineBreak) {
  TestDialog t;
  Play(t, true, {"ab", "cd"}, 0, 0,
       {
           {kShift | KEY_DOWN, {}, 1, 0, Sel(0, 0, 0, 1)},
           {kCtrl | KEY_INS, {}, 1, 0, Sel(0, 0, 0, 1)},
       });
  EXPECT_EQ(ClipboardText(), "ab\n");
}

// The cursor stays on the block's end row while the block is deleted from
// the rows above it: only the row the character lands in may be padded.
TEST(EditorKeys, TypingOverABlockPadsNoOtherRow) {
  TestDialog t;
  Play(t, false, {"abcdefgh", "abcdefgh", "x", "y", "ab", "ab"}, 1, 5,
       {
           {kShift | KEY_DOWN, {}, 2, 5, Sel(5, 1, 5, 2)},
           {kShift | KEY_DOWN, {}, 3, 5, Sel(5, 1, 5, 3)},
           {kShift | KEY_HOME, {}, 3, 0, Sel(5, 1, 0, 3)},
           {'Z', {"abcdefgh", "abcdeZy", "ab", "ab"}, 1, 6},
           {KEY_DOWN, {}, 2, 6},
           {KEY_DOWN, {}, 3, 6},
           {KEY_END, {}, 3, 2},
           {'Q', {"abcdefgh", "abcdeZy", "ab", "abQ"}, 3, 3},
       });
}

TEST(EditorKeys, EnterSplitsBackspaceAndDelJoin) {
  TestDialog t;
  Play(t, false, {"abcdef", "gh"}, 0, 3,
       {
           {KEY_ENTER, {"abc", "def", "gh"}, 1, 0},
           {KEY_BS, {"abcdef", "gh"}, 0, 3},
           {KEY_END, {}, 0, 6},
           {KEY_DEL, {"abcdefgh"}, 0, 6},
           {KEY_END, {}, 0, 8},
           {kCtrl | 'N', {"abcdefgh", ""}, 1, 0},
           {KEY_UP, {}, 0, 0},
           {KEY_BS, {}, 0, 0},  // column 0 of line 0: the host's
           {kCtrl | KEY_END, {}, 1, 0},
           {KEY_DEL, {}, 1, 0},  // the end of the last line: the host's
           {KEY_BS, {"abcdefgh"}, 0, 8},
       });
  EXPECT_EQ(t.consumed, (std::vector<bool>{true, true, true, true, true, true, true, false, true,
                                           false, true}));
  EXPECT_TRUE(t.text.modified);
}

// Lines split, joined and deleted leave the selection where it is; only
// what of it lies past the end of the text goes with the lines.
TEST(EditorKeys, LineKeysKeepTheSelection) {
  TestDialog t;
  Play(t, false, {"abcdef", "gh", "ij"}, 0, 2,
       {
           {kShift | KEY_RIGHT, {}, 0, 3, Sel(2, 0, 3, 0)},
           {KEY_ENTER, {"abc", "def", "gh", "ij"}, 1, 0, Sel(2, 0, 3, 0)},
           {kCtrl | kShift | KEY_END, {}, 3, 2, Sel(0, 1, 2, 3)},
           {kCtrl | 'Y', {"abc", "def", "gh"}, 2, 2, Sel(0, 1, 2, 2)},
           {kCtrl | 'Y', {"abc", "def"}, 1, 2, Sel(0, 1, 3, 1)},
           {'Z', {"abc", "Z"}, 1, 1},
           {kShift | KEY_LEFT, {}, 1, 0, Sel(0, 1, 1, 1)},
           {kCtrl | 'Y', {"abc"}, 0, 0},  // wholly past the text now: gone
       });
}

TEST(EditorKeys, CtrlYDeletesLinesAndEmptiesTheOnlyOne) {
  TestDialog t;
  Play(t, false, {"one", "two", "abc"}, 2, 2,
       {
           {kCtrl | 'Y', {"one", "two"}, 1, 2},  // the last line: the one above
           {kCtrl | 'Y', {"one"}, 0, 2},
           {kCtrl | 'Y', {""}, 0, 0},
           {kCtrl | 'Y', {""}, 0, 0},  // nothing, not even the flag
       },
       [](TestDialog &d, size_t key) {
         if (key == 3) d.text.modified = false;
       });
  EXPECT_FALSE(t.text.modified);
}

TEST(EditorKeys, PasteSelectsTheInsertedText) {
  TestDialog t;
  PutOnClipboard("a\r\nb\r\nc");
  Play(t, false, {"xy"}, 0, 1,
       {
           {kCtrl | 'V', {"xa", "b", "cy"}, 2, 1, Sel(1, 0, 1, 2)},
           {kShift | KEY_INS, {"xa", "b", "cab", "y"}, 3, 0, Sel(1, 2, 0, 3)},
           {'-', {"xa", "b", "c-y"}, 2, 2},
           {kShift | KEY_INS, {"xa", "b", "c-ab", "y"}, 3, 0, Sel(2, 2, 0, 3)},
       },
       [](TestDialog &, size_t key) {
         if (key == 1) PutOnClipboard("ab\n");  // ends with a line break
       });
}

TEST(EditorKeys, CutNeedsASelection) {
  TestDialog t;
  PutOnClipboard("before");
  Play(t, false, {"abcdef"}, 0, 1,
       {
           {kCtrl | 'X', {}, 0, 1},
           {kShift | KEY_DEL, {}, 0, 1},
           {kShift | KEY_RIGHT, {}, 0, 2, Sel(1, 0, 2, 0)},
           {kShift | KEY_RIGHT, {}, 0, 3, Sel(1, 0, 3, 0)},
           {kCtrl | 'X', {"adef"}, 0, 1},
           {kShift | KEY_END, {}, 0, 4, Sel(1, 0, 4, 0)},
           {kShift | KEY_DEL, {"a"}, 0, 1},
           {kCtrl | 'D', {}, 0, 1},
       },
       [](TestDialog &, size_t key) {
         if (key == 2) {
           EXPECT_EQ(ClipboardText(), "before");
         }
         if (key == 5) {
           EXPECT_EQ(ClipboardText(), "bc");
         }
       });
  EXPECT_EQ(ClipboardText(), "def");
  EXPECT_EQ(t.consumed, (std::vector<bool>{false, false, true, true, true, true, true, true}));
}

TEST(EditorKeys, BlockKeysDeleteAcrossLines) {
  TestDialog t;
  Play(t, false, {"one", "two", "three", "four"}, 0, 1,
       {
           {kShift | KEY_DOWN, {}, 1, 1, Sel(1, 0, 1, 1)},
           {KEY_DEL, {"owo", "three", "four"}, 0, 1},
           {kCtrl | kShift | KEY_END, {}, 2, 4, Sel(1, 0, 4, 2)},
           {KEY_BS, {"o"}, 0, 1},
       });
}

TEST(EditorKeys, NavigationMovesAcrossRowsAndPages) {
  TestDialog t;
  Strings text = Numbered(10);
  Play(t, false, text, 2, 3,
       {
           {kCtrl | KEY_END, {}, 9, 3},  // the column stays
           {KEY_END, {}, 9, 5},
           {KEY_PGUP, {}, 3, 5},
           {KEY_UP, {}, 2, 5},
           {KEY_PGDN, {}, 8, 5},
           {KEY_PGDN, {}, 9, 5},
           {kCtrl | KEY_PGUP, {}, 0, 5},
           {KEY_RIGHT, {}, 0, 6},
           {kCtrl | KEY_PGDN, {}, 9, 6},
           {kCtrl | KEY_HOME, {}, 0, 0},
           {KEY_DOWN, {}, 1, 0},
       });
  EXPECT_EQ(t.text.topLine, 0);
}

TEST(EditorKeys, ShiftedPagesAndEndsClampToTheText) {
  TestDialog t;
  Play(t, false, {"first", "second", "third"}, 1, 2,
       {
           {kCtrl | kShift | KEY_END, {}, 2, 5, Sel(2, 1, 5, 2)},
           {kCtrl | kShift | KEY_HOME, {}, 0, 0, Sel(0, 0, 2, 1)},
           {kShift | KEY_PGDN, {}, 2, 0, Sel(2, 1, 0, 2)},
           {kShift | KEY_PGUP, {}, 0, 0, Sel(0, 0, 2, 1)},
           {kShift | KEY_UP, {}, 0, 0, Sel(0, 0, 2, 1)},
           {kCtrl | kShift | KEY_PGDN, {}, 2, 0, Sel(2, 1, 0, 2)},
           {kCtrl | kShift | KEY_RIGHT, {}, 2, 1, Sel(2, 1, 1, 2)},
           {kCtrl | kShift | KEY_PGUP, {}, 0, 1, Sel(1, 0, 2, 1)},
           {kCtrl | kShift | KEY_LEFT, {}, 0, 0, Sel(0, 0, 2, 1)},
       });
}

TEST(EditorKeys, AFullEditorRefusesNewLines) {
  TestDialog t;
  Strings full = Numbered(20, "e");
  Strings less = full;
  less.erase(less.begin() + 5);
  Strings pasted = less;
  pasted[5] = "e6q";
  PutOnClipboard("q\nr");
  Play(t, true, full, 5, 1,
       {
           {KEY_ENTER, {}, 5, 1},
           {kCtrl | 'N', {}, 5, 1},
           {kShift | KEY_RIGHT, {}, 5, 2, Sel(1, 5, 2, 5)},
           {kCtrl | 'V', {}, 5, 2, Sel(2, 5, 2, 5)},  // only the selection: the cursor's point
           {kCtrl | 'Y', less, 5, 2, Sel(2, 5, 2, 5)},
           {kShift | KEY_INS, pasted, 5, 3, Sel(2, 5, 3, 5)},  // room for one line: no break
       });
  EXPECT_EQ(t.consumed, std::vector<bool>(6, true));
}

#ifndef _WIN32
// A cut whose copy cannot reach the clipboard keeps its text. (Wine lets a
// second thread of the process open the clipboard all the same.)
TEST(EditorKeys, CutKeepsTheTextWhenTheClipboardIsBusy) {
  TestDialog t;
  std::atomic<bool> done{false};
  std::promise<bool> opened;
  std::thread holder;
  Play(t, false, {"abc"}, 0, 0,
       {
           {kShift | KEY_RIGHT, {}, 0, 1, Sel(0, 0, 1, 0)},
           {kCtrl | 'X', {}, 0, 1, Sel(0, 0, 1, 0)},
       },
       [&](TestDialog &, size_t key) {
         if (key != 1) return;
         holder = std::thread([&] {
           bool busy = OpenClipboard(nullptr);
           opened.set_value(busy);
           while (!done) std::this_thread::yield();
           if (busy) CloseClipboard();
         });
         EXPECT_TRUE(opened.get_future().get());
       });
  done = true;
  holder.join();
}
#endif

}  // namespace
