// Start, GetInfo, Run and Exit as the host plug-in calls them. Built into
// the in-process test and into the test of the built module.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

#include "module/host/lifecycle_cases.hpp"
#include "module/host/recording_host.hpp"

namespace {

class Lifecycle : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFake();
    TheModule().reload();
  }
  void TearDown() override { TheModule().reload(); }

  void StartModule() { TheModule().start(&Fake().info, &Fake().table); }

  SubPluginInfo Info() {
    SubPluginInfo info;
    std::memset(&info, 0xAA, sizeof info);
    TheModule().getInfo(&info);
    return info;
  }
};

TEST_F(Lifecycle, StartRegistersUnderTheModuleName) {
  StartModule();
  ASSERT_EQ(Fake().registered.size(), 1u);
  EXPECT_EQ(Fake().registered[0], Fake().info.ModuleName);
  EXPECT_NE(Fake().registeredRecord, nullptr);
}

TEST_F(Lifecycle, StartCopiesTheRecordAndTheTable) {
  StartModule();
  // The module keeps its own copies: the host may drop its records.
  Fake().table.LookupMessage = nullptr;
  Fake().info.Message = nullptr;
  Fake().info.StructSize = 100;
  EXPECT_EQ(TheModule().run(0, 0, 0), 1);
  Info();
  ASSERT_FALSE(Fake().lookups.empty());
  EXPECT_EQ(Fake().lookups.back(), "1");
}

TEST_F(Lifecycle, GetInfoNamesTheModuleWithMessage1) {
  Fake().messages["1"] = "Regular expression tester";
  StartModule();
  SubPluginInfo info = Info();
  EXPECT_EQ(info.StructSize, 72);
  EXPECT_EQ(info.Flags, 4);
  EXPECT_STREQ(info.Name, "Regular expression tester");
  for (size_t i = std::strlen(info.Name); i < sizeof info.Name; ++i)
    EXPECT_EQ(info.Name[i], '\0') << "byte " << i;
  ASSERT_EQ(Fake().lookups.size(), 1u);
  EXPECT_EQ(Fake().lookups[0], "1");
  EXPECT_EQ(Fake().lookupRecords[0], Fake().registeredRecord);
}

TEST_F(Lifecycle, GetInfoKeeps63CharactersOfALongName) {
  const std::string name(80, 'n');
  Fake().messages["1"] = name;
  StartModule();
  SubPluginInfo info = Info();
  EXPECT_EQ(std::string(info.Name), name.substr(0, 63));
  EXPECT_EQ(info.Name[63], '\0');
}

struct GateCase {
  const char *name;
  int structSize;  // 0: the record's full size
  int advResult;
  DWORD version;
  bool asked;
  bool passes;
};

const GateCase kGateCases[] = {
    {"size 361 refused before asking", 361, 1, MakeFarVersion(1, 70, 2087), false, false},
    {"size 362 asks, ends before DefDlgProc", 362, 1, MakeFarVersion(1, 70, 2087), true, false},
    {"size 364 holds DefDlgProc", 364, 1, MakeFarVersion(1, 70, 2087), true, true},
    {"1.70 build 1282", 0, 1, MakeFarVersion(1, 70, 1282), true, true},
    {"1.70 build 1281", 0, 1, MakeFarVersion(1, 70, 1281), true, false},
    {"1.69 build 5000", 0, 1, MakeFarVersion(1, 69, 5000), true, false},
    {"2.0 build 2000", 0, 1, MakeFarVersion(2, 0, 2000), true, false},
    {"1.75 build 1400", 0, 1, MakeFarVersion(1, 75, 1400), true, true},
    {"1.71 build 1300", 0, 1, MakeFarVersion(1, 71, 1300), true, true},
    {"0.70 build 1282", 0, 1, MakeFarVersion(0, 70, 1282), true, false},
    {"AdvControl fails", 0, 0, MakeFarVersion(1, 70, 2087), true, false},
};

TEST_F(Lifecycle, VersionGate) {
  for (const GateCase &c : kGateCases) {
    SCOPED_TRACE(c.name);
    ResetFake();
    TheModule().reload();
    if (c.structSize) Fake().info.StructSize = c.structSize;
    Fake().advResult = c.advResult;
    Fake().version = c.version;
    Fake().messages["50"] = "Pardune\nFAR Manager 1.70 build 1282 or later is needed";
    StartModule();

    EXPECT_EQ(TheModule().run(11, 22, 33), c.passes ? 1 : 0);

    // The tester's editors ask for their selection color too.
    std::vector<AdvControlCall> versionCalls;
    for (const AdvControlCall &call : Fake().advCalls)
      if (call.command == ACTL_GETFARVERSION) versionCalls.push_back(call);
    ASSERT_EQ(versionCalls.size(), c.asked ? 1u : 0u);
    if (c.asked) {
      EXPECT_EQ(Fake().advCalls[0].moduleNumber, 7);
      EXPECT_EQ(Fake().advCalls[0].command, ACTL_GETFARVERSION);
    }
    if (c.passes) {
      EXPECT_TRUE(Fake().messageCalls.empty());
    } else {
      ASSERT_EQ(Fake().messageCalls.size(), 1u);
      const MessageCall &box = Fake().messageCalls[0];
      EXPECT_EQ(box.moduleNumber, 7);
      EXPECT_EQ(box.flags, 0x10021u);
      EXPECT_EQ(box.helpTopic, nullptr);
      EXPECT_EQ(box.text, Fake().messages["50"]);
      EXPECT_EQ(box.itemCount, 0);
      EXPECT_EQ(box.buttonCount, 0);
      ASSERT_FALSE(Fake().lookups.empty());
      EXPECT_EQ(Fake().lookups.back(), "50");
    }
  }
}

// A record that says it is 361 bytes long is read only that far: on a wider
// platform, as far as the fields that 361 bytes hold in the published layout
// (the head and 22 entries).
TEST_F(Lifecycle, ShortRecordIsNotReadPastItsSize) {
  const int size = 361;
  const size_t bytes =
      std::max<size_t>(size, offsetof(PluginStartupInfo, Menu) + 22 * sizeof(void *));
  char *shortRecord = static_cast<char *>(std::malloc(bytes));
  std::memcpy(shortRecord, &Fake().info, bytes);
  std::memcpy(shortRecord, &size, sizeof size);  // StructSize
  TheModule().start(reinterpret_cast<PluginStartupInfo *>(shortRecord), &Fake().table);
  std::free(shortRecord);
  EXPECT_EQ(TheModule().run(0, 0, 0), 0);
  EXPECT_EQ(Fake().messageCalls.size(), 1u);
  EXPECT_TRUE(Fake().advCalls.empty());
}

// A record without AdvControl cannot show its version: refused with message
// 50; without Message too, refused without a box. Neither is called when null.
TEST_F(Lifecycle, GateWithoutTheVersionService) {
  Fake().info.AdvControl = nullptr;
  StartModule();
  EXPECT_EQ(TheModule().run(0, 0, 0), 0);
  ASSERT_EQ(Fake().messageCalls.size(), 1u);
  EXPECT_EQ(Fake().messageCalls[0].flags, 0x10021u);
  EXPECT_EQ(Fake().messageCalls[0].text, "50");

  ResetFake();
  TheModule().reload();
  Fake().info.AdvControl = nullptr;
  Fake().info.Message = nullptr;
  StartModule();
  EXPECT_EQ(TheModule().run(0, 0, 0), 0);
  EXPECT_TRUE(Fake().messageCalls.empty());
}

TEST_F(Lifecycle, ExitThenUnloadAndLoadAgain) {
  StartModule();
  TheModule().exit();
  TheModule().reload();
  ResetFake();
  Fake().messages["1"] = "Again";
  StartModule();
  EXPECT_EQ(Fake().registered.size(), 1u);
  EXPECT_STREQ(Info().Name, "Again");
  TheModule().exit();
}

}  // namespace
