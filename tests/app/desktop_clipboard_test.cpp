// Mirroring copies to the desktop and pulling its text in, with shell-script
// stand-ins for wl-copy, wl-paste and xclip.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "app/clipboard_text.hpp"
#include "app/desktop_clipboard.hpp"
#include "far170/plugin.hpp"
#include "host/clipboard.hpp"

namespace {

using Clock = std::chrono::steady_clock;

// Each test gets a folder of its own, so that a tool left running by an
// earlier test cannot touch this one's files.
std::string &Folder() {
  static std::string folder;
  return folder;
}

void NewFolder() {
  static int count = 0;
  static const std::string base = [] {
    std::string b = "/tmp/pardune-desktopclip-" + std::to_string(getpid());
    mkdir(b.c_str(), 0700);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all("/tmp/pardune-desktopclip-" + std::to_string(getpid()), ignored);
    });
    return b;
  }();
  Folder() = base + "/" + std::to_string(++count);
  mkdir(Folder().c_str(), 0700);
  setenv("PARDUNE_CLIPBOARD", (base + "/clipboard").c_str(), 1);
}

void Script(const std::string &name, const std::string &body) {
  std::string path = Folder() + "/" + name;
  std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
  chmod(path.c_str(), 0755);
}

std::string ReadFile(const std::string &name) {
  std::ifstream in(Folder() + "/" + name, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string &name, const std::string &bytes) {
  std::ofstream(Folder() + "/" + name, std::ios::binary | std::ios::trunc) << bytes;
}

// Waits up to two seconds for a file written by a detached tool.
std::string Await(const std::string &name) {
  for (auto end = Clock::now() + std::chrono::seconds(2); Clock::now() < end;) {
    if (access((Folder() + "/" + name).c_str(), F_OK) == 0) return ReadFile(name);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return "<nothing>";
}

std::string Paste() {
  char *text = nullptr;
  int size = 0;
  std::string result = ClipboardGet(&text, &size) && text ? text : "<none>";
  std::free(text);
  return result;
}

bool NoChildLeft() {
  return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

farhost::InputEvent Key(DWORD key) {
  farhost::InputEvent event;
  event.kind = farhost::InputEvent::Key;
  event.key = key;
  return event;
}

class DesktopClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    NewFolder();
    std::string folder = Folder();
    setenv("PATH", (folder + ":/usr/bin:/bin").c_str(), 1);
    setenv("WAYLAND_DISPLAY", "wayland-test", 1);
    unsetenv("DISPLAY");
    // wl-copy writes what it got; wl-paste prints the desktop's text.
    Script("wl-copy", "cat > \"" + folder + "/copy.tmp\" && mv \"" + folder + "/copy.tmp\" \"" +
                          folder + "/copied\"");
    Script("wl-paste",
           "[ -f \"" + folder + "/desktop\" ] || exit 1\ncat \"" + folder + "/desktop\"");
    unlink((folder + "/copied").c_str());
    unlink((folder + "/desktop").c_str());
    ASSERT_TRUE(WinportSetOemCodePage(437));
  }

  // A terminal: the bridge writes to the slave, the test reads the master.
  void OpenTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master_, 0);
    ASSERT_EQ(grantpt(master_), 0);
    ASSERT_EQ(unlockpt(master_), 0);
    slave_ = open(ptsname(master_), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave_, 0);
    termios raw;
    tcgetattr(slave_, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave_, TCSANOW, &raw);
  }
  std::string TerminalOutput() {
    std::string out;
    char chunk[4096];
    while (true) {
      pollfd p = {master_, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) break;
      ssize_t n = read(master_, chunk, sizeof chunk);
      if (n <= 0) break;
      out.append(chunk, size_t(n));
    }
    return out;
  }
  void TearDown() override {
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
  }

  int master_ = -1;
  int slave_ = -1;
};

}  // namespace

TEST_F(DesktopClipboardTest, CopyGoesToTheTerminalAndTheDesktop) {
  OpenTerminal();
  app::DesktopClipboardInit(slave_);
  ASSERT_TRUE(ClipboardPut("caf\x82\nline", 9));  // OEM 437: e acute
  app::DesktopClipboardAfterEvent();
  EXPECT_EQ(TerminalOutput(), "\x1b]52;c;Y2Fmw6kKbGluZQ==\x07");  // "café\nline"
  EXPECT_EQ(Await("copied"), "caf\xc3\xa9\nline");

  unlink((Folder() + "/copied").c_str());
  app::DesktopClipboardAfterEvent();  // nothing new
  EXPECT_EQ(TerminalOutput(), "");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_TRUE(ReadFile("copied").empty());
  EXPECT_TRUE(NoChildLeft());
}

TEST_F(DesktopClipboardTest, NothingIsMirroredAtStart) {
  ASSERT_TRUE(ClipboardPut("old", 3));
  OpenTerminal();
  app::DesktopClipboardInit(slave_);
  app::DesktopClipboardAfterEvent();
  EXPECT_EQ(TerminalOutput(), "");
}

TEST_F(DesktopClipboardTest, KeysThatMayPastePullTheDesktopText) {
  app::DesktopClipboardInit(-1);
  ASSERT_TRUE(ClipboardPut("mine", 4));
  WriteFile("desktop", "from the desktop");
  app::DesktopClipboardBeforeEvent(Key('x'));
  EXPECT_EQ(Paste(), "mine");
  app::DesktopClipboardBeforeEvent(Key(KEY_CTRL | 'V'));
  EXPECT_EQ(Paste(), "from the desktop");

  // Unchanged on the desktop: a later copy of ours is not replaced.
  ASSERT_TRUE(ClipboardPut("newer", 5));
  app::DesktopClipboardBeforeEvent(Key(KEY_SHIFT | KEY_INS));
  EXPECT_EQ(Paste(), "newer");

  const farhost::InputEvent pasting[] = {Key(KEY_ALT | 'P'), Key(KEY_ENTER), [] {
                                           farhost::InputEvent click;
                                           click.kind = farhost::InputEvent::Mouse;
                                           click.button = 1;
                                           return click;
                                         }()};
  int n = 0;
  for (const farhost::InputEvent &event : pasting) {
    std::string text = "desktop " + std::to_string(++n);
    WriteFile("desktop", text);
    app::DesktopClipboardBeforeEvent(event);
    EXPECT_EQ(Paste(), text);
  }
  EXPECT_TRUE(NoChildLeft());
}

TEST_F(DesktopClipboardTest, PulledTextAsWindowsTextInEveryFormat) {
  app::DesktopClipboardInit(-1);
  WriteFile("desktop", "na\xc3\xafve\r\nend");  // "naïve", CR LF, "end"
  app::DesktopClipboardBeforeEvent(Key(KEY_CTRL | 'V'));
  EXPECT_EQ(Paste(), "na\x8bve\r\nend");  // OEM 437
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE ansi = GetClipboardData(CF_TEXT);
  ASSERT_NE(ansi, nullptr);
  EXPECT_STREQ(static_cast<const char *>(GlobalLock(ansi)), "na\xefve\r\nend");  // ANSI 1252
  GlobalUnlock(ansi);
  CloseClipboard();
}

TEST_F(DesktopClipboardTest, HangingPasteToolIsCutShort) {
  Script("wl-paste", "exec sleep 10");
  app::DesktopClipboardInit(-1);
  ASSERT_TRUE(ClipboardPut("kept", 4));
  auto start = Clock::now();
  app::DesktopClipboardBeforeEvent(Key(KEY_CTRL | 'V'));
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500));
  EXPECT_EQ(Paste(), "kept");
  EXPECT_TRUE(NoChildLeft());
}

TEST_F(DesktopClipboardTest, LargeDesktopTextIsCutToWhatAPasteTakes) {
  app::DesktopClipboardInit(-1);
  WriteFile("desktop", std::string(4u << 20, 'b'));
  app::DesktopClipboardBeforeEvent(Key(KEY_CTRL | 'V'));
  EXPECT_EQ(Paste(), std::string(app::kLargestPaste, 'b'));
  EXPECT_TRUE(NoChildLeft());
}

TEST_F(DesktopClipboardTest, FailingPasteToolChangesNothing) {
  app::DesktopClipboardInit(-1);  // no desktop file: wl-paste exits 1
  ASSERT_TRUE(ClipboardPut("kept", 4));
  app::DesktopClipboardBeforeEvent(Key(KEY_CTRL | 'V'));
  EXPECT_EQ(Paste(), "kept");
}

TEST_F(DesktopClipboardTest, CopyToolThatNeverReadsDoesNotBlock) {
  Script("wl-copy", "exec sleep 10");
  app::DesktopClipboardInit(-1);
  std::string big(4 << 20, 'b');  // far more than a pipe holds
  ASSERT_TRUE(ClipboardPut(big.c_str(), int(big.size())));
  auto start = Clock::now();
  app::DesktopClipboardAfterEvent();
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1500));
  EXPECT_TRUE(NoChildLeft());
}

TEST_F(DesktopClipboardTest, BracketedPasteIsNotMirroredBack) {
  OpenTerminal();
  app::DesktopClipboardInit(slave_);
  app::DesktopClipboardPasted("pasted\ntext");
  EXPECT_EQ(Paste(), "pasted\r\ntext");
  app::DesktopClipboardAfterEvent();
  EXPECT_EQ(TerminalOutput(), "");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_TRUE(ReadFile("copied").empty());
}

TEST_F(DesktopClipboardTest, XclipUnderX) {
  unsetenv("WAYLAND_DISPLAY");
  setenv("DISPLAY", ":99", 1);
  std::string folder = Folder();
  Script("xclip", "case \"$*\" in\n*-in*) cat > \"" + folder + "/copy.tmp\" && mv \"" + folder +
                      "/copy.tmp\" \"" + folder + "/copied\" ;;\n*-out*) cat \"" + folder +
                      "/desktop\" ;;\nesac");
  app::DesktopClipboardInit(-1);
  ASSERT_TRUE(ClipboardPut("to X", 4));
  app::DesktopClipboardAfterEvent();
  EXPECT_EQ(Await("copied"), "to X");
  WriteFile("desktop", "from X");
  app::DesktopClipboardBeforeEvent(Key(KEY_CTRL | 'V'));
  EXPECT_EQ(Paste(), "from X");
}

TEST_F(DesktopClipboardTest, SilentWithoutADesktop) {
  unsetenv("WAYLAND_DISPLAY");
  unsetenv("DISPLAY");
  app::DesktopClipboardInit(-1);
  WriteFile("desktop", "unreachable");
  ASSERT_TRUE(ClipboardPut("local", 5));
  app::DesktopClipboardAfterEvent();
  app::DesktopClipboardBeforeEvent(Key(KEY_CTRL | 'V'));
  EXPECT_EQ(Paste(), "local");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_TRUE(ReadFile("copied").empty());
  EXPECT_TRUE(NoChildLeft());
}
