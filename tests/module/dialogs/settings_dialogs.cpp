#include "settings_dialogs.hpp"

#include <cstring>

#include "farhost/farhost.hpp"
#include "host/host_state.hpp"
#include "kestrum/service_table.hpp"
#include "support/golden.hpp"
#include "support/test_files.hpp"

namespace {

enum { kWidth = 80, kHeight = 25 };

LONG_PTR WINAPI RecordingSend(HANDLE dialog, int message, int param1, LONG_PTR param2) {
  SentMessage sent{message, param1, ""};
  if (message == DM_SETTEXT && param2) {
    const auto *data = reinterpret_cast<const FarDialogItemData *>(param2);
    sent.text.assign(data->PtrData, size_t(data->PtrLength));
  }
  SettingsDialogs::Sent().push_back(sent);
  return farhost::SendDlgMessage(dialog, message, param1, param2);
}

std::string Cut(const std::string &dump, int stride, int x, int y, int count) {
  return dump.substr(size_t(y) * size_t(stride) + size_t(x), size_t(count));
}

}  // namespace

std::vector<SentMessage> &SettingsDialogs::Sent() {
  static std::vector<SentMessage> sent;
  return sent;
}

SettingsDialogs::SettingsDialogs() : rootKey_(scratch.Root()) {
  farhost::Screen &screen = farhost::TheScreen();
  screen.Resize(kWidth, kHeight);
  screen.Fill(0, 0, kWidth - 1, kHeight - 1, ' ', 0x07);
  screen.SetCursor(0, 0, false);
  farhost::SetBackend(&backend);
  Sent().clear();

  std::string module = BesideTestProgram("Pardune.kmx");
  info_ = farhost::MakeStartupInfo(module.c_str());
  info_.RootKey = rootKey_.c_str();
  info_.SendDlgMessage = RecordingSend;
  ModuleEntry(nullptr, DLL_PROCESS_ATTACH);
  Start(&info_, KestrumServiceTable());
}

SettingsDialogs::~SettingsDialogs() {
  Exit();
  ModuleEntry(nullptr, DLL_PROCESS_DETACH);
  farhost::SetBackend(nullptr);
}

void SettingsDialogs::NextRun() {
  farhost::ResetInputEnded();
  backend.captured = false;
}

void SettingsDialogs::Keys(std::initializer_list<DWORD> keys) {
  for (DWORD key : keys) backend.events.push_back(test_support::Key(key));
}

void SettingsDialogs::Click(int x, int y) {
  backend.events.push_back(test_support::Click(x, y));
}

void SettingsDialogs::CaptureBefore(int event) {
  backend.before = [this, event](int index) {
    if (index != event) return;
    capturedText = farhost::TheScreen().TextDump();
    capturedAttributes = farhost::TheScreen().AttributeDump();
  };
}

std::string SettingsDialogs::TextAt(int x, int y, int count) const {
  return Cut(backend.finalText, kWidth + 1, x, y, count);
}

std::string SettingsDialogs::AttributesAt(int x, int y, int count) const {
  return Cut(backend.finalAttributes, 2 * kWidth + 1, 2 * x, y, 2 * count);
}

std::string SettingsDialogs::CapturedTextAt(int x, int y, int count) const {
  return Cut(capturedText, kWidth + 1, x, y, count);
}

std::string SettingsDialogs::CapturedAttributesAt(int x, int y, int count) const {
  return Cut(capturedAttributes, 2 * kWidth + 1, 2 * x, y, 2 * count);
}

void SettingsDialogs::ExpectScreen(const std::string &name) const {
  test_support::ExpectGolden(DIALOGS_GOLDEN_DIR, name,
                             test_support::ScreenDump(backend.finalText, backend.finalAttributes));
}

bool SettingsDialogs::Stored(const char *name, int32_t &value) const {
  HKEY key = nullptr;
  if (RegOpenKeyA(HKEY_CURRENT_USER, SettingsKey().c_str(), &key) != ERROR_SUCCESS) return false;
  DWORD type = 0, size = sizeof value;
  LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(&value), &size);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value;
}
