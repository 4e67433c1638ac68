// The editors inside the tester's layout on the file manager stand-in:
// golden screens of their rows, regions and position lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "editor_checks.hpp"
#include "farhost/host_editor.hpp"
#include "farhost/screen.hpp"
#include "host/editor_link.hpp"
#include "support/golden.hpp"
#include "test_dialog.hpp"

namespace {

using test_support::ExpectGolden;
using test_support::ScreenDump;
using Strings = std::vector<std::string>;

// Row r of the text editor starts at screen (14, 5 + r); the expression
// editor's at (14, 14 + r); the dialog sits at (1, 1).
enum { kRowX = 14, kTextRowY = 5, kExpressionRowY = 14 };

// The screen as the backend last showed it while the dialog was open (the
// stand-in restores what lay under the dialog when it closes).
const TestDialog *Shown = nullptr;

std::string ScreenRow(int x, int y, int count) {
  return Shown->backend.finalText.substr(static_cast<size_t>(y) * 81 + x, count);
}

unsigned char AttrAt(int x, int y) {
  return static_cast<unsigned char>(std::stoi(
      Shown->backend.finalAttributes.substr(static_cast<size_t>(y) * 161 + 2 * x, 2), nullptr, 16));
}

std::string Trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

TEST(EditorScreen, RegionsOverTheRows) {
  TestDialog t;
  t.onInit = [](TestDialog &d) {
    Load(d.text, {"zero", "one", "two two", "three 3", "abcdefg", "five", "six six six", "seven",
                  "eight", "nine"});
    d.text.MoveTo(7, -1, false);  // lines 2 to 7 shown
    struct {
      int sc, sl, ec, el;
      uint32_t color;
    } regions[] = {
        {0, 0, 2, 1, 0x1E},   // above the window: nothing
        {2, 1, 3, 3, 0x2E},   // across its top edge
        {5, 4, 10, 4, 0x4F},  // past the end of a 7-character line
        {4, 6, 2, 9, 0x5F},   // across its bottom edge
        {3, 5, 3, 5, 0x3A},   // empty: nothing
        {3, 5, 0, 6, 0x1A},   // to column 0 of the next line: the break
        {0, 8, 4, 9, 0x6E},   // below the window: nothing
    };
    int k = 0;
    for (const auto &r : regions) {
      Region *region = d.text.GetRegion(d.groupRegions[k++]);
      region->Set(r.sc, r.sl, r.ec, r.el);
      region->color = r.color;
    }
    d.text.GetRegion(0)->Set(1, 4, 6, 4);  // the selection over the highlight
    Load(d.expression, {"a+b", "c"});
    d.expression.GetRegion(0)->Set(1, 0, 1, 1);
    d.expression.UpdateStatus();
    d.text.Refresh();
  };
  t.Run();
  Shown = &t;
  EXPECT_INVARIANTS(t.text);
  EXPECT_INVARIANTS(t.expression);
  ExpectGolden(EDITOR_GOLDEN_DIR, "regions",
               ScreenDump(t.backend.finalText, t.backend.finalAttributes));
}

TEST(EditorScreen, NothingIsPaintedBeforeTheDialogIsDrawn) {
  TestDialog t;
  bool blankAtInit = false;
  t.onInit = [&blankAtInit](TestDialog &d) {
    Load(d.text, {"abcdef"});
    Region *region = d.text.GetRegion(d.groupRegions[0]);
    region->Set(0, 0, 3, 0);
    region->color = 0x4E;
    d.text.DrawRegions();
    farhost::Cell cell = farhost::TheScreen().At(kRowX, kTextRowY);
    blankAtInit = !d.text.drawn && cell.attr == 0x07 && cell.ch == ' ';
  };
  t.Run();
  Shown = &t;
  EXPECT_TRUE(blankAtInit);
  EXPECT_TRUE(t.text.drawn);
  EXPECT_EQ(ScreenRow(kRowX, kTextRowY, 6), "abcdef");
  EXPECT_EQ(AttrAt(kRowX + 2, kTextRowY), 0x4E);
  EXPECT_NE(AttrAt(kRowX + 3, kTextRowY), 0x4E);
}

std::string Block(int lines, const char *prefix) {
  std::string out;
  for (int i = 1; i <= lines; i++) out += prefix + std::to_string(i) + (i < lines ? "\n" : "");
  return out;
}

TEST(EditorScreen, LongTextsAndTheirPositionLines) {
  TestDialog t;
  t.onInit = [](TestDialog &d) {
    d.text.SetText(Block(60, "text ").c_str());
    d.expression.SetText(Block(25, "expr ").c_str());
    d.text.MoveTo(59, 3, false);
  };
  t.Run();
  Shown = &t;
  EXPECT_EQ(t.text.lineCount, 60);
  EXPECT_EQ(t.expression.lineCount, 20);
  EXPECT_EQ(Trimmed(ScreenRow(kRowX, 3, 30)), "* Pos: 4:60(of 60)");
  EXPECT_EQ(Trimmed(ScreenRow(kRowX, 12, 30)), "* Pos: 1:1(of 20)");
  EXPECT_EQ(Trimmed(ScreenRow(kRowX, kTextRowY, 20)), "text 55");
  EXPECT_EQ(Trimmed(ScreenRow(kRowX, kTextRowY + 5, 20)), "text 60");
  EXPECT_EQ(Trimmed(ScreenRow(kRowX, kExpressionRowY + 5, 20)), "expr 6");
  ExpectGolden(EDITOR_GOLDEN_DIR, "long_texts",
               ScreenDump(t.backend.finalText, t.backend.finalAttributes));
}

TEST(EditorScreen, TypingIsReadBackFromTheRow) {
  TestDialog t;
  t.onInit = [](TestDialog &d) { Load(d.text, {"", "second"}); };
  t.Keys("hello");
  t.Run();
  Shown = &t;
  EXPECT_EQ(LinesOf(t.text), (Strings{"hello", "second"}));
  EXPECT_TRUE(t.text.modified);
  EXPECT_EQ(t.text.cursorColumn, 5);
  EXPECT_EQ(Trimmed(ScreenRow(kRowX, 3, 30)), "* Pos: 6:1(of 2)");
  EXPECT_EQ(Trimmed(ScreenRow(kRowX, kTextRowY, 20)), "hello");
  EXPECT_INVARIANTS(t.text);
}

TEST(EditorScreen, ShortTextsHideTheRowsBelow) {
  TestDialog t;
  t.onInit = [](TestDialog &d) { Load(d.text, {"one", "two", "three"}); };
  t.Run();
  Shown = &t;
  unsigned char edit = AttrAt(kRowX + 10, kTextRowY);
  EXPECT_EQ(AttrAt(kRowX + 10, kTextRowY + 2), edit);
  EXPECT_NE(AttrAt(kRowX + 10, kTextRowY + 3), edit);  // hidden: the dialog's background
  EXPECT_EQ(AttrAt(kRowX + 10, kTextRowY + 3), AttrAt(kRowX + 10, kTextRowY + 5));
  EXPECT_EQ(AttrAt(kRowX + 10, kExpressionRowY + 1), AttrAt(kRowX + 10, kTextRowY + 3));
}

TEST(EditorScreen, LoadsTheFirstHundredLinesOfTheHostsFile) {
  const char *path = "editor_screen_load.txt";
  {
    std::ofstream file(path, std::ios::binary);
    for (int i = 1; i <= 150; i++) file << "file line " << i << "\r\n";
  }
  std::string error;
  ASSERT_TRUE(farhost::OpenHostEditor(path, farhost::HostEditorOptions(), &error)) << error;
  {
    TestDialog t;
    EditorLink link;
    ASSERT_TRUE(link.Available);
    t.onInit = [](TestDialog &d) {
      d.text.LoadFromHostEditor(0);
      d.text.SetModified(false);
    };
    t.Run(&link);
    Shown = &t;
    ASSERT_EQ(t.text.lineCount, 100);
    EXPECT_EQ(t.text.LineText(0), std::string("file line 1"));
    EXPECT_EQ(t.text.LineText(99), std::string("file line 100"));
    EXPECT_EQ(Trimmed(ScreenRow(kRowX, 3, 30)), "  Pos: 1:1(of 100)");
    EXPECT_EQ(Trimmed(ScreenRow(kRowX, kTextRowY + 5, 20)), "file line 6");
    EXPECT_INVARIANTS(t.text);
  }
  farhost::CloseHostEditor();
  remove(path);
}

}  // namespace
