// The file manager stand-in as the module sees it: the startup record and
// the services it holds.
#pragma once

#include <far170/plugin.hpp>

#include "farhost/backend.hpp"
#include "farhost/screen.hpp"

namespace farhost {

// Version 1.70 build 2087.
constexpr DWORD kFarVersion = MakeFarVersion(1, 70, 2087);
constexpr const char *kRootKey = "Software\\Far\\Plugins";

// A startup record for the module at modulePath (its full path): StructSize,
// ModuleName, ModuleNumber 0, RootKey and the services below. EditorControl is
// the editor stand-in's. Also makes modulePath the module whose help file
// the dialogs use.
PluginStartupInfo MakeStartupInfo(const char *modulePath);

int WINAPI DialogEx(int pluginNumber, int x1, int y1, int x2, int y2, const char *helpTopic,
                    FarDialogItem *items, int itemsNumber, DWORD reserved, DWORD flags,
                    FARWINDOWPROC dlgProc, LONG_PTR param);
LONG_PTR WINAPI SendDlgMessage(HANDLE dlg, int msg, int param1, LONG_PTR param2);
LONG_PTR WINAPI DefDlgProc(HANDLE dlg, int msg, int param1, LONG_PTR param2);
int WINAPI Message(int pluginNumber, DWORD flags, const char *helpTopic, const char *const *items,
                   int itemsNumber, int buttonsNumber);
BOOL WINAPI ShowHelp(const char *moduleName, const char *topic, DWORD flags);
int WINAPI AdvControl(int moduleNumber, int command, void *param);
void WINAPI Text(int x, int y, int color, const char *str);

}  // namespace farhost
