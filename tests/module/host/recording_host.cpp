#include "module/host/recording_host.hpp"

#include <cstring>

namespace {

RecordingHost *fake = nullptr;

int WINAPI FakeMessage(int moduleNumber, DWORD flags, const char *helpTopic,
                       const char *const *items, int itemCount, int buttonCount) {
  const char *text = (flags & FMSG_ALLINONE) ? reinterpret_cast<const char *>(items) : nullptr;
  Fake().messageCalls.push_back(
      {moduleNumber, flags, helpTopic, text ? text : "", itemCount, buttonCount});
  return 0;
}

int WINAPI FakeAdvControl(int moduleNumber, int command, void *param) {
  Fake().advCalls.push_back({moduleNumber, command});
  if (command == ACTL_GETFARVERSION && param) {
    *static_cast<DWORD *>(param) = Fake().version;
    return Fake().advResult;
  }
  return 0;
}

// The tester may open dialogs: they close at once.
int WINAPI FakeDialogEx(int, int, int, int, int, const char *, FarDialogItem *, int, DWORD, DWORD,
                        FARWINDOWPROC, LONG_PTR) {
  return -1;
}

LONG_PTR WINAPI FakeSendDlgMessage(HANDLE, int, int, LONG_PTR) {
  return 0;
}

int WINAPI FakeRegister(const char *moduleName, SubPluginRecord *record) {
  Fake().registered.push_back(moduleName ? moduleName : "(null)");
  Fake().registeredRecord = record;
  return 1;
}

const char *WINAPI FakeLookupMessage(SubPluginRecord *record, const char *key, int, int) {
  Fake().lookups.push_back(key);
  Fake().lookupRecords.push_back(record);
  auto it = Fake().messages.find(key);
  return it == Fake().messages.end() ? key : it->second.c_str();
}

// An engine that matches nothing; the tester needs one to open.
int engineHandle;

EngineHandle WINAPI FakeCreateEngine() {
  return &engineHandle;
}

int WINAPI FakeDestroyEngine(EngineHandle *handle) {
  if (handle) *handle = nullptr;
  return 1;
}

int WINAPI FakeSetExpression(EngineHandle, const char *, int, int) {
  return 1;
}

int WINAPI FakeParse(EngineHandle, const char *, const char *, const char *, MatchRecord *, int,
                     int) {
  return 0;
}

}  // namespace

RecordingHost &Fake() {
  if (!fake) ResetFake();
  return *fake;
}

void ResetFake() {
  delete fake;
  fake = new RecordingHost();
  PluginStartupInfo &info = fake->info;
  std::memset(&info, 0, sizeof info);
  info.StructSize = sizeof info;
  std::strcpy(info.ModuleName, "C:\\Far\\Plugins\\Kestrum\\Pardune.kmx");
  info.ModuleNumber = 7;
  info.RootKey = fake->rootKey.c_str();
  info.Message = FakeMessage;
  info.AdvControl = FakeAdvControl;
  info.DialogEx = FakeDialogEx;
  info.SendDlgMessage = FakeSendDlgMessage;
  info.DefDlgProc = FakeSendDlgMessage;
  std::memset(&fake->table, 0, sizeof fake->table);
  fake->table.Register = FakeRegister;
  fake->table.LookupMessage = FakeLookupMessage;
  fake->table.CreateEngine = FakeCreateEngine;
  fake->table.DestroyEngine = FakeDestroyEngine;
  fake->table.SetExpression = FakeSetExpression;
  fake->table.Parse = FakeParse;
}
