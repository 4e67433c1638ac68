// The expression as the engine gets it, and the dialog's width rule.
#include <gtest/gtest.h>

#include <string>

#include "tester/match_state.hpp"
#include "tester/tester.hpp"

namespace {

struct Cleaning {
  const char *typed;  // the editor's lines joined by line feeds
  bool stripSpace;
  int message;         // 0, 40 or 41
  const char *handed;  // what the engine gets when message is 0
};

const Cleaning kCleanings[] = {
    {"abc\n", true, 0, "/abc/"},
    {"/abc/i\n", true, 0, "/abc/i"},
    {"a b\n", true, 0, "/ab/"},
    {"a b\n", false, 0, "/a b/"},
    {"ab\ncd\n", true, 0, "/abcd/"},
    {"ab  \n", false, 0, "/ab/"},
    {"  \n", false, 0, "/ /"},  // the first character is never trimmed
    {"   \n", true, 41, ""},
    {"\t\n", true, 0, "/\t/"},
    {"a\tb\r\v\f\n", true, 0, "/a\tb/"},
    {"\n", true, 41, ""},  // one empty line: 41, not 40
    {"", true, 40, nullptr},
};

TEST(Expression, CleanedTrimmedAndEnclosedInSlashes) {
  for (const Cleaning &c : kCleanings) {
    SCOPED_TRACE(testing::PrintToString(std::string(c.typed)));
    char out[kExpressionLength + 3] = "untouched";
    EXPECT_EQ(PrepareExpression(c.typed, c.stripSpace, out), c.message);
    EXPECT_STREQ(out, c.handed ? c.handed : "untouched");
  }
}

TEST(Expression, OnlyThe999FirstCharactersCount) {
  std::string typed(998, 'a');
  typed += "bcd";  // characters 999 to 1001
  char out[kExpressionLength + 3];
  ASSERT_EQ(PrepareExpression(typed.c_str(), true, out), 0);
  EXPECT_EQ(std::string(out), "/" + std::string(998, 'a') + "b/");
}

TEST(TesterWidth, FollowsTheConsole) {
  EXPECT_EQ(TesterExtraWidth(80), 0);
  EXPECT_EQ(TesterExtraWidth(81), 0);
  EXPECT_EQ(TesterExtraWidth(100), 19);
  EXPECT_EQ(TesterExtraWidth(132), 51);
  EXPECT_EQ(TesterExtraWidth(79), -2);
  EXPECT_EQ(TesterExtraWidth(30), -20);  // a dialog that still holds together

  FarDialogItem items[3] = {};
  items[0].Type = DI_DOUBLEBOX;
  items[1].Type = DI_EDIT;
  items[2].Type = DI_BUTTON;
  for (FarDialogItem &item : items) item.X1 = item.X2 = 10;
  WidenTesterItems(items, 3, 19);
  EXPECT_EQ(items[0].X2, 29);
  EXPECT_EQ(items[1].X2, 29);
  EXPECT_EQ(items[2].X2, 10);
  EXPECT_EQ(items[1].X1, 10);
}

}  // namespace
