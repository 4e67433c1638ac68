#include "editor/dialog_handle.hpp"

#include "far170/plugin.hpp"
#include "host/host_services.hpp"

static char ItemTextBuffer[kItemTextSize];

LONG_PTR DialogHandle::Send(int message, int param1, LONG_PTR param2) {
  // No dialog yet (an editor used before its first message): nothing to tell.
  return SendToDialog(handle, message, param1, param2);
}

void DialogHandle::Lock(bool lock) {
  if (lock) {
    if (lockCount != 0) return;
    lockCount = 1;
    Send(DM_ENABLEREDRAW, 0, 0);
  } else {
    if (lockCount == 0) return;
    lockCount--;
    Send(DM_ENABLEREDRAW, 1, 0);
  }
}

void DialogHandle::UnlockAll() {
  while (lockCount != 0) Lock(false);
}

void DialogHandle::SetItemText(int item, const char *text) {
  FarDialogItemData data = {0, const_cast<char *>(text ? text : "")};
  Send(DM_SETTEXT, item, reinterpret_cast<LONG_PTR>(&data));
}

const char *DialogHandle::GetItemText(int item) {
  ItemTextBuffer[0] = 0;
  FarDialogItemData data = {kItemTextSize - 1, ItemTextBuffer};
  LONG_PTR length = Send(DM_GETTEXT, item, reinterpret_cast<LONG_PTR>(&data));
  if (length < 0) length = 0;
  if (length > kItemTextSize - 1) length = kItemTextSize - 1;
  ItemTextBuffer[length] = 0;
  return ItemTextBuffer;
}

bool DialogHandle::ShowItem(int item, bool show) {
  return Send(DM_SHOWITEM, item, show ? 1 : 0) != 0;
}

int DialogHandle::GetCursorColumn(int item) {
  COORD position = {0, 0};
  if (Send(DM_GETCURSORPOS, item, reinterpret_cast<LONG_PTR>(&position)) != 1) return 0;
  return position.X;
}

bool DialogHandle::SetCursorColumn(int item, int column) {
  COORD position = {static_cast<SHORT>(column), 0};
  return Send(DM_SETCURSORPOS, item, reinterpret_cast<LONG_PTR>(&position)) != 0;
}

void DialogHandle::SetFocus(int item) {
  Send(DM_SETFOCUS, item, 0);
}

int DialogHandle::GetFocus() {
  return static_cast<int>(Send(DM_GETFOCUS, 0, 0));
}

void DialogHandle::Redraw() {
  Send(DM_REDRAW, 0, 0);
}

void DialogHandle::ShowDialog(bool show) {
  Send(DM_SHOWDIALOG, show ? 1 : 0, 0);
}

bool DialogHandle::GetDialogRect(SMALL_RECT *rect) {
  return Send(DM_GETDLGRECT, 0, reinterpret_cast<LONG_PTR>(rect)) == 1;
}

bool DialogHandle::GetItemPosition(int item, SMALL_RECT *rect) {
  return Send(DM_GETITEMPOSITION, item, reinterpret_cast<LONG_PTR>(rect)) == 1;
}
