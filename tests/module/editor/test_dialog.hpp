// The tester's 32-item layout at 80 columns with plain captions, run by the
// file manager stand-in with the two editors, so the editors can be driven
// and their screens compared before the tester exists.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "editor/status_editors.hpp"
#include "far170/plugin.hpp"
#include "support/queue_backend.hpp"

class EditorLink;

// The stand-in's startup record as the module's host, for as long as it lives.
struct StandInHost {
  StandInHost();
  ~StandInHost();
  PluginStartupInfo info;
  PluginStartupInfo *previous;
};

struct TestDialog {
  TestDialog();  // clears an 80x25 screen and shows it through the script backend
  ~TestDialog();

  std::vector<FarDialogItem> Items() const;
  int Run(EditorLink *link = nullptr);  // until the events run out
  void Keys(const std::string &typed);
  void Key(DWORD key);

  StandInHost host;  // first: the editors ask it for their selection color
  PluginStartupInfo &info = host.info;
  test_support::QueueBackend backend;
  DialogHandle dialog;
  ExaminedTextEditor text;
  ExpressionEditor expression;
  int groupRegions[16] = {};
  int depth = 0;
  std::vector<bool> consumed;  // the editors' answer to each DN_KEY
  // Runs at DN_INITDIALOG after the editors and the dialog's own setup.
  std::function<void(TestDialog &)> onInit;

 private:
  static LONG_PTR WINAPI Proc(HANDLE handle, int message, int param1, LONG_PTR param2);
  LONG_PTR Own(int message, int param1, LONG_PTR param2);
};
