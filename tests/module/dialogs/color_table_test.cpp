// The color table: its rows, the picker per row, and what reaches Settings.
#include "dialogs/color_table.hpp"
#include "settings/settings.hpp"
#include "settings_dialogs.hpp"

namespace {

// The table (47x23) sits at (16, 1); row i is on screen line 3 + i, its
// sample from column 31, its button from 43. The picker over it at (20, 5).
enum { kSampleX = 31, kButtonX = 43, kFirstRowY = 3, kOkY = 20, kPickerTitleY = 6 };

class ColorTable : public SettingsDialogs {
 protected:
  std::string Sample(int row) const { return AttributesAt(kSampleX, kFirstRowY + row, 11); }
  static std::string Cells(const char *attribute, int count) {
    std::string cells;
    for (int i = 0; i < count; ++i) cells += attribute;
    return cells;
  }
};

TEST_F(ColorTable, RowsLabelsAndHotkeys) {
  // A hand-edited value: only its low byte shows, no other flag is set.
  const int32_t handEdited = int32_t(0x80001234u);
  Settings.GroupColors[2] = handEdited;
  ShowColorTableDialog();
  ExpectScreen("color_table");
  EXPECT_EQ("Color 1", TextAt(21, kFirstRowY, 7));
  EXPECT_EQ("Color 16", TextAt(21, kFirstRowY + 15, 8));
  EXPECT_EQ("[ 9 Change ]", TextAt(kButtonX, kFirstRowY + 8, 12));
  EXPECT_EQ("[ G Change ]", TextAt(kButtonX, kFirstRowY + 15, 12));
  EXPECT_EQ(Cells("34", 11), Sample(2));
  EXPECT_EQ(handEdited, Settings.GroupColors[2]);

  // The row hotkeys open the picker on that row's color.
  NextRun();
  Keys({'9'});
  ShowColorTableDialog();
  EXPECT_NE(std::string::npos, TextAt(23, kPickerTitleY, 33).find("Color(137 0x89 211)"));
  NextRun();
  Keys({KEY_ALT | 'G'});
  ShowColorTableDialog();
  EXPECT_NE(std::string::npos, TextAt(23, kPickerTitleY, 33).find("Color( 31 0x1F 037)"));
}

// A color set in the picker shows in its row at once; Escape then leaves
// Settings as it was, OK takes the working copy.
TEST_F(ColorTable, WorkingCopyUntilAccepted) {
  const int32_t before = Settings.GroupColors[1];  // 0xF1
  // Row 2: foreground 1 -> 2 and set; row 3: picker left with Escape;
  // back in the table, the picker for row 2 opens on the new color.
  Keys({'2', KEY_DOWN, KEY_ENTER, '3', KEY_DOWN, KEY_ESC, KEY_ESC});
  CaptureBefore(3);  // the table shown again after row 2 was set
  ShowColorTableDialog();
  EXPECT_EQ(Cells("F2", 11), CapturedAttributesAt(kSampleX, kFirstRowY + 1, 11));
  EXPECT_EQ(before, Settings.GroupColors[1]);

  NextRun();
  Keys({'2', KEY_DOWN, KEY_ENTER, KEY_ALT | 'O'});
  ShowColorTableDialog();
  EXPECT_EQ(0xF2, Settings.GroupColors[1]);
  EXPECT_EQ(0xE2, Settings.GroupColors[2]);  // row 3 untouched
}

TEST_F(ColorTable, HelpShowsColors) {
  Keys({KEY_F1});
  ShowColorTableDialog();
  EXPECT_NE(std::string::npos, backend.finalText.find("Group colors"));
  EXPECT_NE(std::string::npos, backend.finalText.find("color picker"));
}

}  // namespace
