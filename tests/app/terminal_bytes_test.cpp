// What one keystroke costs on the wire: the bytes the terminal view writes
// after a change in an edit field.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "app/terminal_view.hpp"

namespace {

constexpr size_t kMaxBytesPerKey = 2048;

class PtyTerminal {
 public:
  PtyTerminal(int columns, int rows) {
    winsize size = {};
    size.ws_col = (unsigned short)columns;
    size.ws_row = (unsigned short)rows;
    if (openpty(&master_, &slave_, nullptr, nullptr, &size) != 0) return;
    reader_ = std::thread([this] {
      char buffer[4096];
      while (!stop_) {
        pollfd p = {master_, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) continue;
        ssize_t n = read(master_, buffer, sizeof buffer);
        if (n <= 0) break;
        bytes_ += size_t(n);
      }
    });
    out_ = fdopen(dup(slave_), "w");
    in_ = fdopen(dup(slave_), "r");
  }
  ~PtyTerminal() {
    if (out_) fclose(out_);
    if (in_) fclose(in_);
    stop_ = true;
    if (reader_.joinable()) reader_.join();
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
  }
  bool Ok() const { return out_ && in_; }
  FILE *Out() const { return out_; }
  FILE *In() const { return in_; }
  // Bytes written since the last call, once the writer has gone quiet.
  size_t TakeBytes() {
    size_t last = size_t(-1);
    while (bytes_.load() != last) {
      last = bytes_.load();
      std::this_thread::sleep_for(std::chrono::milliseconds(60));
    }
    return bytes_.exchange(0);
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  FILE *out_ = nullptr;
  FILE *in_ = nullptr;
  std::thread reader_;
  std::atomic<bool> stop_{false};
  std::atomic<size_t> bytes_{0};
};

// A console-wide gray dialog with a double frame and a cyan edit field.
void DrawDialog(farhost::Screen &s, const std::string &field) {
  int w = s.Width(), h = s.Height();
  s.Fill(0, 0, w - 1, h - 1, ' ', 0x07);
  s.Fill(0, 0, w - 1, h - 1, ' ', 0x70);
  s.Fill(2, 1, w - 3, 1, 0xCD, 0x70);
  s.Fill(2, h - 2, w - 3, h - 2, 0xCD, 0x70);
  s.Fill(2, 1, 2, h - 2, 0xBA, 0x70);
  s.Fill(w - 3, 1, w - 3, h - 2, 0xBA, 0x70);
  s.Text(w / 2 - 4, 1, 0x70, " Tester ");
  for (int row = 3; row < h - 4; ++row) s.Fill(5, row, w - 20, row, ' ', 0x30);
  s.Text(5, 5, 0x30, field.c_str());
  s.Text(w - 17, 5, 0x70, "[ Set ]");
  s.SetCursor(5 + int(field.size()), 5, true);
}

class TerminalBytes : public testing::Test {
 protected:
  void SetUp() override { setenv("TERM", "xterm-256color", 1); }
};

TEST_F(TerminalBytes, OneKeystrokeInAnEditFieldIsSmall) {
  PtyTerminal pty(100, 30);
  ASSERT_TRUE(pty.Ok());
  app::TerminalView view(pty.Out(), pty.In(), 437);
  ASSERT_TRUE(view.Ok());
  farhost::Screen screen(100, 30);
  std::string field = "(\\d+)-(\\w+)";
  DrawDialog(screen, field);
  view.Show(screen);
  size_t first = pty.TakeBytes();
  EXPECT_GT(first, 1000u);  // the whole dialog went out once

  // Typing at the end of the field: one cell and the cursor.
  field += 'x';
  DrawDialog(screen, field);
  view.Show(screen);
  size_t append = pty.TakeBytes();
  EXPECT_GT(append, 0u);
  EXPECT_LE(append, kMaxBytesPerKey);

  // Typing at the start of a long field shifts every character after it.
  std::string longField(70, 'a');
  for (size_t i = 0; i < longField.size(); ++i) longField[i] = char('a' + i % 26);
  DrawDialog(screen, longField);
  view.Show(screen);
  pty.TakeBytes();
  DrawDialog(screen, "Z" + longField);
  screen.SetCursor(6, 5, true);
  view.Show(screen);
  size_t shift = pty.TakeBytes();
  EXPECT_GT(shift, 70u);
  EXPECT_LE(shift, kMaxBytesPerKey);

  // Showing an unchanged screen writes next to nothing.
  view.Show(screen);
  EXPECT_LE(pty.TakeBytes(), 16u);
  RecordProperty("bytes_append", int(append));
  RecordProperty("bytes_shift", int(shift));
  view.Close();
}

TEST_F(TerminalBytes, EightColorTerminalGetsBoldForBright) {
  setenv("TERM", "xterm", 1);
  PtyTerminal pty(40, 10);
  ASSERT_TRUE(pty.Ok());
  app::TerminalView view(pty.Out(), pty.In(), 437);
  ASSERT_TRUE(view.Ok());
  EXPECT_EQ(view.Colors(), 8);
  farhost::Screen screen(40, 10);
  DrawDialog(screen, "x");
  screen.Text(1, 8, 0x1F, "bright");
  view.Show(screen);
  EXPECT_GT(pty.TakeBytes(), 0u);
  view.Close();
}

}  // namespace
