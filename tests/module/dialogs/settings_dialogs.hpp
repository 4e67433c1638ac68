// The module started as the host plug-in starts it, on the file manager
// stand-in's headless screen: texts from Pardune.lng beside the test
// program, help from Pardune.hlf, settings in a registry of the test's own.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "far170/plugin.hpp"
#include "support/queue_backend.hpp"
#include "winport/scratch_registry.hpp"

// A dialog message the module sent, with the text of a DM_SETTEXT.
struct SentMessage {
  int message;
  int param1;
  std::string text;
};

class SettingsDialogs : public ::testing::Test {
 public:
  // What the module sent through the startup record's SendDlgMessage.
  static std::vector<SentMessage> &Sent();

 protected:
  SettingsDialogs();
  ~SettingsDialogs() override;

  // One more dialog after the input ran out: the screen is captured again.
  void NextRun();
  void Keys(std::initializer_list<DWORD> keys);
  void Click(int x, int y);
  // The screen (text and attributes) before the n-th event is handled.
  void CaptureBefore(int event);

  // The screen as shown when the input ran out, row y from column x.
  std::string TextAt(int x, int y, int count) const;
  // Attributes (two hex digits a cell) of count cells from (x, y).
  std::string AttributesAt(int x, int y, int count) const;
  // The same of the screen captured by CaptureBefore.
  std::string CapturedTextAt(int x, int y, int count) const;
  std::string CapturedAttributesAt(int x, int y, int count) const;
  // The golden comparison of the final screen.
  void ExpectScreen(const std::string &name) const;

  // A setting as the registry holds it: false when it is not there.
  bool Stored(const char *name, int32_t &value) const;
  std::string SettingsKey() const { return scratch.Key("Pardune"); }

  ScratchRegistry scratch;
  test_support::QueueBackend backend;
  std::string capturedText, capturedAttributes;

 private:
  std::string rootKey_;
  PluginStartupInfo info_;
};
