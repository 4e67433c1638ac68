// The colour table: the sixteen group colours, each with a sample and a
// button that opens the colour picker. Accepting copies them into Settings.
#pragma once

#include "far170/plugin.hpp"

void ShowColorTableDialog();

LONG_PTR WINAPI ColorTableDialogProc(HANDLE dialog, int message, int param1, LONG_PTR param2);
