// The editors' keys as each terminal type sends them: the sequences its
// terminfo entry names, and xterm's where the entry has no name for the key
// (screen and linux lack the shifted ones), decode to the file manager's codes.
#include <gtest/gtest.h>
#include <far170/plugin.hpp>

#include "app/key_decoder.hpp"
#include "app/key_names.hpp"
#include "terminfo_entry.hpp"

namespace {

using app::DecodedInput;

struct TableKey {
  const char *capability;
  const char *xterm;
  DWORD key;
};

constexpr DWORD kShift = KEY_SHIFT, kCtrl = KEY_CTRL, kCtrlShift = KEY_CTRL | KEY_SHIFT;

const TableKey kTableKeys[] = {
    {"kcuu1", "\x1b[A", KEY_UP},
    {"kcud1", "\x1b[B", KEY_DOWN},
    {"kcub1", "\x1b[D", KEY_LEFT},
    {"kcuf1", "\x1b[C", KEY_RIGHT},
    {"khome", "\x1b[H", KEY_HOME},
    {"kend", "\x1b[F", KEY_END},
    {"kpp", "\x1b[5~", KEY_PGUP},
    {"knp", "\x1b[6~", KEY_PGDN},
    {"kich1", "\x1b[2~", KEY_INS},
    {"kdch1", "\x1b[3~", KEY_DEL},
    {"kUP", "\x1b[1;2A", kShift | KEY_UP},
    {"kDN", "\x1b[1;2B", kShift | KEY_DOWN},
    {"kLFT", "\x1b[1;2D", kShift | KEY_LEFT},
    {"kRIT", "\x1b[1;2C", kShift | KEY_RIGHT},
    {"kHOM", "\x1b[1;2H", kShift | KEY_HOME},
    {"kEND", "\x1b[1;2F", kShift | KEY_END},
    {"kPRV", "\x1b[5;2~", kShift | KEY_PGUP},
    {"kNXT", "\x1b[6;2~", kShift | KEY_PGDN},
    {"kIC", "\x1b[2;2~", kShift | KEY_INS},
    {"kDC", "\x1b[3;2~", kShift | KEY_DEL},
    {"kIC5", "\x1b[2;5~", kCtrl | KEY_INS},
    {"kHOM5", "\x1b[1;5H", kCtrl | KEY_HOME},
    {"kEND5", "\x1b[1;5F", kCtrl | KEY_END},
    {"kPRV5", "\x1b[5;5~", kCtrl | KEY_PGUP},
    {"kNXT5", "\x1b[6;5~", kCtrl | KEY_PGDN},
    {"kLFT6", "\x1b[1;6D", kCtrlShift | KEY_LEFT},
    {"kRIT6", "\x1b[1;6C", kCtrlShift | KEY_RIGHT},
    {"kHOM6", "\x1b[1;6H", kCtrlShift | KEY_HOME},
    {"kEND6", "\x1b[1;6F", kCtrlShift | KEY_END},
    {"kPRV6", "\x1b[5;6~", kCtrlShift | KEY_PGUP},
    {"kNXT6", "\x1b[6;6~", kCtrlShift | KEY_PGDN},
    // Control characters: the same bytes everywhere, keys in raw mode.
    {nullptr, "\x03", kCtrl | 'C'},
    {nullptr, "\x16", kCtrl | 'V'},
    {nullptr, "\x18", kCtrl | 'X'},
    {nullptr, "\x19", kCtrl | 'Y'},
    {nullptr, "\x04", kCtrl | 'D'},
    {nullptr, "\x0e", kCtrl | 'N'},
    {nullptr, "\x7f", KEY_BS},
    {nullptr, "\r", KEY_ENTER},
};

class TerminalType : public testing::TestWithParam<const char *> {};

TEST_P(TerminalType, SendsTheEditorKeysAsFarCodes) {
  std::vector<std::string> names;
  for (const TableKey &k : kTableKeys)
    if (k.capability) names.push_back(k.capability);
  std::map<std::string, std::string> entry;
  if (!ReadTerminfoStrings(GetParam(), names, &entry))
    GTEST_SKIP() << "no terminfo entry for " << GetParam();
  EXPECT_GE(entry.size(), 10u);  // at least the plain keys come from the entry
  for (const TableKey &k : kTableKeys) {
    auto named = k.capability ? entry.find(k.capability) : entry.end();
    std::string bytes = named != entry.end() ? named->second : k.xterm;
    SCOPED_TRACE(testing::Message()
                 << (k.capability ? k.capability : "") << " " << app::KeyName(k.key));
    DecodedInput in = app::DecodeInput(bytes, false, 437);
    EXPECT_EQ(in.kind, DecodedInput::Key);
    EXPECT_EQ(in.key, k.key) << app::KeyName(in.key);
    EXPECT_EQ(in.length, bytes.size());
  }
}

INSTANTIATE_TEST_SUITE_P(Terminals, TerminalType,
                         testing::Values("xterm-256color", "screen-256color", "tmux-256color",
                                         "linux", "xterm", "screen"));

TEST(ConsoleModifiers, AddedToTheKeysTheConsoleSendsAlike) {
  struct {
    DWORD key;
    int state;
    DWORD want;
  } cases[] = {
      {KEY_HOME, 1 | 4, kCtrlShift | KEY_HOME},  // Ctrl+Shift+Home
      {KEY_DOWN, 1, kShift | KEY_DOWN},
      {KEY_INS, 4, kCtrl | KEY_INS},
      {KEY_DEL, 1, kShift | KEY_DEL},
      {KEY_PGDN, 1 | 4, kCtrlShift | KEY_PGDN},
      {KEY_LEFT, 8, KEY_ALT | KEY_LEFT},
      {KEY_END, 2, KEY_END},  // AltGr is no modifier here
      {KEY_TAB, 1, kShift | KEY_TAB},
      {KEY_TAB, 4, KEY_TAB},
      {'a', 1, 'a'},  // characters carry their own case
      {kCtrl | 'C', 1, kCtrl | 'C'},
      {KEY_F1, 4, KEY_F1},
      {kShift | KEY_UP, 4, kShift | KEY_UP},  // already modified: as sent
      {KEY_UP, 0, KEY_UP},
  };
  for (const auto &c : cases)
    EXPECT_EQ(app::AddConsoleModifiers(c.key, c.state), c.want) << app::KeyName(c.key);
}

}  // namespace
