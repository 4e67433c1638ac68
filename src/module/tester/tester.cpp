// One opening of the tester: the dialog built to the console's width, an
// engine handle of its own, and the file manager's editor left as it was.
#include "tester/tester.hpp"

#include <new>

#include "dialogs/compact_template.hpp"
#include "host/editor_link.hpp"
#include "host/host_services.hpp"
#include "host/host_state.hpp"
#include "host/messages.hpp"
#include "host/text.hpp"
#include "settings/settings.hpp"
#include "tester/match_state.hpp"
#include "tester/tester_dialog.hpp"

namespace {

enum : uint32_t {
  kSeparator = DIF_SEPARATOR | DIF_BOXCOLOR,
  kBare = DIF_NOBRACKETS,
  kCentered = DIF_CENTERGROUP,
  kRow = DIF_EDITOR,
};

enum {
  kBaseWidth = 77,
  kHeight = 23,
  kDefaultConsoleWidth = 80,
  // Narrower than this the dialog would fall apart: the host says the
  // screen is too small instead.
  kMinExtra = -20,
};

constexpr NumberedItem kTesterItems[] = {
    {kFrame, {DI_DOUBLEBOX, 3, 1, 73, 21, 0, kTesterTitleMessage}},
    {kTextPositionLine, {DI_TEXT, 13, 2, 0, 0, 0, kNoMessage}},
    {kTextSeparator, {DI_TEXT, 0, 3, 0, 3, kSeparator, kNoMessage}},
    {kTextPasteButton, {DI_BUTTON, 5, 4, 0, 0, kBare, kTextPasteMessage}},
    {kTextCopyButton, {DI_BUTTON, 5, 5, 0, 0, kBare, kTextCopyMessage}},
    {kTextLoadButton, {DI_BUTTON, 5, 6, 0, 0, kBare, kTextLoadMessage}},
    {kTextUnmarkButton, {DI_BUTTON, 5, 7, 0, 0, kBare, kTextUnmarkMessage}},
    {kTextHeading, {DI_TEXT, 5, 2, 0, 0, 0, kTextHeadingMessage}},
    {kTextFirstRow, {DI_EDIT, 13, 4, 72, 4, kRow, kNoMessage}},
    {kTextFirstRow + 1, {DI_EDIT, 13, 5, 72, 5, kRow, kNoMessage}},
    {kTextFirstRow + 2, {DI_EDIT, 13, 6, 72, 6, kRow, kNoMessage}},
    {kTextFirstRow + 3, {DI_EDIT, 13, 7, 72, 7, kRow, kNoMessage}},
    {kTextFirstRow + 4, {DI_EDIT, 13, 8, 72, 8, kRow, kNoMessage}},
    {kTextLastRow, {DI_EDIT, 13, 9, 72, 9, kRow, kNoMessage}},
    {kTextStatus, {DI_TEXT, -1, 10, -1, 10, kSeparator, kNoMessage}},
    {kExpressionPositionLine, {DI_TEXT, 13, 11, 0, 0, 0, kNoMessage}},
    {kExpressionSeparator, {DI_TEXT, 1, 12, 1, 12, kSeparator, kNoMessage}},
    {kExpressionPasteButton, {DI_BUTTON, 5, 13, 0, 0, kBare, kExpressionPasteMessage}},
    {kExpressionCopyButton, {DI_BUTTON, 5, 14, 0, 0, kBare, kExpressionCopyMessage}},
    {kExpressionUnmarkButton, {DI_BUTTON, 5, 15, 0, 0, kBare, kExpressionUnmarkMessage}},
    {kFindButton, {DI_BUTTON, 5, 17, 0, 0, kBare, kFindMessage}},
    {kNextButton, {DI_BUTTON, 5, 18, 0, 0, kBare, kNextMessage}},
    {kExpressionHeading, {DI_TEXT, 5, 11, 0, 0, 0, kExpressionHeadingMessage}},
    {kExpressionFirstRow, {DI_EDIT, 13, 13, 72, 13, kRow, kNoMessage}},
    {kExpressionFirstRow + 1, {DI_EDIT, 13, 14, 72, 14, kRow, kNoMessage}},
    {kExpressionFirstRow + 2, {DI_EDIT, 13, 15, 72, 15, kRow, kNoMessage}},
    {kExpressionFirstRow + 3, {DI_EDIT, 13, 16, 72, 16, kRow, kNoMessage}},
    {kExpressionFirstRow + 4, {DI_EDIT, 13, 17, 72, 17, kRow, kNoMessage}},
    {kExpressionLastRow, {DI_EDIT, 13, 18, 72, 18, kRow, kNoMessage}},
    {kExpressionStatus, {DI_TEXT, -1, 19, -1, 19, kSeparator, kNoMessage}},
    {kOptionsButton, {DI_BUTTON, 0, 20, 0, 0, kCentered, kOptionsMessage}},
    {kCloseButton, {DI_BUTTON, 0, 20, 0, 0, kCentered, kCloseMessage}},
};
constexpr CompactTemplate<kTesterItemCount> kTesterTemplate = Numbered(kTesterItems);
static_assert(kTesterTemplate.inPlace, "each record at its TesterItem number");

int ConsoleWidth() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info) || info.dwSize.X <= 0)
    return kDefaultConsoleWidth;
  return info.dwSize.X;
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
  ExpandTemplate(kTesterTemplate.records, items);
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
    RunDialog(kBaseWidth + extra, kHeight, nullptr, items, kTesterItemCount, TesterDialogProc,
              reinterpret_cast<LONG_PTR>(&link));
    delete Tester;
    Tester = nullptr;
  } else {
    Warn(kNoMemoryForTesterMessage);
  }
  FreeTextBuffer();
  if (table->DestroyEngine) table->DestroyEngine(&Engine);
  Engine = nullptr;

  link.Select(kept);
  link.SetPosition(keptColumn, keptLine);
  return 1;
}
