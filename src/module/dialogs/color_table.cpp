#include "dialogs/color_table.hpp"

#include "dialogs/color_picker.hpp"
#include "host/host_services.hpp"
#include "host/messages.hpp"
#include "settings/settings.hpp"

namespace {

enum {
  kTableItems = 51,
  kFirstRowItem = 1,  // row i: label 3i + 1, sample 3i + 2, button 3i + 3
  kFirstRowButton = 3,
  kLastRowButton = 3 * kGroupColorCount,
  kAcceptButton = 49,
  kCancelButton = 50,
  kItemText = sizeof(FarDialogItem::Data),
};

// Title, the two boxes, set, cancel, sample line.
const PickerTexts kTablePickerTexts = {
    {MessageRef::Id(kPickerTitleMessage), MessageRef::Id(kPickerForegroundMessage),
     MessageRef::Id(kPickerBackgroundMessage), MessageRef::Id(kPickerChooseMessage),
     MessageRef::Id(kCloseMessage), MessageRef::Id(kPickerSampleMessage)}};

void SetItem(FarDialogItem &item, int type, int x1, int y1, int x2, int y2, DWORD flags) {
  item.Type = type;
  item.X1 = x1;
  item.Y1 = y1;
  item.X2 = x2;
  item.Y2 = y2;
  item.Flags = flags;
}

// A color's sample: only the attribute byte goes into the item's flags, so
// bits above it (a hand-edited registry value) cannot set other flags.
DWORD SampleFlags(int32_t color) {
  return DIF_SETCOLOR | (DWORD(color) & DIF_COLORMASK);
}

char RowHotkey(int row) {
  return static_cast<char>(row < 9 ? '1' + row : 'A' + (row - 9));
}

}  // namespace

void ShowColorTableDialog() {
  FarDialogItem items[kTableItems];
  int32_t working[kGroupColorCount];
  FillBytes(items, 0, sizeof items);

  SetItem(items[0], DI_DOUBLEBOX, 2, 1, 44, 21, 0);
  CopyText(items[0].Data, MessageText(kColorTableTitleMessage), kItemText);
  for (int row = 0; row < kGroupColorCount; ++row) {
    int y = row + 2;
    FarDialogItem *line = &items[kFirstRowItem + 3 * row];
    working[row] = Settings.GroupColors[row];
    SetItem(line[0], DI_TEXT, 5, y, 5, y, 0);
    FormatMessageText(line[0].Data, kItemText, kColorRowMessage, "d", row + 1);
    SetItem(line[1], DI_TEXT, 15, y, 26, y, SampleFlags(working[row]));
    FormatMessageText(line[1].Data, kItemText, kColorSampleMessage, "");
    SetItem(line[2], DI_BUTTON, 27, y, 42, y, 0);
    FormatMessageText(line[2].Data, kItemText, kColorChangeMessage, "c", RowHotkey(row));
  }
  SetItem(items[kAcceptButton], DI_BUTTON, 0, 19, 0, 19, DIF_CENTERGROUP);
  items[kAcceptButton].DefaultButton = 1;
  CopyText(items[kAcceptButton].Data, MessageText(kOkMessage), kItemText);
  SetItem(items[kCancelButton], DI_BUTTON, 0, 19, 0, 19, DIF_CENTERGROUP);
  CopyText(items[kCancelButton].Data, MessageText(kCloseMessage), kItemText);

  for (;;) {
    int closed = RunDialog(47, 23, nullptr, items, kTableItems, ColorTableDialogProc, 0);
    if (closed >= kFirstRowButton && closed <= kLastRowButton && closed % 3 == 0) {
      int row = (closed - kFirstRowButton) / 3;
      working[row] = PickColor(working[row], &kTablePickerTexts, nullptr);
      items[closed - 1].Flags = SampleFlags(working[row]);
      continue;
    }
    if (closed == kAcceptButton)
      for (int row = 0; row < kGroupColorCount; ++row) Settings.GroupColors[row] = working[row];
    return;
  }
}

LONG_PTR WINAPI ColorTableDialogProc(HANDLE dialog, int message, int param1, LONG_PTR param2) {
  if (message == DN_HELP) {
    ShowHelp("Colors");
    return 0;
  }
  return PassToHost(dialog, message, param1, param2);
}
