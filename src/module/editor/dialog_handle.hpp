// The running dialog's handle and its redraw lock, shared by the tester and
// its editors. Every operation is one SendDlgMessage on the handle.
#pragma once

#include <windows.h>

struct DialogHandle {
  HANDLE handle = nullptr;
  int lockCount = 0;

  void Lock(bool lock);
  void UnlockAll();
  void SetItemText(int item, const char *text);
  // The text lives in one shared buffer until the next call.
  const char *GetItemText(int item);
  bool ShowItem(int item, bool show);
  int GetCursorColumn(int item);
  bool SetCursorColumn(int item, int column);
  void SetFocus(int item);
  int GetFocus();
  void Redraw();
  void ShowDialog(bool show);
  bool GetDialogRect(SMALL_RECT *rect);
  bool GetItemPosition(int item, SMALL_RECT *rect);
  LONG_PTR Send(int message, int param1, LONG_PTR param2);
};

enum { kItemTextSize = 512 };

// What an editor tells its dialog; Param2 is the editor.
enum { kCursorMovedMessage = 0x4000 + 1, kTextModifiedMessage = 0x4000 + 2 };
