// A scripted stand-in for the file manager's dialog services: it answers the
// dialog messages an editor sends from a table of items, and keeps every
// Text call on a small screen.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "far170/plugin.hpp"

struct FakeItem {
  std::string text;
  bool visible = true;
  SMALL_RECT rect = {0, 0, 0, 0};  // relative to the dialog
  int cursor = 0;
};

struct SentMessage {
  int message;
  int param1;
  LONG_PTR param2;
};

struct TextCall {
  int x, y, color;
  std::string text;
  bool operator==(const TextCall &o) const {
    return x == o.x && y == o.y && color == o.color && text == o.text;
  }
};

class ScriptedDialogHost {
 public:
  enum { kItems = 32, kWidth = 80, kHeight = 25, kSelectionColor = 0x2F };

  ScriptedDialogHost();  // becomes the host (Host.HostInfo) until destroyed
  ~ScriptedDialogHost();

  HANDLE Handle() const { return reinterpret_cast<HANDLE>(const_cast<ScriptedDialogHost *>(this)); }
  int CountOf(int message) const;
  void ClearLog() {
    sent.clear();
    texts.clear();
  }
  // The screen as painted by Text calls: row y from column x, count cells.
  std::string ScreenText(int x, int y, int count) const;
  std::string ScreenColors(int x, int y, int count) const;  // two hex digits a cell

  PluginStartupInfo info;
  std::vector<FakeItem> items;
  SMALL_RECT dialogRect = {1, 1, 77, 23};
  int focus = -1;
  int redrawLock = 0;               // DM_ENABLEREDRAW: 0 locks, 1 unlocks
  int maxCursor = 511;              // DM_SETCURSORPOS refused beyond
  int refusePositionOf = -1;        // DM_GETITEMPOSITION fails for this item
  std::map<int, LONG_PTR> replies;  // results replaced by message (the work is done)
  std::vector<SentMessage> sent;
  std::vector<TextCall> texts;
  bool editorOpen = false;  // the file manager's editor and its lines
  std::vector<std::string> editorLines;
  int editorReads = 0;

 private:
  static int WINAPI EditorControl(int command, void *param);
  static LONG_PTR WINAPI SendDlgMessage(HANDLE dialog, int message, int param1, LONG_PTR param2);
  static int WINAPI AdvControl(int module, int command, void *param);
  static void WINAPI Text(int x, int y, int color, const char *text);
  LONG_PTR Answer(int message, int param1, LONG_PTR param2);

  PluginStartupInfo *previous_;
  unsigned char chars_[kHeight][kWidth];
  unsigned char colors_[kHeight][kWidth];
};
