// Language files: parsing good and bad input, file names, code pages.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "codec/codec.hpp"
#include "kestrum/language.hpp"

namespace {

using kestrum::LanguageData;
using kestrum::ParseLanguage;

std::string Text(const LanguageData &data, const std::string &key) {
  auto it = data.texts.find(key);
  return it == data.texts.end() ? "<missing>" : it->second;
}

TEST(ParseLanguage, GoodFile) {
  LanguageData data = ParseLanguage(
      "# a comment\n"
      "\n"
      "1=Regular expression tester\n"
      "  2 = spaced key and text  \n"
      "3=\"  quoted keeps spaces  \"\n"
      "4=a=b=c\n"
      "5=\n"
      "\t# an indented comment\n"
      "6=Group %d\n");
  EXPECT_TRUE(data.problems.empty());
  EXPECT_EQ(data.texts.size(), 6u);
  EXPECT_EQ(Text(data, "1"), "Regular expression tester");
  EXPECT_EQ(Text(data, "2"), "spaced key and text");
  EXPECT_EQ(Text(data, "3"), "  quoted keeps spaces  ");
  EXPECT_EQ(Text(data, "4"), "a=b=c");
  EXPECT_EQ(Text(data, "5"), "");
  EXPECT_EQ(Text(data, "6"), "Group %d");
}

TEST(ParseLanguage, Escapes) {
  struct Case {
    const char *line;
    std::string text;
  };
  const Case cases[] = {
      {"k=a\\nb", "a\nb"},
      {"k=a\\tb", "a\tb"},
      {"k=a\\rb", "a\rb"},
      {"k=a\\\\b", "a\\b"},
      {"k=a\\\"b", "a\"b"},
      {"k=a\\'b", "a'b"},
      {"k=\\b\\a\\f\\v\\e", "\b\a\f\v\x1b"},
      {"k=\\x41\\x4a\\x4Bz", "AJKz"},
      {"k=\\x4", "\x04"},
      {"k=\\xg", "\\xg"},
      {"k=\\q", "\\q"},  // an unknown escape keeps its backslash
      {"k=C:\\tools", "C:\tools"},
      {"k=end\\", "end\\"},
      {"k=\"a\\\"\"", "a\""},
      {"k=\"ends in \\\"", "\"ends in \""},  // escaped closing quote: not quoted
  };
  for (const Case &c : cases) {
    LanguageData data = ParseLanguage(c.line);
    EXPECT_EQ(Text(data, "k"), c.text) << c.line;
    EXPECT_TRUE(data.problems.empty()) << c.line;
  }
}

TEST(ParseLanguage, BadLines) {
  struct Case {
    const char *name;
    std::string contents;
    std::string reason;  // of the one problem reported
    int line;
  };
  const Case cases[] = {
      {"no equals sign", "1=one\njust words\n2=two\n", "no '='", 2},
      {"empty key", "=text\n", "empty key", 1},
      {"blank key", "  \t= text\n", "empty key", 1},
      {"overlong line", "1=" + std::string(5000, 'x') + "\n2=two\n", "too long", 1},
      {"duplicate key", "1=one\n1=again\n", "twice", 2},
      {"NUL escape", "1=a\\0b\n", "NUL", 1},
      {"NUL hex escape", "1=a\\x00b\n", "NUL", 1},
      {"NUL byte", std::string("1=a\0b\n", 6), "NUL", 1},
      {"invalid UTF-8", "1=caf\xE9\n", "UTF-8", 1},
      {"truncated UTF-8", "1=\xE2\x94\n", "UTF-8", 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    LanguageData data = ParseLanguage(c.contents);
    ASSERT_EQ(data.problems.size(), 1u);
    EXPECT_NE(data.problems[0].reason.find(c.reason), std::string::npos) << data.problems[0].reason;
    EXPECT_EQ(data.problems[0].line, c.line);
  }
}

TEST(ParseLanguage, BadLinesDoNotLoseTheGoodOnes) {
  LanguageData data =
      ParseLanguage("1=one\nrubbish\n=x\n" + std::string(9000, '=') + "\n1=dup\n2=two\n");
  EXPECT_EQ(Text(data, "1"), "one");
  EXPECT_EQ(Text(data, "2"), "two");
  EXPECT_EQ(data.texts.size(), 2u);
  EXPECT_EQ(data.problems.size(), 4u);
}

TEST(ParseLanguage, LineEndingsAndByteOrderMark) {
  LanguageData crlf = ParseLanguage(
      "\xEF\xBB\xBF"
      "1=one\r\n2=two\r\n3=three");
  EXPECT_TRUE(crlf.problems.empty());
  EXPECT_EQ(Text(crlf, "1"), "one");
  EXPECT_EQ(Text(crlf, "2"), "two");
  EXPECT_EQ(Text(crlf, "3"), "three");
  EXPECT_TRUE(ParseLanguage("").texts.empty());
  EXPECT_TRUE(ParseLanguage("\n\n\r\n").problems.empty());
}

TEST(ParseLanguage, InvalidUtf8IsKeptAndBecomesQuestionMarks) {
  LanguageData data = ParseLanguage("1=caf\xE9!\n");
  EXPECT_EQ(codec::Utf8ToOem(Text(data, "1")), "caf?!");
}

TEST(LanguageFilePath, BesideTheModule) {
#ifdef _WIN32
  const std::string dir = "C:\\Far\\Plugins\\";
#else
  const std::string dir = "/opt/far.d/plugins/";
#endif
  struct Case {
    std::string module, lang, file;
  };
  const Case cases[] = {
      {dir + "Pardune.kmx", "", dir + "Pardune.lng"},
      {dir + "Pardune.kmx", "en", dir + "Pardune.lng"},
      {dir + "Pardune.kmx", "ru", dir + "Pardune.ru.lng"},
      {dir + "Pardune.kmx", "pt_BR", dir + "Pardune.pt_BR.lng"},
      {dir + "Pardune.kmx", "../../etc/x", dir + "Pardune.lng"},
      {dir + "Pardune.kmx", "a.b", dir + "Pardune.lng"},
      {dir + "Pardune.kmx", std::string(40, 'x'), dir + "Pardune.lng"},
      {dir + "Pardune", "", dir + "Pardune.lng"},
      {"Pardune.kmx", "", "Pardune.lng"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(kestrum::LanguageFilePath(c.module, c.lang), c.file) << c.module << " " << c.lang;
}

}  // namespace
