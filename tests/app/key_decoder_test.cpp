#include <gtest/gtest.h>
#include <far170/plugin.hpp>

#include "app/bracketed_paste.hpp"
#include "app/clipboard_text.hpp"
#include "app/key_decoder.hpp"
#include "app/key_names.hpp"

namespace {

using app::DecodedInput;
using app::DecodeInput;

struct KeyCase {
  const char *bytes;
  DWORD key;
  size_t length;  // 0: the whole input
};

// Complete sequences decode at once, without waiting for the ESC delay.
const KeyCase kKeys[] = {
    // Plain keys and control bytes.
    {"a", 'a', 0},
    {"Z", 'Z', 0},
    {" ", KEY_SPACE, 0},
    {"\r", KEY_ENTER, 0},
    {"\t", KEY_TAB, 0},
    {"\x7f", KEY_BS, 0},
    {"\x08", KEY_BS, 0},
    {"\x03", KEY_CTRL | 'C', 0},
    {"\x16", KEY_CTRL | 'V', 0},
    {"\x18", KEY_CTRL | 'X', 0},
    {"\x19", KEY_CTRL | 'Y', 0},
    {"\x0e", KEY_CTRL | 'N', 0},
    {"\x04", KEY_CTRL | 'D', 0},
    {"\x01", KEY_CTRL | 'A', 0},
    {"\x1a", KEY_CTRL | 'Z', 0},
    {"\x00", KEY_CTRL | KEY_SPACE, 1},
    {"ab", 'a', 1},
    // xterm cursor keys, normal and application mode.
    {"\x1b[A", KEY_UP, 0},
    {"\x1b[B", KEY_DOWN, 0},
    {"\x1b[C", KEY_RIGHT, 0},
    {"\x1b[D", KEY_LEFT, 0},
    {"\x1b[H", KEY_HOME, 0},
    {"\x1b[F", KEY_END, 0},
    {"\x1bOA", KEY_UP, 0},
    {"\x1bOD", KEY_LEFT, 0},
    {"\x1bOH", KEY_HOME, 0},
    {"\x1bOF", KEY_END, 0},
    // Modifier parameters 2..8.
    {"\x1b[1;2A", KEY_SHIFT | KEY_UP, 0},
    {"\x1b[1;3B", KEY_ALT | KEY_DOWN, 0},
    {"\x1b[1;4C", KEY_SHIFT | KEY_ALT | KEY_RIGHT, 0},
    {"\x1b[1;5D", KEY_CTRL | KEY_LEFT, 0},
    {"\x1b[1;6H", KEY_CTRL | KEY_SHIFT | KEY_HOME, 0},
    {"\x1b[1;7F", KEY_CTRL | KEY_ALT | KEY_END, 0},
    {"\x1b[1;8A", KEY_CTRL | KEY_ALT | KEY_SHIFT | KEY_UP, 0},
    {"\x1b[1;2H", KEY_SHIFT | KEY_HOME, 0},
    {"\x1b[1;2F", KEY_SHIFT | KEY_END, 0},
    // Editing keys: ~ sequences with and without modifiers.
    {"\x1b[1~", KEY_HOME, 0},
    {"\x1b[2~", KEY_INS, 0},
    {"\x1b[3~", KEY_DEL, 0},
    {"\x1b[4~", KEY_END, 0},
    {"\x1b[5~", KEY_PGUP, 0},
    {"\x1b[6~", KEY_PGDN, 0},
    {"\x1b[7~", KEY_HOME, 0},
    {"\x1b[8~", KEY_END, 0},
    {"\x1b[2;2~", KEY_SHIFT | KEY_INS, 0},
    {"\x1b[2;5~", KEY_CTRL | KEY_INS, 0},
    {"\x1b[3;2~", KEY_SHIFT | KEY_DEL, 0},
    {"\x1b[3;5~", KEY_CTRL | KEY_DEL, 0},
    {"\x1b[5;5~", KEY_CTRL | KEY_PGUP, 0},
    {"\x1b[6;2~", KEY_SHIFT | KEY_PGDN, 0},
    {"\x1b[6;3~", KEY_ALT | KEY_PGDN, 0},
    // Function keys: xterm, vt220, linux console, modified.
    {"\x1bOP", KEY_F1, 0},
    {"\x1bOQ", KEY_F1 + 1, 0},
    {"\x1bOR", KEY_F1 + 2, 0},
    {"\x1bOS", KEY_F1 + 3, 0},
    {"\x1b[11~", KEY_F1, 0},
    {"\x1b[15~", KEY_F1 + 4, 0},
    {"\x1b[17~", KEY_F1 + 5, 0},
    {"\x1b[18~", KEY_F1 + 6, 0},
    {"\x1b[19~", KEY_F1 + 7, 0},
    {"\x1b[20~", KEY_F1 + 8, 0},
    {"\x1b[21~", KEY_F1 + 9, 0},
    {"\x1b[23~", KEY_F1 + 10, 0},
    {"\x1b[24~", KEY_F12, 0},
    {"\x1b[[A", KEY_F1, 0},
    {"\x1b[[E", KEY_F1 + 4, 0},
    {"\x1b[1;2P", KEY_SHIFT | KEY_F1, 0},
    {"\x1b[1;5S", KEY_CTRL | (KEY_F1 + 3), 0},
    {"\x1bO2P", KEY_SHIFT | KEY_F1, 0},
    {"\x1b[15;2~", KEY_SHIFT | (KEY_F1 + 4), 0},
    {"\x1b[24;5~", KEY_CTRL | KEY_F12, 0},
    // Shift+Tab.
    {"\x1b[Z", KEY_SHIFT | KEY_TAB, 0},
    // rxvt: Shift and Ctrl arrows, $ ^ @ on ~ keys, ESC-prefixed Alt.
    {"\x1b[a", KEY_SHIFT | KEY_UP, 0},
    {"\x1b[d", KEY_SHIFT | KEY_LEFT, 0},
    {"\x1bOc", KEY_CTRL | KEY_RIGHT, 0},
    {"\x1bOb", KEY_CTRL | KEY_DOWN, 0},
    {"\x1b[2$", KEY_SHIFT | KEY_INS, 0},
    {"\x1b[3^", KEY_CTRL | KEY_DEL, 0},
    {"\x1b[7$", KEY_SHIFT | KEY_HOME, 0},
    {"\x1b[8^", KEY_CTRL | KEY_END, 0},
    {"\x1b[5@", KEY_CTRL | KEY_SHIFT | KEY_PGUP, 0},
    {"\x1b\x1b[A", KEY_ALT | KEY_UP, 0},
    {"\x1b\x1b[3~", KEY_ALT | KEY_DEL, 0},
    // Older SS3 modifier form.
    {"\x1bO5C", KEY_CTRL | KEY_RIGHT, 0},
    // Keypad in application mode.
    {"\x1bOM", KEY_ENTER, 0},
    {"\x1bOk", '+', 0},
    {"\x1bOp", '0', 0},
    // modifyOtherKeys and CSI u.
    {"\x1b[27;5;13~", KEY_CTRL | KEY_ENTER, 0},
    {"\x1b[27;2;9~", KEY_SHIFT | KEY_TAB, 0},
    {"\x1b[27;5;118~", KEY_CTRL | 'V', 0},
    {"\x1b[99;5u", KEY_CTRL | 'C', 0},
    {"\x1b[13;2u", KEY_SHIFT | KEY_ENTER, 0},
    // A sequence followed by more input uses only its own bytes.
    {"\x1b[Ax", KEY_UP, 3},
    {"\x1b[1;5Cabc", KEY_CTRL | KEY_RIGHT, 6},
    // Alt + character inside the delay (two bytes arrive together).
    {"\x1bx", KEY_ALT | 'X', 0},
    {"\x1bv", KEY_ALT | 'V', 0},
    {"\x1bX", KEY_ALT | KEY_SHIFT | 'X', 0},
    {"\x1b"
     "1",
     KEY_ALT | '1', 0},
    {"\x1b\x7f", KEY_ALT | KEY_BS, 0},
    {"\x1b\r", KEY_ALT | KEY_ENTER, 0},
    {"\x1b\x03", KEY_ALT | KEY_CTRL | 'C', 0},
};

class KeyTable : public testing::TestWithParam<KeyCase> {};

TEST_P(KeyTable, DecodesToFarKey) {
  const KeyCase &c = GetParam();
  std::string bytes = c.bytes;
  if (bytes.empty()) bytes.assign(1, '\0');
  DecodedInput in = DecodeInput(bytes, false, 437);
  ASSERT_EQ(in.kind, DecodedInput::Key) << app::KeyName(c.key);
  EXPECT_EQ(in.key, c.key) << "got " << app::KeyName(in.key) << ", want " << app::KeyName(c.key);
  EXPECT_EQ(in.length, c.length ? c.length : bytes.size());
}

INSTANTIATE_TEST_SUITE_P(Xterm, KeyTable, testing::ValuesIn(kKeys));

struct DelayCase {
  const char *bytes;
  DecodedInput::Kind whenFinal;
  DWORD key;
};

// Prefixes that wait for more bytes, and what they are when the ESC delay
// has passed without more.
const DelayCase kDelays[] = {
    {"\x1b", DecodedInput::Key, KEY_ESC},
    {"\x1b[", DecodedInput::Key, KEY_ALT | '['},
    {"\x1bO", DecodedInput::Key, KEY_ALT | KEY_SHIFT | 'O'},
    {"\x1b[1;", DecodedInput::Ignored, 0},
    {"\x1b[3", DecodedInput::Ignored, 0},
    {"\x1b\x1b", DecodedInput::Key, KEY_ESC},
    {"\xc3", DecodedInput::Ignored, 0},
    {"\x1b[<0;5", DecodedInput::Ignored, 0},
};

class DelayTable : public testing::TestWithParam<DelayCase> {};

TEST_P(DelayTable, WaitsThenDecides) {
  const DelayCase &c = GetParam();
  EXPECT_EQ(DecodeInput(c.bytes, false, 437).kind, DecodedInput::Incomplete);
  DecodedInput in = DecodeInput(c.bytes, true, 437);
  EXPECT_EQ(in.kind, c.whenFinal);
  if (c.whenFinal == DecodedInput::Key) {
    EXPECT_EQ(in.key, c.key) << app::KeyName(in.key);
  }
  EXPECT_GT(in.length, 0u);
}

INSTANTIATE_TEST_SUITE_P(EscDelay, DelayTable, testing::ValuesIn(kDelays));

TEST(KeyDecoder, TwoEscapesAreTwoEscPresses) {
  DecodedInput in = DecodeInput("\x1b\x1b", true, 437);
  EXPECT_EQ(in.key, DWORD(KEY_ESC));
  EXPECT_EQ(in.length, 1u);
}

// Unknown sequences are swallowed whole and never typed.
TEST(KeyDecoder, UnknownSequencesAreIgnoredWhole) {
  const char *unknown[] = {"\x1b[99~", "\x1b[1;5X", "\x1b[?1;2c",  "\x1b[I",   "\x1b[O",
                           "\x1bOz",   "\x1b[9A",   "\x1b[200;5~", "\x1b[1:2A"};
  for (const char *seq : unknown) {
    std::string bytes = std::string(seq) + "q";
    DecodedInput in = DecodeInput(bytes, false, 437);
    EXPECT_EQ(in.kind, DecodedInput::Ignored) << seq + 1;
    EXPECT_EQ(in.length, bytes.size() - 1) << seq + 1;
  }
  // An endless parameter list is cut off, not waited for forever.
  std::string endless = "\x1b[" + std::string(40, '1');
  DecodedInput in = DecodeInput(endless, false, 437);
  EXPECT_EQ(in.kind, DecodedInput::Ignored);
  EXPECT_GT(in.length, 2u);
}

struct MouseCase {
  const char *bytes;
  DecodedInput::Kind kind;
  int x, y, button;
};

const MouseCase kMice[] = {
    {"\x1b[<0;10;5M", DecodedInput::Mouse, 9, 4, 1},
    {"\x1b[<2;1;1M", DecodedInput::Mouse, 0, 0, 2},
    {"\x1b[<1;100;30M", DecodedInput::Mouse, 99, 29, 3},
    {"\x1b[<0;10;5m", DecodedInput::Ignored, 0, 0, 0},   // release
    {"\x1b[<32;10;5M", DecodedInput::Ignored, 0, 0, 0},  // drag
    {"\x1b[<64;10;5M", DecodedInput::Ignored, 0, 0, 0},  // wheel
    {"\x1b[<0;0;5M", DecodedInput::Ignored, 0, 0, 0},    // off the screen
    {"\x1b[M !!", DecodedInput::Mouse, 0, 0, 1},         // X10
    {"\x1b[M\"+%", DecodedInput::Mouse, 10, 4, 2},
    {"\x1b[M#!!", DecodedInput::Ignored, 0, 0, 0},  // X10 release
};

class MouseTable : public testing::TestWithParam<MouseCase> {};

TEST_P(MouseTable, DecodesPresses) {
  const MouseCase &c = GetParam();
  DecodedInput in = DecodeInput(c.bytes, false, 437);
  ASSERT_EQ(in.kind, c.kind);
  EXPECT_EQ(in.length, strlen(c.bytes));
  if (c.kind == DecodedInput::Mouse) {
    EXPECT_EQ(in.x, c.x);
    EXPECT_EQ(in.y, c.y);
    EXPECT_EQ(in.button, c.button);
  }
}

INSTANTIATE_TEST_SUITE_P(Mouse, MouseTable, testing::ValuesIn(kMice));

TEST(KeyDecoder, BracketedPasteCarriesTheText) {
  std::string bytes = "\x1b[200~a\x1b[Bline\r\xd0\x96\x1b[201~x";
  DecodedInput in = DecodeInput(bytes, false, 437);
  ASSERT_EQ(in.kind, DecodedInput::Paste);
  EXPECT_EQ(in.paste, "a\x1b[Bline\r\xd0\x96");
  EXPECT_EQ(in.length, bytes.size() - 1);

  // A paste cut in the middle waits (longer) for its end marker.
  DecodedInput part = DecodeInput("\x1b[200~abc", false, 437);
  EXPECT_EQ(part.kind, DecodedInput::Incomplete);
  EXPECT_TRUE(part.inPaste);
  EXPECT_EQ(DecodeInput("\x1b[200", false, 437).kind, DecodedInput::Incomplete);
  // When the end never comes, what arrived is still pasted.
  DecodedInput cut = DecodeInput("\x1b[200~abc", true, 437);
  EXPECT_EQ(cut.kind, DecodedInput::Paste);
  EXPECT_EQ(cut.paste, "abc");
}

struct CharCase {
  const char *bytes;
  int codePage;
  DecodedInput::Kind kind;
  DWORD key;
};

const CharCase kChars[] = {
    {"\xc3\xa9", 437, DecodedInput::Key, 0x82},       // é
    {"\xe2\x94\x82", 437, DecodedInput::Key, 0xB3},   // │
    {"\xd0\x96", 866, DecodedInput::Key, 0x86},       // Ж
    {"\xd1\x91", 866, DecodedInput::Key, 0xF1},       // ё
    {"\xd0\x96", 437, DecodedInput::Ignored, 0},      // Ж has no place in 437
    {"\xe2\x82\xac", 437, DecodedInput::Ignored, 0},  // €
    {"\xff", 437, DecodedInput::Ignored, 0},          // not UTF-8
    {"\x1b\xd0\x96", 866, DecodedInput::Key, KEY_ALT | 0x86},
};

class CharTable : public testing::TestWithParam<CharCase> {};

TEST_P(CharTable, TypedCharactersBecomeOemBytes) {
  const CharCase &c = GetParam();
  DecodedInput in = DecodeInput(c.bytes, false, c.codePage);
  ASSERT_EQ(in.kind, c.kind);
  EXPECT_EQ(in.length, strlen(c.bytes));
  if (c.kind == DecodedInput::Key) {
    EXPECT_EQ(in.key, c.key);
  }
}

INSTANTIATE_TEST_SUITE_P(Utf8, CharTable, testing::ValuesIn(kChars));

TEST(KeyDecoder, CutUtf8WaitsForItsRest) {
  EXPECT_EQ(DecodeInput("\xe2\x94", false, 437).kind, DecodedInput::Incomplete);
  EXPECT_EQ(DecodeInput("\x1b\xe2\x94", false, 437).kind, DecodedInput::Incomplete);
}

struct NameCase {
  const char *name;
  DWORD key;
};

const NameCase kNames[] = {
    {"Ctrl+V", KEY_CTRL | 'V'},
    {"ctrl+v", KEY_CTRL | 'V'},
    {"Shift+Down", KEY_SHIFT | KEY_DOWN},
    {"Ctrl+Shift+Left", KEY_CTRL | KEY_SHIFT | KEY_LEFT},
    {"Shift+Ctrl+Left", KEY_CTRL | KEY_SHIFT | KEY_LEFT},
    {"Alt+X", KEY_ALT | 'X'},
    {"Alt+x", KEY_ALT | 'X'},
    {"F1", KEY_F1},
    {"F12", KEY_F12},
    {"Shift+F4", KEY_SHIFT | (KEY_F1 + 3)},
    {"Esc", KEY_ESC},
    {"Enter", KEY_ENTER},
    {"Tab", KEY_TAB},
    {"Shift+Tab", KEY_SHIFT | KEY_TAB},
    {"BS", KEY_BS},
    {"Space", KEY_SPACE},
    {"Shift+Ins", KEY_SHIFT | KEY_INS},
    {"Ctrl+Ins", KEY_CTRL | KEY_INS},
    {"Del", KEY_DEL},
    {"PgUp", KEY_PGUP},
    {"PgDn", KEY_PGDN},
    {"Home", KEY_HOME},
    {"End", KEY_END},
    {"a", 'a'},
    {"Shift+a", 'A'},
    {"Ctrl++", KEY_CTRL | '+'},
    {"+", '+'},
    {"F13", 0},
    {"F0", 0},
    {"Ctlr+V", 0},
    {"Ctrl+", 0},
    {"Hyper+A", 0},
    {"", 0},
};

class NameTable : public testing::TestWithParam<NameCase> {};

TEST_P(NameTable, ParsesKeyNames) {
  const NameCase &c = GetParam();
  EXPECT_EQ(app::ParseKeyName(c.name), c.key) << c.name;
  if (c.key) {
    EXPECT_EQ(app::ParseKeyName(app::KeyName(c.key)), c.key) << app::KeyName(c.key);
  }
}

INSTANTIATE_TEST_SUITE_P(Names, NameTable, testing::ValuesIn(kNames));

}  // namespace

// Bytes of a paste in pieces of every size: the end marker is found across
// any cut, bytes after it are left, and the text stops at the bound.
TEST(BracketedPaste, EndFoundAcrossEveryCut) {
  const std::string text = "a\x1b[201b\x1b[20\xC3\xA9", bytes = text + "\x1b[201~rest";
  for (size_t piece = 1; piece <= bytes.size(); ++piece) {
    app::BracketedPaste paste;
    size_t used = 0;
    for (size_t at = 0; at < bytes.size() && !paste.Ended(); at += piece)
      used += paste.Feed(std::string_view(bytes).substr(at, piece));
    EXPECT_EQ(bytes.substr(used), "rest") << piece;
    EXPECT_EQ(paste.Take(), text) << piece;
  }
  app::BracketedPaste cut;  // its end never came
  cut.Feed("\xC3\xA9" + std::string(app::kLargestPaste, 'z'));
  EXPECT_EQ(cut.Take(), "\xC3\xA9" + std::string(app::kLargestPaste - 1, 'z'));
}
