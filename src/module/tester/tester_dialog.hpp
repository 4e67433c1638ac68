// The tester dialog: two line editors, their buttons, and the procedure that
// ties them to the match run.
#pragma once

#include <windows.h>

#include "editor/dialog_handle.hpp"
#include "editor/status_editors.hpp"
#include "settings/settings.hpp"

// Items of the tester dialog that the procedure and the match run name.
enum TesterItem {
  kFrameItem = 0,
  kTextPasteButton = 3,
  kTextCopyButton = 4,
  kTextLoadButton = 5,
  kTextUnmarkButton = 6,
  kTextStatus = 14,
  kExpressionPasteButton = 17,
  kExpressionCopyButton = 18,
  kExpressionUnmarkButton = 19,
  kFindButton = 20,
  kNextButton = 21,
  kExpressionStatus = 29,
  kOptionsButton = 30,
  kCloseButton = 31,
  kTesterItemCount = 32,
};

struct TesterDialog {
  DialogHandle dialog;
  ExaminedTextEditor text;
  ExpressionEditor expression;
  // Members go in reverse: the expression editor first, then the text editor.
};

// The opening's dialog object, or null while the tester is closed.
extern TesterDialog *Tester;
// Region numbers in the text editor, entry k for match group k.
extern int GroupRegions[kGroupColorCount];
// Calls of TesterDialogProc under way (they nest).
extern int DispatchDepth;
// Flips on every DN_HOTKEY; never reset.
extern bool HotkeyToggle;

LONG_PTR WINAPI TesterDialogProc(HANDLE dialog, int message, int param1, LONG_PTR param2);
int OnButton(int item);
bool Confirm(int id);
