// The modal dialog manager: items, focus, keys, mouse, notifications to the
// dialog procedure and the DM_ messages it may send back, re-entrantly.
#pragma once

#include <far170/plugin.hpp>

#include <string>
#include <vector>

#include "farhost/window.hpp"

namespace farhost {

class Dialog : public Window {
 public:
  // x1/y1 = -1 center a dialog of width x2 and height y2.
  Dialog(int x1, int y1, int x2, int y2, const char *helpTopic, const FarDialogItem *items,
         int count, FARWINDOWPROC proc, LONG_PTR param);
  ~Dialog() override;

  // Runs the dialog; returns the closing item or -1. Final states go back
  // into writeBack (count records) when it is given.
  int Run(FarDialogItem *writeBack);

  // A message sent to the dialog (SendDlgMessage, DefDlgProc's DM_ part).
  LONG_PTR Message(int msg, int param1, LONG_PTR param2);
  // The default answer to a notification (DefDlgProc's DN_ part); without a
  // dialog a click answers as one on a button.
  static LONG_PTR DefaultAnswer(const Dialog *dialog, int msg, int param1, LONG_PTR param2);

  // Warning colors (message boxes with FMSG_WARNING).
  void SetWarning(bool warning) { warning_ = warning; }
  // Draws the dialog once and leaves it on screen, without running it.
  void DrawOnly();
  // Handles one input event as the running loop does (tests feed events).
  void HandleEvent(const InputEvent &event);

  int ItemCount() const { return int(items_.size()); }
  int Focus() const { return focus_; }

  void Place() override;
  // A centered dialog needs its own size; one at a given place, its corner.
  void MinimumScreen(int *columns, int *rows) const override;
  void Paint() override;

 private:
  struct Item {
    FarDialogItem rec;
    Rect box;  // relative to the dialog
    int cursor = 0;
    int left = 0;
    bool hidden = false;
  };

  LONG_PTR Notify(int msg, int param1, LONG_PTR param2);
  void Layout();
  void PlaceItem(Item &item);
  int RequestedWidth() const;
  void CenterGroups();
  void Redraw();
  void RedrawNow();
  void DrawItem(int index, LONG_PTR colors);
  LONG_PTR DefaultColors(int index) const;
  unsigned char Pal(int normal, int warn) const;
  Rect SeparatorLine(int index) const;

  bool IsEdit(int index) const;
  bool Focusable(int index) const;
  bool ValidItem(int index) const { return index >= 0 && index < int(items_.size()); }
  int FirstFocusable() const;
  bool ChangeFocus(int index, bool moveSelect);
  bool TabStop(int index) const;
  void FocusStep(int step);
  void FocusDirection(DWORD key);
  void Press(int index);
  void SelectRadio(int index);
  int RadioGroupStart(int index) const;
  int RadioGroupEnd(int index) const;
  void AskClose(int item);
  void HandleKey(DWORD key);
  bool EditKey(int index, DWORD key);
  void InsertChar(int index, char ch);
  void PasteText(int index);
  static void CopyText(const char *text);
  void EditChanged(int index);
  void SetCursorPos(int index, int pos);
  void KeepCursorVisible(int index);
  bool Hotkey(DWORD key);
  void Click(int x, int y);
  void Help();
  void PlaceCursor();

  int reqX1_, reqY1_, reqX2_, reqY2_;
  std::string helpTopic_;
  std::vector<Item> items_;
  FARWINDOWPROC proc_;
  LONG_PTR param_;
  int focus_ = -1;
  int lock_ = 0;
  bool warning_ = false;
  bool overtype_ = false;
  bool started_ = false;  // DN_INITDIALOG answered and first drawn
  bool drawing_ = false;
  bool closed_ = false;
  int result_ = -1;
};

// The running dialog that a handle names, or null.
Dialog *FindDialog(HANDLE handle);

}  // namespace farhost
