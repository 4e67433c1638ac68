// The settings as winport's registry file holds them, and a settings folder
// that cannot be written.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "module/module_state.hpp"
#include "settings/settings.hpp"
#include "winport/scratch_registry.hpp"

namespace {

TEST(SettingsFile, SavedInOrderAsRegeditWrites) {
  ScratchRegistry scratch;
  ModuleState state(scratch.Key("Pardune"));
  LoadSettings();
  Settings.StripSpace = 0;
  Settings.GroupColors[3] = 0x1234;
  SaveSettings();
  std::string expected = "[HKEY_CURRENT_USER\\" + scratch.Key("Pardune") +
                         "]\n"
                         "\"OnFly\"=dword:00000001\n"
                         "\"ReNoMoves\"=dword:00000001\n"
                         "\"HandleErrors\"=dword:00000001\n"
                         "\"StripSpace\"=dword:00000000\n"
                         "\"FromCursor\"=dword:00000000\n"
                         "\"SingleLines\"=dword:00000001\n"
                         "\"ColorN1\"=dword:00000001\n"
                         "\"ColorN2\"=dword:000000f1\n"
                         "\"ColorN3\"=dword:000000e2\n"
                         "\"ColorN4\"=dword:00001234\n"
                         "\"ColorN5\"=dword:000000c4\n"
                         "\"ColorN6\"=dword:000000b5\n"
                         "\"ColorN7\"=dword:000000a6\n"
                         "\"ColorN8\"=dword:00000097\n"
                         "\"ColorN9\"=dword:00000089\n"
                         "\"ColorN10\"=dword:00000079\n"
                         "\"ColorN11\"=dword:0000006a\n"
                         "\"ColorN12\"=dword:0000005b\n"
                         "\"ColorN13\"=dword:0000004c\n"
                         "\"ColorN14\"=dword:0000003d\n"
                         "\"ColorN15\"=dword:0000002e\n"
                         "\"ColorN16\"=dword:0000001f\n"
                         "\n";
  std::string text = scratch.ReadFile();
  EXPECT_EQ(0u, text.find("REGEDIT4\n\n")) << text;
  size_t at = text.find("[HKEY_CURRENT_USER\\" + scratch.Key("Pardune") + "]");
  ASSERT_NE(std::string::npos, at) << text;
  EXPECT_EQ(expected, text.substr(at)) << text;
  // Every level above the key has its own section, as regedit exports them.
  for (const char *parent :
       {"[HKEY_CURRENT_USER\\Software]\n", "[HKEY_CURRENT_USER\\Software\\ParduneTest]\n"})
    EXPECT_NE(std::string::npos, text.find(parent)) << parent;
}

TEST(SettingsFile, HandEditedValuesAreLoaded) {
  ScratchRegistry scratch;
  ModuleState state(scratch.Key("Pardune"));
  scratch.WriteFile("REGEDIT4\r\n\r\n; my colors\r\n[HKEY_CURRENT_USER\\" + scratch.Key("PARDUNE") +
                    "]\r\n\"onfly\"=dword:00000000\r\n\"ColorN2\" = dword:77\r\n"
                    "\"ColorN3\"=hex:12,00,00,00\r\n");
  LoadSettings();
  EXPECT_EQ(0, Settings.OnFly);
  EXPECT_EQ(0x78, Settings.GroupColors[1]);
  EXPECT_EQ(0x12, Settings.GroupColors[2]);
  SaveSettings();
  std::string text = scratch.ReadFile();
  EXPECT_NE(std::string::npos, text.find("; my colors\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("\"onfly\"=dword:00000000\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("\"ColorN2\"=dword:00000078\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("\"ColorN3\"=dword:00000012\r\n")) << text;
}

TEST(SettingsFile, UnwritableFolderGivesDefaults) {
  ScratchRegistry scratch;
  ModuleState state(scratch.Key("Pardune"));
  // The folder cannot be made: a file stands where it would be.
  std::string blocker = scratch.Dir() + "/config";
  std::FILE *file = std::fopen(blocker.c_str(), "w");
  ASSERT_NE(nullptr, file);
  std::fclose(file);
  setenv("PARDUNE_REGISTRY", (blocker + "/pardune/registry.reg").c_str(), 1);

  for (int round = 0; round < 2; ++round) {
    std::memset(&Settings, 0x5A, sizeof Settings);
    LoadSettings();
    EXPECT_EQ(1, Settings.OnFly);
    EXPECT_EQ(0, Settings.FromCursor);
    EXPECT_EQ(0x01, Settings.GroupColors[0]);
    EXPECT_EQ(0x89, Settings.GroupColors[8]);
    Settings.OnFly = 0;
    SaveSettings();
    EXPECT_FALSE(WriteSettingInt(nullptr, "OnFly", 0));
    EXPECT_EQ(nullptr, CreateSettingsKey(nullptr));
  }
}

}  // namespace
