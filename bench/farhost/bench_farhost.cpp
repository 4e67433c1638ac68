// A full redraw of a console-wide dialog of 32 items (the tester's layout)
// into the cell buffer, notifications to a procedure included. Target:
// <= 200 us median.
#include <benchmark/benchmark.h>

#include <vector>

#include "farhost/farhost.hpp"
#include "support/dialog_items.hpp"

namespace {

HANDLE running = nullptr;

LONG_PTR WINAPI Proc(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
  if (msg == DN_INITDIALOG) running = dlg;
  return farhost::DefDlgProc(dlg, msg, param1, param2);
}

std::vector<FarDialogItem> Tester(int extra) {
  const char *row = "The quick brown fox jumps over the lazy dog 0123456789 again";
  const char *expression = "(qu\\w+)\\s+(b\\w+)";
  test_support::TesterTexts texts = {
      {row, row, row, row, row, row},
      {expression, expression, expression, expression, expression, expression},
      "Match at 4:2",
      -1};
  return test_support::TesterLayout(texts, extra);
}

class BenchBackend : public farhost::Backend {
 public:
  explicit BenchBackend(benchmark::State &state) : state_(state) {}
  void Show(const farhost::Screen &) override {}
  farhost::InputEvent Wait() override {
    for (auto _ : state_) farhost::SendDlgMessage(running, DM_REDRAW, 0, 0);
    farhost::InputEvent quit;
    quit.kind = farhost::InputEvent::Quit;
    return quit;
  }

 private:
  benchmark::State &state_;
};

void BM_FullRedraw(benchmark::State &state) {
  int width = int(state.range(0));
  farhost::TheScreen().Resize(width, 25);
  int extra = width - 80;
  if (extra) extra -= 1;
  std::vector<FarDialogItem> items = Tester(extra);
  BenchBackend backend(state);
  farhost::SetBackend(&backend);
  farhost::DialogEx(0, -1, -1, 77 + extra, 23, nullptr, items.data(), int(items.size()), 0, 0, Proc,
                    0);
  farhost::SetBackend(nullptr);
}
BENCHMARK(BM_FullRedraw)->Arg(80)->Arg(132)->Arg(200)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
