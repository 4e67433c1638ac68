// The entry points linked into the test, and the host state they build.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/host_state.hpp"
#include "host/text.hpp"
#include "module/host/failing_new.hpp"
#include "module/host/lifecycle_cases.hpp"
#include "module/host/linked_module.hpp"
#include "module/host/recording_host.hpp"
#include "settings/settings.hpp"

namespace {

HINSTANCE OwnHandle() {
  return LinkedModuleHandle();
}

void Reload() {
  ReloadLinkedModule();
}

#ifdef _WIN32
const char kSeparator = '\\';
#else
const char kSeparator = '/';
#endif

class HostStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFake();
    Reload();
  }
  void TearDown() override { Reload(); }
};

TEST_F(HostStateTest, KeyPathIsRootKeyAndPardune) {
  Fake().rootKey = "A\\B";
  Fake().info.RootKey = Fake().rootKey.c_str();
  Start(&Fake().info, &Fake().table);
  EXPECT_STREQ(Host.SettingsKeyPath, "A\\B\\Pardune");
}

TEST_F(HostStateTest, KeyPathOfALongRootKeyIsCutAt1023) {
  std::string root(1100, 'r');
  for (size_t i = 0; i < root.size(); i += 10) root[i] = static_cast<char>('a' + i / 10 % 26);
  Fake().rootKey = root;
  Fake().info.RootKey = Fake().rootKey.c_str();
  Start(&Fake().info, &Fake().table);
  EXPECT_EQ(std::string(Host.SettingsKeyPath), root.substr(0, 1023));
}

TEST_F(HostStateTest, KeyPathWithoutRootKey) {
  Fake().info.RootKey = nullptr;
  Start(&Fake().info, &Fake().table);
  EXPECT_STREQ(Host.SettingsKeyPath, "\\Pardune");
}

TEST_F(HostStateTest, ModuleDirectoryIsTheFolderOfTheModuleFile) {
  char expected[MAX_PATH + 1] = {};
  DWORD length = GetModuleFileNameA(OwnHandle(), expected, MAX_PATH);
  ASSERT_GT(length, 0u);
  *std::strrchr(expected, kSeparator) = '\0';
  Start(&Fake().info, &Fake().table);
  EXPECT_STREQ(Host.ModuleDirectory, expected);
  EXPECT_GT(std::strlen(Host.ModuleDirectory), 0u);
}

TEST_F(HostStateTest, ModuleDirectoryWithoutAModuleFileIsEmpty) {
  ModuleEntry(reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x10)), DLL_PROCESS_ATTACH);
  Start(&Fake().info, &Fake().table);
  EXPECT_STREQ(Host.ModuleDirectory, "");
}

TEST(CutToDirectory, CutsAtTheLastSeparator) {
  struct Case {
    std::string path, directory;
  };
  const std::string s(1, kSeparator);
  const Case cases[] = {
      {"C:" + s + "tools" + s + "x.kmx", "C:" + s + "tools"},
      {"x.kmx", "x.kmx"},
      {s + "x.kmx", ""},
      {"a" + s + "b" + s, "a" + s + "b"},
      {"", ""},
  };
  for (const Case &c : cases) {
    std::string buffer = c.path;
    CutToDirectory(&buffer[0]);
    EXPECT_STREQ(buffer.c_str(), c.directory.c_str()) << c.path;
  }
  CutToDirectory(nullptr);
}

TEST_F(HostStateTest, StartLoadsTheSettings) {
  // A key of the test's own, with no values: the defaults are loaded.
  Fake().rootKey = "Software\\PardunePrivateTests\\HostState";
  Fake().info.RootKey = Fake().rootKey.c_str();
  Settings = SettingsRecord{};
  Start(&Fake().info, &Fake().table);
  for (int i = 0; i < kGroupColorCount; ++i)
    EXPECT_EQ(Settings.GroupColors[i], RepairGroupColor(DefaultGroupColor(i))) << i;
  EXPECT_NE(Settings.GroupColors[0], 0);
}

TEST_F(HostStateTest, StartRunsOncePerLoad) {
  Start(&Fake().info, &Fake().table);
  PluginStartupInfo *first = Host.HostInfo;
  Start(&Fake().info, &Fake().table);
  EXPECT_EQ(Host.HostInfo, first);
  EXPECT_EQ(Fake().registered.size(), 1u);
}

TEST_F(HostStateTest, ExitReleasesOnlyTheTable) {
  Start(&Fake().info, &Fake().table);
  Exit();
  EXPECT_EQ(Host.EngineTable, nullptr);
  EXPECT_NE(Host.HostInfo, nullptr);
  EXPECT_NE(Host.SettingsKeyPath, nullptr);
  // No table: texts are empty, nothing is looked up.
  EXPECT_STREQ(MessageText(1), "");
  EXPECT_TRUE(Fake().lookups.empty());
}

TEST_F(HostStateTest, ProcessDetachReleasesEverything) {
  Start(&Fake().info, &Fake().table);
  ModuleEntry(OwnHandle(), DLL_PROCESS_DETACH);
  EXPECT_EQ(Host.InstanceHandle, nullptr);
  EXPECT_EQ(Host.HostInfo, nullptr);
  EXPECT_EQ(Host.EngineTable, nullptr);
  EXPECT_EQ(Host.SettingsKeyPath, nullptr);
  EXPECT_EQ(Host.ModuleDirectory, nullptr);
}

TEST_F(HostStateTest, EntryStoresTheHandleOnEveryCall) {
  HINSTANCE handle = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x1234000));
  EXPECT_TRUE(ModuleEntry(handle, DLL_THREAD_ATTACH));
  EXPECT_EQ(Host.InstanceHandle, handle);
  EXPECT_TRUE(ModuleEntry(OwnHandle(), DLL_THREAD_DETACH));
  EXPECT_EQ(Host.InstanceHandle, OwnHandle());
}

TEST_F(HostStateTest, EntryPointsBeforeStartDoNothing) {
  EXPECT_EQ(::Run(0, 0, 0), 0);
  SubPluginInfo info;
  GetInfo(&info);
  EXPECT_STREQ(info.Name, "");
  GetInfo(nullptr);
  Exit();
  EXPECT_TRUE(Fake().messageCalls.empty());
}

// Whichever allocation of Start fails, the module is either started whole
// or not at all, and a later Start succeeds.
TEST_F(HostStateTest, StartOutOfMemoryLeavesTheModuleUnstarted) {
  int unstarted = 0;
  for (int n = 0; n < 64; ++n) {
    SCOPED_TRACE(n);
    ResetFake();
    Reload();
    FailNothrowAllocation(n);
    Start(&Fake().info, &Fake().table);
    const bool allCounted = NothrowAllocations() <= n;
    FailNothrowAllocation(-1);
    if (Host.HostInfo) {
      EXPECT_NE(Host.SettingsKeyPath, nullptr);
      EXPECT_NE(Host.ModuleDirectory, nullptr);
      EXPECT_NE(Host.EngineTable, nullptr);
      EXPECT_EQ(Fake().registered.size(), 1u);
      if (allCounted) break;  // no allocation of Start failed
      continue;
    }
    ++unstarted;
    EXPECT_EQ(Host.SettingsKeyPath, nullptr);
    EXPECT_EQ(Host.ModuleDirectory, nullptr);
    EXPECT_EQ(Host.EngineTable, nullptr);
    EXPECT_TRUE(Fake().registered.empty());
    EXPECT_EQ(::Run(0, 0, 0), 0);
    SubPluginInfo info;
    GetInfo(&info);
    EXPECT_STREQ(info.Name, "");
    Start(&Fake().info, &Fake().table);
    EXPECT_NE(Host.EngineTable, nullptr);
    EXPECT_EQ(Fake().registered.size(), 1u);
  }
  EXPECT_GE(unstarted, 4);  // the record, the key path, the directory, the table
}

TEST_F(HostStateTest, StartWithoutRecordsStaysQuiet) {
  Start(nullptr, nullptr);
  EXPECT_EQ(::Run(0, 0, 0), 0);  // no version to ask, no box to show
  EXPECT_STREQ(MessageText(1), "");
}

}  // namespace

ModuleApi &TheModule() {
  static ModuleApi api = [] {
    ModuleApi a;
    a.start = Start;
    a.getInfo = GetInfo;
    a.run = Run;
    a.exit = Exit;
    a.reload = Reload;
    return a;
  }();
  return api;
}
