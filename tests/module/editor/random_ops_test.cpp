// Long seeded runs of mixed operations: after each one the model keeps its
// rules, the rows show the window, and text extraction stays in its buffer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "editor_fixture.hpp"

namespace {

struct RandomRun : EditorTest {
  std::mt19937 rng;
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

  std::string Word(int maxLength) {
    std::string out;
    int n = Pick(0, maxLength);
    for (int i = 0; i < n; i++) out += static_cast<char>(Pick(32, 126));
    return out;
  }

  std::string Block() {
    static const char *breaks[] = {"\n", "\r", "\r\n", "\n\r", "\n\n", "\r\r"};
    std::string out;
    int lines = Pick(0, 130);
    for (int i = 0; i < lines; i++) {
      out += Word(Pick(0, 1) ? 12 : 600);
      if (i + 1 < lines || Pick(0, 1)) out += breaks[Pick(0, 5)];
    }
    return out;
  }

  void ExpectRowsShowTheWindow(LineEditor &e) {
    for (int row = 0; row < e.rowCount; row++) {
      const FakeItem &item = host.items[e.rowItems[row]];
      int line = e.topLine + row;
      if (line < e.lineCount) {
        EXPECT_TRUE(item.visible) << "row " << row;
        EXPECT_EQ(item.text, std::string(e.LineText(line)).substr(0, 511)) << "row " << row;
      } else {
        EXPECT_FALSE(item.visible) << "row " << row;
      }
    }
  }

  void ExpectExtractionBounded(LineEditor &e) {
    Region range = {};
    range.Set(Pick(-3, 600), Pick(-3, e.lineCount + 3), Pick(-3, 600), Pick(-3, e.lineCount + 3));
    int full = e.ExtractText(range, nullptr, 0);
    std::vector<char> whole(static_cast<size_t>(full) + 1);
    ASSERT_EQ(e.ExtractText(range, whole.data(), full + 1), full);
    ASSERT_EQ(strlen(whole.data()), static_cast<size_t>(full));
    int capacity = Pick(0, full + 2);
    std::vector<char> part(static_cast<size_t>(capacity) + 16, '#');
    e.ExtractText(range, part.data(), capacity);
    for (size_t i = static_cast<size_t>(capacity); i < part.size(); i++) ASSERT_EQ(part[i], '#');
    if (capacity > 0) {
      size_t stored = strlen(part.data());
      ASSERT_LT(stored, static_cast<size_t>(capacity));
      ASSERT_EQ(std::string(part.data()), std::string(whole.data()).substr(0, stored));
    }
  }

  void Step(StatusLineEditor &e) {
    switch (Pick(0, 9)) {
      case 0:
        e.SetText(Block().c_str());
        break;
      case 1:
      case 2:
        e.MoveTo(Pick(-5, e.lineCount + 5), Pick(-1, 600), Pick(0, 1) == 1);
        break;
      case 3: {  // the user edits a shown row
        int row = Pick(0, std::min(e.rowCount, e.lineCount - e.topLine) - 1);
        host.items[e.rowItems[row]].text = Word(520).substr(0, 511);
        host.items[e.rowItems[row]].cursor = Pick(0, 511);
        Send(e, DN_EDITCHANGE, e.rowItems[row]);
        break;
      }
      case 4: {  // a key on a shown row
        int row = Pick(0, std::min(e.rowCount, e.lineCount - e.topLine) - 1);
        host.items[e.rowItems[row]].cursor = Pick(0, 511);
        Send(e, DN_KEY, e.rowItems[row], 0x174);
        break;
      }
      case 5: {  // lines removed from anywhere, as a deletion does
        int count = Pick(1, 3);
        if (e.lineCount <= count) break;
        int from = Pick(0, e.lineCount - count);
        for (int i = from; i < from + count; i++) free(e.lines[i]);
        memmove(e.lines + from, e.lines + from + count,
                sizeof(char *) * static_cast<size_t>(e.lineCount - from - count));
        e.lineCount -= count;
        e.MoveTo(std::min(from, e.lineCount - 1), e.cursorColumn, true);
        break;
      }
      case 6: {  // the row is padded for typing; the line stays as it is
        e.cursorColumn = Pick(0, 600);
        int line = Pick(-2, e.lineCount + 2);
        std::string before = line >= 0 && line < e.lineCount ? e.LineText(line) : "";
        e.PadToCursor(line);
        int row = line - e.topLine;
        if (line >= 0 && line < e.lineCount && row >= 0 && row < e.rowCount) {
          size_t width = static_cast<size_t>(std::min(e.cursorColumn, 511));
          std::string expected = before.size() < width
                                     ? before + std::string(width - before.size(), ' ')
                                     : before.substr(0, 511);
          EXPECT_EQ(host.items[e.rowItems[row]].text, expected);
          EXPECT_EQ(e.LineText(line), before);
        }
        e.Refresh();
        break;
      }
      case 7: {
        if (e.regionCount < 17) e.AddRegion();
        Region &r = e.regions[Pick(0, e.regionCount - 1)];
        r.Set(Pick(0, 80), Pick(0, e.lineCount), Pick(0, 80), Pick(0, e.lineCount));
        r.Normalize();
        Send(e, Pick(0, 1) ? DN_DRAWDIALOG : DN_DRAWDLGITEM, e.rowItems[e.rowCount - 1] + 1);
        e.DrawRegions();
        break;
      }
      case 8:
        ExpectExtractionBounded(e);
        break;
      case 9:
        e.SetModified(Pick(0, 1) == 1);
        break;
    }
    ASSERT_TRUE(Invariants(e));
    ExpectRowsShowTheWindow(e);
    for (const TextCall &call : host.texts) ASSERT_LE(call.text.size(), 499u);
    host.ClearLog();
  }
};

TEST_F(RandomRun, MixedOperationsKeepTheEditorsSound) {
  Open(text);
  Open(expression);
  for (unsigned seed = 1; seed <= 6; seed++) {
    rng.seed(seed);
    for (int i = 0; i < 400; i++) {
      SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << i);
      Step(seed % 2 ? static_cast<StatusLineEditor &>(text) : expression);
      if (HasFatalFailure() || HasNonfatalFailure()) return;
    }
  }
}

}  // namespace
