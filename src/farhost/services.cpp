#include <cstring>

#include "farhost/dialog.hpp"
#include "farhost/failure.hpp"
#include "farhost/farhost.hpp"
#include "farhost/help.hpp"
#include "farhost/host_editor.hpp"
#include "farhost/message.hpp"
#include "farhost/palette.hpp"

namespace farhost {

int WINAPI DialogEx(int, int x1, int y1, int x2, int y2, const char *helpTopic,
                    FarDialogItem *items, int itemsNumber, DWORD, DWORD, FARWINDOWPROC dlgProc,
                    LONG_PTR param) {
  if (!items || itemsNumber <= 0) return -1;
  int width = x1 == -1 ? x2 : x2 - x1 + 1;
  int height = y1 == -1 ? y2 : y2 - y1 + 1;
  if (width <= 0 || height <= 0) return -1;
  try {
    Dialog dialog(x1, y1, x2, y2, helpTopic, items, itemsNumber, dlgProc, param);
    return dialog.Run(items);
  } catch (...) {  // out of memory: the dialog cannot run, the program ends
    NoteFailure();
    return -1;
  }
}

LONG_PTR WINAPI SendDlgMessage(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
  Dialog *dialog = FindDialog(dlg);
  try {
    return dialog ? dialog->Message(msg, param1, param2) : 0;
  } catch (...) {
    NoteFailure();
    return 0;
  }
}

LONG_PTR WINAPI DefDlgProc(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
  if (msg == DN_CLOSE || msg == DN_KEY || msg >= DN_FIRST)
    return msg >= DM_USER ? 0 : Dialog::DefaultAnswer(FindDialog(dlg), msg, param1, param2);
  return SendDlgMessage(dlg, msg, param1, param2);
}

int WINAPI AdvControl(int, int command, void *param) {
  switch (command) {
    case ACTL_GETFARVERSION:
      if (param) *static_cast<DWORD *>(param) = kFarVersion;
      return int(kFarVersion);
    case ACTL_GETCOLOR:
      return PaletteColor(int(reinterpret_cast<LONG_PTR>(param)));
    default:
      return 0;
  }
}

void WINAPI Text(int x, int y, int color, const char *str) {
  if (str) TheScreen().Text(x, y, static_cast<unsigned char>(color), str);
}

PluginStartupInfo MakeStartupInfo(const char *modulePath) {
  PluginStartupInfo info;
  std::memset(&info, 0, sizeof info);
  info.StructSize = sizeof info;
  if (modulePath) {
    std::strncpy(info.ModuleName, modulePath, sizeof info.ModuleName - 1);
    SetHelpModule(modulePath);
  }
  info.ModuleNumber = 0;
  info.RootKey = kRootKey;
  info.Message = Message;
  info.Text = Text;
  info.EditorControl = HostEditorControl;
  info.ShowHelp = ShowHelp;
  info.AdvControl = AdvControl;
  info.DialogEx = DialogEx;
  info.SendDlgMessage = SendDlgMessage;
  info.DefDlgProc = DefDlgProc;
  return info;
}

}  // namespace farhost
