#include "dialogs/color_table.hpp"

#include "dialogs/color_picker.hpp"
#include "dialogs/host_dialog.hpp"
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

enum {
  kTitleMessage = 36,
  kRowLabelMessage = 37,  // one integer: the row number
  kSampleMessage = 38,
  kRowButtonMessage = 39,  // one character: the row's hotkey
  kAcceptMessage = 3,
  kCancelMessage = 4,
};

// Title, the two boxes, set, cancel, sample line.
const PickerTexts kTablePickerTexts = {{MessageRef::Id(21), MessageRef::Id(22), MessageRef::Id(23),
                                        MessageRef::Id(24), MessageRef::Id(4), MessageRef::Id(25)}};

void SetItem(FarDialogItem &item, int type, int x1, int y1, int x2, int y2, DWORD flags) {
  item.Type = type;
  item.X1 = x1;
  item.Y1 = y1;
  item.X2 = x2;
  item.Y2 = y2;
  item.Flags = flags;
}

// A colour's sample: only the attribute byte goes into the item's flags, so
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
  CopyText(items[0].Data, MessageText(kTitleMessage), kItemText);
  for (int row = 0; row < kGroupColorCount; ++row) {
    int y = row + 2;
    FarDialogItem *line = &items[kFirstRowItem + 3 * row];
    working[row] = Settings.GroupColors[row];
    SetItem(line[0], DI_TEXT, 5, y, 5, y, 0);
    FormatMessageText(line[0].Data, kItemText, kRowLabelMessage, "d", row + 1);
    SetItem(line[1], DI_TEXT, 15, y, 26, y, SampleFlags(working[row]));
    FormatMessageText(line[1].Data, kItemText, kSampleMessage, "");
    SetItem(line[2], DI_BUTTON, 27, y, 42, y, 0);
    FormatMessageText(line[2].Data, kItemText, kRowButtonMessage, "c", RowHotkey(row));
  }
  SetItem(items[kAcceptButton], DI_BUTTON, 0, 19, 0, 19, DIF_CENTERGROUP);
  items[kAcceptButton].DefaultButton = 1;
  CopyText(items[kAcceptButton].Data, MessageText(kAcceptMessage), kItemText);
  SetItem(items[kCancelButton], DI_BUTTON, 0, 19, 0, 19, DIF_CENTERGROUP);
  CopyText(items[kCancelButton].Data, MessageText(kCancelMessage), kItemText);

  for (;;) {
    int closed = RunHostDialog(47, 23, nullptr, items, kTableItems, ColorTableDialogProc);
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
    ShowModuleHelp("Colors");
    return 0;
  }
  return PassToHost(dialog, message, param1, param2);
}
