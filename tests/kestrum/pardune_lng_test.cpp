// The shipped English texts: every message there, and usable where it serves.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "kestrum/language.hpp"
#include "support/test_files.hpp"

namespace {

// Pardune.lng is copied beside the test programs.
kestrum::LanguageData Shipped() {
  kestrum::LanguageData data;
  EXPECT_TRUE(kestrum::LoadLanguageFile(BesideTestProgram("Pardune.lng"), data));
  return data;
}

std::string Text(const kestrum::LanguageData &data, int id) {
  auto it = data.texts.find(std::to_string(id));
  return it == data.texts.end() ? std::string() : it->second;
}

char Hotkey(const std::string &caption) {
  size_t amp = caption.find('&');
  if (amp == std::string::npos || amp + 1 >= caption.size()) return 0;
  return static_cast<char>(std::tolower(static_cast<unsigned char>(caption[amp + 1])));
}

// The conversions of a text, e.g. "dd" for "%d:%d".
std::string Conversions(const std::string &text) {
  std::string found;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '%') continue;
    if (text[i + 1] == '%') {
      ++i;
      continue;
    }
    found.push_back(text[i + 1]);
  }
  return found;
}

TEST(ParduneLng, HasAll52MessagesAndNoProblems) {
  kestrum::LanguageData data = Shipped();
  EXPECT_TRUE(data.problems.empty());
  for (int id = 1; id <= 52; ++id) EXPECT_FALSE(Text(data, id).empty()) << id;
  EXPECT_EQ(data.texts.size(), 52u);
}

TEST(ParduneLng, FormatsTakeTheirArguments) {
  kestrum::LanguageData data = Shipped();
  EXPECT_EQ(Conversions(Text(data, 37)), "d");
  EXPECT_EQ(Conversions(Text(data, 39)), "c");
  EXPECT_EQ(Conversions(Text(data, 47)), "dd");
  for (int id = 1; id <= 52; ++id) {
    if (id == 37 || id == 39 || id == 47) continue;
    EXPECT_EQ(Conversions(Text(data, id)), "") << id;
  }
}

TEST(ParduneLng, HotkeysAreDistinctWithinEachDialog) {
  kestrum::LanguageData data = Shipped();
  const std::vector<std::vector<int>> dialogs = {
      {7, 8, 9, 10, 11, 12, 13, 14, 15, 5, 4},  // tester
      {26, 27, 28, 29, 30, 31, 32, 3, 4},       // options
      {22, 23, 24, 4},                          // colour picker
      {3, 4},                                   // colour table (rows use 1-9, A-G)
  };
  for (const auto &dialog : dialogs) {
    std::set<char> keys;
    for (int id : dialog) {
      char key = Hotkey(Text(data, id));
      EXPECT_NE(key, 0) << "message " << id << " has no hotkey";
      EXPECT_TRUE(keys.insert(key).second) << "message " << id << " repeats " << key;
    }
  }
  // The colour table's row buttons take 1-9 and A-G; its own buttons must not.
  for (int id : {3, 4}) {
    char key = Hotkey(Text(data, id));
    EXPECT_FALSE((key >= '1' && key <= '9') || (key >= 'a' && key <= 'g')) << id;
  }
}

TEST(ParduneLng, TesterButtonsFitTheirColumn) {
  kestrum::LanguageData data = Shipped();
  for (int id = 7; id <= 15; ++id) EXPECT_LE(Text(data, id).size(), 7u) << id;
}

TEST(ParduneLng, MultiLineTextsStartWithATitle) {
  kestrum::LanguageData data = Shipped();
  for (int id : {17, 18, 19, 20, 50}) {
    std::string text = Text(data, id);
    size_t newline = text.find('\n');
    ASSERT_NE(newline, std::string::npos) << id;
    EXPECT_GT(newline, 0u) << id;
  }
  EXPECT_NE(Text(data, 50).find("1.70 build 1282"), std::string::npos);
}

}  // namespace
