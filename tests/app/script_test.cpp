#include <gtest/gtest.h>
#include <windows.h>
#include <far170/plugin.hpp>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/script.hpp"
#include "app/script_backend.hpp"

namespace {

using app::ScriptCommand;

struct ParseCase {
  const char *script;
  bool ok;
  const char *errorPart;
};

const ParseCase kParse[] = {
    {"", true, ""},
    {"# only a comment\n\n   \n", true, ""},
    {"key Ctrl+V\nkey Shift+Down 3\r\n", true, ""},
    {"type hello world\n", true, ""},
    {"clipboard a\\nb\\tc\\\\d\\x41\\u00e9\n", true, ""},
    {"paste x\n", true, ""},
    {"click 3 4\nclick 0 0 right\n", true, ""},
    {"resize 100 30\n", true, ""},
    {"screen\nattributes\ncursor\necho -- after --\nquit\n", true, ""},
    {"kye Enter\n", false, "line 1: unknown command 'kye'"},
    {"\n\nkey Ctlr+V\n", false, "line 3: unknown key name 'Ctlr+V'"},
    {"key\n", false, "key needs a key name"},
    {"key Enter 0\n", false, "count must be a number"},
    {"key Enter x\n", false, "count must be a number"},
    {"key Enter 2 3\n", false, "key needs a key name"},
    {"type\n", false, "type needs a text"},
    {"clipboard bad\\q\n", false, "unknown escape \\q"},
    {"clipboard bad\\x4\n", false, "needs 2 hex digits"},
    {"clipboard end\\\n", false, "a backslash ends the text"},
    {"click 3\n", false, "click needs X Y"},
    {"click -1 2\n", false, "click needs cell numbers"},
    {"click 1 2 up\n", false, "left, right or middle"},
    {"resize 0 10\n", false, "resize needs COLUMNS ROWS"},
    {"screen now\n", false, "screen takes nothing"},
    {"screen 3\nscreen 0 999\n", false, "line 1: screen takes nothing or rows"},
    {"screen 0 999\nscreen 5 4\n", false, "line 2: screen takes nothing or rows"},
    {"type \xd0\x96\n", false, "has no character in code page 437"},
    {"type \xff\n", false, "not valid UTF-8"},
};

class ParseTable : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTable, ParsesOrSaysWhere) {
  const ParseCase &c = GetParam();
  std::vector<ScriptCommand> commands;
  std::string error;
  bool ok = app::ParseScript(c.script, 437, &commands, &error);
  EXPECT_EQ(ok, c.ok) << error;
  if (!c.ok) {
    EXPECT_NE(error.find(c.errorPart), std::string::npos) << error;
  }
}

INSTANTIATE_TEST_SUITE_P(Script, ParseTable, testing::ValuesIn(kParse));

TEST(Script, CommandsCarryTheirValues) {
  std::vector<ScriptCommand> c;
  std::string error;
  ASSERT_TRUE(
      app::ParseScript("key Shift+Down 3\ntype a \xc3\xa9\nclick 5 6 middle\n"
                       "resize 90 20\nclipboard x\\ny \nscreen\necho  two  spaces\n",
                       437, &c, &error))
      << error;
  ASSERT_EQ(c.size(), 9u);
  EXPECT_EQ(c[0].kind, ScriptCommand::Key);
  EXPECT_EQ(c[0].key, DWORD(KEY_SHIFT | KEY_DOWN));
  EXPECT_EQ(c[0].count, 3);
  // "type a é" types three keys: a, space, é in code page 437.
  EXPECT_EQ(c[1].key, DWORD('a'));
  EXPECT_EQ(c[2].key, DWORD(' '));
  EXPECT_EQ(c[3].key, DWORD(0x82));
  EXPECT_EQ(c[3].line, 2);
  EXPECT_EQ(c[4].kind, ScriptCommand::Click);
  EXPECT_EQ(c[4].x, 5);
  EXPECT_EQ(c[4].y, 6);
  EXPECT_EQ(c[4].button, 3);
  EXPECT_EQ(c[5].kind, ScriptCommand::Resize);
  EXPECT_EQ(c[5].x, 90);
  EXPECT_EQ(c[5].y, 20);
  EXPECT_EQ(c[6].kind, ScriptCommand::Clipboard);
  EXPECT_EQ(c[6].text, "x\ny ");  // a trailing space is kept
  EXPECT_EQ(c[7].kind, ScriptCommand::Screen);
  EXPECT_EQ(c[8].kind, ScriptCommand::Echo);
  EXPECT_EQ(c[8].text, " two  spaces");
}

TEST(Script, TypedTextFollowsTheCodePage) {
  std::vector<ScriptCommand> c;
  std::string error;
  ASSERT_TRUE(app::ParseScript("type \xd0\x96\n", 866, &c, &error)) << error;
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].key, DWORD(0x86));
}

TEST(Script, Unescape) {
  std::string out, error;
  ASSERT_TRUE(app::UnescapeText("a\\n\\t\\r\\\\\\s\\x41\\u0416", &out, &error));
  EXPECT_EQ(out, "a\n\t\r\\ A\xd0\x96");
  EXPECT_FALSE(app::UnescapeText("\\x00", &out, &error));
  EXPECT_FALSE(app::UnescapeText("\\uD800", &out, &error));
}

// Runs a script against a screen: events in order, dumps on request.
class ScriptRun : public testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/pardune-script-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
    setenv("XDG_RUNTIME_DIR", dir, 1);
    out_ = tmpfile();
    ASSERT_NE(out_, nullptr);
  }
  void TearDown() override {
    if (out_) fclose(out_);
    std::string cmd = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(system(cmd.c_str()), 0);
  }
  std::string Output() {
    fflush(out_);
    rewind(out_);
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, out_)) > 0) text.append(buffer, n);
    return text;
  }
  std::unique_ptr<app::ScriptBackend> Make(const char *script) {
    std::vector<ScriptCommand> commands;
    std::string error;
    EXPECT_TRUE(app::ParseScript(script, 437, &commands, &error)) << error;
    return std::make_unique<app::ScriptBackend>(commands, 437, out_);
  }
  std::string dir_;
  FILE *out_ = nullptr;
};

TEST_F(ScriptRun, DeliversEventsThenQuit) {
  auto backend = Make("key Enter 2\nclick 4 5 right\nresize 60 20\nkey Alt+X\n");
  farhost::InputEvent e = backend->Wait();
  EXPECT_EQ(e.kind, farhost::InputEvent::Key);
  EXPECT_EQ(e.key, DWORD(KEY_ENTER));
  EXPECT_EQ(backend->Wait().key, DWORD(KEY_ENTER));
  e = backend->Wait();
  EXPECT_EQ(e.kind, farhost::InputEvent::Mouse);
  EXPECT_EQ(e.x, 4);
  EXPECT_EQ(e.y, 5);
  EXPECT_EQ(e.button, 2);
  e = backend->Wait();
  EXPECT_EQ(e.kind, farhost::InputEvent::Resize);
  EXPECT_EQ(e.x, 60);
  EXPECT_EQ(e.y, 20);
  EXPECT_EQ(backend->Wait().key, DWORD(KEY_ALT | 'X'));
  EXPECT_EQ(backend->Wait().kind, farhost::InputEvent::Quit);
  EXPECT_EQ(backend->Wait().kind, farhost::InputEvent::Quit);
}

TEST_F(ScriptRun, QuitEndsEarly) {
  auto backend = Make("quit\nkey Enter\n");
  EXPECT_EQ(backend->Wait().kind, farhost::InputEvent::Quit);
}

TEST_F(ScriptRun, PrintsTheShownScreen) {
  auto backend = Make("screen\necho --\nscreen 1 9\nattributes\ncursor\nkey Esc\ncursor\n");
  farhost::Screen screen(6, 2);
  screen.Fill(0, 0, 5, 1, ' ', 0x07);
  screen.Text(0, 0, 0x1F, "\xC9\xCD\xBB");
  screen.Put(3, 1, 0x01, 0x4E);
  screen.SetCursor(2, 1, true);
  backend->Show(screen);
  // Later drawing that is not shown does not appear.
  screen.Text(0, 1, 0x07, "zz");
  EXPECT_EQ(backend->Wait().key, DWORD(KEY_ESC));
  screen.SetCursor(0, 0, false);
  backend->Show(screen);
  EXPECT_EQ(backend->Wait().kind, farhost::InputEvent::Quit);
  EXPECT_EQ(Output(),
            "╔═╗\n"
            "   ☺\n"
            "--\n"
            "   ☺\n"
            "1F1F1F070707\n"
            "0707074E0707\n"
            "cursor 2 1\n"
            "cursor hidden\n");
}

TEST_F(ScriptRun, ClipboardAndPastePutTheText) {
  auto backend = Make("clipboard one\\ntwo\npaste p\\x41ste\n");
  farhost::InputEvent e = backend->Wait();
  EXPECT_EQ(e.kind, farhost::InputEvent::Key);
  EXPECT_EQ(e.key, DWORD(KEY_SHIFT | KEY_INS));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_TEXT);
  ASSERT_NE(data, nullptr);
  EXPECT_STREQ(static_cast<const char *>(GlobalLock(data)), "pAste");
  GlobalUnlock(data);
  CloseClipboard();
}

TEST_F(ScriptRun, ClipboardKeepsLinesAsWindowsText) {
  auto backend = Make("clipboard one\\ntwo\n");
  EXPECT_EQ(backend->Wait().kind, farhost::InputEvent::Quit);
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_TEXT);
  ASSERT_NE(data, nullptr);
  EXPECT_STREQ(static_cast<const char *>(GlobalLock(data)), "one\r\ntwo");
  GlobalUnlock(data);
  CloseClipboard();
}

}  // namespace
