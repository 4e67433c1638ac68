#include "dialogs/options_dialog.hpp"

#include "dialogs/color_table.hpp"
#include "dialogs/compact_template.hpp"
#include "host/host_services.hpp"
#include "host/messages.hpp"
#include "settings/settings.hpp"

namespace {

enum OptionsItem {
  kOptionsFrame = 0,
  kSearchColumnHeading = 1,
  kExpressionColumnHeading = 2,
  kOnFlyBox = 3,
  kHandleErrorsBox = 4,
  kFromCursorBox = 5,
  kSingleLinesBox = 6,
  kReNoMovesBox = 7,
  kStripSpaceBox = 8,
  kColorsButton = 9,
  kSaveButton = 10,
  kCancelButton = 11,
  kOptionsItemCount = 12,
};

constexpr NumberedItem kOptionsItems[] = {
    {kOptionsFrame, {DI_DOUBLEBOX, 2, 1, 56, 11, 0, kOptionsTitleMessage}},
    {kSearchColumnHeading, {DI_TEXT, 5, 2, 0, 0, 0, kSearchOptionsMessage}},
    {kExpressionColumnHeading, {DI_TEXT, 30, 2, 0, 0, 0, kExpressionOptionsMessage}},
    {kOnFlyBox, {DI_CHECKBOX, 6, 3, 0, 0, 0, kOnFlyMessage}},
    {kHandleErrorsBox, {DI_CHECKBOX, 6, 4, 0, 0, 0, kHandleErrorsMessage}},
    {kFromCursorBox, {DI_CHECKBOX, 6, 5, 0, 0, 0, kFromCursorMessage}},
    {kSingleLinesBox, {DI_CHECKBOX, 6, 6, 0, 0, 0, kSingleLinesMessage}},
    {kReNoMovesBox, {DI_CHECKBOX, 32, 3, 0, 0, 0, kReNoMovesMessage}},
    {kStripSpaceBox, {DI_CHECKBOX, 32, 4, 0, 0, 0, kStripSpaceMessage}},
    {kColorsButton, {DI_BUTTON, 32, 6, 0, 0, 0, kColorTableButtonMessage}},
    {kSaveButton, {DI_BUTTON | CIF_DEFAULT, 0, 10, 0, 0, DIF_CENTERGROUP, kOkMessage}},
    {kCancelButton, {DI_BUTTON, 0, 10, 0, 0, DIF_CENTERGROUP, kCloseMessage}},
};
constexpr CompactTemplate<kOptionsItemCount> kOptionsTemplate = Numbered(kOptionsItems);
static_assert(kOptionsTemplate.inPlace, "each record at its OptionsItem number");

// The option behind each check box.
struct CheckBox {
  OptionsItem item;
  int32_t SettingsRecord::*option;
};
const CheckBox kCheckBoxes[] = {
    {kOnFlyBox, &SettingsRecord::OnFly},
    {kHandleErrorsBox, &SettingsRecord::HandleErrors},
    {kFromCursorBox, &SettingsRecord::FromCursor},
    {kSingleLinesBox, &SettingsRecord::SingleLines},
    {kReNoMovesBox, &SettingsRecord::ReNoMoves},
    {kStripSpaceBox, &SettingsRecord::StripSpace},
};

}  // namespace

void ShowOptionsDialog() {
  FarDialogItem items[kOptionsItemCount];
  ExpandTemplate(kOptionsTemplate.records, items);
  for (const CheckBox &box : kCheckBoxes) items[box.item].Selected = Settings.*box.option;

  // The records are shown again after the color table as the host left
  // them, so the check states stand as the user set them.
  int closed;
  while ((closed = RunDialog(59, 13, nullptr, items, kOptionsItemCount, OptionsDialogProc, 0)) ==
         kColorsButton)
    ShowColorTableDialog();
  if (closed != kSaveButton) return;

  for (const CheckBox &box : kCheckBoxes) Settings.*box.option = items[box.item].Selected;
  SaveSettings();
}

LONG_PTR WINAPI OptionsDialogProc(HANDLE dialog, int message, int param1, LONG_PTR param2) {
  if (message == DN_HELP) {
    ShowHelp("Options");
    return 0;
  }
  return PassToHost(dialog, message, param1, param2);
}
