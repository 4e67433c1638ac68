// Golden screens of every item type and flag combination the module uses.
#include <gtest/gtest.h>

#include <vector>

#include "support.hpp"

namespace farhost_test {
namespace {

using farhost::TheScreen;

int RunDialog(int width, int height, std::vector<FarDialogItem> &items,
              FARWINDOWPROC proc = nullptr) {
  return farhost::DialogEx(0, -1, -1, width, height, nullptr, items.data(), int(items.size()), 0, 0,
                           proc, 0);
}

TEST(DrawGolden, ItemsAndFlags) {
  Session session(60, 20);
  std::vector<FarDialogItem> items = {
      MakeItem(DI_DOUBLEBOX, 3, 1, 52, 16, 0, "&Title"),
      MakeItem(DI_TEXT, 5, 2, 0, 0, 0, "Plain &text"),
      MakeItem(DI_TEXT, -1, 3, 0, 0, 0, "Centred"),
      MakeItem(DI_TEXT, 30, 2, 0, 0, DIF_SETCOLOR | 0x1E, "Coloured"),
      MakeItem(DI_TEXT, 40, 2, 0, 0, DIF_DISABLE, "Off"),
      MakeItem(DI_TEXT, 0, 12, 0, 12, DIF_SEPARATOR | DIF_BOXCOLOR, "Status"),
      MakeItem(DI_TEXT, -1, 4, -1, 4, DIF_SEPARATOR | DIF_BOXCOLOR, "Middle"),
      MakeItem(DI_VTEXT, 50, 5, 0, 0, 0, "Vert"),
      MakeItem(DI_SINGLEBOX, 5, 5, 24, 10, DIF_BOXCOLOR | DIF_LEFTTEXT, "&Left"),
      MakeItem(DI_CHECKBOX, 6, 6, 0, 0, 0, "&Checked", 1),
      MakeItem(DI_CHECKBOX, 6, 7, 0, 0, 0, "C&lear", 0),
      MakeItem(DI_CHECKBOX, 6, 8, 0, 0, DIF_DISABLE, "Disabled", 1),
      MakeItem(DI_TEXT, 5, 9, 24, 9, DIF_SEPARATOR, ""),
      MakeItem(DI_RADIOBUTTON, 27, 6, 0, 0, DIF_GROUP, "&One", 0),
      MakeItem(DI_RADIOBUTTON, 27, 7, 0, 0, 0, "T&wo", 1),
      MakeItem(DI_RADIOBUTTON, 27, 8, 0, 0, 0, "", 0),
      MakeItem(DI_BUTTON, 27, 9, 0, 0, DIF_NOBRACKETS, "&Bare"),
      MakeItem(DI_EDIT, 5, 11, 30, 11, 0, "edit text", 0, 1),
      MakeItem(DI_BUTTON, 34, 11, 0, 0, DIF_DISABLE, "Grey"),
      MakeItem(DI_TEXT, 3, 13, 3, 13, DIF_SEPARATOR | DIF_BOXCOLOR, ""),
      MakeItem(DI_BUTTON, 0, 14, 0, 0, DIF_CENTERGROUP, "&Save", 0, 0, 1),
      MakeItem(DI_BUTTON, 0, 14, 0, 0, DIF_CENTERGROUP, "Ca&ncel"),
  };
  EXPECT_EQ(-1, RunDialog(56, 18, items));
  ExpectGolden("items", session.backend.finalText, session.backend.finalAttributes);
}

// The color picker's layout: two 4x4 groups of colored radio buttons.
TEST(DrawGolden, RadioGridsWithColors) {
  Session session(44, 17);
  std::vector<FarDialogItem> items;
  items.push_back(MakeItem(DI_DOUBLEBOX, 3, 1, 35, 13, DIF_BOXCOLOR, "Color( 31 0x1F 037)"));
  items.push_back(MakeItem(DI_SINGLEBOX, 5, 2, 18, 7, DIF_BOXCOLOR | DIF_LEFTTEXT, "&Foreground"));
  for (int k = 0; k < 16; ++k)
    items.push_back(MakeItem(DI_RADIOBUTTON, 6 + 3 * (k / 4), 3 + k % 4, 0, 0,
                             DIF_MOVESELECT | DIF_SETCOLOR | DWORD(k * 16 + (7 - k % 8)) |
                                 (k == 0 ? DWORD(DIF_GROUP) : 0u),
                             "", k == 15, k == 15));
  items.push_back(MakeItem(DI_SINGLEBOX, 20, 2, 33, 7, DIF_BOXCOLOR | DIF_LEFTTEXT, "&Background"));
  for (int k = 0; k < 16; ++k)
    items.push_back(MakeItem(DI_RADIOBUTTON, 21 + 3 * (k / 4), 3 + k % 4, 0, 0,
                             DIF_MOVESELECT | DIF_SETCOLOR | DWORD(k * 16 + (7 - k % 8)) |
                                 (k == 0 ? DWORD(DIF_GROUP) : 0u),
                             "", k == 1));
  for (int y = 8; y <= 10; ++y)
    items.push_back(MakeItem(DI_TEXT, 5, y, 0, 0, DIF_SETCOLOR | 0x2E, "Text Text Text"));
  items.push_back(MakeItem(DI_TEXT, 3, 11, 3, 11, DIF_SEPARATOR | DIF_BOXCOLOR, ""));
  items.push_back(MakeItem(DI_BUTTON, 0, 12, 0, 0, DIF_CENTERGROUP, "&Set", 0, 0, 1));
  items.push_back(MakeItem(DI_BUTTON, 0, 12, 0, 0, DIF_CENTERGROUP, "&Cancel"));
  EXPECT_EQ(-1, RunDialog(39, 15, items));
  ExpectGolden("radio_grid", session.backend.finalText, session.backend.finalAttributes);
}

TEST(DrawGolden, EditScrolledHorizontally) {
  Session session(40, 8);
  std::vector<FarDialogItem> items = {
      MakeItem(DI_DOUBLEBOX, 3, 1, 32, 4, 0, "Edit"),
      MakeItem(DI_EDIT, 5, 2, 14, 2, 0, "0123456789abcdefghij", 0, 1),
      MakeItem(DI_EDIT, 5, 3, 14, 3, DIF_EDITOR, "short"),
  };
  session.backend.events = {Key(KEY_END)};
  EXPECT_EQ(-1, RunDialog(36, 6, items));
  ExpectGolden("edit_scrolled", session.backend.finalText, session.backend.finalAttributes);
  // The cursor stands after the last character, in the field's last cell.
  EXPECT_TRUE(session.backend.finalCursorVisible);
  EXPECT_EQ(16, session.backend.finalCursorX);
  EXPECT_EQ(3, session.backend.finalCursorY);
}

struct BoxCase {
  const char *golden;
  DWORD flags;
  const char *text;
};

class MessageGolden : public ::testing::TestWithParam<BoxCase> {};

TEST_P(MessageGolden, Draws) {
  Session session(50, 12);
  const BoxCase &c = GetParam();
  EXPECT_EQ(-1, farhost::Message(0, c.flags, nullptr, reinterpret_cast<const char *const *>(c.text),
                                 0, 0));
  ExpectGolden(c.golden, session.backend.finalText, session.backend.finalAttributes);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, MessageGolden,
    ::testing::Values(BoxCase{"message_warning_ok", 0x10021, "Version\nThis needs a newer host."},
                      BoxCase{"message_warning_left", 0x10031,
                              "Hang\nThe engine stopped answering.\nExpression: /(a+)+$/"},
                      BoxCase{"message_yesno", 0x40021,
                              "Discard\nThe text was changed.\nDiscard it?"},
                      BoxCase{"message_plain_ok", 0x10020, "Note\nAll done."}),
    [](const ::testing::TestParamInfo<BoxCase> &info) { return std::string(info.param.golden); });

TEST(DrawGolden, MessageFromItemsWithOwnButtons) {
  Session session(50, 12);
  const char *items[] = {"Title", "first line", "\x01", "after the line", "&Go", "&Stop"};
  EXPECT_EQ(-1, farhost::Message(0, 0, nullptr, items, 6, 2));
  ExpectGolden("message_items", session.backend.finalText, session.backend.finalAttributes);
}

TEST(DrawGolden, MessageWithoutButtonsStaysOnScreen) {
  Session session(40, 8);
  EXPECT_EQ(-1, farhost::Message(0, FMSG_ALLINONE, nullptr,
                                 reinterpret_cast<const char *const *>("Wait\nWorking..."), 0, 0));
  EXPECT_EQ(0, session.backend.waits);
  EXPECT_NE(std::string::npos, TheScreen().TextDump().find("Working..."));
}

}  // namespace
}  // namespace farhost_test

namespace farhost_test {
namespace {

// The tester's own layout at 80 columns: bare buttons, editor fields,
// separators joined to the frame with a centered status, a centered group.
TEST(DrawGolden, TesterLayout) {
  Session session(80, 25);
  test_support::TesterTexts texts = {{"quick brown", "quick brown", "", "", "", ""},
                                     {"(qu\\w+)", "", "", "", "", ""},
                                     "Match at 1:1",
                                     0};
  std::vector<FarDialogItem> items = test_support::TesterLayout(texts);
  ASSERT_EQ(32u, items.size());
  EXPECT_EQ(-1, RunDialog(77, 23, items));
  ExpectGolden("tester", session.backend.finalText, session.backend.finalAttributes);
}

}  // namespace
}  // namespace farhost_test
