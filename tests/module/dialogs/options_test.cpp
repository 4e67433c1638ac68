// The options dialog: check boxes from and back to Settings, the color
// table on the way, and what saving writes to the registry.
#include "dialogs/options_dialog.hpp"
#include "settings/settings.hpp"
#include "settings_dialogs.hpp"

namespace {

const char *const kValueNames[] = {
    "OnFly",    "ReNoMoves", "HandleErrors", "StripSpace", "FromCursor", "SingleLines",
    "ColorN1",  "ColorN2",   "ColorN3",      "ColorN4",    "ColorN5",    "ColorN6",
    "ColorN7",  "ColorN8",   "ColorN9",      "ColorN10",   "ColorN11",   "ColorN12",
    "ColorN13", "ColorN14",  "ColorN15",     "ColorN16",
};

// The options (59x13) sit at (10, 6): the "From cursor" box at (16, 11).
enum { kFromCursorX = 16, kFromCursorY = 11 };

class Options : public SettingsDialogs {
 protected:
  int StoredCount() const {
    int count = 0;
    int32_t value = 0;
    for (const char *name : kValueNames) count += Stored(name, value);
    return count;
  }
};

TEST_F(Options, SavingWithNoChangeWritesAll22) {
  ShowOptionsDialog();  // input ends: closed unsaved
  ExpectScreen("options");
  EXPECT_EQ(0, StoredCount());

  NextRun();
  Settings.StripSpace = 5;  // on, as a hand-edited value: saved as it stands
  Keys({KEY_ENTER});
  ShowOptionsDialog();
  EXPECT_EQ(22, StoredCount());
  int32_t value = 0;
  EXPECT_TRUE(Stored("ColorN9", value));
  EXPECT_EQ(0x89, value);  // the color as loaded (repaired), now stored
  EXPECT_TRUE(Stored("StripSpace", value));
  EXPECT_EQ(5, value);
#ifndef _WIN32
  // The registry file holds those 22 values and nothing else under the key.
  std::string text = scratch.ReadFile();
  size_t section = text.find("[HKEY_CURRENT_USER\\" + SettingsKey() + "]");
  ASSERT_NE(std::string::npos, section);
  int lines = 0;
  for (size_t at = text.find('\n', section) + 1; at < text.size() && text[at] == '"';
       at = text.find('\n', at) + 1)
    ++lines;
  EXPECT_EQ(22, lines);
#endif
}

// A tick survives a visit to the color table; leaving without saving drops
// it, saving stores it.
TEST_F(Options, CheckStatesKeptAcrossTheColorTable) {
  Keys({'u', 'c', KEY_ESC, KEY_ESC});
  CaptureBefore(3);  // the options shown again
  ShowOptionsDialog();
  EXPECT_EQ("[x] From cursor", CapturedTextAt(kFromCursorX, kFromCursorY, 15));
  EXPECT_EQ(0, Settings.FromCursor);
  EXPECT_EQ(0, StoredCount());

  NextRun();
  Keys({'u', 'c', KEY_ESC, 'f', KEY_ENTER});  // ticked, then OnFly cleared
  ShowOptionsDialog();
  int32_t value = 0;
  EXPECT_EQ(1, Settings.FromCursor);
  EXPECT_TRUE(Stored("FromCursor", value));
  EXPECT_EQ(1, value);
  EXPECT_EQ(0, Settings.OnFly);
  EXPECT_TRUE(Stored("OnFly", value));
  EXPECT_EQ(0, value);
}

// Colors accepted in the table but not saved last until the settings are
// loaded again, as the next opening of the tester does. Saved, they stay:
// group 2 chosen with a click and the keys, accepted, saved.
TEST_F(Options, ColorsAcceptedThenSaved) {
  Keys({'c', '2', KEY_DOWN, KEY_ENTER, KEY_ALT | 'O', KEY_ESC});
  ShowOptionsDialog();
  EXPECT_EQ(0xF2, Settings.GroupColors[1]);
  EXPECT_EQ(0, StoredCount());
  LoadSettings();
  EXPECT_EQ(0xF1, Settings.GroupColors[1]);

  // Colors..., row 2's button, foreground 12 by a click, background 15 to
  // 3 by keys, set, OK in the table, OK here.
  NextRun();
  Keys({'c'});
  Click(43, 4);
  Click(37, 8);
  Keys({KEY_ALT | 'B', KEY_LEFT, KEY_LEFT, KEY_LEFT, KEY_ENTER, KEY_ALT | 'O', KEY_ALT | 'O'});
  ShowOptionsDialog();
  int32_t value = 0;
  EXPECT_TRUE(Stored("ColorN2", value));
  EXPECT_EQ(0x3C, value);
  Settings.GroupColors[1] = 0;
  LoadSettings();
  EXPECT_EQ(0x3C, Settings.GroupColors[1]);
}

TEST_F(Options, HelpShowsOptions) {
  Keys({KEY_F1});
  ShowOptionsDialog();
  EXPECT_NE(std::string::npos, backend.finalText.find("Search on the fly"));
  EXPECT_NE(std::string::npos, backend.finalText.find("From cursor"));
}

}  // namespace
