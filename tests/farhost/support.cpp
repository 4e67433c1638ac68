#include "support.hpp"

#include "support/golden.hpp"

namespace farhost_test {

Session::Session(int width, int height) {
  farhost::Screen &screen = farhost::TheScreen();
  screen.Resize(width, height);
  screen.Fill(0, 0, width - 1, height - 1, ' ', 0x07);
  screen.SetCursor(0, 0, false);
  farhost::SetBackend(&backend);
}

Session::~Session() {
  farhost::SetBackend(nullptr);
}

void ExpectGolden(const std::string &name, const std::string &text, const std::string &attributes) {
  test_support::ExpectGolden(FARHOST_GOLDEN_DIR, name, test_support::ScreenDump(text, attributes));
}

Recorder *Recorder::current = nullptr;

LONG_PTR WINAPI Recorder::Proc(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
  Recorder *self = current;
  bool draw = msg == DN_DRAWDIALOG || msg == DN_DRAWDLGITEM || msg == DN_CTLCOLORDLGITEM ||
              msg == DN_CTLCOLORDIALOG;
  LONG_PTR keep = param2;
  if (msg == DN_DRAWDLGITEM || msg == DN_EDITCHANGE || msg == DN_MOUSECLICK) keep = 0;
  if (self && (!draw || self->drawing)) self->notes.push_back(Note{msg, param1, keep});
  LONG_PTR result = 0;
  if (self && self->hook && self->hook(dlg, msg, param1, param2, &result)) return result;
  return farhost::DefDlgProc(dlg, msg, param1, param2);
}

}  // namespace farhost_test
