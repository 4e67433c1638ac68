// pardune in a real terminal (tmux): the tester opens at the terminal's width,
// finds a match, closes through its button, and the terminal is left as it
// was found, also after SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "run_program.hpp"

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

TEST_F(Tmux, BadInputLeavesTheTerminalAlone) {
  Start("'" + kPardune + "' --codepage 1 2> err");
  ASSERT_TRUE(WaitFor([&] { return Exists("status"); })) << Capture();
  EXPECT_EQ(ReadFile(dir_ + "/status"), "2\n");
  EXPECT_EQ(ReadFile(dir_ + "/err"), "pardune: --codepage must be 437 or 866, not '1'\n");
  ExpectRestored();
}

}  // namespace
