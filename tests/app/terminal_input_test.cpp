// The terminal backend's input loop on a pty: the ESC delay, sequences,
// pastes, clicks, resizes and quit signals arrive as events.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <windows.h>
#include <far170/plugin.hpp>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "app/clipboard_text.hpp"
#include "app/terminal_backend.hpp"

namespace {

class TerminalInput : public testing::Test {
 protected:
  void SetUp() override {
    setenv("TERM", "xterm-256color", 1);
    char dir[] = "/tmp/pardune-input-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
    setenv("XDG_RUNTIME_DIR", dir, 1);
    winsize size = {};
    size.ws_col = 80;
    size.ws_row = 25;
    ASSERT_EQ(openpty(&master_, &slave_, nullptr, nullptr, &size), 0);
    reader_ = std::thread([this] {
      char buffer[4096];
      while (!stop_) {
        pollfd p = {master_, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) continue;
        ssize_t n = read(master_, buffer, sizeof buffer);
        if (n <= 0) break;
        std::lock_guard<std::mutex> lock(mutex_);
        output_.append(buffer, size_t(n));
      }
    });
    in_ = fdopen(dup(slave_), "r");
    out_ = fdopen(dup(slave_), "w");
    std::string error;
    backend_ = app::TerminalBackend::Open(in_, out_, 437, &error);
    ASSERT_TRUE(backend_) << error;
  }
  void TearDown() override {
    backend_.reset();
    stop_ = true;
    if (reader_.joinable()) reader_.join();
    if (in_) fclose(in_);
    if (out_) fclose(out_);
    close(slave_);
    if (master_ >= 0) close(master_);
    std::string cmd = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(system(cmd.c_str()), 0);
  }
  void Type(const std::string &bytes) {
    ASSERT_EQ(write(master_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
  }
  // Whether the terminal has received `bytes` (the reader may lag behind).
  bool Received(const std::string &bytes) {
    for (int i = 0; i < 200; ++i) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (output_.find(bytes) != std::string::npos) return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  std::string dir_;
  int master_ = -1, slave_ = -1;
  FILE *in_ = nullptr, *out_ = nullptr;
  std::thread reader_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::string output_;
  std::unique_ptr<app::TerminalBackend> backend_;
};

TEST_F(TerminalInput, KeysAfterTheEscDelay) {
  Type("\x1b");  // alone: Esc once the delay has passed
  farhost::InputEvent e = backend_->Wait();
  EXPECT_EQ(e.kind, farhost::InputEvent::Key);
  EXPECT_EQ(e.key, DWORD(KEY_ESC));
  Type("\x1bx");  // together: Alt+X
  EXPECT_EQ(backend_->Wait().key, DWORD(KEY_ALT | 'X'));
  Type("\x1b[1;5C\x1b[99~a\x16");  // unknown sequence dropped, never typed
  EXPECT_EQ(backend_->Wait().key, DWORD(KEY_CTRL | KEY_RIGHT));
  EXPECT_EQ(backend_->Wait().key, DWORD('a'));
  EXPECT_EQ(backend_->Wait().key, DWORD(KEY_CTRL | 'V'));
}

TEST_F(TerminalInput, SplitSequenceIsJoined) {
  Type("\x1b[");
  std::thread later([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    Type("3;2~");
  });
  farhost::InputEvent e = backend_->Wait();
  later.join();
  // Either the bytes came within the delay (Shift+Del) or the delay passed
  // first (Alt+[ and then the rest as keys); never a lost key.
  EXPECT_TRUE(e.key == DWORD(KEY_SHIFT | KEY_DEL) || e.key == DWORD(KEY_ALT | '[')) << e.key;
}

TEST_F(TerminalInput, PasteGoesToTheClipboardThenShiftIns) {
  Type("\x1b[200~one\rtwo\x1b[201~");
  farhost::InputEvent e = backend_->Wait();
  EXPECT_EQ(e.kind, farhost::InputEvent::Key);
  EXPECT_EQ(e.key, DWORD(KEY_SHIFT | KEY_INS));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_TEXT);
  ASSERT_NE(data, nullptr);
  EXPECT_STREQ(static_cast<const char *>(GlobalLock(data)), "one\r\ntwo");
  GlobalUnlock(data);
  CloseClipboard();
}

// A paste of megabytes: what the editors can hold reaches the clipboard,
// the rest is read and dropped, and the keys after it still arrive.
TEST_F(TerminalInput, LargePasteKeepsWhatTheEditorsCanHold) {
  std::thread writer([this] { Type("\x1b[200~" + std::string(2u << 20, 'p') + "\x1b[201~x"); });
  farhost::InputEvent e = backend_->Wait();
  EXPECT_EQ(e.key, DWORD(KEY_SHIFT | KEY_INS));
  EXPECT_EQ(backend_->Wait().key, DWORD('x'));
  writer.join();
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_TEXT);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::string(static_cast<const char *>(GlobalLock(data))),
            std::string(app::kLargestPaste, 'p'));
  GlobalUnlock(data);
  CloseClipboard();
}

TEST_F(TerminalInput, MouseClick) {
  Type("\x1b[<0;3;4M\x1b[<0;3;4m");
  farhost::InputEvent e = backend_->Wait();
  EXPECT_EQ(e.kind, farhost::InputEvent::Mouse);
  EXPECT_EQ(e.x, 2);
  EXPECT_EQ(e.y, 3);
  EXPECT_EQ(e.button, 1);
}

TEST_F(TerminalInput, ResizeArrivesAsAnEvent) {
  winsize size = {};
  size.ws_col = 100;
  size.ws_row = 30;
  ASSERT_EQ(ioctl(master_, TIOCSWINSZ, &size), 0);
  raise(SIGWINCH);
  farhost::InputEvent e = backend_->Wait();
  EXPECT_EQ(e.kind, farhost::InputEvent::Resize);
  EXPECT_EQ(e.x, 100);
  EXPECT_EQ(e.y, 30);
  EXPECT_EQ(backend_->Columns(), 100);
  EXPECT_EQ(backend_->Rows(), 30);
}

TEST_F(TerminalInput, QuitSignalEndsInputForGood) {
  raise(SIGTERM);
  EXPECT_EQ(backend_->Wait().kind, farhost::InputEvent::Quit);
  Type("a");
  EXPECT_EQ(backend_->Wait().kind, farhost::InputEvent::Quit);
}

TEST_F(TerminalInput, ClosedTerminalEndsInput) {
  close(master_);
  master_ = -1;
  stop_ = true;
  EXPECT_EQ(backend_->Wait().kind, farhost::InputEvent::Quit);
}

// Alt keys: the terminal's setting is saved, ESC-prefixed Alt asked for,
// and the saved setting put back at the end.
TEST_F(TerminalInput, ModesOnAtOpenAndOffAtClose) {
  EXPECT_TRUE(Received("\x1b[?1000h\x1b[?1006h\x1b[?2004h\x1b[?1036;1039s\x1b[?1036;1039h"));
  Type("\x1bl\xc3\xac");  // Alt+L, then an ì typed as itself
  EXPECT_EQ(backend_->Wait().key, DWORD(KEY_ALT | 'L'));
  EXPECT_EQ(backend_->Wait().key, DWORD(0x8D));  // ì in code page 437
  backend_->Close();
  EXPECT_TRUE(Received("\x1b[?2004l\x1b[?1006l\x1b[?1000l\x1b[?1036;1039r"));
  EXPECT_EQ(backend_->Wait().kind, farhost::InputEvent::Quit);
}

}  // namespace
