// One scripted dialog host and the tester's two editors on it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/status_editors.hpp"
#include "editor_checks.hpp"
#include "scripted_dialog_host.hpp"

struct EditorTest : ::testing::Test {
  ScriptedDialogHost host;  // first: the editors fetch their selection color from it
  DialogHandle dialog;
  ExaminedTextEditor text;
  ExpressionEditor expression;
  LONG_PTR result = 0;

  EditorTest() { dialog.handle = host.Handle(); }
  // Whatever a test did, both editors end in a sound state.
  void TearDown() override {
    EXPECT_INVARIANTS(text);
    EXPECT_INVARIANTS(expression);
  }

  bool Send(LineEditor &e, int message, int param1, LONG_PTR param2 = 0) {
    result = 0;
    return e.HandleMessage(&dialog, message, param1, param2, &result);
  }
  void Open(LineEditor &e) { Send(e, DN_INITDIALOG, 0, 0); }
  void OpenAndDraw(LineEditor &e) {
    Open(e);
    Send(e, DN_DRAWDIALOG, 0, 0);
  }
  std::vector<std::string> Rows(const LineEditor &e) {
    std::vector<std::string> out;
    for (int i = 0; i < e.rowCount; i++) out.push_back(host.items[e.rowItems[i]].text);
    return out;
  }
  std::vector<bool> Shown(const LineEditor &e) {
    std::vector<bool> out;
    for (int i = 0; i < e.rowCount; i++) out.push_back(host.items[e.rowItems[i]].visible);
    return out;
  }
  std::string Status(const StatusLineEditor &e) { return host.items[e.statusItem].text; }
  int Notifications(int message, const LineEditor &e) {
    int n = 0;
    for (const SentMessage &m : host.sent)
      n += m.message == message && m.param2 == reinterpret_cast<LONG_PTR>(&e);
    return n;
  }
};
