// Keys and mouse clicks: focus moves, presses and edits, as tables.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support.hpp"

namespace farhost_test {
namespace {

using farhost::InputEvent;

// Screen 60x20, dialog 50x12 centered at (5, 4).
constexpr int kLeft = 5, kTop = 4;

std::vector<FarDialogItem> Form() {
  return {
      MakeItem(DI_DOUBLEBOX, 3, 1, 46, 10, 0, "Form"),                   // 0
      MakeItem(DI_EDIT, 5, 2, 20, 2, 0, "abc"),                          // 1
      MakeItem(DI_CHECKBOX, 5, 3, 0, 0, 0, "&Check"),                    // 2
      MakeItem(DI_RADIOBUTTON, 5, 4, 0, 0, DIF_GROUP, "&One", 1),        // 3
      MakeItem(DI_RADIOBUTTON, 5, 5, 0, 0, 0, "T&wo"),                   // 4
      MakeItem(DI_TEXT, 25, 2, 0, 0, 0, "&Label"),                       // 5
      MakeItem(DI_EDIT, 25, 3, 40, 3, 0, "xyz"),                         // 6
      MakeItem(DI_BUTTON, 25, 5, 0, 0, DIF_DISABLE, "&Dead"),            // 7
      MakeItem(DI_BUTTON, 0, 8, 0, 0, DIF_CENTERGROUP, "O&k", 0, 0, 1),  // 8
      MakeItem(DI_BUTTON, 0, 8, 0, 0, DIF_CENTERGROUP, "&Cancel"),       // 9
  };
}

struct Case {
  const char *name;
  std::vector<InputEvent> events;
  int focus;   // focus when input ran out (-2: closed before)
  int result;  // DialogEx result
  int check;   // item 2's state written back
  int radio;   // selected radio (3 or 4)
  const char *edit1;
};

std::vector<Case> Cases() {
  return {
      {"start_on_first", {}, 1, -1, 0, 3, "abc"},
      {"tab", {Key(KEY_TAB)}, 2, -1, 0, 3, "abc"},
      {"shift_tab_wraps", {Key(KEY_SHIFT | KEY_TAB)}, 9, -1, 0, 3, "abc"},
      {"tab_skips_disabled",
       {Key(KEY_TAB), Key(KEY_TAB), Key(KEY_TAB), Key(KEY_TAB)},
       8,
       -1,
       0,
       3,
       "abc"},
      // A radio group is one tab stop, at its selected button.
      {"tab_skips_unselected_radio",
       {Key(KEY_TAB), Key(KEY_TAB), Key(KEY_TAB)},
       6,
       -1,
       0,
       3,
       "abc"},
      {"shift_tab_into_group",
       {Key(KEY_TAB), Key(KEY_TAB), Key(KEY_TAB), Key(KEY_SHIFT | KEY_TAB)},
       3,
       -1,
       0,
       3,
       "abc"},
      {"tab_stops_at_newly_selected_radio",
       {Key(KEY_TAB), Key(KEY_TAB), Key(KEY_DOWN), Key(' '), Key(KEY_SHIFT | KEY_TAB),
        Key(KEY_TAB)},
       4,
       -1,
       0,
       4,
       "abc"},
      {"down_from_edit", {Key(KEY_DOWN)}, 2, -1, 0, 3, "abc"},
      {"down_down_up", {Key(KEY_DOWN), Key(KEY_DOWN), Key(KEY_UP)}, 2, -1, 0, 3, "abc"},
      {"right_same_line", {Key(KEY_DOWN), Key(KEY_RIGHT)}, 6, -1, 0, 3, "abc"},
      {"space_toggles", {Key(KEY_TAB), Key(' ')}, 2, -1, 1, 3, "abc"},
      {"space_twice", {Key(KEY_TAB), Key(' '), Key(' ')}, 2, -1, 0, 3, "abc"},
      {"space_selects_radio",
       {Key(KEY_DOWN), Key(KEY_DOWN), Key(KEY_DOWN), Key(' ')},
       4,
       -1,
       0,
       4,
       "abc"},
      {"arrow_no_moveselect", {Key(KEY_DOWN), Key(KEY_DOWN), Key(KEY_DOWN)}, 4, -1, 0, 3, "abc"},
      {"type_at_end", {Key(KEY_END), Key('d')}, 1, -1, 0, 3, "abcd"},
      {"home_insert", {Key(KEY_HOME), Key('x')}, 1, -1, 0, 3, "xabc"},
      {"left_backspace", {Key(KEY_END), Key(KEY_LEFT), Key(KEY_BS)}, 1, -1, 0, 3, "ac"},
      {"del", {Key(KEY_HOME), Key(KEY_DEL)}, 1, -1, 0, 3, "bc"},
      {"overtype", {Key(KEY_HOME), Key(KEY_INS), Key('X'), Key('Y')}, 1, -1, 0, 3, "XYc"},
      {"right_stops_at_end", {Key(KEY_END), Key(KEY_RIGHT), Key('!')}, 1, -1, 0, 3, "abc!"},
      {"backspace_at_start", {Key(KEY_HOME), Key(KEY_BS)}, 1, -1, 0, 3, "abc"},
      {"ctrl_y_clears", {Key(KEY_CTRL | 'Y'), Key('q')}, 1, -1, 0, 3, "q"},
      {"copy_then_paste",
       {Key(KEY_CTRL | KEY_INS), Key(KEY_HOME), Key(KEY_SHIFT | KEY_INS)},
       1,
       -1,
       0,
       3,
       "abcabc"},
      {"letter_in_edit_types", {Key('c')}, 1, -1, 0, 3, "abcc"},
      {"alt_hotkey_check", {Key(KEY_ALT | 'C')}, 2, -1, 1, 3, "abc"},
      {"plain_hotkey_off_edit", {Key(KEY_TAB), Key('w')}, 4, -1, 0, 4, "abc"},
      {"label_hotkey_focuses_next", {Key(KEY_ALT | 'L')}, 6, -1, 0, 3, "abc"},
      {"disabled_hotkey_ignored", {Key(KEY_ALT | 'D')}, 1, -1, 0, 3, "abc"},
      {"enter_default_button", {Key(KEY_ENTER)}, -2, 8, 0, 3, "abc"},
      {"enter_on_button", {Key(KEY_SHIFT | KEY_TAB), Key(KEY_ENTER)}, -2, 9, 0, 3, "abc"},
      {"space_on_button", {Key(KEY_SHIFT | KEY_TAB), Key(' ')}, -2, 9, 0, 3, "abc"},
      {"hotkey_button_closes", {Key(KEY_TAB), Key(' '), Key('k')}, -2, 8, 1, 3, "abc"},
      {"esc", {Key(KEY_ESC)}, -2, -1, 0, 3, "abc"},
      {"click_checkbox", {Click(kLeft + 6, kTop + 3)}, 2, -1, 1, 3, "abc"},
      {"click_radio", {Click(kLeft + 8, kTop + 5)}, 4, -1, 0, 4, "abc"},
      {"click_edit_places_cursor", {Click(kLeft + 6, kTop + 2), Key('-')}, 1, -1, 0, 3, "a-bc"},
      {"click_edit_past_end", {Click(kLeft + 15, kTop + 2), Key('-')}, 1, -1, 0, 3, "abc-"},
      {"click_button", {Click(kLeft + 19, kTop + 8)}, -2, 8, 0, 3, "abc"},
      {"click_disabled", {Click(kLeft + 26, kTop + 5)}, 1, -1, 0, 3, "abc"},
      {"click_outside", {Click(0, 0)}, 1, -1, 0, 3, "abc"},
      {"click_text_nothing", {Click(kLeft + 26, kTop + 2)}, 1, -1, 0, 3, "abc"},
  };
}

class KeyTable : public ::testing::TestWithParam<Case> {};

TEST_P(KeyTable, Moves) {
  const Case &c = GetParam();
  Session session(60, 20);
  std::vector<FarDialogItem> items = Form();
  int focusAtEnd = -2;
  Recorder recorder;
  Recorder::current = &recorder;
  recorder.hook = [&](HANDLE dlg, int msg, int, LONG_PTR, LONG_PTR *) {
    if (msg == DN_CLOSE && farhost::InputEnded())
      focusAtEnd = int(farhost::SendDlgMessage(dlg, DM_GETFOCUS, 0, 0));
    return false;
  };
  session.backend.events.assign(c.events.begin(), c.events.end());
  int result = farhost::DialogEx(0, -1, -1, 50, 12, nullptr, items.data(), int(items.size()), 0, 0,
                                 Recorder::Proc, 0);
  Recorder::current = nullptr;
  EXPECT_EQ(c.result, result);
  EXPECT_EQ(c.focus, focusAtEnd);
  EXPECT_EQ(c.check, items[2].Selected);
  EXPECT_EQ(c.radio == 3 ? 1 : 0, items[3].Selected);
  EXPECT_EQ(c.radio == 4 ? 1 : 0, items[4].Selected);
  EXPECT_STREQ(c.edit1, items[1].Data);
}

INSTANTIATE_TEST_SUITE_P(Form, KeyTable, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case> &info) {
                           return std::string(info.param.name);
                         });

// Ctrl+Ins copies a plain field's text, Shift+Ins types the clipboard's
// first line in at the cursor.
TEST(EditClipboard, CopyThenPaste) {
#ifndef _WIN32
  // A clipboard store of this test's own (winport keeps it in a file).
  std::string store = ::testing::TempDir() + "farhost-clipboard-" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name();
  setenv("PARDUNE_CLIPBOARD", store.c_str(), 1);
#endif
  Session session(60, 20);
  std::vector<FarDialogItem> items = Form();
  session.backend.events = {Key(KEY_CTRL | KEY_INS),
                            Key(KEY_HOME),
                            Key(KEY_SHIFT | KEY_INS),
                            Key(KEY_TAB),
                            Key(KEY_TAB),
                            Key(KEY_TAB),
                            Key(KEY_CTRL | 'V')};
  farhost::DialogEx(0, -1, -1, 50, 12, nullptr, items.data(), int(items.size()), 0, 0, nullptr, 0);
  EXPECT_STREQ("abcabc", items[1].Data);
  EXPECT_STREQ("xyzabc", items[6].Data);
}

// A 4x4 grid of radio buttons (the color picker's) is walked by rows and
// columns; with DIF_MOVESELECT the focus selects.
struct GridCase {
  const char *name;
  std::vector<DWORD> keys;
  int selected;  // index in the grid
};

class GridTable : public ::testing::TestWithParam<GridCase> {};

TEST_P(GridTable, Walks) {
  Session session(60, 20);
  std::vector<FarDialogItem> items;
  items.push_back(MakeItem(DI_DOUBLEBOX, 3, 1, 35, 13, 0, "Grid"));
  for (int k = 0; k < 16; ++k)
    items.push_back(MakeItem(DI_RADIOBUTTON, 6 + 3 * (k / 4), 3 + k % 4, 0, 0,
                             DIF_MOVESELECT | (k == 0 ? DWORD(DIF_GROUP) : 0u), "", k == 5,
                             k == 5));
  items.push_back(MakeItem(DI_BUTTON, 0, 12, 0, 0, DIF_CENTERGROUP, "&Set", 0, 0, 1));
  for (DWORD key : GetParam().keys) session.backend.events.push_back(Key(key));
  farhost::DialogEx(0, -1, -1, 39, 15, nullptr, items.data(), int(items.size()), 0, 0, nullptr, 0);
  for (int k = 0; k < 16; ++k)
    EXPECT_EQ(k == GetParam().selected ? 1 : 0, items[1 + k].Selected) << "color " << k;
}

INSTANTIATE_TEST_SUITE_P(
    Picker, GridTable,
    ::testing::Values(GridCase{"stay", {}, 5}, GridCase{"down", {KEY_DOWN}, 6},
                      GridCase{"up", {KEY_UP}, 4}, GridCase{"right", {KEY_RIGHT}, 9},
                      GridCase{"left", {KEY_LEFT}, 1},
                      GridCase{"right_right_down", {KEY_RIGHT, KEY_RIGHT, KEY_DOWN}, 14},
                      GridCase{"down_to_bottom", {KEY_DOWN, KEY_DOWN, KEY_UP}, 6},
                      GridCase{"tab_does_not_select", {KEY_TAB, KEY_TAB}, 5},
                      GridCase{"tab_then_arrow", {KEY_TAB, KEY_TAB, KEY_DOWN}, 6},
                      GridCase{"left_edge", {KEY_LEFT, KEY_UP, KEY_UP}, 0}),
    [](const ::testing::TestParamInfo<GridCase> &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace farhost_test
