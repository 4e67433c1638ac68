// Repainting a full examined-text editor: its rows and 16 highlight regions
// plus the selection. The host is a fake that does the minimum a real one
// must: keep item texts, answer positions, and write Text into a screen.
#include <benchmark/benchmark.h>

#include <cstring>

#include "editor/status_editors.hpp"
#include "far170/plugin.hpp"
#include "host/host_state.hpp"

namespace {

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

void WINAPI Text(int x, int y, int colour, const char *text) {
  for (; *text && x < 80; x++, text++) {
    Screen[y][x][0] = static_cast<unsigned char>(*text);
    Screen[y][x][1] = static_cast<unsigned char>(colour);
  }
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
  std::string block;
  for (int i = 0; i < 100; i++)
    block += "line " + std::to_string(i) + " of the examined text, long enough to fill a row\n";
  text.SetText(block.c_str());
  text.MoveTo(50, 5, false);
  for (int k = 0; k < 16; k++) {
    int region = text.AddRegion();
    text.regions[region].Set(k, 47 + k % 5, 20 + k, 50 + k % 6);  // all over the window
    text.regions[region].colour = static_cast<uint32_t>(0x10 * (k % 8) + 0x0F);
  }
  text.regions[0].Set(3, 48, 9, 52);

  for (auto _ : state) {
    dialog.lockCount = 0;
    text.Refresh();
    text.DrawRegions();
    benchmark::DoNotOptimize(Screen);
  }
  Host.HostInfo = nullptr;
}
BENCHMARK(RepaintFullEditor)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
