// A full redraw of a console-wide dialog of 32 items (the tester's layout)
// into the cell buffer, notifications to a procedure included. Target:
// <= 200 us median.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "farhost/farhost.hpp"

namespace {

HANDLE running = nullptr;

LONG_PTR WINAPI Proc(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
  if (msg == DN_INITDIALOG) running = dlg;
  return farhost::DefDlgProc(dlg, msg, param1, param2);
}

FarDialogItem Item(int type, int x1, int y1, int x2, int y2, DWORD flags, const char *text) {
  FarDialogItem item;
  std::memset(&item, 0, sizeof item);
  item.Type = type;
  item.X1 = x1;
  item.Y1 = y1;
  item.X2 = x2;
  item.Y2 = y2;
  item.Flags = flags;
  std::strncpy(item.Data, text, sizeof item.Data - 1);
  return item;
}

std::vector<FarDialogItem> Tester(int extra) {
  std::vector<FarDialogItem> items;
  items.push_back(Item(DI_DOUBLEBOX, 3, 1, 73 + extra, 21, 0, "Regular expression tester"));
  items.push_back(Item(DI_TEXT, 13, 2, 0, 0, 0, "* Pos: 5:3(of 10)"));
  items.push_back(Item(DI_TEXT, 0, 3, 0, 3, 0x10200, ""));
  const char *left[] = {"&Paste", "&Copy", "&Load", "&Unmark"};
  for (int i = 0; i < 4; ++i) items.push_back(Item(DI_BUTTON, 5, 4 + i, 0, 0, 0x8000, left[i]));
  items.push_back(Item(DI_TEXT, 5, 2, 0, 0, 0, "Text"));
  for (int i = 0; i < 6; ++i)
    items.push_back(Item(DI_EDIT, 13, 4 + i, 72 + extra, 4 + i, 0x20000,
                         "The quick brown fox jumps over the lazy dog 0123456789 again"));
  items.push_back(Item(DI_TEXT, -1, 10, -1, 10, 0x10200, "Match at 4:2"));
  items.push_back(Item(DI_TEXT, 13, 11, 0, 0, 0, "  Pos: 1:1(of 1)"));
  items.push_back(Item(DI_TEXT, 1, 12, 1, 12, 0x10200, ""));
  const char *right[] = {"P&aste", "Cop&y", "Unmar&k", "&Find", "Ne&xt"};
  const int rows[] = {13, 14, 15, 17, 18};
  for (int i = 0; i < 5; ++i) items.push_back(Item(DI_BUTTON, 5, rows[i], 0, 0, 0x8000, right[i]));
  items.push_back(Item(DI_TEXT, 5, 11, 0, 0, 0, "RegExp"));
  for (int i = 0; i < 6; ++i)
    items.push_back(Item(DI_EDIT, 13, 13 + i, 72 + extra, 13 + i, 0x20000, "(qu\\w+)\\s+(b\\w+)"));
  items.push_back(Item(DI_TEXT, -1, 19, -1, 19, 0x10200, ""));
  items.push_back(Item(DI_BUTTON, 0, 20, 0, 0, 0x4000, "&Options"));
  items.push_back(Item(DI_BUTTON, 0, 20, 0, 0, 0x4000, "Clo&se"));
  return items;
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
