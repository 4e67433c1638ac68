// The color table: the sixteen group colors, each with a sample and a
// button that opens the color picker. Accepting copies them into Settings.
#pragma once

#include "far170/plugin.hpp"

void ShowColorTableDialog();

LONG_PTR WINAPI ColorTableDialogProc(HANDLE dialog, int message, int param1, LONG_PTR param2);
