// Repainting a full examined-text editor: its rows and 16 highlight regions
// plus the selection. Once on a fake host that does the minimum a real one
// must (keep item texts, answer positions, write Text into a screen), once
// inside a running dialog of the file manager stand-in.
#include <benchmark/benchmark.h>

#include <cstring>

#include <string>

#include "editor/status_editors.hpp"
#include "far170/plugin.hpp"
#include "farhost/farhost.hpp"
#include "farhost/screen.hpp"
#include "host/host_state.hpp"
#include "support/dialog_items.hpp"

namespace {

using test_support::MakeItem;

char ItemTexts[32][512];
SMALL_RECT ItemRects[32];
unsigned char Screen[25][80][2];

LONG_PTR WINAPI SendDlgMessage(HANDLE, int message, int param1, LONG_PTR param2) {
  switch (message) {
    case DM_SETTEXT: {
      const char *text = reinterpret_cast<FarDialogItemData *>(param2)->PtrData;
      size_t n = strnlen(text, 511);
      memcpy(ItemTexts[param1], text, n);
      ItemTexts[param1][n] = 0;
      return static_cast<LONG_PTR>(n);
    }
    case DM_GETITEMPOSITION:
      *reinterpret_cast<SMALL_RECT *>(param2) = ItemRects[param1];
      return 1;
    case DM_GETDLGRECT:
      *reinterpret_cast<SMALL_RECT *>(param2) = SMALL_RECT{1, 1, 77, 23};
      return 1;
    default:
      return 1;
  }
}

int WINAPI AdvControl(int, int, void *) {
  return 0x1F;
}

void WINAPI Text(int x, int y, int color, const char *text) {
  for (; *text && x < 80; x++, text++) {
    Screen[y][x][0] = static_cast<unsigned char>(*text);
    Screen[y][x][1] = static_cast<unsigned char>(color);
  }
}

// 100 lines, the window on lines 45 to 50, 16 highlights and a selection
// spread over it.
void FillWithRegions(LineEditor &text) {
  std::string block;
  for (int i = 0; i < 100; i++)
    block += "line " + std::to_string(i) + " of the examined text, long enough to fill a row\n";
  text.SetText(block.c_str());
  text.MoveTo(50, 5, false);
  for (int k = 0; k < 16; k++) {
    int region = text.AddRegion();
    text.regions[region].Set(k, 47 + k % 5, 20 + k, 50 + k % 6);
    text.regions[region].color = static_cast<uint32_t>(0x10 * (k % 8) + 0x0F);
  }
  text.regions[0].Set(3, 48, 9, 52);
}

void RepaintFullEditor(benchmark::State &state) {
  PluginStartupInfo info;
  memset(&info, 0, sizeof info);
  info.SendDlgMessage = SendDlgMessage;
  info.AdvControl = AdvControl;
  info.Text = Text;
  Host.HostInfo = &info;
  for (int i = 0; i < 6; i++)
    ItemRects[8 + i] = {13, static_cast<SHORT>(4 + i), 72, static_cast<SHORT>(4 + i)};

  DialogHandle dialog;
  dialog.handle = &info;
  ExaminedTextEditor text;
  LONG_PTR result;
  text.HandleMessage(&dialog, DN_INITDIALOG, 0, 0, &result);
  text.HandleMessage(&dialog, DN_DRAWDIALOG, 0, 0, &result);
  FillWithRegions(text);

  for (auto _ : state) {
    dialog.lockCount = 0;
    text.Refresh();
    text.DrawRegions();
    benchmark::DoNotOptimize(Screen);
  }
  Host.HostInfo = nullptr;
}
BENCHMARK(RepaintFullEditor)->Unit(benchmark::kMicrosecond);

// The same inside a running stand-in dialog: the loop runs from the paint
// hook of the first drawing, with the redraw lock held as the editor leaves it.
struct StandInRun {
  benchmark::State *state;
  ExaminedTextEditor *text;
  DialogHandle dialog;
  bool measured;
};
StandInRun *Running = nullptr;

LONG_PTR WINAPI StandInProc(HANDLE handle, int message, int param1, LONG_PTR param2) {
  StandInRun &run = *Running;
  run.dialog.handle = handle;
  LONG_PTR result = 0;
  if (run.text->HandleMessage(&run.dialog, message, param1, param2, &result)) return result;
  if (message == DN_INITDIALOG) {
    FillWithRegions(*run.text);
  } else if (message == DN_DRAWDLGITEM && param1 == 14 && run.text->drawn && !run.measured) {
    run.measured = true;
    for (auto _ : *run.state) {
      run.text->Refresh();
      run.text->DrawRegions();
    }
  }
  LONG_PTR answer = Host.HostInfo->DefDlgProc(handle, message, param1, param2);
  run.dialog.UnlockAll();
  return answer;
}

void RepaintFullEditorOnStandIn(benchmark::State &state) {
  PluginStartupInfo info = farhost::MakeStartupInfo(nullptr);
  Host.HostInfo = &info;
  farhost::TheScreen().Resize(80, 25);
  std::vector<FarDialogItem> items = {MakeItem(DI_DOUBLEBOX, 3, 1, 73, 21, 0),
                                      MakeItem(DI_TEXT, 13, 2, 0, 0, 0)};
  for (int i = 2; i < 8; i++) items.push_back(MakeItem(DI_TEXT, 5, 2 + i, 0, 0, 0));
  for (int y = 4; y <= 9; y++) items.push_back(MakeItem(DI_EDIT, 13, y, 72, y, DIF_EDITOR));
  items.push_back(MakeItem(DI_TEXT, -1, 10, -1, 10, DIF_SEPARATOR | DIF_BOXCOLOR));

  ExaminedTextEditor text;
  StandInRun run = {&state, &text, DialogHandle(), false};
  Running = &run;
  info.DialogEx(0, -1, -1, 77, 23, nullptr, items.data(), static_cast<int>(items.size()), 0, 0,
                StandInProc, 0);
  Running = nullptr;
  Host.HostInfo = nullptr;
  if (!run.measured) state.SkipWithError("the dialog never drew its rows");
}
BENCHMARK(RepaintFullEditorOnStandIn)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
