// The shipped English texts: one for every id the module shows, and usable
// where it serves.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/messages.hpp"
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
  EXPECT_EQ(Conversions(Text(data, kColorRowMessage)), "d");
  EXPECT_EQ(Conversions(Text(data, kColorChangeMessage)), "c");
  EXPECT_EQ(Conversions(Text(data, kMatchAtMessage)), "dd");
  for (int id = 1; id <= 52; ++id) {
    if (id == kColorRowMessage || id == kColorChangeMessage || id == kMatchAtMessage) continue;
    EXPECT_EQ(Conversions(Text(data, id)), "") << id;
  }
}

TEST(ParduneLng, HotkeysAreDistinctWithinEachDialog) {
  kestrum::LanguageData data = Shipped();
  const std::vector<std::vector<int>> dialogs = {
      {kTextPasteMessage, kTextCopyMessage, kTextLoadMessage, kTextUnmarkMessage,
       kExpressionPasteMessage, kExpressionCopyMessage, kExpressionUnmarkMessage, kFindMessage,
       kNextMessage, kOptionsMessage, kCloseMessage},
      {kOnFlyMessage, kHandleErrorsMessage, kFromCursorMessage, kSingleLinesMessage,
       kReNoMovesMessage, kStripSpaceMessage, kColorTableButtonMessage, kOkMessage, kCloseMessage},
      {kPickerForegroundMessage, kPickerBackgroundMessage, kPickerChooseMessage, kCloseMessage},
      {kOkMessage, kCloseMessage},  // the color table (rows use 1-9, A-G)
  };
  for (const auto &dialog : dialogs) {
    std::set<char> keys;
    for (int id : dialog) {
      char key = Hotkey(Text(data, id));
      EXPECT_NE(key, 0) << "message " << id << " has no hotkey";
      EXPECT_TRUE(keys.insert(key).second) << "message " << id << " repeats " << key;
    }
  }
  // The color table's row buttons take 1-9 and A-G; its own buttons must not.
  for (int id : {kOkMessage, kCloseMessage}) {
    char key = Hotkey(Text(data, id));
    EXPECT_FALSE((key >= '1' && key <= '9') || (key >= 'a' && key <= 'g')) << id;
  }
}

TEST(ParduneLng, TesterButtonsFitTheirColumn) {
  kestrum::LanguageData data = Shipped();
  for (int id = kTextPasteMessage; id <= kNextMessage; ++id)
    EXPECT_LE(Text(data, id).size(), 7u) << id;
}

TEST(ParduneLng, MultiLineTextsStartWithATitle) {
  kestrum::LanguageData data = Shipped();
  for (int id : {kPasteTextQuestion, kLoadTextQuestion, kPasteExpressionQuestion, kCloseQuestion,
                 kOldHostMessage}) {
    std::string text = Text(data, id);
    size_t newline = text.find('\n');
    ASSERT_NE(newline, std::string::npos) << id;
    EXPECT_GT(newline, 0u) << id;
  }
  EXPECT_NE(Text(data, kOldHostMessage).find("1.70 build 1282"), std::string::npos);
}

// The comment lines right above each key of the file, joined.
std::map<int, std::string> CommentsAbove(const std::string &path) {
  std::map<int, std::string> above;
  std::ifstream in(path);
  std::string comments;
  for (std::string line; std::getline(in, line);) {
    if (line.empty()) {
      comments.clear();
    } else if (line[0] == '#') {
      comments += line + "\n";
    } else {
      above[std::atoi(line.c_str())] = comments;
      comments.clear();
    }
  }
  return above;
}

// Every id the module shows has a text; a text the module does not show may
// stay in the file only below a comment that starts "# Not shown:" and says why.
TEST(MessageTable, EveryIdShownHasATextAndEveryTextIsShownOrSaysWhyNot) {
  kestrum::LanguageData data = Shipped();
  for (MessageId id : kModuleMessages) {
    EXPECT_GT(id, kNoMessage);
    EXPECT_FALSE(Text(data, id).empty()) << "message " << id << " has no text";
  }
  const std::set<int> shown(std::begin(kModuleMessages), std::end(kModuleMessages));
  std::map<int, std::string> comments = CommentsAbove(BesideTestProgram("Pardune.lng"));
  ASSERT_EQ(comments.size(), data.texts.size());
  for (const auto &[key, text] : data.texts) {
    const int id = std::atoi(key.c_str());
    EXPECT_EQ(std::to_string(id), key) << "a key that is no id";
    if (shown.count(id)) continue;
    EXPECT_NE(comments[id].find("# Not shown:"), std::string::npos)
        << "message " << id << " is not shown and no comment says why";
  }
}

}  // namespace
