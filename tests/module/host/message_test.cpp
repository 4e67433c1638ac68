// Message texts through the service table, and message texts used as formats.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/host_state.hpp"
#include "host/text.hpp"
#include "module/host/linked_module.hpp"
#include "module/host/recording_host.hpp"

namespace {

const char *WINAPI NoText(SubPluginRecord *, const char *, int, int) {
  return nullptr;
}

class Messages : public ::testing::Test {
 protected:
  void SetUp() override {
    StartLinkedModule();
    Fake().lookups.clear();
  }
  void TearDown() override { ReloadLinkedModule(); }
};

TEST_F(Messages, ZeroIsTheEmptyTextWithoutALookup) {
  EXPECT_STREQ(MessageText(0), "");
  EXPECT_STREQ(MessageText(MessageRef::Id(0)), "");
  EXPECT_STREQ(MessageText(MessageRef()), "");
  EXPECT_TRUE(Fake().lookups.empty());
}

TEST_F(Messages, IdsAreLookedUpUnderTheirDecimalKeys) {
  Fake().messages["47"] = "Match at %d:%d";
  Fake().messages["2000"] = "the last id";
  EXPECT_STREQ(MessageText(47), "Match at %d:%d");
  EXPECT_STREQ(MessageText(MessageRef::Id(47)), "Match at %d:%d");
  EXPECT_STREQ(MessageText(MessageRef::Id(2000)), "the last id");
  EXPECT_STREQ(MessageText(2000), "the last id");
  ASSERT_EQ(Fake().lookups.size(), 4u);
  EXPECT_EQ(Fake().lookups[0], "47");
  EXPECT_EQ(Fake().lookups[2], "2000");
  for (SubPluginRecord *record : Fake().lookupRecords) EXPECT_EQ(record, Fake().registeredRecord);
}

TEST_F(Messages, NoCache) {
  Fake().messages["5"] = "first";
  EXPECT_STREQ(MessageText(5), "first");
  Fake().messages["5"] = "second";
  EXPECT_STREQ(MessageText(5), "second");
  EXPECT_EQ(Fake().lookups.size(), 2u);
}

TEST_F(Messages, AnUnknownIdComesBackAsItsKeyAndStaysValid) {
  // The lookup hands back the key itself, so the key must outlive the call.
  const char *five = MessageText(5);
  const char *six = MessageText(6);
  const char *last = MessageText(2000);
  EXPECT_STREQ(five, "5");
  EXPECT_STREQ(six, "6");
  EXPECT_STREQ(last, "2000");
}

TEST_F(Messages, ALiteralTextIsItsOwnKey) {
  static const char literal[] = "a literal text";
  Fake().messages["known text"] = "translated";
  static const char known[] = "known text";
  EXPECT_STREQ(MessageText(MessageRef::Literal(literal)), literal);
  EXPECT_STREQ(MessageText(MessageRef::Literal(known)), "translated");
  ASSERT_EQ(Fake().lookups.size(), 2u);
  EXPECT_EQ(Fake().lookups[0], literal);
}

TEST_F(Messages, IdsOutsideTheRangeNameNoText) {
  EXPECT_STREQ(MessageText(-1), "");
  EXPECT_STREQ(MessageText(2001), "");
  EXPECT_TRUE(Fake().lookups.empty());
}

TEST_F(Messages, ANullLookupResultIsTheEmptyText) {
  Fake().table.LookupMessage = NoText;
  ReloadLinkedModule();
  Start(&Fake().info, &Fake().table);
  EXPECT_STREQ(MessageText(3), "");
  static const char literal[] = "literal";
  EXPECT_STREQ(MessageText(MessageRef::Literal(literal)), "literal");
}

struct FormatCase {
  const char *name;
  const char *text;   // the language data's text
  const char *types;  // argument letters
  int args[5];
  const char *expected;
};

const FormatCase kFormatCases[] = {
    // Texts that fit their arguments are formatted.
    {"one integer", "Group %d", "d", {12}, "Group 12"},
    {"one character", "&%c Change", "c", {'A'}, "&A Change"},
    {"two integers", "Match at %d:%d", "dd", {5, 3}, "Match at 5:3"},
    {"width and flags", "[%-4d|%04d|%+d]", "ddd", {42, 42, 42}, "[42  |0042|+42]"},
    {"integer conversions", "%i %u %x %X %o", "ddddd", {10, 10, 10, 10, 10}, "10 10 a A 12"},
    {"percent sign", "100%% of %d", "d", {7}, "100% of 7"},
    {"no arguments", "Sample text", "", {}, "Sample text"},
    {"no arguments, percent", "50%%", "", {}, "50%"},
    {"precision", "%.3d", "d", {7}, "007"},
    // Texts that do not fit are shown as they stand.
    {"a string conversion", "Group %s", "d", {12}, "Group %s"},
    {"a write-back conversion", "Group %n", "d", {12}, "Group %n"},
    {"a star width", "Group %*d", "d", {12}, "Group %*d"},
    {"too many conversions", "%d:%d", "d", {1}, "%d:%d"},
    {"too few conversions", "Group", "d", {1}, "Group"},
    {"character for an integer", "Group %c", "d", {65}, "Group %c"},
    {"integer for a character", "&%d Change", "c", {'A'}, "&%d Change"},
    {"a length modifier", "Group %ld", "d", {1}, "Group %ld"},
    {"a positional argument", "Group %1$d", "d", {1}, "Group %1$d"},
    {"a huge width", "Group %99999d", "d", {1}, "Group %99999d"},
    {"a floating conversion", "Group %f", "d", {1}, "Group %f"},
    {"a lone percent at the end", "Group %", "d", {1}, "Group %"},
    {"a conversion where none is wanted", "Sample %d", "", {}, "Sample %d"},
    {"a pointer conversion", "%p", "d", {1}, "%p"},
};

int FormatCaseText(const FormatCase &c, char *buffer, int size) {
  const int *a = c.args;
  switch (std::strlen(c.types)) {
    case 0:
      return FormatMessageText(buffer, size, 37, c.types);
    case 1:
      return FormatMessageText(buffer, size, 37, c.types, a[0]);
    case 2:
      return FormatMessageText(buffer, size, 37, c.types, a[0], a[1]);
    case 3:
      return FormatMessageText(buffer, size, 37, c.types, a[0], a[1], a[2]);
    default:
      return FormatMessageText(buffer, size, 37, c.types, a[0], a[1], a[2], a[3], a[4]);
  }
}

TEST_F(Messages, FormatMessageText) {
  for (const FormatCase &c : kFormatCases) {
    SCOPED_TRACE(c.name);
    Fake().messages["37"] = c.text;
    char buffer[128];
    std::memset(buffer, '#', sizeof buffer);
    int length = FormatCaseText(c, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, c.expected);
    EXPECT_EQ(length, static_cast<int>(std::strlen(c.expected)));
  }
}

TEST_F(Messages, FormatMessageTextStaysInItsBuffer) {
  Fake().messages["47"] = "Match at %d:%d";
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(FormatMessageText(buffer, 10, 47, "dd", 123, 456), 9);
  EXPECT_STREQ(buffer, "Match at ");
  EXPECT_EQ(buffer[10], '#');

  // A text shown as it stands is cut the same way.
  Fake().messages["47"] = "Match %s at %d:%d";
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(FormatMessageText(buffer, 8, 47, "dd", 1, 2), 7);
  EXPECT_STREQ(buffer, "Match %");
  EXPECT_EQ(buffer[8], '#');

  // A wide field is cut too.
  Fake().messages["37"] = "%999d";
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(FormatMessageText(buffer, 12, 37, "d", 5), 11);
  EXPECT_EQ(std::string(buffer), std::string(11, ' '));
  EXPECT_EQ(buffer[12], '#');

  EXPECT_EQ(FormatMessageText(buffer, 0, 37, "d", 5), 0);
  EXPECT_EQ(FormatMessageText(nullptr, 10, 37, "d", 5), 0);
}

TEST_F(Messages, FormatMessageTextOfAnUnknownId) {
  char buffer[32];
  // The lookup hands back the key "37", which has no conversion.
  EXPECT_EQ(FormatMessageText(buffer, sizeof buffer, 37, "d", 5), 2);
  EXPECT_STREQ(buffer, "37");
}

}  // namespace
