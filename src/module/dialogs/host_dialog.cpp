#include "dialogs/host_dialog.hpp"

#include "host/host_state.hpp"

bool HostHasDialogs() {
  const PluginStartupInfo *info = Host.HostInfo;
  return info && info->DialogEx && info->SendDlgMessage && info->DefDlgProc;
}

int RunHostDialog(int width, int height, const char *helpTopic, FarDialogItem *items, int count,
                  FARWINDOWPROC proc) {
  if (!HostHasDialogs()) return -1;
  const PluginStartupInfo *info = Host.HostInfo;
  return info->DialogEx(info->ModuleNumber, -1, -1, width, height, helpTopic, items, count, 0, 0,
                        proc, 0);
}

LONG_PTR PassToHost(HANDLE dialog, int message, int param1, LONG_PTR param2) {
  return Host.HostInfo->DefDlgProc(dialog, message, param1, param2);
}

LONG_PTR SendToDialog(HANDLE dialog, int message, int param1, LONG_PTR param2) {
  return Host.HostInfo->SendDlgMessage(dialog, message, param1, param2);
}

void ShowModuleHelp(const char *topic) {
  const PluginStartupInfo *info = Host.HostInfo;
  if (info && info->ShowHelp && Host.ModuleDirectory)
    info->ShowHelp(Host.ModuleDirectory, topic, FHELP_CUSTOMPATH);
}
