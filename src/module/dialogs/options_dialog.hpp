// The options dialog: the six options, the color table, and saving.
#pragma once

#include "far170/plugin.hpp"

// Opened by the tester's options button while the tester is hidden.
void ShowOptionsDialog();

LONG_PTR WINAPI OptionsDialogProc(HANDLE dialog, int message, int param1, LONG_PTR param2);
