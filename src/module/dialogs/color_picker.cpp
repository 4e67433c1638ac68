#include "dialogs/color_picker.hpp"

#include "dialogs/compact_template.hpp"
#include "host/host_services.hpp"
#include "host/messages.hpp"

namespace {

enum { kColorCount = 16, kSampleLines = 3, kItemText = sizeof(FarDialogItem::Data) };

enum PickerItem {
  kTitleItem = 0,
  kForegroundBox = 1,
  kFirstForeground = 2,
  kBackgroundBox = kFirstForeground + kColorCount,
  kFirstBackground = kBackgroundBox + 1,
  kFirstSample = kFirstBackground + kColorCount,
  kLastSample = kFirstSample + kSampleLines - 1,
  kPickerSeparator = kLastSample + 1,
  kSetButton = kPickerSeparator + 1,
  kCancelButton = kSetButton + 1,
  kPickerItemCount = kCancelButton + 1,
};

// Radio button k of the box whose first button is `first` stands in column
// k / 4 and line k % 4 of its box, on background k with a contrasting
// foreground.
constexpr NumberedItem Radio(int first, int left, int k) {
  return NumberedItem{first + k,
                      {DI_RADIOBUTTON, int16_t(left + 3 * (k / 4)), int16_t(3 + k % 4), 0, 0,
                       DIF_MOVESELECT | DIF_SETCOLOR | DWORD(k * 16 + (7 - k % 8)) |
                           (k == 0 ? DWORD(DIF_GROUP) : 0u),
                       kNoMessage}};
}

constexpr DWORD kSampleFlags = DIF_SETCOLOR | 0x2E;

// Every text is filled in by PickColor.
constexpr NumberedItem kPickerItems[] = {
    {kTitleItem, {DI_DOUBLEBOX, 3, 1, 35, 13, DIF_BOXCOLOR, kNoMessage}},
    {kForegroundBox, {DI_SINGLEBOX, 5, 2, 18, 7, DIF_BOXCOLOR | DIF_LEFTTEXT, kNoMessage}},
    Radio(kFirstForeground, 6, 0),
    Radio(kFirstForeground, 6, 1),
    Radio(kFirstForeground, 6, 2),
    Radio(kFirstForeground, 6, 3),
    Radio(kFirstForeground, 6, 4),
    Radio(kFirstForeground, 6, 5),
    Radio(kFirstForeground, 6, 6),
    Radio(kFirstForeground, 6, 7),
    Radio(kFirstForeground, 6, 8),
    Radio(kFirstForeground, 6, 9),
    Radio(kFirstForeground, 6, 10),
    Radio(kFirstForeground, 6, 11),
    Radio(kFirstForeground, 6, 12),
    Radio(kFirstForeground, 6, 13),
    Radio(kFirstForeground, 6, 14),
    Radio(kFirstForeground, 6, 15),
    {kBackgroundBox, {DI_SINGLEBOX, 20, 2, 33, 7, DIF_BOXCOLOR | DIF_LEFTTEXT, kNoMessage}},
    Radio(kFirstBackground, 21, 0),
    Radio(kFirstBackground, 21, 1),
    Radio(kFirstBackground, 21, 2),
    Radio(kFirstBackground, 21, 3),
    Radio(kFirstBackground, 21, 4),
    Radio(kFirstBackground, 21, 5),
    Radio(kFirstBackground, 21, 6),
    Radio(kFirstBackground, 21, 7),
    Radio(kFirstBackground, 21, 8),
    Radio(kFirstBackground, 21, 9),
    Radio(kFirstBackground, 21, 10),
    Radio(kFirstBackground, 21, 11),
    Radio(kFirstBackground, 21, 12),
    Radio(kFirstBackground, 21, 13),
    Radio(kFirstBackground, 21, 14),
    Radio(kFirstBackground, 21, 15),
    {kFirstSample, {DI_TEXT, 5, 8, 0, 0, kSampleFlags, kNoMessage}},
    {kFirstSample + 1, {DI_TEXT, 5, 9, 0, 0, kSampleFlags, kNoMessage}},
    {kLastSample, {DI_TEXT, 5, 10, 0, 0, kSampleFlags, kNoMessage}},
    {kPickerSeparator, {DI_TEXT, 3, 11, 3, 11, DIF_SEPARATOR | DIF_BOXCOLOR, kNoMessage}},
    {kSetButton, {DI_BUTTON | CIF_DEFAULT, 0, 12, 0, 0, DIF_CENTERGROUP, kNoMessage}},
    {kCancelButton, {DI_BUTTON, 0, 12, 0, 0, DIF_CENTERGROUP, kNoMessage}},
};
constexpr CompactTemplate<kPickerItemCount> kPickerTemplate = Numbered(kPickerItems);
static_assert(kPickerTemplate.inPlace, "each record at its PickerItem number");

const char *const kDefaultTexts[kPickerTextCount] = {
    "Color", "&Foreground", "&Background", "&Set", "&Cancel", "Text Text Text Text Text Text",
};
const int kTextItems[kPickerTextCount] = {kTitleItem, kForegroundBox, kBackgroundBox,
                                          kSetButton, kCancelButton,  kFirstSample};

// Shared by PickColor and its dialog procedure while the picker is open.
struct PickerState {
  int foreground;
  int background;
  char baseTitle[kItemText];
};
PickerState Picker;

int CurrentAttribute() {
  return Picker.background * 16 + Picker.foreground;
}

// The base title and the attribute in decimal, hexadecimal and octal.
void FormatTitle(char *title) {
  int a = CurrentAttribute();
  FormatBounded(title, kItemText, "%s(%3d 0x%02X %03o)", Picker.baseTitle, a, a, a);
}

}  // namespace

int32_t PickColor(int32_t attribute, const PickerTexts *texts, const char *helpTopic) {
  FarDialogItem items[kPickerItemCount];
  ExpandTemplate(kPickerTemplate.records, items);
  for (int entry = 0; entry < kPickerTextCount; ++entry) {
    MessageRef text = texts ? texts->entries[entry] : MessageRef{};
    if (!text.value) text = MessageRef::Literal(kDefaultTexts[entry]);
    CopyText(items[kTextItems[entry]].Data, MessageText(text), kItemText);
  }
  for (int item = kFirstSample + 1; item <= kLastSample; ++item)
    CopyText(items[item].Data, items[kFirstSample].Data, kItemText);

  Picker.foreground = attribute & 0xF;
  Picker.background = (attribute >> 4) & 0xF;
  for (int k = 0; k < kColorCount; ++k) {
    items[kFirstForeground + k].Selected = items[kFirstForeground + k].Focus = 0;
    items[kFirstBackground + k].Selected = items[kFirstBackground + k].Focus = 0;
  }
  items[kFirstForeground + Picker.foreground].Selected = 1;
  items[kFirstForeground + Picker.foreground].Focus = 1;
  items[kFirstBackground + Picker.background].Selected = 1;

  CopyText(Picker.baseTitle, items[kTitleItem].Data, kItemText);
  FormatTitle(items[kTitleItem].Data);

  int closed = RunDialog(39, 15, helpTopic, items, kPickerItemCount, PickerDialogProc, 0);
  return closed == kSetButton ? CurrentAttribute() : attribute;
}

LONG_PTR WINAPI PickerDialogProc(HANDLE dialog, int message, int param1, LONG_PTR param2) {
  switch (message) {
    case DN_BTNCLICK: {
      if (param1 >= kFirstForeground && param1 < kFirstForeground + kColorCount)
        Picker.foreground = param1 - kFirstForeground;
      else if (param1 >= kFirstBackground && param1 < kFirstBackground + kColorCount)
        Picker.background = param1 - kFirstBackground;
      char title[kItemText];
      FormatTitle(title);
      FarDialogItemData data = {TextLength(title), title};
      SendToDialog(dialog, DM_SETTEXT, kTitleItem, reinterpret_cast<LONG_PTR>(&data));
      SendToDialog(dialog, DM_REDRAW, 0, 0);
      break;
    }
    case DN_CTLCOLORDLGITEM:
      if (param1 >= kFirstSample && param1 <= kLastSample) return CurrentAttribute();
      break;
    default:
      break;
  }
  return PassToHost(dialog, message, param1, param2);
}
