#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>

#include "editor_fixture.hpp"
#include "host/clipboard.hpp"
#include "host/editor_link.hpp"
#include "private_clipboard.hpp"

PARDUNE_PRIVATE_CLIPBOARD("editor");

namespace {

using Strings = std::vector<std::string>;

Strings Split(const char *text, int limit) {
  char *table[128] = {};
  int count = -1;
  SplitText(text, table, &count, limit);
  Strings out;
  for (int i = 0; i < count; i++) {
    out.push_back(table[i]);
    free(table[i]);
  }
  for (int i = count; i < 128; i++) EXPECT_EQ(table[i], nullptr);
  return out;
}

TEST(SplitText, EveryKindOfBreak) {
  struct Case {
    const char *text;
    int limit;
    Strings pieces;
  } cases[] = {
      {"a\r\nb", 100, {"a", "b"}},
      {"a\n\rb", 100, {"a", "b"}},
      {"a\r\rb", 100, {"a", "b"}},  // two breaks, the blank line between dropped
      {"a\n\nb", 100, {"a", "b"}},
      {"a\rb", 100, {"a", "b"}},
      {"a\nb", 100, {"a", "b"}},
      {"a\n", 100, {"a", ""}},
      {"a\r\n", 100, {"a", ""}},
      {"\nb", 100, {"b"}},
      {"\r\n\r\nb", 100, {"b"}},
      {"\n", 100, {""}},
      {"\r\n\n\r\r", 100, {""}},
      {"abc", 100, {"abc"}},
      {"", 100, {}},
      {nullptr, 100, {}},
      {"a\nb\nc", 2, {"a", "b"}},
      {"a\nb", 2, {"a", "b"}},
      {"a\nb", 1, {"a"}},
      {"abc", 1, {"abc"}},
      {"\n\nabc", 1, {"abc"}},
      {"a\nb", 0, {}},
      {"a\nb", -3, {}},
      {"one\r\n\r\ntwo \n\tthree\r", 100, {"one", "two ", "\tthree", ""}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << (c.text ? c.text : "(none)") << " limit " << c.limit);
    EXPECT_EQ(Split(c.text, c.limit), c.pieces);
  }
}

TEST(SplitText, CrLfOnlyPairsWithTheOtherKind) {
  EXPECT_EQ(Split("a\r\n\rb", 100), (Strings{"a", "b"}));  // CR LF, then CR
  EXPECT_EQ(Split("a\n\r\nb", 100), (Strings{"a", "b"}));  // LF CR, then LF
  EXPECT_EQ(Split("x\n\r\n\ry", 100), (Strings{"x", "y"}));
}

std::string Block(int lines, bool finalBreak) {
  std::string out;
  for (int i = 1; i <= lines; i++) {
    out += "row" + std::to_string(i);
    if (i < lines || finalBreak) out += "\r\n";
  }
  return out;
}

TEST_F(EditorTest, SetTextReplacesEverything) {
  Open(text);
  EXPECT_INVARIANTS(text);
  text.SetText(Block(60, false).c_str());
  EXPECT_INVARIANTS(text);
  ASSERT_EQ(text.lineCount, 60);
  EXPECT_EQ(text.LineText(59), std::string("row60"));
  EXPECT_TRUE(text.modified);
  EXPECT_EQ(Rows(text)[0], "row1");
  EXPECT_EQ(Status(text), "* Pos: 1:1(of 60)");

  Open(expression);
  EXPECT_INVARIANTS(expression);
  expression.SetText(Block(25, true).c_str());
  EXPECT_INVARIANTS(expression);
  ASSERT_EQ(expression.lineCount, 20);
  EXPECT_EQ(expression.LineText(0), std::string("row1"));
  EXPECT_EQ(expression.LineText(19), std::string("row20"));

  text.MoveTo(40, 3, false);
  EXPECT_INVARIANTS(text);
  text.SetText("");
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(LinesOf(text), Strings{""});
  EXPECT_EQ(text.topLine, 0);
  EXPECT_EQ(text.CurrentLine(), 0);
  EXPECT_EQ(Shown(text), (std::vector<bool>{true, false, false, false, false, false}));

  text.SetText("a\nb\n");
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(LinesOf(text), (Strings{"a", "b", ""}));
}

void PutOnClipboard(const char *textToPut) {
  ASSERT_TRUE(ClipboardPut(textToPut, static_cast<int>(strlen(textToPut))));
}

void EmptyTheClipboard() {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
}

TEST_F(EditorTest, PasteAllTakesTheClipboardsText) {
  Open(text);
  EXPECT_INVARIANTS(text);
  PutOnClipboard("first\r\nsecond\r\n\r\nthird");
  EXPECT_TRUE(text.PasteAll());
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(LinesOf(text), (Strings{"first", "second", "third"}));
  EXPECT_TRUE(text.modified);

  Open(expression);
  EXPECT_INVARIANTS(expression);
  PutOnClipboard(Block(25, false).c_str());
  EXPECT_TRUE(expression.PasteAll());
  EXPECT_INVARIANTS(expression);
  EXPECT_EQ(expression.lineCount, 20);
  EXPECT_INVARIANTS(expression);
}

TEST_F(EditorTest, PasteAllFromAnEmptyClipboardLeavesOneEmptyLine) {
  Open(text);
  EXPECT_INVARIANTS(text);
  Load(text, Numbered(12));
  EXPECT_INVARIANTS(text);
  text.MoveTo(11, 2, false);
  EXPECT_INVARIANTS(text);
  text.modified = false;
  EmptyTheClipboard();
  host.ClearLog();
  EXPECT_FALSE(text.PasteAll());
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(LinesOf(text), Strings{""});
  EXPECT_EQ(Rows(text), (Strings{"", "", "", "", "", ""}));  // shown at once
  EXPECT_EQ(Shown(text), (std::vector<bool>{true, false, false, false, false, false}));
  EXPECT_TRUE(text.modified);  // the old text is gone
  EXPECT_EQ(text.topLine, 0);

  text.modified = false;  // nothing to lose the second time: not a change
  EXPECT_FALSE(text.PasteAll());
  EXPECT_INVARIANTS(text);
  EXPECT_FALSE(text.modified);
  EXPECT_INVARIANTS(text);

  PutOnClipboard("x");  // a text, then an empty one
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, 4);
  ASSERT_NE(block, nullptr);
  memset(GlobalLock(block), 0, 4);
  GlobalUnlock(block);
  SetClipboardData(CF_TEXT, block);
  CloseClipboard();
  Load(text, {"keep?"});
  EXPECT_INVARIANTS(text);
  EXPECT_TRUE(text.PasteAll());  // readable, but empty: no text set
  EXPECT_EQ(LinesOf(text), Strings{""});
  EXPECT_INVARIANTS(text);
}

TEST_F(EditorTest, CopyAllJoinsTheLines) {
  Open(text);
  EXPECT_INVARIANTS(text);
  Load(text, {"ab", "cd"});
  EXPECT_INVARIANTS(text);
  PutOnClipboard("old");
  text.CopyAll();
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(ClipboardText(), "ab\ncd");
  EXPECT_EQ(LinesOf(text), (Strings{"ab", "cd"}));
  EXPECT_INVARIANTS(text);

  Load(text, {""});
  EXPECT_INVARIANTS(text);
  text.CopyAll();  // one empty line still replaces the clipboard
  EXPECT_EQ(ClipboardText(), "");

  Load(text, {"", "x", ""});  // blank lines before the last come back lost
  text.CopyAll();
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(ClipboardText(), "\nx\n");
  EXPECT_TRUE(expression.PasteAll());
  EXPECT_INVARIANTS(expression);
  EXPECT_EQ(LinesOf(expression), (Strings{"x", ""}));
}

TEST_F(EditorTest, CopyAllThenPasteAllGivesTheLinesBack) {
  Open(text);
  EXPECT_INVARIANTS(text);
  Load(text, Numbered(100));
  EXPECT_INVARIANTS(text);
  text.CopyAll();
  EXPECT_INVARIANTS(text);
  ExaminedTextEditor other;
  Open(other);
  EXPECT_INVARIANTS(other);
  EXPECT_TRUE(other.PasteAll());
  EXPECT_INVARIANTS(other);
  EXPECT_EQ(LinesOf(other), Numbered(100));
}

TEST_F(EditorTest, LoadFromHostEditorTakesTheFirstLines) {
  host.editorOpen = true;
  host.editorLines = Numbered(150, "file");
  EditorLink link;
  ASSERT_TRUE(link.Available);
  Send(text, DN_INITDIALOG, 0, reinterpret_cast<LONG_PTR>(&link));
  EXPECT_INVARIANTS(text);
  text.modified = false;
  text.LoadFromHostEditor(0);
  EXPECT_INVARIANTS(text);
  ASSERT_EQ(text.lineCount, 100);
  EXPECT_EQ(LinesOf(text), Numbered(100, "file"));
  EXPECT_EQ(host.editorReads, 100);  // no read past the capacity
  EXPECT_FALSE(text.modified);
  EXPECT_EQ(Rows(text)[5], "file5");

  host.editorLines = {"alpha", "", "gamma"};
  text.LoadFromHostEditor(1);
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(LinesOf(text), (Strings{"", "gamma"}));
  EXPECT_INVARIANTS(text);

  text.LoadFromHostEditor(3);  // past the end: the text stays
  EXPECT_EQ(LinesOf(text), (Strings{"", "gamma"}));
}

// A text made shorter while the focus sat on a lower row: keys must not
// then arrive at a row that shows no line.
TEST_F(EditorTest, ShorterTextTakesTheFocusOffRowsWithoutALine) {
  Open(text);
  const std::function<void()> shorten[] = {
      [this] { text.SetText("one\ntwo"); },
      [this] {
        PutOnClipboard("one");
        text.PasteAll();
      },
  };
  for (const auto &make : shorten) {
    text.SetText(Block(60, false).c_str());
    text.MoveTo(4, 0, false);
    ASSERT_EQ(host.focus, text.rowItems[4]);
    make();
    int row = text.RowOfItem(host.focus);
    ASSERT_GE(row, 0);
    EXPECT_LT(text.topLine + row, text.lineCount);
    Send(text, DN_KEY, host.focus, KEY_DOWN);
    EXPECT_INVARIANTS(text);
  }
}

TEST_F(EditorTest, LoadWithoutAHostEditorChangesNothing) {
  EditorLink none;  // no editor open
  EXPECT_FALSE(none.Available);
  Send(text, DN_INITDIALOG, 0, reinterpret_cast<LONG_PTR>(&none));
  EXPECT_INVARIANTS(text);
  Load(text, {"mine"});
  EXPECT_INVARIANTS(text);
  text.LoadFromHostEditor(0);
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(LinesOf(text), Strings{"mine"});
  Send(text, DN_INITDIALOG, 0, 0);  // no link at all
  text.LoadFromHostEditor(0);
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(LinesOf(text), Strings{"mine"});
  EXPECT_INVARIANTS(text);
}

}  // namespace
