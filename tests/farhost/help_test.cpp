// Help files: parsing, the viewer's keys and look, missing files and topics,
// and the module's own help file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "farhost/help.hpp"
#include "support.hpp"

namespace farhost_test {
namespace {

namespace fs = std::filesystem;

const char *kHelp =
    ".Language=English,English\n"
    "@Contents\n"
    "$ #Test help#\n"
    "This is the #first# topic, caf\xC3\xA9.\n"
    "See ~the other one~@Other@ or ~a missing one~@Nowhere@.\n"
    "Marks: ## and ~~ and @@.\n"
    "\n"
    "@Other\r\n"
    "$ #Other topic#\r\n"
    "Back to ~Contents~@Contents@.\r\n";

// A folder of the running test's own, so tests may run side by side.
fs::path TestFolder(const char *kind) {
  const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
  fs::path dir = fs::temp_directory_path() / (std::string("farhost-") + kind + "-" + info->name());
  fs::create_directories(dir);
  return dir;
}

fs::path HelpFolder() {
  fs::path dir = TestFolder("help");
  fs::create_directories(dir);
  std::ofstream(dir / "Test.hlf", std::ios::binary) << kHelp;
  return dir;
}

TEST(HelpParse, TopicsTitlesStylesAndLinks) {
  farhost::HelpFile file = farhost::ParseHelp(kHelp);
  ASSERT_EQ(2u, file.topics.size());
  const farhost::HelpTopicText *contents = file.Find("contents");
  ASSERT_NE(nullptr, contents);
  EXPECT_EQ("Test help", contents->title);
  ASSERT_EQ(3u, contents->lines.size());  // the blank line at the end is dropped
  EXPECT_EQ("This is the first topic, caf\x82.", contents->lines[0].text);
  EXPECT_EQ(0, contents->lines[0].style[0]);
  EXPECT_EQ(1, contents->lines[0].style[12]);  // "first" is bold
  EXPECT_EQ("See the other one or a missing one.", contents->lines[1].text);
  EXPECT_EQ(2, contents->lines[1].style[4]);
  EXPECT_EQ(3, contents->lines[1].style[24]);
  ASSERT_EQ(2u, contents->links.size());
  EXPECT_EQ("Other", contents->links[0].target);
  EXPECT_EQ("Nowhere", contents->links[1].target);
  EXPECT_EQ("Marks: # and ~ and @.", contents->lines[2].text);
  EXPECT_EQ("Other topic", file.Find("Other")->title);
  EXPECT_EQ(nullptr, file.Find("Missing"));
}

TEST(HelpViewer, GoldenWithFirstLinkSelected) {
  fs::path dir = HelpFolder();
  Session session(50, 10);
  EXPECT_TRUE(farhost::ShowHelp(dir.string().c_str(), "Contents", FHELP_CUSTOMPATH));
  ExpectGolden("help_viewer", session.backend.finalText, session.backend.finalAttributes);
}

TEST(HelpViewer, LinksTabEnterBackspace) {
  fs::path dir = HelpFolder();
  Session session(50, 10);
  std::vector<std::string> screens;
  session.backend.before = [&](int) { screens.push_back(farhost::TheScreen().TextDump()); };
  session.backend.events = {Key(KEY_ENTER), Key(KEY_BS),    Key(KEY_TAB),
                            Key(KEY_ENTER), Key(KEY_ENTER), Key(KEY_ESC)};
  EXPECT_TRUE(farhost::ShowHelp(dir.string().c_str(), "contents", FHELP_CUSTOMPATH));
  ASSERT_EQ(6u, screens.size());
  EXPECT_NE(std::string::npos, screens[0].find("Test help"));
  EXPECT_NE(std::string::npos, screens[1].find("Other topic"));  // Enter followed
  EXPECT_NE(std::string::npos, screens[2].find("Test help"));    // Backspace came back
  EXPECT_NE(std::string::npos, screens[4].find("\"Nowhere\""));  // the missing topic
  EXPECT_NE(std::string::npos, screens[5].find("Test help"));    // box closed, still here
  EXPECT_EQ(0u, session.backend.events.size());
}

TEST(HelpViewer, ScrollsLongTopics) {
  fs::path dir = TestFolder("long");
  {
    std::ofstream out(dir / "Long.hlf", std::ios::binary);
    out << "@Contents\n$ #Long#\n";
    for (int i = 0; i < 40; ++i) out << "line " << i << "\n";
  }
  Session session(30, 8);
  std::vector<std::string> screens;
  session.backend.before = [&](int) { screens.push_back(farhost::TheScreen().TextDump()); };
  session.backend.events = {Key(KEY_DOWN), Key(KEY_PGDN), Key(KEY_END), Key(KEY_HOME),
                            Key(KEY_ESC)};
  farhost::ShowHelp((dir / "Pardune.kmx").string().c_str(), nullptr, 0);
  ASSERT_EQ(5u, screens.size());
  auto firstLine = [](const std::string &screen) { return screen.substr(31 + 2, 7); };
  EXPECT_EQ("line 0 ", firstLine(screens[0]));
  EXPECT_EQ("line 1 ", firstLine(screens[1]));
  EXPECT_EQ("line 7 ", firstLine(screens[2]));
  EXPECT_EQ("line 34", firstLine(screens[3]));
  EXPECT_EQ("line 0 ", firstLine(screens[4]));
}

TEST(HelpViewer, MissingFileAndTopicSayWhy) {
  Session session(60, 10);
  fs::path empty = TestFolder("none");
  EXPECT_FALSE(farhost::ShowHelp(empty.string().c_str(), "Contents", FHELP_CUSTOMPATH));
  EXPECT_NE(std::string::npos, session.backend.finalText.find("no help file"));
  Session again(60, 10);
  fs::path dir = HelpFolder();
  EXPECT_FALSE(farhost::ShowHelp(dir.string().c_str(), "Absent", FHELP_CUSTOMPATH));
  EXPECT_NE(std::string::npos, again.backend.finalText.find("\"Absent\""));
}

TEST(HelpViewer, DialogHelpUsesTheModulesFile) {
  fs::path dir = HelpFolder();
  farhost::MakeStartupInfo((dir / "Pardune.kmx").string().c_str());
  Session session(50, 12);
  std::string shown;
  session.backend.before = [&](int index) {
    if (index == 1) shown = farhost::TheScreen().TextDump();
  };
  session.backend.events = {Key(KEY_F1), Key(KEY_ESC), Key(KEY_ESC)};
  std::vector<FarDialogItem> items = {MakeItem(DI_BUTTON, 2, 1, 0, 0, 0, "&Ok")};
  EXPECT_EQ(-1, farhost::DialogEx(0, -1, -1, 20, 3, "Other", items.data(), 1, 0, 0, nullptr, 0));
  EXPECT_NE(std::string::npos, shown.find("Other topic"));
}

TEST(HelpViewer, ExplicitFolderInTopic) {
  fs::path dir = HelpFolder();
  Session session(50, 10);
  std::string topic = "<" + dir.string() + "/>Other";
  EXPECT_TRUE(farhost::ShowHelp("/nowhere/x.kmx", topic.c_str(), 0));
  EXPECT_NE(std::string::npos, session.backend.finalText.find("Other topic"));
}

// The module's own help: the three topics its dialogs ask for and the
// editors' keys, every link leading to a topic of the file.
TEST(ModuleHelp, TopicsAndLinksResolve) {
  std::ifstream in(std::string(FARHOST_RES_DIR) + "/Pardune.hlf", std::ios::binary);
  ASSERT_TRUE(in.is_open());
  std::stringstream text;
  text << in.rdbuf();
  farhost::HelpFile file = farhost::ParseHelp(text.str());
  for (const char *name : {"Contents", "MainDialog", "Options", "Colors", "EditorKeys"}) {
    const farhost::HelpTopicText *topic = file.Find(name);
    ASSERT_NE(nullptr, topic) << name;
    EXPECT_FALSE(topic->title.empty()) << name;
    EXPECT_GT(topic->lines.size(), 3u) << name;
    for (const farhost::HelpLine &line : topic->lines)
      EXPECT_LE(line.text.size(), 76u) << name << ": " << line.text;
  }
  for (const farhost::HelpTopicText &topic : file.topics)
    for (const farhost::HelpLink &link : topic.links)
      EXPECT_NE(nullptr, file.Find(link.target)) << topic.name << " -> " << link.target;
}

}  // namespace
}  // namespace farhost_test

namespace farhost_test {
namespace {

TEST(HelpViewer, LongLinesWrapAtBlanksInsideTheFrame) {
  fs::path dir = TestFolder("wrap");
  {
    std::ofstream out(dir / "Wrap.hlf", std::ios::binary);
    // Blanks fall exactly on the width (26 columns inside a 30 column frame).
    out << "@Contents\n$ #Wrap#\n"
        << std::string(26, 'a') << " " << std::string(10, 'b') << " ~link~@Contents@ "
        << std::string(40, 'c') << "\n";
  }
  Session session(30, 8);
  farhost::ShowHelp(dir.string().c_str(), "Contents", FHELP_CUSTOMPATH);
  const std::string &screen = session.backend.finalText;
  for (int row = 1; row < 7; ++row) {
    EXPECT_EQ('\xBA', screen[size_t(row * 31)]) << row;
    EXPECT_EQ('\xBA', screen[size_t(row * 31 + 29)]) << row;
  }
  EXPECT_EQ(std::string(26, 'a'), screen.substr(31 + 2, 26));
  EXPECT_EQ(std::string(10, 'b') + " link ", screen.substr(2 * 31 + 2, 16));
  EXPECT_EQ(std::string(26, 'c'), screen.substr(3 * 31 + 2, 26));
  EXPECT_EQ(std::string(14, 'c') + " ", screen.substr(4 * 31 + 2, 15));
}

}  // namespace
}  // namespace farhost_test
