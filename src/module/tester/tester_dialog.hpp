// The tester dialog: two line editors, their buttons, and the procedure that
// ties them to the match run.
#pragma once

#include <windows.h>

#include "editor/dialog_handle.hpp"
#include "editor/status_editors.hpp"
#include "settings/settings.hpp"
#include "tester/tester_items.hpp"

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
