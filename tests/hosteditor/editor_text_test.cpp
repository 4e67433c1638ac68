// Cutting files into lines and reading them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "farhost/editor_text.hpp"
#include "temp_file.hpp"

using farhost::EditorText;

namespace {

struct SplitCase {
  std::string bytes;
  std::vector<std::string> lines;
  std::vector<std::string> breaks;
};

std::string S(const char *text, size_t n) {
  return std::string(text, n);
}

}  // namespace

TEST(SplitEditorText, LineBreaksOfEveryKind) {
  const SplitCase cases[] = {
      {"", {""}, {""}},
      {"a", {"a"}, {""}},
      {"a\n", {"a", ""}, {"\n", ""}},
      {"a\r\nb\rc\nd", {"a", "b", "c", "d"}, {"\r\n", "\r", "\n", ""}},
      {"\r\r\n", {"", "", ""}, {"\r", "\r\n", ""}},
      {"\n\r", {"", "", ""}, {"\n", "\r", ""}},
      {"x\r", {"x", ""}, {"\r", ""}},
      {S("a\0b\nc", 5), {S("a\0b", 3), "c"}, {"\n", ""}},
  };
  for (const SplitCase &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    EditorText text = farhost::SplitEditorText(c.bytes);
    EXPECT_EQ(text.lines, c.lines);
    std::vector<std::string> breaks(text.breaks.begin(), text.breaks.end());
    EXPECT_EQ(breaks, c.breaks);
  }
}

TEST(LoadEditorText, ReadsTheWholeFile) {
  std::string longLine(3 * 1024 * 1024, 'x');
  TempFile file("load.txt", "first\r\n" + longLine + "\rlast");
  EditorText text;
  std::string error;
  ASSERT_TRUE(farhost::LoadEditorText(file.Path(), &text, &error)) << error;
  ASSERT_EQ(text.lines.size(), 3u);
  EXPECT_EQ(text.lines[1], longLine);
  EXPECT_EQ(text.lines[2], "last");
}

TEST(LoadEditorText, ClearMessagesForWhatCannotBeRead) {
  EditorText text;
  text.lines = {"kept"};
  std::string error;

  std::string missing = (std::filesystem::temp_directory_path() / "pardune-no-such-file").string();
  EXPECT_FALSE(farhost::LoadEditorText(missing.c_str(), &text, &error));
  EXPECT_NE(error.find("cannot open '" + missing + "'"), std::string::npos) << error;

  std::string folder = std::filesystem::temp_directory_path().string();
  EXPECT_FALSE(farhost::LoadEditorText(folder.c_str(), &text, &error));
  EXPECT_NE(error.find("is a folder"), std::string::npos) << error;

  EXPECT_FALSE(farhost::LoadEditorText("", &text, &error));
  EXPECT_EQ(error, "no file name given");
  EXPECT_FALSE(farhost::LoadEditorText(nullptr, &text, &error));

  TempFile plain("plain.txt", "x");
  std::string under = std::string(plain.Path()) + "/child";
  EXPECT_FALSE(farhost::LoadEditorText(under.c_str(), &text, &error));
  EXPECT_NE(error.find("cannot open"), std::string::npos) << error;

  EXPECT_EQ(text.lines, std::vector<std::string>{"kept"});
}

#ifndef _WIN32
TEST(LoadEditorText, UnreadableFile) {
  TempFile file("unreadable.txt", "secret");
  std::filesystem::permissions(file.Path(), std::filesystem::perms::none);
  EditorText text;
  std::string error;
  bool loaded = farhost::LoadEditorText(file.Path(), &text, &error);
  std::filesystem::permissions(file.Path(), std::filesystem::perms::owner_all);
  if (loaded) GTEST_SKIP() << "running with the rights to read any file";
  EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
  EXPECT_NE(error.find("ermission"), std::string::npos) << error;
}
#endif
