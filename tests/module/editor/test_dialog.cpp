#include "test_dialog.hpp"

#include "farhost/farhost.hpp"
#include "farhost/screen.hpp"
#include "host/host_state.hpp"
#include "support/dialog_items.hpp"

static TestDialog *Running = nullptr;

StandInHost::StandInHost() : info(farhost::MakeStartupInfo(nullptr)), previous(Host.HostInfo) {
  Host.HostInfo = &info;
}

StandInHost::~StandInHost() {
  Host.HostInfo = previous;
}

TestDialog::TestDialog() {
  farhost::Screen &screen = farhost::TheScreen();
  screen.Resize(80, 25);
  screen.Fill(0, 0, 79, 24, ' ', 0x07);
  farhost::SetBackend(&backend);
}

TestDialog::~TestDialog() {
  farhost::SetBackend(nullptr);
}

using test_support::MakeItem;

std::vector<FarDialogItem> TestDialog::Items() const {
  const DWORD separator = DIF_SEPARATOR | DIF_BOXCOLOR;
  std::vector<FarDialogItem> items = {
      MakeItem(DI_DOUBLEBOX, 3, 1, 73, 21, 0, "Expression tester"),
      MakeItem(DI_TEXT, 13, 2, 0, 0, 0, ""),
      MakeItem(DI_TEXT, 0, 3, 0, 3, separator, ""),
      MakeItem(DI_BUTTON, 5, 4, 0, 0, DIF_NOBRACKETS, "&Paste"),
      MakeItem(DI_BUTTON, 5, 5, 0, 0, DIF_NOBRACKETS, "&Copy"),
      MakeItem(DI_BUTTON, 5, 6, 0, 0, DIF_NOBRACKETS, "&Load"),
      MakeItem(DI_BUTTON, 5, 7, 0, 0, DIF_NOBRACKETS, "&Mark"),
      MakeItem(DI_TEXT, 5, 2, 0, 0, 0, "&Text"),
  };
  for (int y = 4; y <= 9; y++) items.push_back(MakeItem(DI_EDIT, 13, y, 72, y, DIF_EDITOR, ""));
  items.push_back(MakeItem(DI_TEXT, -1, 10, -1, 10, separator, ""));
  items.push_back(MakeItem(DI_TEXT, 13, 11, 0, 0, 0, ""));
  items.push_back(MakeItem(DI_TEXT, 1, 12, 1, 12, separator, ""));
  items.push_back(MakeItem(DI_BUTTON, 5, 13, 0, 0, DIF_NOBRACKETS, "P&aste"));
  items.push_back(MakeItem(DI_BUTTON, 5, 14, 0, 0, DIF_NOBRACKETS, "C&opy"));
  items.push_back(MakeItem(DI_BUTTON, 5, 15, 0, 0, DIF_NOBRACKETS, "Ma&rk"));
  items.push_back(MakeItem(DI_BUTTON, 5, 17, 0, 0, DIF_NOBRACKETS, "&Set"));
  items.push_back(MakeItem(DI_BUTTON, 5, 18, 0, 0, DIF_NOBRACKETS, "&Next"));
  items.push_back(MakeItem(DI_TEXT, 5, 11, 0, 0, 0, "&Expr"));
  for (int y = 13; y <= 18; y++) items.push_back(MakeItem(DI_EDIT, 13, y, 72, y, DIF_EDITOR, ""));
  items.push_back(MakeItem(DI_TEXT, -1, 19, -1, 19, separator, ""));
  items.push_back(MakeItem(DI_BUTTON, 0, 20, 0, 0, DIF_CENTERGROUP, "&Options"));
  items.push_back(MakeItem(DI_BUTTON, 0, 20, 0, 0, DIF_CENTERGROUP, "C&lose"));
  return items;
}

int TestDialog::Run(EditorLink *link) {
  std::vector<FarDialogItem> items = Items();
  Running = this;
  int closed = info.DialogEx(info.ModuleNumber, -1, -1, 77, 23, nullptr, items.data(),
                             static_cast<int>(items.size()), 0, 0, &TestDialog::Proc,
                             reinterpret_cast<LONG_PTR>(link));
  Running = nullptr;
  return closed;
}

void TestDialog::Key(DWORD key) {
  backend.events.push_back(test_support::Key(key));
}

void TestDialog::Keys(const std::string &typed) {
  for (char c : typed) Key(static_cast<unsigned char>(c));
}

// As the tester does it: the editors see every message first, and the redraw
// lock is let go when the outermost call returns.
LONG_PTR WINAPI TestDialog::Proc(HANDLE handle, int message, int param1, LONG_PTR param2) {
  TestDialog *self = Running;
  if (!self) return Host.HostInfo->DefDlgProc(handle, message, param1, param2);
  self->depth++;
  self->dialog.handle = handle;
  LONG_PTR result = 0;
  bool handled = self->text.HandleMessage(&self->dialog, message, param1, param2, &result) ||
                 self->expression.HandleMessage(&self->dialog, message, param1, param2, &result);
  if (message == DN_KEY) self->consumed.push_back(handled);
  if (!handled) result = self->Own(message, param1, param2);
  if (--self->depth == 0) self->dialog.UnlockAll();
  return result;
}

LONG_PTR TestDialog::Own(int message, int param1, LONG_PTR param2) {
  switch (message) {
    case DN_INITDIALOG:
      dialog.SetFocus(8);
      for (int &region : groupRegions) region = text.AddRegion();
      if (onInit) onInit(*this);
      break;
    case kCursorMovedMessage:
      if (param2 == reinterpret_cast<LONG_PTR>(&text)) text.UpdateStatus();
      if (param2 == reinterpret_cast<LONG_PTR>(&expression)) expression.UpdateStatus();
      break;
    default:
      break;
  }
  return info.DefDlgProc(dialog.handle, message, param1, param2);
}
