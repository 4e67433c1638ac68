// The color picker: where it opens, what it returns, its title and samples.
#include "dialogs/color_picker.hpp"
#include "settings_dialogs.hpp"

namespace {

// The picker (39x15) sits at (20, 5) of the 80x25 screen. Foreground k's
// mark is at (27 + 3 (k / 4), 8 + k % 4), background k's 15 columns right.
int MarkX(int k, bool background = false) {
  return 27 + 3 * (k / 4) + (background ? 15 : 0);
}
int MarkY(int k) {
  return 8 + k % 4;
}
enum { kTitleRow = 6, kSampleX = 25, kFirstSampleRow = 13, kButtonRow = 17 };

// The texts the color table gives the picker.
const PickerTexts kTableTexts = {{MessageRef::Id(21), MessageRef::Id(22), MessageRef::Id(23),
                                  MessageRef::Id(24), MessageRef::Id(4), MessageRef::Id(25)}};

class Picker : public SettingsDialogs {
 protected:
  // The title row between the frame's corners.
  std::string Title() const { return TextAt(23, kTitleRow, 33); }
  int32_t Pick(int32_t attribute, const PickerTexts *texts = &kTableTexts) {
    NextRun();
    return PickColor(attribute, texts, nullptr);
  }
};

TEST_F(Picker, OpensOnTheGivenColor) {
  EXPECT_EQ(0x1F, Pick(0x1F));  // input ends: not confirmed
  ExpectScreen("picker_1f");
  // The focus is on foreground 15; background 1 is selected.
  EXPECT_TRUE(backend.finalCursorVisible);
  EXPECT_EQ(MarkX(15), backend.finalCursorX);
  EXPECT_EQ(MarkY(15), backend.finalCursorY);
  EXPECT_EQ("\x07", TextAt(MarkX(15), MarkY(15), 1));
  EXPECT_EQ("\x07", TextAt(MarkX(1, true), MarkY(1), 1));

  // The built-in texts, and the number in three columns, hex and octal.
  EXPECT_EQ(0x07, Pick(0x07, nullptr));
  EXPECT_NE(std::string::npos, Title().find(" Color(  7 0x07 007) ")) << Title();
  EXPECT_EQ("{ Set } [ Cancel ]", TextAt(30, kButtonRow, 18));
  EXPECT_EQ(240, Pick(240, nullptr));
  EXPECT_NE(std::string::npos, Title().find(" Color(240 0xF0 360) ")) << Title();
  EXPECT_EQ("Foreground", TextAt(27, 7, 10));
  EXPECT_EQ("Background", TextAt(42, 7, 10));
  EXPECT_EQ("Text Text Text Text Text Text", TextAt(kSampleX, kFirstSampleRow + 2, 29));
}

// Keys: the focus walks the grids and selects as it goes; 7 on 7 is allowed.
TEST_F(Picker, KeysChooseSevenOnSeven) {
  Keys({KEY_LEFT, KEY_LEFT, KEY_ALT | 'B', KEY_RIGHT, KEY_DOWN, KEY_DOWN, KEY_ENTER});
  EXPECT_EQ(0x77, Pick(0x1F));
  ASSERT_GE(Sent().size(), 2u);
  const SentMessage &last = Sent()[Sent().size() - 2];
  EXPECT_EQ(DM_SETTEXT, last.message);
  EXPECT_EQ("Color(119 0x77 167)", last.text);
}

// The samples are drawn in the color being chosen, never in their own.
TEST_F(Picker, SamplesShowTheChosenColor) {
  Keys({KEY_UP, KEY_UP, KEY_TAB, KEY_RIGHT, KEY_UP});  // foreground 13, background 4
  EXPECT_EQ(0x1F, Pick(0x1F));
  EXPECT_NE(std::string::npos, Title().find("Color( 77 0x4D 115)")) << Title();
  std::string chosen;
  for (int i = 0; i < 29; ++i) chosen += "4D";
  for (int row = 0; row < 3; ++row)
    EXPECT_EQ(chosen, AttributesAt(kSampleX, kFirstSampleRow + row, 29)) << "sample " << row;
}

// Not confirmed: the attribute comes back whole, high bits and all; every
// click on a button rewrites the title first.
TEST_F(Picker, UnconfirmedReturnsTheAttributeWhole) {
  const int32_t handEdited = int32_t(0xFFFF0E2Eu);
  Keys({KEY_RIGHT, KEY_DOWN, KEY_ESC});
  EXPECT_EQ(handEdited, Pick(handEdited));

  Sent().clear();
  Click(MarkX(4), MarkY(4));
  Click(MarkX(14, true), MarkY(14));
  Click(41, kButtonRow);  // [ Close ]
  EXPECT_EQ(handEdited, Pick(handEdited));
  std::vector<std::string> titles;
  for (const SentMessage &sent : Sent()) {
    if (sent.message == DM_SETTEXT) {
      EXPECT_EQ(0, sent.param1);
      titles.push_back(sent.text);
    }
  }
  EXPECT_EQ((std::vector<std::string>{"Color( 36 0x24 044)", "Color(228 0xE4 344)",
                                      "Color(228 0xE4 344)"}),
            titles);
  EXPECT_EQ(DM_REDRAW, Sent().back().message);

  // The mouse chooses as the keys do; the confirming button gives 0 to 255.
  Click(MarkX(4), MarkY(4));
  Click(MarkX(14, true), MarkY(14));
  Click(31, kButtonRow);  // { Choose }
  EXPECT_EQ(0xE4, Pick(handEdited));
}

}  // namespace
