// Cutting files into lines and reading them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <windows.h>

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

// Every line of the text, from the last to the first: each one is found
// from the nearest mark, and ends with a zero.
std::vector<std::pair<std::string, std::string>> AllLines(EditorText &text) {
  std::vector<std::pair<std::string, std::string>> lines(size_t(text.LineCount()));
  for (int i = text.LineCount() - 1; i >= 0; --i) {
    EditorText::Line line = text.Get(i);
    EXPECT_EQ(line.text[line.length], '\0') << i;
    lines[size_t(i)] = {std::string(line.text, size_t(line.length)), line.lineBreak};
  }
  return lines;
}

}  // namespace

TEST(EditorText, LineBreaksOfEveryKind) {
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
    EditorText text(c.bytes);
    std::vector<std::pair<std::string, std::string>> expected;
    for (size_t i = 0; i < c.lines.size(); ++i) expected.emplace_back(c.lines[i], c.breaks[i]);
    EXPECT_EQ(AllLines(text), expected);
  }
}

TEST(EditorText, ManyLinesFoundInAnyOrder) {
  std::string bytes;
  std::vector<std::pair<std::string, std::string>> expected;
  for (int i = 0; i < 100; ++i) {
    expected.emplace_back(std::to_string(i), i % 2 ? "\r\n" : "\n");
    bytes += expected.back().first + expected.back().second;
  }
  expected.emplace_back("", "");
  EditorText text(bytes);
  EXPECT_EQ(AllLines(text), expected);
  EditorText::Line held = text.Get(50);  // keeps its zero while others are looked at
  EXPECT_EQ(text.View(70).length, 2);
  EXPECT_STREQ(held.text, "50");
}

TEST(DecodeUtf8Text, ValidUtf8BecomesTheCodePage) {
#ifdef _WIN32
  if (GetOEMCP() != 437) GTEST_SKIP() << "the system's OEM code page is not 437";
#else
  WinportSetOemCodePage(437);
#endif
  // A byte order mark, a character past U+FFFF and two best-fit ones;
  // then Latin-1 and an encoded surrogate, which are not UTF-8.
  const std::pair<std::string, std::string> cases[] = {
      {"\xEF\xBB\xBF\xF0\x9F\x98\x80 Caf\xC3\xA9 \xC4\x80\xE2\x80\x9C", "? Caf\x82 A\""},
      {"Caf\xE9 \xC3\xA9", ""},
      {"\xED\xA0\x80", ""}};
  for (const auto &[bytes, decoded] : cases) {
    std::string text = bytes;
    EXPECT_EQ(farhost::DecodeUtf8Text(&text), !decoded.empty());
    EXPECT_EQ(text, decoded.empty() ? bytes : decoded);
  }
  std::string many(100000, 'x');  // characters across the chunks it is decoded in
  for (size_t i = 1; i < many.size(); i += 2) many.replace(i - 1, 2, "\xC3\xA9");
  ASSERT_TRUE(farhost::DecodeUtf8Text(&many));
  EXPECT_EQ(many, std::string(50000, '\x82'));
}

TEST(LoadEditorText, ReadsTheWholeFile) {
  std::string longLine(3 * 1024 * 1024, 'x');
  TempFile file("load.txt", "first\r\n" + longLine + "\rlast");
  EditorText text;
  std::string error;
  ASSERT_TRUE(farhost::LoadEditorText(file.Path(), &text, &error)) << error;
  ASSERT_EQ(text.LineCount(), 3);
  EXPECT_EQ(std::string(text.Get(1).text), longLine);
  EXPECT_STREQ(text.Get(2).text, "last");
}

TEST(LoadEditorText, TooLargeIsRefusedBeforeItIsRead) {
  TempFile file("large.txt", "");
  std::error_code code;
  std::filesystem::resize_file(file.Path(), 513ull << 20, code);  // sparse: no disk used
  if (code) GTEST_SKIP() << code.message();
  EditorText text;
  std::string error;
  EXPECT_FALSE(farhost::LoadEditorText(file.Path(), &text, &error));
  EXPECT_NE(error.find("too large for the editor (over 512 MiB)"), std::string::npos) << error;
}

TEST(LoadEditorText, ClearMessagesForWhatCannotBeRead) {
  EditorText text("kept");
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

  EXPECT_STREQ(text.Get(0).text, "kept");
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
