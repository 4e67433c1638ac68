// Notifications: their order and answers in scripted sessions, and the DM_
// messages a procedure sends back.
#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <vector>

#include "farhost/failure.hpp"
#include "support.hpp"

namespace farhost_test {
namespace {

using farhost::SendDlgMessage;

std::vector<FarDialogItem> Small() {
  return {
      MakeItem(DI_DOUBLEBOX, 3, 1, 26, 5, 0, "Small"),          // 0
      MakeItem(DI_EDIT, 5, 2, 24, 2, 0, ""),                    // 1
      MakeItem(DI_CHECKBOX, 5, 3, 0, 0, 0, "&Box"),             // 2
      MakeItem(DI_BUTTON, 0, 4, 0, 0, DIF_CENTERGROUP, "&Go"),  // 3
  };
}

int RunSmall(std::vector<FarDialogItem> &items, Recorder &recorder, LONG_PTR param = 0,
             const char *help = nullptr) {
  Recorder::current = &recorder;
  int result = farhost::DialogEx(0, -1, -1, 30, 7, help, items.data(), int(items.size()), 0, 0,
                                 Recorder::Proc, param);
  Recorder::current = nullptr;
  return result;
}

TEST(Notifications, ScriptedSessionOrder) {
  Session session(40, 10);
  session.backend.events = {Key('x'), Key(KEY_TAB), Key(' '), Key(KEY_TAB), Key(KEY_ENTER)};
  std::vector<FarDialogItem> items = Small();
  Recorder recorder;
  EXPECT_EQ(3, RunSmall(items, recorder, 1234));
  std::vector<Note> expected = {
      {DN_INITDIALOG, 0, 1234}, {DN_KEY, 1, 'x'},     {DN_EDITCHANGE, 1, 0}, {DN_KEY, 1, KEY_TAB},
      {DN_KILLFOCUS, 1, 0},     {DN_GOTFOCUS, 2, 0},  {DN_KEY, 2, ' '},      {DN_BTNCLICK, 2, 1},
      {DN_KEY, 2, KEY_TAB},     {DN_KILLFOCUS, 2, 0}, {DN_GOTFOCUS, 3, 0},   {DN_KEY, 3, KEY_ENTER},
      {DN_BTNCLICK, 3, 0},      {DN_CLOSE, 3, 0},
  };
  EXPECT_EQ(expected, recorder.notes);
  EXPECT_STREQ("x", items[1].Data);
  EXPECT_EQ(1, items[2].Selected);
  EXPECT_EQ(1, items[3].Focus);
  EXPECT_EQ(0, items[1].Focus);
}

TEST(Notifications, DrawingOrder) {
  Session session(40, 10);
  std::vector<FarDialogItem> items = Small();
  Recorder recorder;
  recorder.drawing = true;
  RunSmall(items, recorder);
  // The first redraw follows DN_INITDIALOG.
  std::vector<int> messages;
  for (const Note &note : recorder.notes) messages.push_back(note.msg);
  std::vector<int> expected = {DN_INITDIALOG, DN_DRAWDIALOG, DN_CTLCOLORDIALOG};
  for (int i = 0; i < 4; ++i) {
    expected.push_back(DN_CTLCOLORDLGITEM);
    expected.push_back(DN_DRAWDLGITEM);
  }
  expected.push_back(DN_CLOSE);
  EXPECT_EQ(expected, messages);
  EXPECT_EQ(0x70, recorder.notes[2].param2);  // the dialog's gray
}

TEST(Notifications, ColorAnswerAndSkippedItem) {
  Session session(40, 10);
  std::vector<FarDialogItem> items = Small();
  std::strcpy(items[2].Data, "&Box");
  Recorder recorder;
  recorder.hook = [](HANDLE, int msg, int p1, LONG_PTR, LONG_PTR *result) {
    if (msg == DN_CTLCOLORDLGITEM && p1 == 2) return *result = 0x2E, true;
    if (msg == DN_DRAWDLGITEM && p1 == 3) return *result = 0, true;
    return false;
  };
  RunSmall(items, recorder);
  const std::string &text = session.backend.finalText;
  const std::string &attrs = session.backend.finalAttributes;
  // Dialog at (5, 1): the check box row is screen row 4, from column 10.
  size_t row = 4 * 41;
  EXPECT_EQ("[ ] Box", text.substr(row + 10, 7));
  EXPECT_EQ("2E2E2E2E2E2E2E", attrs.substr(4 * 81 + 20, 14));
  EXPECT_EQ(std::string::npos, text.find("Go"));
}

TEST(Notifications, CloseRefusedThenInputEnds) {
  Session session(40, 10);
  session.backend.events = {Key(KEY_ESC), Key(KEY_ESC)};
  std::vector<FarDialogItem> items = Small();
  Recorder recorder;
  recorder.hook = [](HANDLE, int msg, int, LONG_PTR, LONG_PTR *result) {
    if (msg == DN_CLOSE) return *result = 0, true;
    return false;
  };
  EXPECT_EQ(-1, RunSmall(items, recorder));
  int closes = 0;
  for (const Note &note : recorder.notes) closes += note.msg == DN_CLOSE;
  EXPECT_EQ(3, closes);  // two Esc, then the end of input
}

TEST(Notifications, ButtonKeptOpenByNonZeroAnswer) {
  Session session(40, 10);
  session.backend.events = {Key(KEY_ALT | 'G'), Key(KEY_ALT | 'G')};
  std::vector<FarDialogItem> items = Small();
  Recorder recorder;
  int clicks = 0;
  recorder.hook = [&](HANDLE, int msg, int, LONG_PTR, LONG_PTR *result) {
    if (msg == DN_BTNCLICK) return *result = ++clicks == 1 ? 1 : 0, true;
    return false;
  };
  EXPECT_EQ(3, RunSmall(items, recorder));
  EXPECT_EQ(2, clicks);
}

// A declined hotkey is offered a second time, as the file manager's layout
// translation pass does; an '&' inside an edit field's text is no hotkey.
TEST(Notifications, HotkeyDeclinedIsOfferedOnceMore) {
  Session session(40, 10);
  session.backend.events = {Key(KEY_ALT | 'B'), Key(KEY_ALT | 'B'), Key(KEY_ALT | 'X'),
                            Key(KEY_ALT | 'B')};
  std::vector<FarDialogItem> items = Small();
  std::strcpy(items[1].Data, "&x");
  Recorder recorder;
  int offers = 0;
  // Offers 2, 4 and 5 are declined: the second press is taken at its second
  // offer, the last press not at all.
  recorder.hook = [&](HANDLE, int msg, int, LONG_PTR, LONG_PTR *result) {
    if (msg == DN_HOTKEY) return ++offers, *result = (offers == 1 || offers == 3), true;
    return false;
  };
  RunSmall(items, recorder);
  int hotkeys = 0;
  for (const Note &note : recorder.notes) hotkeys += note.msg == DN_HOTKEY;
  EXPECT_EQ(5, hotkeys);            // Alt+X names no item: the edit's '&x' is text
  EXPECT_EQ(0, items[2].Selected);  // pressed twice: toggled on, then off
  EXPECT_STREQ("&x", items[1].Data);
  EXPECT_EQ(1, items[2].Focus);
}

// A check box or radio button has changed when DN_BTNCLICK arrives; a 0 puts
// the old state back. Moving onto a DIF_MOVESELECT radio button selects it
// and tells the procedure; DefDlgProc keeps a box's new state.
TEST(Notifications, BoxClicksRefusedOrTaken) {
  Session session(40, 10);
  std::vector<FarDialogItem> items = Small();
  items[2].Flags = DIF_3STATE;
  items.push_back(MakeItem(DI_RADIOBUTTON, 18, 3, 0, 0, DIF_GROUP | DIF_MOVESELECT, "", 1));  // 4
  items.push_back(MakeItem(DI_RADIOBUTTON, 21, 3, 0, 0, DIF_MOVESELECT));                     // 5
  items.push_back(MakeItem(DI_RADIOBUTTON, 24, 3, 0, 0, DIF_MOVESELECT));                     // 6
  // Space on the box three times (the third, a clear, refused), then right
  // to 5 (refused) and to 6 (taken by DefDlgProc), then a click on the box
  // (the clear taken).
  session.backend.events = {Key(KEY_TAB),   Key(' '),       Key(' '),       Key(' '),
                            Key(KEY_RIGHT), Key(KEY_RIGHT), Key(KEY_RIGHT), Click(11, 4)};
  Recorder recorder;
  std::vector<std::string> marks;
  bool refusedClear = false;
  recorder.hook = [&](HANDLE, int msg, int p1, LONG_PTR p2, LONG_PTR *result) {
    if (msg != DN_BTNCLICK) return false;
    // The screen is drawn after the procedure has answered.
    marks.push_back(farhost::TheScreen().TextDump().substr(4 * 41 + 10, 3));
    bool refuse = p1 == 5 || (p1 == 2 && p2 == 0 && !refusedClear);
    if (p1 == 2 && p2 == 0) refusedClear = true;
    return refuse ? (*result = 0, true) : false;
  };
  RunSmall(items, recorder);
  std::vector<Note> clicks;
  for (const Note &note : recorder.notes)
    if (note.msg == DN_BTNCLICK) clicks.push_back(note);
  EXPECT_EQ((std::vector<Note>{{DN_BTNCLICK, 2, 1},
                               {DN_BTNCLICK, 2, 2},
                               {DN_BTNCLICK, 2, 0},
                               {DN_BTNCLICK, 5, 1},
                               {DN_BTNCLICK, 6, 1},
                               {DN_BTNCLICK, 2, 0}}),
            clicks);
  // The third state shows as [?]; the refused clear left it standing.
  EXPECT_EQ((std::vector<std::string>{"[ ]", "[x]", "[?]", "[?]", "[?]", "[?]"}), marks);
  EXPECT_EQ(0, items[2].Selected);  // the click took it from 2 to 0
  EXPECT_EQ(0, items[4].Selected);
  EXPECT_EQ(0, items[5].Selected);
  EXPECT_EQ(1, items[6].Selected);
}

TEST(Notifications, KeyConsumedByProcedure) {
  Session session(40, 10);
  session.backend.events = {Key('a'), Key(KEY_ESC), Key('b')};
  std::vector<FarDialogItem> items = Small();
  Recorder recorder;
  recorder.hook = [](HANDLE, int msg, int, LONG_PTR p2, LONG_PTR *result) {
    if (msg == DN_KEY && (p2 == 'a' || p2 == KEY_ESC)) return *result = 1, true;
    return false;
  };
  EXPECT_EQ(-1, RunSmall(items, recorder));
  EXPECT_STREQ("b", items[1].Data);
}

TEST(Notifications, ClickPressesEvenWhenFocusMovedAway) {
  Session session(40, 10);
  // The button sits at dialog (12, 4): screen (17, 5); its DN_GOTFOCUS sends
  // the focus back to the edit.
  session.backend.events = {Click(17, 5)};
  std::vector<FarDialogItem> items = Small();
  Recorder recorder;
  recorder.hook = [](HANDLE dlg, int msg, int p1, LONG_PTR, LONG_PTR *) {
    if (msg == DN_GOTFOCUS && p1 == 3) SendDlgMessage(dlg, DM_SETFOCUS, 1, 0);
    return false;
  };
  EXPECT_EQ(3, RunSmall(items, recorder));
  std::vector<Note> tail(recorder.notes.end() - 2, recorder.notes.end());
  EXPECT_EQ((std::vector<Note>{{DN_BTNCLICK, 3, 0}, {DN_CLOSE, 3, 0}}), tail);
  EXPECT_EQ(1, items[1].Focus);
}

TEST(Notifications, HelpAsksProcedureForTopic) {
  Session session(40, 10);
  session.backend.events = {Key(KEY_F1)};
  std::vector<FarDialogItem> items = Small();
  Recorder recorder;
  std::string asked = "none";
  recorder.hook = [&](HANDLE, int msg, int, LONG_PTR p2, LONG_PTR *result) {
    if (msg != DN_HELP) return false;
    asked = p2 ? reinterpret_cast<const char *>(p2) : "null";
    return *result = 0, true;
  };
  RunSmall(items, recorder, 0, "Topic");
  EXPECT_EQ("Topic", asked);
}

TEST(Messages, EnableRedrawCounts) {
  Session session(40, 10);
  session.backend.events = {Key(KEY_F12)};
  std::vector<FarDialogItem> items = Small();
  Recorder recorder;
  recorder.drawing = true;
  std::vector<LONG_PTR> answers;
  std::vector<size_t> draws;
  auto countDraws = [&] {
    size_t n = 0;
    for (const Note &note : recorder.notes) n += note.msg == DN_DRAWDIALOG;
    draws.push_back(n);
  };
  recorder.hook = [&](HANDLE dlg, int msg, int, LONG_PTR p2, LONG_PTR *) {
    if (msg != DN_KEY || p2 != KEY_F12) return false;
    countDraws();
    answers.push_back(SendDlgMessage(dlg, DM_ENABLEREDRAW, 0, 0));
    answers.push_back(SendDlgMessage(dlg, DM_ENABLEREDRAW, 0, 0));
    answers.push_back(SendDlgMessage(dlg, DM_REDRAW, 0, 0));
    countDraws();  // locked: no redraw
    answers.push_back(SendDlgMessage(dlg, DM_ENABLEREDRAW, 1, 0));
    countDraws();  // still locked once
    answers.push_back(SendDlgMessage(dlg, DM_ENABLEREDRAW, 1, 0));
    countDraws();  // back to 0: redrawn now
    answers.push_back(SendDlgMessage(dlg, DM_REDRAW, 0, 0));
    countDraws();
    return false;
  };
  RunSmall(items, recorder);
  EXPECT_EQ((std::vector<LONG_PTR>{0, 1, TRUE, 2, 1, TRUE}), answers);
  ASSERT_EQ(5u, draws.size());
  EXPECT_EQ(draws[0], draws[1]);
  EXPECT_EQ(draws[0], draws[2]);
  EXPECT_EQ(draws[0] + 1, draws[3]);
  EXPECT_EQ(draws[0] + 2, draws[4]);
}

TEST(Messages, LockedDialogIsNotRedrawnAfterEvents) {
  Session session(40, 10);
  session.backend.events = {Key(KEY_F12), Key('z')};
  std::vector<FarDialogItem> items = Small();
  Recorder recorder;
  recorder.drawing = true;
  recorder.hook = [&](HANDLE dlg, int msg, int, LONG_PTR p2, LONG_PTR *) {
    if (msg == DN_KEY && p2 == KEY_F12) SendDlgMessage(dlg, DM_ENABLEREDRAW, 0, 0);
    return false;
  };
  RunSmall(items, recorder);
  size_t draws = 0;
  for (const Note &note : recorder.notes) draws += note.msg == DN_DRAWDIALOG;
  EXPECT_EQ(1u, draws);  // the first drawing only
  // The screen still shows the empty field although the text changed.
  EXPECT_STREQ("z", items[1].Data);
  EXPECT_EQ(std::string::npos, session.backend.finalText.find('z'));
}

TEST(Messages, SetTextSendsNoEditChange) {
  Session session(40, 10);
  session.backend.events = {Key(KEY_F12), Key('!')};
  std::vector<FarDialogItem> items = Small();
  Recorder recorder;
  LONG_PTR setLength = 0, getLength = 0;
  char buffer[512] = {};
  recorder.hook = [&](HANDLE dlg, int msg, int, LONG_PTR p2, LONG_PTR *) {
    if (msg == DN_KEY && p2 == KEY_F12) {
      char text[] = "hello";
      FarDialogItemData data{0, text};
      setLength = SendDlgMessage(dlg, DM_SETTEXT, 1, reinterpret_cast<LONG_PTR>(&data));
      FarDialogItemData out{3, buffer};
      getLength = SendDlgMessage(dlg, DM_GETTEXT, 1, reinterpret_cast<LONG_PTR>(&out));
    }
    return false;
  };
  RunSmall(items, recorder);
  EXPECT_EQ(5, setLength);
  EXPECT_EQ(3, getLength);
  EXPECT_STREQ("hel", buffer);
  int changes = 0;
  for (const Note &note : recorder.notes) changes += note.msg == DN_EDITCHANGE;
  EXPECT_EQ(1, changes);                  // only the typed '!'
  EXPECT_STREQ("!hello", items[1].Data);  // the cursor stayed at 0
  EXPECT_NE(std::string::npos, session.backend.finalText.find("!hello"));
}

TEST(Messages, EditorFieldCursorPastEnd) {
  Session session(40, 10);
  session.backend.events = {Key(KEY_F12), Key('z')};
  std::vector<FarDialogItem> items = Small();
  items[1].Flags = DIF_EDITOR;
  std::strcpy(items[1].Data, "ab");
  items.push_back(MakeItem(DI_EDIT, 5, 3, 24, 3, 0, "cd"));
  Recorder recorder;
  std::vector<LONG_PTR> answers;
  std::vector<int> columns;
  recorder.hook = [&](HANDLE dlg, int msg, int, LONG_PTR p2, LONG_PTR *) {
    if (msg != DN_KEY || p2 != KEY_F12) return false;
    for (int item : {1, 4}) {
      for (SHORT x : {SHORT(40), SHORT(511), SHORT(512), SHORT(-1)}) {
        COORD where{x, 0};
        answers.push_back(SendDlgMessage(dlg, DM_SETCURSORPOS, item, LONG_PTR(&where)));
        COORD now{0, 0};
        SendDlgMessage(dlg, DM_GETCURSORPOS, item, LONG_PTR(&now));
        columns.push_back(now.X);
      }
    }
    COORD where{10, 0};
    SendDlgMessage(dlg, DM_SETCURSORPOS, 1, LONG_PTR(&where));
    return false;
  };
  RunSmall(items, recorder);
  EXPECT_EQ((std::vector<LONG_PTR>{1, 1, 0, 0, 1, 1, 1, 1}), answers);
  EXPECT_EQ((std::vector<int>{40, 511, 511, 511, 2, 2, 2, 0}), columns);
  EXPECT_STREQ("ab        z", items[1].Data);
}

TEST(Messages, PositionsAndRects) {
  Session session(40, 10);
  session.backend.events = {Key(KEY_F12)};
  std::vector<FarDialogItem> items = Small();
  Recorder recorder;
  SMALL_RECT dialog{}, button{}, edit{};
  LONG_PTR focus = -5;
  recorder.hook = [&](HANDLE dlg, int msg, int, LONG_PTR p2, LONG_PTR *) {
    if (msg != DN_KEY || p2 != KEY_F12) return false;
    SendDlgMessage(dlg, DM_GETDLGRECT, 0, LONG_PTR(&dialog));
    SendDlgMessage(dlg, DM_GETITEMPOSITION, 3, LONG_PTR(&button));
    SendDlgMessage(dlg, DM_GETITEMPOSITION, 1, LONG_PTR(&edit));
    focus = SendDlgMessage(dlg, DM_GETFOCUS, 0, 0);
    return false;
  };
  RunSmall(items, recorder);
  EXPECT_EQ(5, dialog.Left);
  EXPECT_EQ(1, dialog.Top);
  EXPECT_EQ(34, dialog.Right);
  EXPECT_EQ(7, dialog.Bottom);
  EXPECT_EQ(12, button.Left);  // "[ Go ]" centered in 30 columns
  EXPECT_EQ(17, button.Right);
  EXPECT_EQ(5, edit.Left);
  EXPECT_EQ(24, edit.Right);
  EXPECT_EQ(2, edit.Top);
  EXPECT_EQ(1, focus);
}

TEST(Messages, ShowItemHidesAndUserMessagesReachProcedure) {
  Session session(40, 10);
  session.backend.events = {Key(KEY_F12), Key(KEY_TAB), Key(KEY_TAB)};
  std::vector<FarDialogItem> items = Small();
  Recorder recorder;
  LONG_PTR user = 0;
  recorder.hook = [&](HANDLE dlg, int msg, int p1, LONG_PTR p2, LONG_PTR *result) {
    if (msg == DN_KEY && p2 == KEY_F12) {
      SendDlgMessage(dlg, DM_SHOWITEM, 2, 0);
      user = SendDlgMessage(dlg, DM_USER + 2, 7, 8);
    }
    if (msg == DM_USER + 2) return *result = p1 * 10 + p2, true;
    return false;
  };
  RunSmall(items, recorder);
  EXPECT_EQ(78, user);
  EXPECT_EQ(std::string::npos, session.backend.finalText.find("Box"));
  EXPECT_EQ(1, items[1].Focus);  // Tab skips the hidden box: 1 -> 3 -> 1
  EXPECT_EQ(0, farhost::DefDlgProc(nullptr, DM_USER + 2, 7, 8));
}

TEST(Messages, ShowDialogHidesAndShows) {
  Session session(40, 10);
  session.backend.events = {Key((KEY_F12 - 1)), Key(KEY_F12)};
  std::vector<FarDialogItem> items = Small();
  Recorder recorder;
  std::string hidden, shown;
  recorder.hook = [&](HANDLE dlg, int msg, int, LONG_PTR p2, LONG_PTR *) {
    if (msg == DN_KEY && p2 == (KEY_F12 - 1)) {
      SendDlgMessage(dlg, DM_SHOWDIALOG, 0, 0);
      hidden = farhost::TheScreen().TextDump();
    }
    if (msg == DN_KEY && p2 == KEY_F12) {
      SendDlgMessage(dlg, DM_SHOWDIALOG, 1, 0);
      shown = farhost::TheScreen().TextDump();
    }
    return false;
  };
  RunSmall(items, recorder);
  for (char c : hidden) EXPECT_TRUE(c == ' ' || c == '\n');
  EXPECT_NE(std::string::npos, shown.find("Small"));
  EXPECT_EQ(shown, session.backend.finalText);
}

LONG_PTR WINAPI InnerProc(HANDLE dlg, int msg, int p1, LONG_PTR p2) {
  return farhost::DefDlgProc(dlg, msg, p1, p2);
}

LONG_PTR WINAPI OutOfMemoryProc(HANDLE, int, int, LONG_PTR) {
  throw std::bad_alloc();
}

// A dialog that runs out of memory answers as cancelled, and the failure
// ends the input: the dialog under it closes too, its later keys unread.
TEST(Nested, OutOfMemoryClosesEveryDialogAndIsNoted) {
  Session session(40, 10);
  session.backend.events = {Key(KEY_F12), Key('w')};
  std::vector<FarDialogItem> items = Small(), inner = {MakeItem(DI_TEXT, 1, 0, 0, 0, 0, "In")};
  Recorder recorder;
  int innerResult = 0;
  recorder.hook = [&](HANDLE, int msg, int, LONG_PTR p2, LONG_PTR *) {
    if (msg == DN_KEY && p2 == KEY_F12)
      innerResult =
          farhost::DialogEx(0, -1, -1, 9, 3, nullptr, inner.data(), 1, 0, 0, OutOfMemoryProc, 0);
    return false;
  };
  EXPECT_EQ(-1, RunSmall(items, recorder));
  EXPECT_EQ(-1, innerResult);
  EXPECT_STREQ("", items[1].Data);  // 'w' never came
  EXPECT_STREQ("out of memory", farhost::Failure() ? farhost::Failure() : "(none)");
}

TEST(Nested, InnerDialogRestoresScreenAndOuterGoesOn) {
  Session session(40, 10);
  // F12 in the outer dialog opens the inner one from DN_KEY; the inner one
  // takes 'q' and Esc; then the outer one takes 'w'.
  session.backend.events = {Key(KEY_F12), Key('q'), Key(KEY_ESC), Key('w')};
  std::vector<FarDialogItem> items = Small();
  std::vector<FarDialogItem> inner = {MakeItem(DI_DOUBLEBOX, 1, 0, 12, 2, 0, "In"),
                                      MakeItem(DI_EDIT, 2, 1, 11, 1, 0, "")};
  Recorder recorder;
  std::string before, during, after;
  int innerResult = 0;
  HANDLE outer = nullptr;
  recorder.hook = [&](HANDLE dlg, int msg, int, LONG_PTR p2, LONG_PTR *result) {
    if (msg == DN_KEY && p2 == KEY_F12) {
      outer = dlg;
      before = farhost::TheScreen().TextDump();
      innerResult =
          farhost::DialogEx(0, -1, -1, 14, 3, nullptr, inner.data(), 2, 0, 0, InnerProc, 0);
      after = farhost::TheScreen().TextDump();
      return *result = 1, true;
    }
    return false;
  };
  RunSmall(items, recorder);
  EXPECT_EQ(-1, innerResult);
  EXPECT_STREQ("q", inner[1].Data);
  EXPECT_EQ(before, after);
  EXPECT_STREQ("w", items[1].Data);
  EXPECT_EQ(0, SendDlgMessage(outer, DM_GETFOCUS, 0, 0));  // the dialog is gone
}

TEST(Screen, TooSmallShowsMessageUntilResized) {
  Session session(20, 5);
  std::string during;
  session.backend.events = {Resize(40, 10), Key('k')};
  session.backend.before = [&](int index) {
    if (index == 0) during = farhost::TheScreen().TextDump();
  };
  std::vector<FarDialogItem> items = Small();
  Recorder recorder;
  RunSmall(items, recorder);
  EXPECT_NE(std::string::npos, during.find("too small"));
  EXPECT_STREQ("k", items[1].Data);
  EXPECT_EQ(40, farhost::TheScreen().Width());
  EXPECT_NE(std::string::npos, session.backend.finalText.find("Small"));
}

TEST(Screen, ResizeRepaintsCentered) {
  Session session(40, 10);
  session.backend.events = {Resize(50, 12)};
  std::vector<FarDialogItem> items = Small();
  Recorder recorder;
  RunSmall(items, recorder);
  // Centered again: (50 - 30) / 2 = 10, (12 - 7) / 2 = 2; the title row.
  std::string row = session.backend.finalText.substr(3 * 51, 51);
  EXPECT_EQ(13u, row.find('\xC9'));
}

}  // namespace
}  // namespace farhost_test
