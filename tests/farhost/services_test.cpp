// The startup record, AdvControl, Text, message box answers, the screen.
#include <gtest/gtest.h>

#include <cstring>

#include "farhost/palette.hpp"
#include "support.hpp"

namespace farhost_test {
namespace {

// The record is packed to 4 bytes: its pointers are read by value, never
// bound to references (misaligned on 64-bit hosts).
template <typename T>
T Load(T value) {
  return value;
}

TEST(StartupRecord, FilledAsTheModuleExpects) {
  PluginStartupInfo info = farhost::MakeStartupInfo("/opt/pardune/Pardune.kmx");
  EXPECT_EQ(int(sizeof(PluginStartupInfo)), info.StructSize);
  EXPECT_STREQ("/opt/pardune/Pardune.kmx", info.ModuleName);
  EXPECT_EQ(0, info.ModuleNumber);
  EXPECT_STREQ("Software\\Far\\Plugins", Load(info.RootKey));
  EXPECT_NE(nullptr, Load(info.Message));
  EXPECT_NE(nullptr, Load(info.Text));
  EXPECT_NE(nullptr, Load(info.ShowHelp));
  EXPECT_NE(nullptr, Load(info.AdvControl));
  EXPECT_NE(nullptr, Load(info.DialogEx));
  EXPECT_NE(nullptr, Load(info.SendDlgMessage));
  EXPECT_NE(nullptr, Load(info.DefDlgProc));
  EXPECT_NE(nullptr, Load(info.EditorControl));
  EXPECT_EQ(nullptr, Load(info.Menu));
  EXPECT_EQ(nullptr, Load(info.Dialog));
  EXPECT_EQ(nullptr, Load(info.FSF));
  EXPECT_EQ(nullptr, Load(info.InputBox));
  EXPECT_EQ(nullptr, Load(info.ViewerControl));
}

TEST(StartupRecord, LongPathIsCutInsideTheField) {
  std::string path(400, 'a');
  PluginStartupInfo info = farhost::MakeStartupInfo(path.c_str());
  EXPECT_EQ(259u, std::strlen(info.ModuleName));
}

TEST(AdvControl, VersionAndPalette) {
  DWORD version = 0;
  EXPECT_NE(0, farhost::AdvControl(0, ACTL_GETFARVERSION, &version));
  EXPECT_EQ(70u, version & 0xFF);
  EXPECT_EQ(1u, (version >> 8) & 0xFF);
  EXPECT_EQ(2087u, version >> 16);
  EXPECT_EQ(0x1F, farhost::AdvControl(0, ACTL_GETCOLOR, reinterpret_cast<void *>(68)));
  EXPECT_EQ(0x70, farhost::AdvControl(0, ACTL_GETCOLOR,
                                      reinterpret_cast<void *>(farhost::COL_DIALOGTEXT)));
  EXPECT_EQ(0x30, farhost::AdvControl(0, ACTL_GETCOLOR,
                                      reinterpret_cast<void *>(farhost::COL_DIALOGEDIT)));
  EXPECT_EQ(0x4F, farhost::AdvControl(0, ACTL_GETCOLOR,
                                      reinterpret_cast<void *>(farhost::COL_WARNDIALOGTEXT)));
  EXPECT_EQ(0, farhost::AdvControl(0, ACTL_GETCOLOR, reinterpret_cast<void *>(5000)));
  EXPECT_EQ(0, farhost::AdvControl(0, 99, nullptr));
}

TEST(TextService, WritesIntoTheScreenAtOnce) {
  Session session(20, 3);
  farhost::Text(18, 1, 0x1E, "abc");
  farhost::Text(0, 5, 0x1E, "off screen");
  farhost::Text(0, 0, 0x1E, nullptr);
  farhost::Cell cell = farhost::TheScreen().At(18, 1);
  EXPECT_EQ('a', cell.ch);
  EXPECT_EQ(0x1E, cell.attr);
  EXPECT_EQ('b', farhost::TheScreen().At(19, 1).ch);
  EXPECT_EQ(0, session.backend.shows);
}

struct Answer {
  const char *name;
  DWORD flags;
  std::vector<DWORD> keys;
  int expected;
};

class MessageAnswers : public ::testing::TestWithParam<Answer> {};

TEST_P(MessageAnswers, Returns) {
  Session session(50, 12);
  for (DWORD key : GetParam().keys) session.backend.events.push_back(Key(key));
  EXPECT_EQ(GetParam().expected,
            farhost::Message(0, GetParam().flags, nullptr,
                             reinterpret_cast<const char *const *>("Q\nSure?"), 0, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, MessageAnswers,
    ::testing::Values(Answer{"ok_enter", 0x10021, {KEY_ENTER}, 0},
                      Answer{"ok_esc", 0x10021, {KEY_ESC}, -1},
                      Answer{"yes_enter", 0x40021, {KEY_ENTER}, 0},
                      Answer{"no_by_tab", 0x40021, {KEY_TAB, KEY_ENTER}, 1},
                      Answer{"no_by_right", 0x40021, {KEY_RIGHT, KEY_ENTER}, 1},
                      Answer{"no_hotkey", 0x40021, {'n'}, 1},
                      Answer{"yes_alt_hotkey", 0x40021, {KEY_ALT | 'Y'}, 0},
                      Answer{"input_ends", 0x40021, {}, -1}),
    [](const ::testing::TestParamInfo<Answer> &info) { return std::string(info.param.name); });

TEST(MessageBox, ClickOnSecondButton) {
  Session session(50, 12);
  // "Q\nSure?": width 20 + 10 = 30 at x 10; buttons "{ Yes }"-like at row 3.
  // Find the "No" button on screen first.
  session.backend.events = {};
  farhost::Message(0, 0x40021, nullptr, reinterpret_cast<const char *const *>("Q\nSure?"), 0, 0);
  std::string text = session.backend.finalText;
  size_t at = text.find("No ]");
  ASSERT_NE(std::string::npos, at);
  int x = int(at % 51), y = int(at / 51);
  Session again(50, 12);
  again.backend.events = {Click(x, y)};
  EXPECT_EQ(1, farhost::Message(0, 0x40021, nullptr,
                                reinterpret_cast<const char *const *>("Q\nSure?"), 0, 0));
}

TEST(MessageBox, AmpersandsShownAsTheyAre) {
  Session session(40, 10);
  farhost::Message(0, 0x10020, nullptr,
                   reinterpret_cast<const char *const *>("Tom & Jerry\nSalt & pepper"), 0, 0);
  EXPECT_NE(std::string::npos, session.backend.finalText.find(" Tom & Jerry "));
  EXPECT_NE(std::string::npos, session.backend.finalText.find("Salt & pepper"));
}

TEST(MessageBox, LongLinesWrapWithinTheScreen) {
  Session session(40, 12);
  std::string text = "T\n" + std::string(25, 'a') + " " + std::string(20, 'b');
  farhost::Message(0, 0x10021, nullptr, reinterpret_cast<const char *const *>(text.c_str()), 0, 0);
  const std::string &screen = session.backend.finalText;
  EXPECT_NE(std::string::npos, screen.find(std::string(25, 'a')));
  EXPECT_NE(std::string::npos, screen.find(std::string(20, 'b')));
  for (size_t row = 0; row < 12; ++row) EXPECT_EQ('\n', screen[row * 41 + 40]);
}

TEST(ScreenBuffer, SaveRestoreResizeAndDumps) {
  farhost::Screen screen(4, 2);
  screen.Put(1, 0, 'x', 0x1F);
  screen.Put(9, 9, 'y', 0x1F);  // ignored
  EXPECT_EQ(farhost::Cell{}, screen.At(-1, 0));
  std::vector<farhost::Cell> saved = screen.Save(0, 0, 1, 1);
  screen.Fill(0, 0, 3, 1, '#', 0x40);
  screen.Restore(0, 0, 1, 1, saved);
  EXPECT_EQ(" x##\n  ##\n", screen.TextDump());
  EXPECT_EQ("071F4040\n07074040\n", screen.AttributeDump());
  screen.Resize(2, 3);
  EXPECT_EQ(" x\n  \n  \n", screen.TextDump());
  screen.Text(1, 2, 0x20, "long text");
  EXPECT_EQ(" x\n  \n l\n", screen.TextDump());
  EXPECT_EQ(0x2022u, farhost::ControlGlyph(7));
  EXPECT_EQ(0xC4u, farhost::ControlGlyph(0xC4));
}

TEST(Headless, DialogWithoutBackendClosesAtOnce) {
  farhost::SetBackend(nullptr);
  farhost::TheScreen().Resize(80, 25);
  std::vector<FarDialogItem> items = {MakeItem(DI_BUTTON, 5, 1, 0, 0, 0, "&Ok")};
  EXPECT_EQ(-1, farhost::DialogEx(0, -1, -1, 20, 3, nullptr, items.data(), 1, 0, 0, nullptr, 0));
  EXPECT_EQ(-1, farhost::DialogEx(0, -1, -1, 20, 3, nullptr, nullptr, 1, 0, 0, nullptr, 0));
  EXPECT_EQ(-1, farhost::DialogEx(0, -1, -1, 0, 3, nullptr, items.data(), 1, 0, 0, nullptr, 0));
  EXPECT_EQ(0, farhost::SendDlgMessage(nullptr, DM_GETFOCUS, 0, 0));
  farhost::SetBackend(nullptr);  // input starts afresh
  EXPECT_FALSE(farhost::InputEnded());
}

}  // namespace
}  // namespace farhost_test
