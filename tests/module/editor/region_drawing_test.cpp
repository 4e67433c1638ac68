#include <gtest/gtest.h>

#include "editor_fixture.hpp"

namespace {

// Rows of the text editor on the scripted dialog host: the dialog at (1, 1), the items
// from dialog column 13 to 72, row r on screen line 5 + r.
enum { kLeft = 14, kTop = 5, kRowWidth = 60, kHighlight = 0x1E, kOther = 0x4A };

struct DrawingTest : EditorTest {
  void SetUp() override {
    OpenAndDraw(text);
    EXPECT_INVARIANTS(text);
    text.AddRegion();
    EXPECT_INVARIANTS(text);
    text.AddRegion();
    EXPECT_INVARIANTS(text);
    text.regions[1].color = kHighlight;
    text.regions[2].color = kOther;
    host.ClearLog();
  }
  TextCall Call(int column, int row, int color, const std::string &piece) {
    return TextCall{kLeft + column, kTop + row, color, piece};
  }
  std::vector<TextCall> Paint(int index) {
    host.ClearLog();
    text.DrawRegion(text.regions[index]);
    EXPECT_INVARIANTS(text);
    return host.texts;
  }
};

std::string Pad(const std::string &s, size_t width) {
  return s + std::string(width - s.size(), ' ');
}

TEST_F(DrawingTest, RegionsOutsideTheWindowPaintNothing) {
  Load(text, Numbered(10));
  EXPECT_INVARIANTS(text);
  text.MoveTo(9, -1, false);  // lines 4 to 9 shown
  text.regions[1].Set(0, 1, 3, 2);
  EXPECT_TRUE(Paint(1).empty());
  text.MoveTo(0, -1, false);  // lines 0 to 5 shown
  text.regions[1].Set(0, 7, 2, 8);
  EXPECT_TRUE(Paint(1).empty());
  text.regions[1].Set(0, 5, 0, 6);  // the break of the last row shown: a blank cell run
  EXPECT_EQ(Paint(1), (std::vector<TextCall>{Call(0, 5, kHighlight, Pad("line5", 59))}));
}

TEST_F(DrawingTest, RegionsAcrossTheWindowEdgesAreCut) {
  Load(text, Numbered(10));
  EXPECT_INVARIANTS(text);
  text.MoveTo(9, -1, false);
  EXPECT_INVARIANTS(text);
  text.regions[1].Set(2, 2, 3, 5);  // starts above the window
  EXPECT_EQ(Paint(1), (std::vector<TextCall>{Call(0, 0, kHighlight, Pad("line4", 59)),
                                             Call(0, 1, kHighlight, "lin")}));
  text.MoveTo(0, -1, false);
  EXPECT_INVARIANTS(text);
  text.regions[1].Set(2, 3, 1, 9);  // ends below it
  EXPECT_EQ(Paint(1), (std::vector<TextCall>{Call(2, 3, kHighlight, Pad("ne3", 57)),
                                             Call(0, 4, kHighlight, Pad("line4", 59)),
                                             Call(0, 5, kHighlight, Pad("line5", 59))}));
}

TEST_F(DrawingTest, PastTheEndOfALineSpacesArePainted) {
  Load(text, {"abcdefg"});
  EXPECT_INVARIANTS(text);
  text.regions[1].Set(5, 0, 10, 0);
  EXPECT_EQ(Paint(1), (std::vector<TextCall>{Call(5, 0, kHighlight, "fg   ")}));
  text.regions[1].Set(0, 0, 200, 0);  // the last line stops at the item's width
  EXPECT_EQ(Paint(1), (std::vector<TextCall>{Call(0, 0, kHighlight, Pad("abcdefg", 60))}));
  text.regions[1].Set(70, 0, 80, 0);  // wholly right of the item
  EXPECT_TRUE(Paint(1).empty());
}

TEST_F(DrawingTest, NonFinalRowsStopOneCellShort) {
  Load(text, {"abc", "def", "ghi"});
  EXPECT_INVARIANTS(text);
  text.regions[1].Set(1, 0, 2, 2);
  std::vector<TextCall> calls = Paint(1);
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0], Call(1, 0, kHighlight, Pad("bc", 58)));
  EXPECT_EQ(calls[1], Call(0, 1, kHighlight, Pad("def", 59)));
  EXPECT_EQ(calls[2], Call(0, 2, kHighlight, "gh"));
  EXPECT_EQ(host.ScreenText(kLeft + kRowWidth - 1, kTop, 1), " ");
  EXPECT_EQ(host.ScreenColors(kLeft + kRowWidth - 2, kTop + 1, 2), "1E00");  // last cell left
}

TEST_F(DrawingTest, SelectionLiesOverHighlights) {
  Load(text, {"abcdefgh"});
  EXPECT_INVARIANTS(text);
  text.regions[1].Set(0, 0, 6, 0);
  text.regions[2].Set(5, 0, 8, 0);
  text.regions[0].Set(2, 0, 4, 0);
  text.DrawRegions();
  EXPECT_INVARIANTS(text);
  ASSERT_EQ(host.texts.size(), 3u);
  EXPECT_EQ(host.texts[0].color, kHighlight);
  EXPECT_EQ(host.texts[1].color, kOther);
  EXPECT_EQ(host.texts[2].color, ScriptedDialogHost::kSelectionColor);
  EXPECT_EQ(host.ScreenText(kLeft, kTop, 8), "abcdefgh");
  EXPECT_EQ(host.ScreenColors(kLeft, kTop, 8), "1E1E2F2F1E4A4A4A");
}

TEST_F(DrawingTest, EmptyRegionsAndUndrawnDialogsPaintNothing) {
  Load(text, {"abcdef", "ghi"});
  EXPECT_INVARIANTS(text);
  text.regions[1].SetPoint(2, 0);
  EXPECT_TRUE(Paint(1).empty());
  text.regions[1].Set(1, 0, 2, 1);
  text.drawn = false;  // hidden by the owner
  EXPECT_TRUE(Paint(1).empty());
  text.DrawRegions();
  EXPECT_INVARIANTS(text);
  Send(text, DN_DRAWDLGITEM, 14);
  EXPECT_INVARIANTS(text);
  EXPECT_TRUE(host.texts.empty());
  Send(text, DN_DRAWDIALOG, 0);
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(Paint(1).size(), 2u);

  ExaminedTextEditor fresh;  // never saw 4101
  Open(fresh);
  EXPECT_INVARIANTS(fresh);
  Load(fresh, {"xyz"});
  EXPECT_INVARIANTS(fresh);
  fresh.AddRegion();
  EXPECT_INVARIANTS(fresh);
  fresh.regions[1].Set(0, 0, 2, 0);
  host.ClearLog();
  fresh.DrawRegions();
  EXPECT_INVARIANTS(fresh);
  Send(fresh, DN_DRAWDLGITEM, 14);
  EXPECT_INVARIANTS(fresh);
  EXPECT_TRUE(host.texts.empty());
}

TEST_F(DrawingTest, AHostWithoutTheTextServicePaintsNothing) {
  Load(text, {"abcdef"});
  EXPECT_INVARIANTS(text);
  text.regions[1].Set(1, 0, 3, 0);
  host.info.Text = nullptr;
  host.ClearLog();
  text.DrawRegions();
  EXPECT_FALSE(Send(text, DN_DRAWDLGITEM, 14));
  EXPECT_EQ(host.CountOf(DM_GETITEMPOSITION), 0);
  EXPECT_EQ(host.ScreenText(kLeft, kTop, 6), "      ");
}

TEST_F(DrawingTest, ThePaintFollowsTheLastRow) {
  Load(text, {"abcdef"});
  EXPECT_INVARIANTS(text);
  text.regions[1].Set(1, 0, 3, 0);
  host.ClearLog();
  for (int item = 0; item < 14; item++) EXPECT_FALSE(Send(text, DN_DRAWDLGITEM, item));
  EXPECT_TRUE(host.texts.empty());
  EXPECT_FALSE(Send(text, DN_DRAWDLGITEM, 14));
  EXPECT_INVARIANTS(text);
  EXPECT_EQ(host.texts, (std::vector<TextCall>{Call(1, 0, kHighlight, "bc")}));
  host.ClearLog();
  text.Refresh();  // every refresh repaints
  EXPECT_EQ(host.texts.size(), 1u);
}

TEST_F(DrawingTest, ARowWithoutAPositionEndsTheRegion) {
  Load(text, Numbered(6));
  EXPECT_INVARIANTS(text);
  text.regions[1].Set(0, 0, 2, 4);
  host.refusePositionOf = 10;  // row 2
  EXPECT_EQ(Paint(1).size(), 2u);
  text.regions[2].Set(0, 3, 2, 4);  // later rows still paint for a region below it
  EXPECT_EQ(Paint(2).size(), 2u);
}

TEST_F(DrawingTest, LongLinesPaintTheirFirst499Characters) {
  std::string line;
  for (int i = 0; i < 520; i++) line += static_cast<char>('a' + i % 26);
  Load(text, {line});
  EXPECT_INVARIANTS(text);
  host.items[8].rect.Right = 13 + 599;  // a row 600 cells wide
  text.regions[1].Set(490, 0, 520, 0);
  std::vector<TextCall> calls = Paint(1);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].text, line.substr(490, 9) + std::string(21, ' '));
  text.regions[1].Set(0, 0, 600, 0);
  calls = Paint(1);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].text.size(), 499u);  // one piece buffer
}

}  // namespace
