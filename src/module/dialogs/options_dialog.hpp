// The options dialog: the six options, the colour table, and saving.
#pragma once

// Opened by the tester's options button while the tester is hidden.
void ShowOptionsDialog();
