#include <gtest/gtest.h>

#include "editor/dialog_handle.hpp"
#include "scripted_dialog_host.hpp"

namespace {

struct DialogHandleTest : ::testing::Test {
  ScriptedDialogHost host;
  DialogHandle dialog;
  void SetUp() override { dialog.handle = host.Handle(); }
  const SentMessage &Last() { return host.sent.back(); }
};

TEST_F(DialogHandleTest, LockCountsOnceAndUnlocksOnlyWhatItLocked) {
  dialog.Lock(false);  // nothing locked: nothing sent
  EXPECT_EQ(host.sent.size(), 0u);
  dialog.Lock(true);
  dialog.Lock(true);  // already locked
  EXPECT_EQ(dialog.lockCount, 1);
  ASSERT_EQ(host.CountOf(DM_ENABLEREDRAW), 1);
  EXPECT_EQ(Last().param1, 0);
  EXPECT_EQ(host.redrawLock, 1);
  dialog.Lock(false);
  EXPECT_EQ(dialog.lockCount, 0);
  EXPECT_EQ(Last().param1, 1);
  EXPECT_EQ(host.redrawLock, 0);
  dialog.lockCount = 3;  // the counter is the tester's to nest
  dialog.UnlockAll();
  EXPECT_EQ(dialog.lockCount, 0);
  EXPECT_EQ(host.CountOf(DM_ENABLEREDRAW), 5);
}

TEST_F(DialogHandleTest, OperationsSendTheirMessages) {
  SMALL_RECT rect = {};
  struct Case {
    const char *name;
    void (*run)(DialogHandle &, SMALL_RECT *);
    int message, param1;
    LONG_PTR param2;  // -1: a pointer
  } cases[] = {
      {"SetFocus", [](DialogHandle &d, SMALL_RECT *) { d.SetFocus(9); }, DM_SETFOCUS, 9, 0},
      {"GetFocus", [](DialogHandle &d, SMALL_RECT *) { d.GetFocus(); }, DM_GETFOCUS, 0, 0},
      {"Redraw", [](DialogHandle &d, SMALL_RECT *) { d.Redraw(); }, DM_REDRAW, 0, 0},
      {"Hide", [](DialogHandle &d, SMALL_RECT *) { d.ShowDialog(false); }, DM_SHOWDIALOG, 0, 0},
      {"Show", [](DialogHandle &d, SMALL_RECT *) { d.ShowDialog(true); }, DM_SHOWDIALOG, 1, 0},
      {"ShowItem", [](DialogHandle &d, SMALL_RECT *) { d.ShowItem(10, true); }, DM_SHOWITEM, 10, 1},
      {"HideItem", [](DialogHandle &d, SMALL_RECT *) { d.ShowItem(11, false); }, DM_SHOWITEM, 11,
       0},
      {"GetDialogRect", [](DialogHandle &d, SMALL_RECT *r) { d.GetDialogRect(r); }, DM_GETDLGRECT,
       0, -1},
      {"GetItemPosition", [](DialogHandle &d, SMALL_RECT *r) { d.GetItemPosition(12, r); },
       DM_GETITEMPOSITION, 12, -1},
      {"SetText", [](DialogHandle &d, SMALL_RECT *) { d.SetItemText(3, "x"); }, DM_SETTEXT, 3, -1},
      {"GetText", [](DialogHandle &d, SMALL_RECT *) { d.GetItemText(3); }, DM_GETTEXT, 3, -1},
      {"GetCursor", [](DialogHandle &d, SMALL_RECT *) { d.GetCursorColumn(8); }, DM_GETCURSORPOS, 8,
       -1},
      {"SetCursor", [](DialogHandle &d, SMALL_RECT *) { d.SetCursorColumn(8, 4); }, DM_SETCURSORPOS,
       8, -1},
      {"Send", [](DialogHandle &d, SMALL_RECT *) { d.Send(0x4005, 6, 77); }, 0x4005, 6, 77},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    host.sent.clear();
    c.run(dialog, &rect);
    ASSERT_EQ(host.sent.size(), 1u);
    EXPECT_EQ(Last().message, c.message);
    EXPECT_EQ(Last().param1, c.param1);
    if (c.param2 == -1)
      EXPECT_NE(Last().param2, 0);
    else
      EXPECT_EQ(Last().param2, c.param2);
  }
}

TEST_F(DialogHandleTest, ResultsFollowTheHostsAnswers) {
  SMALL_RECT rect = {};
  EXPECT_TRUE(dialog.GetDialogRect(&rect));
  EXPECT_EQ(rect.Left, 1);
  EXPECT_EQ(rect.Bottom, 23);
  EXPECT_TRUE(dialog.GetItemPosition(8, &rect));
  EXPECT_EQ(rect.Left, 13);
  EXPECT_EQ(rect.Right, 72);
  host.refusePositionOf = 8;
  EXPECT_FALSE(dialog.GetItemPosition(8, &rect));
  host.replies[DM_GETDLGRECT] = 2;  // only 1 means filled
  EXPECT_FALSE(dialog.GetDialogRect(&rect));

  EXPECT_TRUE(dialog.SetCursorColumn(8, 511));
  EXPECT_FALSE(dialog.SetCursorColumn(8, 512));
  EXPECT_EQ(dialog.GetCursorColumn(8), 511);
  host.items[8].cursor = -2;  // 16 bits, sign-extended
  EXPECT_EQ(dialog.GetCursorColumn(8), -2);
  host.replies[DM_GETCURSORPOS] = 0;
  EXPECT_EQ(dialog.GetCursorColumn(8), 0);

  host.focus = 24;
  EXPECT_EQ(dialog.GetFocus(), 24);
  EXPECT_TRUE(dialog.ShowItem(9, false));
  EXPECT_FALSE(host.items[9].visible);
  EXPECT_FALSE(dialog.ShowItem(99, true));
}

TEST_F(DialogHandleTest, ItemTextComesInOneSharedBuffer) {
  dialog.SetItemText(8, "first");
  dialog.SetItemText(9, "second");
  EXPECT_EQ(host.items[8].text, "first");
  const char *a = dialog.GetItemText(8);
  EXPECT_STREQ(a, "first");
  const char *b = dialog.GetItemText(9);
  EXPECT_EQ(a, b);
  EXPECT_STREQ(a, "second");

  host.items[8].text = std::string(600, 'q');  // more than an item holds
  EXPECT_EQ(strlen(dialog.GetItemText(8)), 511u);
  host.replies[DM_GETTEXT] = 2;  // the host's length cuts the text
  host.items[8].text = "abcdef";
  EXPECT_STREQ(dialog.GetItemText(8), "ab");
}

TEST(DialogHandleAlone, WithoutADialogNothingIsSent) {
  ScriptedDialogHost host;
  DialogHandle dialog;  // no handle yet
  dialog.SetItemText(1, "x");
  dialog.Lock(true);
  EXPECT_EQ(dialog.GetCursorColumn(8), 0);
  EXPECT_TRUE(host.sent.empty());
}

}  // namespace
