// The settings store against the registry: defaults, the color repair, the
// values' types and sizes, saving, and two programs saving at once.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "module/module_state.hpp"
#include "settings/settings.hpp"
#include "winport/scratch_registry.hpp"

#include <thread>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

const char *const kOptionNames[] = {"OnFly",      "ReNoMoves",  "HandleErrors",
                                    "StripSpace", "FromCursor", "SingleLines"};

class SettingsStore : public ::testing::Test {
 protected:
  SettingsStore() : state(scratch.Key("Pardune")) { std::memset(&Settings, 0xAB, sizeof Settings); }

  HKEY OpenKey(const std::string &path) {
    HKEY key = nullptr;
    return RegOpenKeyA(HKEY_CURRENT_USER, path.c_str(), &key) == ERROR_SUCCESS ? key : nullptr;
  }
  void Store(const char *name, DWORD type, const void *data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, scratch.Key("Pardune").c_str(), 0,
                                             nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size));
    RegCloseKey(key);
  }
  void StoreInt(const char *name, int32_t value) { Store(name, REG_DWORD, &value, 4); }
  // The value as the registry holds it: type and bytes.
  bool Stored(const char *name, DWORD &type, std::vector<unsigned char> &data) {
    HKEY key = OpenKey(scratch.Key("Pardune"));
    if (!key) return false;
    DWORD size = 64;
    data.assign(size, 0);
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, data.data(), &size);
    RegCloseKey(key);
    data.resize(size);
    return rc == ERROR_SUCCESS;
  }

  // What Writer(1) and Writer(2) stored, all of it.
  void ExpectWriters() {
    for (int n = 1; n <= 2; ++n)
      for (int i = 0; i < 20; ++i) {
        std::string name = "W" + std::to_string(n) + "_" + std::to_string(i);
        EXPECT_EQ(n * 100 + i, ReadSettingInt(nullptr, name.c_str(), -1)) << name;
      }
    DWORD type = 0;
    std::vector<unsigned char> data;
    for (const char *name : kOptionNames) EXPECT_TRUE(Stored(name, type, data)) << name;
    EXPECT_TRUE(Stored("ColorN16", type, data));
  }

  ScratchRegistry scratch;
  ModuleState state;
};

const int32_t kLoadedColors[16] = {0x01, 0xF1, 0xE2, 0xD3, 0xC4, 0xB5, 0xA6, 0x97,
                                   0x89, 0x79, 0x6A, 0x5B, 0x4C, 0x3D, 0x2E, 0x1F};

TEST_F(SettingsStore, EmptyRegistryCreatesKeyAndGivesDefaults) {
  ASSERT_EQ(nullptr, OpenKey(scratch.Key("Pardune")));
  LoadSettings();
  EXPECT_EQ(1, Settings.OnFly);
  EXPECT_EQ(1, Settings.ReNoMoves);
  EXPECT_EQ(1, Settings.HandleErrors);
  EXPECT_EQ(1, Settings.StripSpace);
  EXPECT_EQ(0, Settings.FromCursor);
  EXPECT_EQ(1, Settings.SingleLines);
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(kLoadedColors[i], Settings.GroupColors[i]) << "ColorN" << i + 1;

  // The key now exists, still without values.
  HKEY key = OpenKey(scratch.Key("Pardune"));
  ASSERT_NE(nullptr, key);
  DWORD size = 0;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key, "OnFly", nullptr, nullptr, nullptr, &size));
  RegCloseKey(key);
}

TEST_F(SettingsStore, DefaultColors) {
  for (int i = 0; i < 16; ++i) {
    int expected = ((16 - i) % 16) * 16 + i;
    EXPECT_EQ(expected, DefaultGroupColor(i));
  }
  EXPECT_EQ(0x00, DefaultGroupColor(0));
  EXPECT_EQ(0x88, DefaultGroupColor(8));
}

struct Repair {
  int32_t stored;
  int32_t loaded;
};

TEST_F(SettingsStore, ColorRepairOnLoad) {
  const Repair table[] = {
      {0x77, 0x78},   {0xFF, 0xF0},       {0x100, 0x01}, {0x1234, 0x1234}, {0x00, 0x01},
      {0x88, 0x89},   {0xF1, 0xF1},       {-1, 0xF0},    {0x3355, 0x56},   {0x12345678, 0x12345678},
      {0x0F, 0x0F},   {0x7FFFFFEE, 0xEF}, {0x44, 0x45},  {0xAA, 0xAB},     {0x7FFFFFFF, 0xF0},
      {0x2211, 0x12},
  };
  static_assert(sizeof table / sizeof table[0] == 16, "one per color");
  char name[16];
  for (int i = 0; i < 16; ++i) {
    std::snprintf(name, sizeof name, "ColorN%d", i + 1);
    StoreInt(name, table[i].stored);
  }
  LoadSettings();
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(table[i].loaded, Settings.GroupColors[i]) << std::hex << table[i].stored;
    EXPECT_EQ(table[i].loaded, RepairGroupColor(table[i].stored));
  }
}

TEST_F(SettingsStore, AnyNonZeroOptionCountsAsOn) {
  StoreInt("OnFly", 5);
  StoreInt("FromCursor", 5);
  StoreInt("SingleLines", 0);
  LoadSettings();
  EXPECT_NE(0, Settings.OnFly);
  EXPECT_EQ(5, Settings.OnFly);
  EXPECT_EQ(5, Settings.FromCursor);
  EXPECT_EQ(0, Settings.SingleLines);
  EXPECT_EQ(1, Settings.ReNoMoves);
}

TEST_F(SettingsStore, ValueTypesAndSizes) {
  const char text[] = "abc";  // four bytes with the NUL
  const unsigned char four[] = {0x78, 0x56, 0x34, 0x12};
  const unsigned char five[] = {1, 2, 3, 4, 5};
  const unsigned char two[] = {0x34, 0x12};
  const char longText[] = "abcd";
  Store("Text", REG_SZ, text, 4);
  Store("Binary", REG_BINARY, four, 4);
  Store("Five", REG_BINARY, five, 5);
  Store("LongText", REG_SZ, longText, 5);
  Store("Two", REG_BINARY, two, 2);
  EXPECT_EQ(0x00636261, ReadSettingInt(nullptr, "Text", 7));
  EXPECT_EQ(0x12345678, ReadSettingInt(nullptr, "Binary", 7));
  EXPECT_EQ(7, ReadSettingInt(nullptr, "Five", 7));
  EXPECT_EQ(7, ReadSettingInt("", "LongText", 7));
  EXPECT_EQ(0x1234, ReadSettingInt(nullptr, "Two", -1));  // the rest stays zero
  EXPECT_EQ(-9, ReadSettingInt(nullptr, "Missing", -9));
}

TEST_F(SettingsStore, SaveWritesAllValuesAsDwords) {
  LoadSettings();
  Settings.OnFly = 0;
  Settings.FromCursor = 1;
  Settings.GroupColors[0] = 0x77;  // saved as chosen, repaired at the next load
  Settings.GroupColors[15] = 0x1234;
  SaveSettings();
  DWORD type = 0;
  std::vector<unsigned char> data;
  const int32_t options[] = {0, 1, 1, 1, 1, 1};
  for (int i = 0; i < 6; ++i) {
    ASSERT_TRUE(Stored(kOptionNames[i], type, data)) << kOptionNames[i];
    EXPECT_EQ(DWORD(REG_DWORD), type);
    ASSERT_EQ(4u, data.size());
    EXPECT_EQ(options[i], data[0] | data[1] << 8 | data[2] << 16 | data[3] << 24);
  }
  char name[16];
  for (int i = 0; i < 16; ++i) {
    std::snprintf(name, sizeof name, "ColorN%d", i + 1);
    ASSERT_TRUE(Stored(name, type, data)) << name;
    EXPECT_EQ(DWORD(REG_DWORD), type);
    ASSERT_EQ(4u, data.size());
    int32_t expected = i == 0 ? 0x77 : i == 15 ? 0x1234 : kLoadedColors[i];
    EXPECT_EQ(expected, data[0] | data[1] << 8 | data[2] << 16 | data[3] << 24) << name;
  }
  LoadSettings();
  EXPECT_EQ(0x78, Settings.GroupColors[0]);
  EXPECT_EQ(0, Settings.OnFly);
}

TEST_F(SettingsStore, SubKeys) {
  EXPECT_TRUE(WriteSettingInt("Extra", "Value", 33));
  EXPECT_EQ(33, ReadSettingInt("Extra", "Value", 0));
  EXPECT_EQ(0, ReadSettingInt(nullptr, "Value", 0));
  HKEY key = OpenKey(scratch.Key("Pardune\\Extra"));
  ASSERT_NE(nullptr, key);
  RegCloseKey(key);
  // A freshly created key is write-only: reading through it gives the default.
  key = CreateSettingsKey("Other");
  ASSERT_NE(nullptr, key);
  int32_t value = 0;
  DWORD size = 4;
  EXPECT_EQ(ERROR_ACCESS_DENIED, RegQueryValueExA(key, "Value", nullptr, nullptr,
                                                  reinterpret_cast<BYTE *>(&value), &size));
  RegCloseKey(key);
  key = OpenSettingsKey("Missing");
  EXPECT_EQ(nullptr, key);
}

TEST_F(SettingsStore, NothingBeforeStart) {
  Host.SettingsKeyPath = nullptr;
  EXPECT_EQ(5, ReadSettingInt(nullptr, "OnFly", 5));
  EXPECT_FALSE(WriteSettingInt(nullptr, "OnFly", 1));
  EXPECT_EQ(nullptr, OpenSettingsKey(nullptr));
  EXPECT_EQ(nullptr, CreateSettingsKey(nullptr));
  HKEY hive = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_CURRENT_USER, nullptr, &hive));
  DWORD size = 0;
  EXPECT_EQ(ERROR_FILE_NOT_FOUND,
            RegQueryValueExA(hive, "OnFly", nullptr, nullptr, nullptr, &size));
  RegCloseKey(hive);
}

// Each writer stores values of its own and saves the settings; afterwards all
// of them are there.
void Writer(int n) {
  for (int i = 0; i < 20; ++i) {
    std::string name = "W" + std::to_string(n) + "_" + std::to_string(i);
    WriteSettingInt(nullptr, name.c_str(), n * 100 + i);
  }
  SaveSettings();
}

TEST_F(SettingsStore, TwoThreadsSavingAtOnceLoseNothing) {
  LoadSettings();
  std::thread first(Writer, 1), second(Writer, 2);
  first.join();
  second.join();
  ExpectWriters();
}

#ifndef _WIN32
TEST_F(SettingsStore, TwoProgramsSavingAtOnceLoseNothing) {
  LoadSettings();
  pid_t children[2];
  for (int n = 0; n < 2; ++n) {
    children[n] = fork();
    ASSERT_GE(children[n], 0);
    if (children[n] == 0) {
      Writer(n + 1);
      _exit(0);
    }
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(pid, waitpid(pid, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  ExpectWriters();
}
#endif

}  // namespace
