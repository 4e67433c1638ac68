// The module started by the stand-in with the shipped language file: the
// texts the module shows, formatted where they are formats.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "host/host_state.hpp"
#include "host/text.hpp"
#include "kestrum/service_table.hpp"
#include "support/test_files.hpp"

namespace {

std::string shownBox;

int WINAPI RecordMessage(int, DWORD, const char *, const char *const *items, int, int) {
  shownBox = reinterpret_cast<const char *>(items);
  return 0;
}

int WINAPI OldVersion(int, int, void *param) {
  *static_cast<DWORD *>(param) = MakeFarVersion(1, 70, 1000);
  return 1;
}

class ModuleTexts : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    registry_ = "/tmp/pardune-module-texts-" + std::to_string(getpid()) + ".reg";
    setenv("PARDUNE_REGISTRY", registry_.c_str(), 1);
#endif
    KestrumSetLanguage("en");
    std::string module = BesideTestProgram("Pardune.kmx");

    PluginStartupInfo info;
    std::memset(&info, 0, sizeof info);
    info.StructSize = sizeof info;
    std::strcpy(info.ModuleName, module.c_str());
    info.RootKey = "Software\\PardunePrivateTests\\ModuleTexts";
    info.Message = RecordMessage;
    info.AdvControl = OldVersion;
    ModuleEntry(nullptr, DLL_PROCESS_ATTACH);
    Start(&info, KestrumServiceTable());
  }
  void TearDown() override {
    Exit();
    ModuleEntry(nullptr, DLL_PROCESS_DETACH);
    KestrumSetLanguage(nullptr);
#ifndef _WIN32
    std::remove(registry_.c_str());
    std::remove((registry_ + ".lock").c_str());
#endif
  }
  std::string registry_;
};

TEST_F(ModuleTexts, NameAndCaptions) {
  SubPluginInfo info;
  GetInfo(&info);
  EXPECT_STREQ(info.Name, "Regular expression tester");
  EXPECT_STREQ(MessageText(14), "&Find");
  EXPECT_STREQ(MessageText(4), "Clo&se");
}

TEST_F(ModuleTexts, FormatsFillIn) {
  char buffer[500];
  FormatMessageText(buffer, sizeof buffer, 47, "dd", 5, 3);
  EXPECT_STREQ(buffer, "Match at 5:3");
  FormatMessageText(buffer, sizeof buffer, 37, "d", 16);
  EXPECT_STREQ(buffer, "Color 16");
  FormatMessageText(buffer, sizeof buffer, 39, "c", 'G');
  EXPECT_STREQ(buffer, "&G Change");
  FormatMessageText(buffer, sizeof buffer, 38, "");
  EXPECT_STREQ(buffer, "Sample text");
}

TEST_F(ModuleTexts, ConfirmationsDecodeToLines) {
  char buffer[1000];
  DecodeEscapes(MessageText(17), buffer, sizeof buffer);
  std::string text = buffer;
  EXPECT_EQ(text.substr(0, text.find('\n')), "Paste");
  EXPECT_NE(text.find('\n', text.find('\n') + 1), std::string::npos);
}

TEST_F(ModuleTexts, VersionWarning) {
  shownBox.clear();
  EXPECT_EQ(::Run(0, 0, 0), 0);
  EXPECT_EQ(shownBox, "Regular expression tester\nFAR Manager 1.70 build 1282 or later is needed");
}

}  // namespace
