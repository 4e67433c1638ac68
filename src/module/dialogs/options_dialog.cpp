#include "dialogs/options_dialog.hpp"

#include "dialogs/color_table.hpp"
#include "dialogs/compact_template.hpp"
#include "dialogs/host_dialog.hpp"
#include "settings/settings.hpp"

namespace {

enum {
  kFirstCheckBox = 3,
  kColorsButton = 9,
  kSaveButton = 10,
  kOptionsItems = 12,
};

const CompactItem kOptionsTemplate[] = {
    {DI_DOUBLEBOX, 2, 1, 56, 11, 0, 35},                         // frame and title
    {DI_TEXT, 5, 2, 0, 0, 0, 33},                                // left column's heading
    {DI_TEXT, 30, 2, 0, 0, 0, 34},                               // right column's heading
    {DI_CHECKBOX, 6, 3, 0, 0, 0, 26},                            // OnFly
    {DI_CHECKBOX, 6, 4, 0, 0, 0, 27},                            // HandleErrors
    {DI_CHECKBOX, 6, 5, 0, 0, 0, 28},                            // FromCursor
    {DI_CHECKBOX, 6, 6, 0, 0, 0, 29},                            // SingleLines
    {DI_CHECKBOX, 32, 3, 0, 0, 0, 30},                           // ReNoMoves
    {DI_CHECKBOX, 32, 4, 0, 0, 0, 31},                           // StripSpace
    {DI_BUTTON, 32, 6, 0, 0, 0, 32},                             // the colour table
    {DI_BUTTON | CIF_DEFAULT, 0, 10, 0, 0, DIF_CENTERGROUP, 3},  // save and close
    {DI_BUTTON, 0, 10, 0, 0, DIF_CENTERGROUP, 4},                // close unsaved
    {CIF_END, 0, 0, 0, 0, 0, 0},
};
static_assert(sizeof kOptionsTemplate / sizeof kOptionsTemplate[0] == kOptionsItems + 1,
              "12 items and the terminator");

// The option behind each check box, from item 3 on.
int32_t SettingsRecord::*const kCheckBoxOptions[] = {
    &SettingsRecord::OnFly,       &SettingsRecord::HandleErrors, &SettingsRecord::FromCursor,
    &SettingsRecord::SingleLines, &SettingsRecord::ReNoMoves,    &SettingsRecord::StripSpace,
};

}  // namespace

void ShowOptionsDialog() {
  FarDialogItem items[kOptionsItems];
  ExpandTemplate(kOptionsTemplate, items);
  int box = kFirstCheckBox;
  for (int32_t SettingsRecord::*option : kCheckBoxOptions) items[box++].Selected = Settings.*option;

  // The records are shown again after the colour table as the host left
  // them, so the check states stand as the user set them.
  int closed;
  while ((closed = RunHostDialog(59, 13, nullptr, items, kOptionsItems, OptionsDialogProc)) ==
         kColorsButton)
    ShowColorTableDialog();
  if (closed != kSaveButton) return;

  box = kFirstCheckBox;
  for (int32_t SettingsRecord::*option : kCheckBoxOptions) Settings.*option = items[box++].Selected;
  SaveSettings();
}

LONG_PTR WINAPI OptionsDialogProc(HANDLE dialog, int message, int param1, LONG_PTR param2) {
  if (message == DN_HELP) {
    ShowModuleHelp("Options");
    return 0;
  }
  return PassToHost(dialog, message, param1, param2);
}
