// The options dialog is not built yet: the tester's button shows nothing.
#include "dialogs/options_dialog.hpp"

void ShowOptionsDialog() {}
