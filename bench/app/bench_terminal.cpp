// The terminal view under typing: time per shown keystroke and the bytes it
// writes (target: at most 2 KB per key in an edit field).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/key_decoder.hpp"
#include "app/terminal_view.hpp"

namespace {

void DrawField(farhost::Screen &s, const std::string &field) {
  s.Fill(0, 0, s.Width() - 1, s.Height() - 1, ' ', 0x70);
  s.Fill(2, 1, s.Width() - 3, 1, 0xCD, 0x70);
  s.Fill(5, 5, s.Width() - 20, 5, ' ', 0x30);
  s.Text(5, 5, 0x30, field.c_str());
  s.SetCursor(5 + int(field.size()), 5, true);
}

// Bytes counted by draining the pty's master side.
size_t Drain(int master) {
  size_t total = 0;
  char buffer[8192];
  while (true) {
    ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) break;
    total += size_t(n);
  }
  return total;
}

void BM_ShowKeystroke(benchmark::State &state) {
  setenv("TERM", "xterm-256color", 1);
  winsize size = {};
  size.ws_col = 100;
  size.ws_row = 30;
  int master, slave;
  if (openpty(&master, &slave, nullptr, nullptr, &size) != 0) {
    state.SkipWithError("no pty");
    return;
  }
  fcntl(master, F_SETFL, O_NONBLOCK);
  FILE *out = fdopen(dup(slave), "w");
  FILE *in = fdopen(dup(slave), "r");
  {
    app::TerminalView view(out, in, 437);
    farhost::Screen screen(100, 30);
    std::string field;
    DrawField(screen, field);
    view.Show(screen);
    Drain(master);
    size_t bytes = 0, keys = 0;
    for (auto _ : state) {
      field += char('a' + keys % 26);
      if (field.size() > 70) field.clear();
      DrawField(screen, field);
      view.Show(screen);
      bytes += Drain(master);
      ++keys;
    }
    state.counters["bytes_per_key"] = double(bytes) / double(keys ? keys : 1);
    view.Close();
  }
  fclose(out);
  fclose(in);
  close(master);
  close(slave);
}
BENCHMARK(BM_ShowKeystroke);

void BM_DecodeInput(benchmark::State &state) {
  const std::string input = "\x1b[1;5Cabc\x1b[3~\x1b[<0;10;5M\x1bx\xc3\xa9";
  for (auto _ : state) {
    std::string_view rest = input;
    while (!rest.empty()) {
      app::DecodedInput in = app::DecodeInput(rest, true, 437);
      benchmark::DoNotOptimize(in.key);
      rest.remove_prefix(in.length ? in.length : 1);
    }
  }
}
BENCHMARK(BM_DecodeInput);

}  // namespace

BENCHMARK_MAIN();
