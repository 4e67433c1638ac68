// The file manager's dialog services as the settings dialogs use them.
#pragma once

#include "far170/plugin.hpp"

// True when the host offers DialogEx, SendDlgMessage and DefDlgProc.
bool HostHasDialogs();
// A centred modal dialog; the index of the closing item, or -1.
int RunHostDialog(int width, int height, const char *helpTopic, FarDialogItem *items, int count,
                  FARWINDOWPROC proc);
LONG_PTR PassToHost(HANDLE dialog, int message, int param1, LONG_PTR param2);
LONG_PTR SendToDialog(HANDLE dialog, int message, int param1, LONG_PTR param2);
// The topic from the help file in the module's directory.
void ShowModuleHelp(const char *topic);
