// pardune in a real terminal (tmux): the tester opens at the terminal's width,
// finds a match, closes through its button, and the terminal is left as it
// was found, also after SIGTERM. The editors' keys arrive from tmux under
// every terminal type, and work as a user types them.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "run_program.hpp"
#include "support/golden.hpp"

namespace {

const std::string kPardune = std::string(PARDUNE_BIN_DIR) + "/pardune";

class Tmux : public testing::Test {
 protected:
  void SetUp() override {
    if (system("command -v tmux >/dev/null 2>&1") != 0) GTEST_SKIP() << "tmux is not installed";
    dir_ = MakeTempDir();
    ASSERT_FALSE(dir_.empty());
    socket_ = "pardune-test-" + std::to_string(getpid());
  }
  void TearDown() override {
    if (!socket_.empty()) Tmux_({"kill-server"});
    RemoveTree(dir_);
  }

  ProgramResult Tmux_(std::vector<std::string> args) {
    std::vector<std::string> all = {"-u", "-L", socket_, "-f", "/dev/null"};
    all.insert(all.end(), args.begin(), args.end());
    return RunProgram("/usr/bin/tmux", all);
  }

  std::vector<std::string> SendKeys(std::vector<std::string> keys) {
    keys.insert(keys.begin(), "send-keys");
    Tmux_(keys);
    return keys;
  }

  // Starts `command` in a 100x30 pane whose shell records the terminal
  // settings before and after and pardune's exit status.
  void Start(const std::string &command) {
    WriteFile(dir_ + "/run.sh", "cd '" + dir_ +
                                    "'\n"
                                    "stty -g > before\n"
                                    "echo $$ > pid\n" +
                                    command +
                                    "\n"
                                    "echo $? > status.tmp\n"
                                    "stty -g > after\n"
                                    "mv status.tmp status\n"
                                    "exec sleep 60\n");
    ProgramResult r =
        Tmux_({"new-session", "-d", "-x", "100", "-y", "30", "sh " + dir_ + "/run.sh"});
    ASSERT_EQ(r.status, 0) << r.err;
  }

  std::string Capture() { return Tmux_({"capture-pane", "-p"}).out; }
  std::string Flags() {
    return Tmux_({"display-message", "-p",
                  "#{alternate_on} #{cursor_flag} #{mouse_any_flag} #{mouse_sgr_flag}"})
        .out;
  }

  bool WaitFor(const std::function<bool()> &done, int seconds = 15) {
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < until) {
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }
  bool Exists(const std::string &name) { return access((dir_ + "/" + name).c_str(), F_OK) == 0; }

  void ExpectRestored() {
    EXPECT_EQ(ReadFile(dir_ + "/before"), ReadFile(dir_ + "/after"));
    // Main screen, visible cursor, no mouse reporting.
    EXPECT_EQ(Flags(), "0 1 0 0\n");
  }

  std::string dir_;
  std::string socket_;
};

// The column of the first `what` in `line`, counted in characters.
int Column(const std::string &line, const std::string &what) {
  size_t at = line.find(what);
  if (at == std::string::npos) return -1;
  int column = 0;
  for (size_t i = 0; i < at; ++i) column += (static_cast<unsigned char>(line[i]) & 0xC0) != 0x80;
  return column;
}

TEST_F(Tmux, TesterFindsAMatchAndClosesWithConfirmation) {
  WriteFile(dir_ + "/notes.txt", "mail alice@example.com today\n");
  Start("'" + kPardune + "' notes.txt");
  ASSERT_TRUE(WaitFor([&] { return Capture().find("Pos: 1:1") != std::string::npos; }))
      << Capture();
  // 100 columns: a dialog 96 wide from column 2, its frame from 5 to 94.
  std::string screen = Capture();
  std::string top = screen.substr(screen.rfind('\n', screen.find("╔")) + 1);
  top = top.substr(0, top.find('\n'));
  EXPECT_EQ(Column(top, "╔"), 5) << top;
  EXPECT_EQ(Column(top, "╗"), 94) << top;
  EXPECT_EQ(Flags().substr(0, 2), "1 ");  // on the alternate screen

  Tmux_({"send-keys", "M-l"});
  ASSERT_TRUE(WaitFor([&] { return Capture().find("alice@example") != std::string::npos; }))
      << Capture();
  Tmux_({"send-keys", "Tab"});
  Tmux_({"send-keys", "-l", "(\\w+)@(\\w+)"});
  ASSERT_TRUE(WaitFor([&] { return Capture().find("Match at 6:1") != std::string::npos; }))
      << Capture();
  Tmux_({"send-keys", "M-s"});  // the expression is modified: asked first
  ASSERT_TRUE(WaitFor([&] { return Capture().find("discard") != std::string::npos; })) << Capture();
  Tmux_({"send-keys", "Enter"});
  ASSERT_TRUE(WaitFor([&] { return Exists("status"); })) << Capture();
  EXPECT_EQ(ReadFile(dir_ + "/status"), "0\n");
  ExpectRestored();
}

// A sanitizer reports the crash and exits with 1.
#if defined(__SANITIZE_ADDRESS__)
const char *const kCrashStatus = "1\n";
#else
const char *const kCrashStatus = "139\n";
#endif

struct SignalCase {
  int signal;
  const char *status;
};

class TmuxSignal : public Tmux, public testing::WithParamInterface<SignalCase> {};

// Quit signals close the dialogs and exit; a crash signal restores the
// terminal before the process dies of it.
TEST_P(TmuxSignal, RestoresTheTerminal) {
  Start("sh -c 'echo $$ > pardune.pid; exec \"" + kPardune + "\"'");
  ASSERT_TRUE(WaitFor([&] { return Capture().find("Pos: 1:1") != std::string::npos; }))
      << Capture();
  pid_t pid = atoi(ReadFile(dir_ + "/pardune.pid").c_str());
  ASSERT_GT(pid, 0);
  ASSERT_EQ(kill(pid, GetParam().signal), 0);
  ASSERT_TRUE(WaitFor([&] { return Exists("status"); })) << Capture();
  EXPECT_EQ(ReadFile(dir_ + "/status"), GetParam().status);
  ExpectRestored();
}

INSTANTIATE_TEST_SUITE_P(Signals, TmuxSignal,
                         testing::Values(SignalCase{SIGTERM, "143\n"}, SignalCase{SIGINT, "130\n"},
                                         SignalCase{SIGHUP, "129\n"},
                                         SignalCase{SIGSEGV, kCrashStatus}));

TEST_F(Tmux, StopGivesTheTerminalBackAndContinueTakesItAgain) {
  Start("sh -c 'echo $$ > pardune.pid; exec \"" + kPardune + "\"'");
  ASSERT_TRUE(WaitFor([&] { return Capture().find("Pos: 1:1") != std::string::npos; }))
      << Capture();
  pid_t pid = atoi(ReadFile(dir_ + "/pardune.pid").c_str());
  ASSERT_GT(pid, 0);
  ASSERT_EQ(kill(pid, SIGTSTP), 0);
  EXPECT_TRUE(WaitFor([&] { return Flags() == "0 1 0 0\n"; })) << Flags();
  EXPECT_TRUE(WaitFor([&] {
    return ReadFile("/proc/" + std::to_string(pid) + "/stat").find(") T ") != std::string::npos;
  }));
  ASSERT_EQ(kill(pid, SIGCONT), 0);
  ASSERT_TRUE(WaitFor([&] {
    return Flags() == "1 1 1 1\n" && Capture().find("Pos: 1:1") != std::string::npos;
  })) << Flags()
      << Capture();
  Tmux_({"send-keys", "M-s"});
  ASSERT_TRUE(WaitFor([&] { return Exists("status"); })) << Capture();
  EXPECT_EQ(ReadFile(dir_ + "/status"), "0\n");
  ExpectRestored();
}

// The control characters that a terminal in its own modes turns into
// signals or flow control are keys while a dialog is open.
TEST_F(Tmux, CtrlCAndCtrlBackslashAreKeysNotSignals) {
  Start("'" + kPardune + "'");
  ASSERT_TRUE(WaitFor([&] { return Capture().find("Pos: 1:1") != std::string::npos; }))
      << Capture();
  SendKeys({"C-c", "C-\\", "C-z", "x"});
  ASSERT_TRUE(WaitFor([&] { return Capture().find("* Pos: 2:1") != std::string::npos; }))
      << Capture();
  EXPECT_FALSE(Exists("status"));
  SendKeys({"M-u", "M-s"});  // unmarked: closes without asking
  ASSERT_TRUE(WaitFor([&] { return Exists("status"); })) << Capture();
  EXPECT_EQ(ReadFile(dir_ + "/status"), "0\n");
  ExpectRestored();
}

const std::string kEditorTerminal = EDITOR_TERMINAL;

class TmuxEditors : public Tmux, public testing::WithParamInterface<const char *> {
 protected:
  void StartEditors(const std::string &lines) {
    Start(std::string("TERM=") + GetParam() + " PARDUNE_CLIPBOARD='" + dir_ + "/clipboard' '" +
          kEditorTerminal + "' keys.log " + lines);
    ASSERT_TRUE(WaitFor([&] { return Capture().find("Expression tester") != std::string::npos; }))
        << Capture();
  }
  // The log once the dialog has been closed with Esc.
  std::string Closed() {
    SendKeys({"Escape"});
    if (!WaitFor([&] { return Exists("status"); })) return "(still running)\n" + Capture();
    EXPECT_EQ(ReadFile(dir_ + "/status"), "0\n");
    ExpectRestored();
    return ReadFile(dir_ + "/keys.log");
  }
};

TEST_P(TmuxEditors, EveryEditorKeyArrivesAsItsFarCode) {
  StartEditors("one two three");
  const std::pair<const char *, const char *> keys[] = {
      {"Up", "Up"},
      {"Down", "Down"},
      {"Left", "Left"},
      {"Right", "Right"},
      {"Home", "Home"},
      {"End", "End"},
      {"PPage", "PgUp"},
      {"NPage", "PgDn"},
      {"C-Home", "Ctrl+Home"},
      {"C-End", "Ctrl+End"},
      {"C-PPage", "Ctrl+PgUp"},
      {"C-NPage", "Ctrl+PgDn"},
      {"S-Up", "Shift+Up"},
      {"S-Down", "Shift+Down"},
      {"S-Left", "Shift+Left"},
      {"S-Right", "Shift+Right"},
      {"S-Home", "Shift+Home"},
      {"S-End", "Shift+End"},
      {"S-PPage", "Shift+PgUp"},
      {"S-NPage", "Shift+PgDn"},
      {"C-S-Left", "Ctrl+Shift+Left"},
      {"C-S-Right", "Ctrl+Shift+Right"},
      {"C-S-Home", "Ctrl+Shift+Home"},
      {"C-S-End", "Ctrl+Shift+End"},
      {"C-S-PPage", "Ctrl+Shift+PgUp"},
      {"C-S-NPage", "Ctrl+Shift+PgDn"},
      {"C-IC", "Ctrl+Ins"},
      {"S-IC", "Shift+Ins"},
      {"S-DC", "Shift+Del"},
      {"C-c", "Ctrl+C"},
      {"C-v", "Ctrl+V"},
      {"C-x", "Ctrl+X"},
      {"C-y", "Ctrl+Y"},
      {"C-d", "Ctrl+D"},
      {"C-n", "Ctrl+N"},
      {"BSpace", "BS"},
      {"DC", "Del"},
      {"Enter", "Enter"},
      {"C-z", "Ctrl+Z"},
      {"C-s", "Ctrl+S"},
      {"C-q", "Ctrl+Q"},
      {"C-\\", "Ctrl+\\"},
  };
  std::vector<std::string> names;
  std::string want;
  for (const auto &key : keys) {
    names.push_back(key.first);
    want += std::string("key ") + key.second + "\n";
  }
  SendKeys(names);
  std::string log = Closed();
  EXPECT_EQ(log.substr(0, want.size()), want);
  EXPECT_NE(log.find("key Esc\ntext "), std::string::npos) << log;
}

// Selecting across rows, copying, pasting lines, typing over a selection,
// splitting, joining, deleting a line and cutting, as in the file manager.
TEST_P(TmuxEditors, EditingAsAUserDoes) {
  StartEditors("abcdef xyz 'third line'");
  SendKeys({"Right", "Right", "S-Right", "S-Right", "S-Down", "C-c"});  // cdef, xyz
  SendKeys({"C-End", "End", "C-v"});                                    // after "third line"
  SendKeys({"S-Up", "S-Home", "Q"});                                    // typed over "third line"
  SendKeys({"Right", "Right", "Enter"});                                // Qcd | ef
  ASSERT_TRUE(WaitFor([&] { return Capture().find("Pos: 1:4(of 5)") != std::string::npos; }))
      << Capture();
  std::string screen = Capture();
  for (const char *row : {" abcdef ", " xyz ", " Qcd ", " ef ", " xyz "})
    EXPECT_NE(screen.find(row), std::string::npos) << row << "\n" << screen;
  SendKeys({"BSpace", "Up", "C-y"});    // joined again; xyz deleted
  SendKeys({"End", "DC"});              // xyz pulled up
  SendKeys({"Home", "S-End", "C-x"});   // cut
  SendKeys({"C-Home", "S-DC", "C-d"});  // nothing selected: nothing happens
  std::string log = Closed();
  EXPECT_NE(log.find("text [abcdef] []\n"), std::string::npos) << log;
  EXPECT_NE(log.find("clipboard [Qcdefxyz]\n"), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(Terminals, TmuxEditors,
                         testing::Values("xterm-256color", "screen-256color", "tmux-256color",
                                         "linux"));

class TmuxLooks : public Tmux, public testing::WithParamInterface<const char *> {};

// The row of the match as each terminal type shows it, with the escape
// sequences tmux keeps for it (\e[7m reverse, 4 underline, 1 bold, 3x/4x
// colors). Without colors (vt100) the match stands out from the text, and
// each group from the next one and from the match around it.
TEST_P(TmuxLooks, TheMatchAndItsGroupsStayVisible) {
  WriteFile(dir_ + "/notes.txt", "mail alice@example.com today\n");
  Start(std::string("TERM=") + GetParam() + " PARDUNE_REGISTRY='" + dir_ + "/registry.reg' '" +
        kPardune + "' notes.txt");
  ASSERT_TRUE(WaitFor([&] { return Capture().find("Pos: 1:1") != std::string::npos; }));
  SendKeys({"M-l", "Tab"});
  Tmux_({"send-keys", "-l", "(\\w+)@(\\w)(\\w+)"});
  ASSERT_TRUE(WaitFor([&] { return Capture().find("Match at 6:1") != std::string::npos; }))
      << Capture();
  std::string row = Tmux_({"capture-pane", "-p", "-e"}).out;
  row = row.substr(row.rfind('\n', row.find("mail")) + 1);
  row = row.substr(0, row.find('\n'));
  for (size_t at = row.find('\x1b'); at != std::string::npos; at = row.find('\x1b', at))
    row.replace(at, 1, "\\e");
  test_support::ExpectGolden(
      APP_GOLDEN_DIR, std::string("looks-") + GetParam(),
      "TERM=" + std::string(GetParam()) + " (\\w+)@(\\w)(\\w+)\n" + row + "\n");
}

INSTANTIATE_TEST_SUITE_P(Terminals, TmuxLooks, testing::Values("vt100", "xterm"),
                         [](const testing::TestParamInfo<const char *> &info) {
                           std::string name = info.param;
                           name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                           return name;
                         });

TEST_F(Tmux, BadInputLeavesTheTerminalAlone) {
  Start("'" + kPardune + "' --codepage 1 2> err");
  ASSERT_TRUE(WaitFor([&] { return Exists("status"); })) << Capture();
  EXPECT_EQ(ReadFile(dir_ + "/status"), "2\n");
  EXPECT_EQ(ReadFile(dir_ + "/err"), "pardune: --codepage must be 437 or 866, not '1'\n");
  ExpectRestored();
}

// A terminal that cannot move the cursor would show a blank screen.
TEST_F(Tmux, TerminalWithoutCursorAddressingIsRefused) {
  Start("TERM=dumb '" + kPardune + "' 2> err");
  ASSERT_TRUE(WaitFor([&] { return Exists("status"); })) << Capture();
  EXPECT_EQ(ReadFile(dir_ + "/status"), "2\n");
  EXPECT_EQ(ReadFile(dir_ + "/err"),
            "pardune: the terminal type 'dumb' cannot move the cursor (pardune needs a "
            "full-screen terminal such as xterm, or --script)\n");
  ExpectRestored();
}

}  // namespace
