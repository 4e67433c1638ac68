// The file manager's services as the module calls them: the exact calls,
// and no call at all where the host lacks the entry.
#include <gtest/gtest.h>

#include "host/host_services.hpp"
#include "host/host_state.hpp"
#include "module/host/recording_host.hpp"

namespace {

class HostServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFake();
    Fake().messages["20"] = "Close\nDiscard the text?\\nSure";
    Host.HostInfo = &Fake().info;
    Host.EngineTable = &Fake().table;
  }
  void TearDown() override {
    Host.HostInfo = nullptr;
    Host.EngineTable = nullptr;
  }
};

TEST_F(HostServicesTest, MessageBoxesWithTheirFlags) {
  Warn(kOldHostMessage);
  EXPECT_TRUE(Confirm(kCloseQuestion));
  Report("Hang\nreport");
  const std::vector<MessageCall> &calls = Fake().messageCalls;
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].flags, 0x10021u);
  EXPECT_EQ(calls[1].flags, 0x40021u);
  EXPECT_EQ(calls[1].text, "Close\nDiscard the text?\nSure");  // escapes decoded
  EXPECT_EQ(calls[2].flags, 0x10031u);
  EXPECT_EQ(calls[2].text, "Hang\nreport");
  for (const MessageCall &call : calls) {
    EXPECT_EQ(call.moduleNumber, 7);
    EXPECT_EQ(call.helpTopic, nullptr);
    EXPECT_EQ(call.itemCount, 0);
    EXPECT_EQ(call.buttonCount, 0);
  }
}

TEST_F(HostServicesTest, AHostWithoutTheEntriesIsNeverCalled) {
  for (int withRecord = 0; withRecord < 2; ++withRecord) {
    PluginStartupInfo empty = {};
    Host.HostInfo = withRecord ? &empty : nullptr;
    Warn(kOldHostMessage);
    Report("report");
    EXPECT_FALSE(Confirm(kCloseQuestion));
    DWORD version = 0;
    EXPECT_FALSE(HostVersion(&version));
    EXPECT_FALSE(HostHasDialogs());
    EXPECT_EQ(RunDialog(10, 5, nullptr, nullptr, 0, nullptr, 0), -1);
    EXPECT_EQ(PassToHost(&empty, DN_KEY, 0, 0), 0);
    EXPECT_EQ(SendToDialog(&empty, DM_GETFOCUS, 0, 0), 0);
    EXPECT_EQ(PaletteColor(COL_DIALOGEDITSELECTED, 0x70), 0x70u);
    EXPECT_FALSE(HostCanPaint());
    PaintText(0, 0, 0x1F, "x");
    ShowHelp("Options");
    EXPECT_EQ(ControlEditor(ECTL_GETINFO, nullptr), 0);
  }
  EXPECT_TRUE(Fake().messageCalls.empty());
}

}  // namespace
