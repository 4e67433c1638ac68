// One opening of the tester: the dialog built to the console's width, an
// engine handle of its own, and the file manager's editor left as it was.
#include "tester/tester.hpp"

#include <new>

#include "dialogs/compact_template.hpp"
#include "host/editor_link.hpp"
#include "host/host_state.hpp"
#include "host/text.hpp"
#include "settings/settings.hpp"
#include "tester/match_state.hpp"
#include "tester/tester_dialog.hpp"

namespace {

enum : uint32_t {
  kSeparator = DIF_SEPARATOR | DIF_BOXCOLOR,
  kBare = DIF_NOBRACKETS,
  kCentred = DIF_CENTERGROUP,
  kRow = DIF_EDITOR,
};

enum {
  kBaseWidth = 77,
  kHeight = 23,
  kDefaultConsoleWidth = 80,
  // Narrower than this the dialog would fall apart: the host says the
  // screen is too small instead.
  kMinExtra = -20,
  kNoEngineMessage = 51,
  kNoMemoryMessage = 52,
};

const CompactItem kTesterTemplate[] = {
    {DI_DOUBLEBOX, 3, 1, 73, 21, 0, 2},  // 0: frame and title
    {DI_TEXT, 13, 2, 0, 0, 0, 0},        // 1: the text's position line
    {DI_TEXT, 0, 3, 0, 3, kSeparator, 0},
    {DI_BUTTON, 5, 4, 0, 0, kBare, 7},  // 3-6: the text's buttons
    {DI_BUTTON, 5, 5, 0, 0, kBare, 8},
    {DI_BUTTON, 5, 6, 0, 0, kBare, 9},
    {DI_BUTTON, 5, 7, 0, 0, kBare, 10},
    {DI_TEXT, 5, 2, 0, 0, 0, 6},       // 7: the text's heading
    {DI_EDIT, 13, 4, 72, 4, kRow, 0},  // 8-13: the text's rows
    {DI_EDIT, 13, 5, 72, 5, kRow, 0},
    {DI_EDIT, 13, 6, 72, 6, kRow, 0},
    {DI_EDIT, 13, 7, 72, 7, kRow, 0},
    {DI_EDIT, 13, 8, 72, 8, kRow, 0},
    {DI_EDIT, 13, 9, 72, 9, kRow, 0},
    {DI_TEXT, -1, 10, -1, 10, kSeparator, 0},  // 14: the text status
    {DI_TEXT, 13, 11, 0, 0, 0, 0},             // 15: the expression's position line
    {DI_TEXT, 1, 12, 1, 12, kSeparator, 0},
    {DI_BUTTON, 5, 13, 0, 0, kBare, 11},  // 17-21: the expression's buttons
    {DI_BUTTON, 5, 14, 0, 0, kBare, 12},
    {DI_BUTTON, 5, 15, 0, 0, kBare, 13},
    {DI_BUTTON, 5, 17, 0, 0, kBare, 14},
    {DI_BUTTON, 5, 18, 0, 0, kBare, 15},
    {DI_TEXT, 5, 11, 0, 0, 0, 16},       // 22: the expression's heading
    {DI_EDIT, 13, 13, 72, 13, kRow, 0},  // 23-28: the expression's rows
    {DI_EDIT, 13, 14, 72, 14, kRow, 0},
    {DI_EDIT, 13, 15, 72, 15, kRow, 0},
    {DI_EDIT, 13, 16, 72, 16, kRow, 0},
    {DI_EDIT, 13, 17, 72, 17, kRow, 0},
    {DI_EDIT, 13, 18, 72, 18, kRow, 0},
    {DI_TEXT, -1, 19, -1, 19, kSeparator, 0},  // 29: the expression status
    {DI_BUTTON, 0, 20, 0, 0, kCentred, 5},     // 30: options
    {DI_BUTTON, 0, 20, 0, 0, kCentred, 4},     // 31: close
    {CIF_END, 0, 0, 0, 0, 0, 0},
};

static_assert(sizeof kTesterTemplate / sizeof kTesterTemplate[0] == kTesterItemCount + 1,
              "the tester has 32 items");

int ConsoleWidth() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info) || info.dwSize.X <= 0)
    return kDefaultConsoleWidth;
  return info.dwSize.X;
}

void Warn(int id) {
  const PluginStartupInfo *info = Host.HostInfo;
  if (info->Message)
    info->Message(info->ModuleNumber, FMSG_MB_OK | FMSG_ALLINONE | FMSG_WARNING, nullptr,
                  reinterpret_cast<const char *const *>(MessageText(id)), 0, 0);
}

}  // namespace

int TesterExtraWidth(int consoleWidth) {
  int extra = consoleWidth - 80;
  if (extra != 0) extra -= 1;
  return MaxInt(extra, kMinExtra);
}

void WidenTesterItems(FarDialogItem *items, int count, int extra) {
  for (int i = 0; i < count; ++i) {
    int type = items[i].Type;
    if (type == DI_EDIT || type == DI_SINGLEBOX || type == DI_DOUBLEBOX) items[i].X2 += extra;
  }
}

int RunTester() {
  EditorLink link;
  LoadSettings();
  EditorSelect kept = {};
  link.GetSelection(&kept);
  const int keptColumn = link.CursorColumn();
  const int keptLine = link.CursorLine();

  FarDialogItem items[kTesterItemCount];
  ExpandTemplate(kTesterTemplate, items);
  const int extra = TesterExtraWidth(ConsoleWidth());
  WidenTesterItems(items, kTesterItemCount, extra);

  const EngineTable *table = Host.EngineTable;
  Engine = table && table->CreateEngine && table->Parse && table->SetExpression
               ? table->CreateEngine()
               : nullptr;
  if (!Engine) {
    Warn(kNoEngineMessage);
    return 1;
  }
  TheMatchState.ExpressionReady = false;
  TheMatchState.Restart = true;

  Tester = new (std::nothrow) TesterDialog();
  if (Tester) {
    const PluginStartupInfo *info = Host.HostInfo;
    info->DialogEx(info->ModuleNumber, -1, -1, kBaseWidth + extra, kHeight, nullptr, items,
                   kTesterItemCount, 0, 0, TesterDialogProc, reinterpret_cast<LONG_PTR>(&link));
    delete Tester;
    Tester = nullptr;
  } else {
    Warn(kNoMemoryMessage);
  }
  FreeTextBuffer();
  if (table->DestroyEngine) table->DestroyEngine(&Engine);
  Engine = nullptr;

  link.Select(kept);
  link.SetPosition(keptColumn, keptLine);
  return 1;
}
