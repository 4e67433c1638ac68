// The tester dialog, opened by Run once the version gate has passed.
#pragma once

#include "far170/plugin.hpp"

// Runs one opening of the tester; 1 when its dialog has closed.
int RunTester();

// Columns added to the dialog's 77 for a console this wide (80 and 81 add
// none, 100 add 19), never fewer than a dialog that still holds together.
int TesterExtraWidth(int consoleWidth);
// Widens the edit fields and boxes by extra columns.
void WidenTesterItems(FarDialogItem *items, int count, int extra);
