#include "host/host_services.hpp"

#include "host/host_state.hpp"
#include "host/text.hpp"

namespace {

enum {
  kWarningOk = FMSG_MB_OK | FMSG_ALLINONE | FMSG_WARNING,
  kReportOk = FMSG_MB_OK | FMSG_ALLINONE | FMSG_LEFTALIGN | FMSG_WARNING,
  kWarningYesNo = FMSG_MB_YESNO | FMSG_ALLINONE | FMSG_WARNING,
  kQuestionSize = 1000,
};

// The startup record, or null before Start and after the module's unloading.
// Its entries are read by name: the record is packed as the host lays it out.
const PluginStartupInfo *Record() {
  return Host.HostInfo;
}

int ShowMessage(DWORD flags, const char *text) {
  const PluginStartupInfo *info = Record();
  if (!info || !info->Message) return -1;
  // With FMSG_ALLINONE the items are one text with its lines.
  return info->Message(info->ModuleNumber, flags, nullptr,
                       reinterpret_cast<const char *const *>(text), 0, 0);
}

}  // namespace

bool HostHasDialogs() {
  const PluginStartupInfo *info = Record();
  return info && info->DialogEx && info->SendDlgMessage && info->DefDlgProc;
}

bool HostVersion(DWORD *version) {
  const PluginStartupInfo *info = Record();
  return info && info->AdvControl &&
         info->AdvControl(info->ModuleNumber, ACTL_GETFARVERSION, version) != 0;
}

int RunDialog(int width, int height, const char *helpTopic, FarDialogItem *items, int count,
              FARWINDOWPROC proc, LONG_PTR param) {
  if (!HostHasDialogs()) return -1;
  const PluginStartupInfo *info = Record();
  return info->DialogEx(info->ModuleNumber, -1, -1, width, height, helpTopic, items, count, 0, 0,
                        proc, param);
}

LONG_PTR PassToHost(HANDLE dialog, int message, int param1, LONG_PTR param2) {
  const PluginStartupInfo *info = Record();
  return info && info->DefDlgProc ? info->DefDlgProc(dialog, message, param1, param2) : 0;
}

LONG_PTR SendToDialog(HANDLE dialog, int message, int param1, LONG_PTR param2) {
  const PluginStartupInfo *info = Record();
  if (!info || !info->SendDlgMessage || !dialog) return 0;
  return info->SendDlgMessage(dialog, message, param1, param2);
}

void Warn(MessageId id) {
  ShowMessage(kWarningOk, MessageText(id));
}

bool Confirm(MessageId id) {
  char question[kQuestionSize];
  DecodeEscapes(MessageText(id), question, kQuestionSize);
  return ShowMessage(kWarningYesNo, question) == 0;
}

void Report(const char *text) {
  ShowMessage(kReportOk, text);
}

void ShowHelp(const char *topic) {
  const PluginStartupInfo *info = Record();
  if (info && info->ShowHelp && Host.ModuleDirectory)
    info->ShowHelp(Host.ModuleDirectory, topic, FHELP_CUSTOMPATH);
}

uint32_t PaletteColor(int entry, uint32_t absent) {
  const PluginStartupInfo *info = Record();
  if (!info || !info->AdvControl) return absent;
  return static_cast<uint32_t>(info->AdvControl(
      info->ModuleNumber, ACTL_GETCOLOR, reinterpret_cast<void *>(static_cast<LONG_PTR>(entry))));
}

bool HostCanPaint() {
  const PluginStartupInfo *info = Record();
  return info && info->Text;
}

void PaintText(int x, int y, uint32_t color, const char *text) {
  if (HostCanPaint()) Record()->Text(x, y, static_cast<int>(color), text);
}

int ControlEditor(int command, void *param) {
  const PluginStartupInfo *info = Record();
  return info && info->EditorControl ? info->EditorControl(command, param) : 0;
}
