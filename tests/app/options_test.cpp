#include <gtest/gtest.h>

#include <vector>

#include "app/options.hpp"

namespace {

struct OptionCase {
  std::vector<const char *> args;
  bool ok;
  const char *errorPart;  // a piece of the one-line reason
};

const OptionCase kCases[] = {
    {{}, true, ""},
    {{"file.txt"}, true, ""},
    {{"--lang", "ru", "--codepage", "866", "f"}, true, ""},
    {{"--lang=de", "--codepage=437"}, true, ""},
    {{"--script", "s.txt", "--size", "100x30"}, true, ""},
    {{"--cursor", "3,4", "f"}, true, ""},
    {{"--block", "stream,1,1,2,1", "f"}, true, ""},
    {{"--", "--odd-name"}, true, ""},
    {{"--help"}, true, ""},
    {{"--bogus"}, false, "unknown option '--bogus'"},
    {{"-x"}, false, "unknown option '-x'"},
    {{"--lang"}, false, "--lang needs a value"},
    {{"--lang", "../x"}, false, "--lang needs a language name"},
    {{"--codepage", "1252"}, false, "--codepage must be 437 or 866"},
    {{"--size", "100x30"}, false, "--size works only with --script"},
    {{"--script", "s", "--size", "100"}, false, "--size must be COLSxROWS"},
    {{"--script", "s", "--size", "0x30"}, false, "--size must be COLSxROWS"},
    {{"--script", "s", "--size", "80x25x"}, false, "--size must be COLSxROWS"},
    {{"--script", "s", "--size", "99999x5"}, false, "--size must be COLSxROWS"},
    {{"a", "b"}, false, "only one FILE"},
    {{"--cursor", "1,1"}, false, "--cursor needs a FILE"},
    {{"--block", "stream,1,1,1,2"}, false, "--block needs a FILE"},
    {{"--lang", "en", "--lang", "ru"}, false, "given twice"},
    {{"--script="}, false, "--script needs a file name"},
};

class OptionTable : public testing::TestWithParam<OptionCase> {};

TEST_P(OptionTable, ParsesTheCommandLine) {
  const OptionCase &c = GetParam();
  std::vector<const char *> argv = {"pardune"};
  argv.insert(argv.end(), c.args.begin(), c.args.end());
  app::Options options;
  std::string error;
  bool ok = app::ParseOptions(int(argv.size()), argv.data(), &options, &error);
  EXPECT_EQ(ok, c.ok) << error;
  if (!c.ok) {
    EXPECT_NE(error.find(c.errorPart), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(CommandLine, OptionTable, testing::ValuesIn(kCases));

TEST(Options, ValuesLandInTheirFields) {
  const char *argv[] = {"pardune", "--lang", "ru",     "--codepage", "866", "--script",
                        "s.txt",   "--size", "120x40", "--cursor",   "2,3", "text.txt"};
  app::Options o;
  std::string error;
  ASSERT_TRUE(app::ParseOptions(12, argv, &o, &error)) << error;
  EXPECT_EQ(o.lang, "ru");
  EXPECT_EQ(o.codePage, 866);
  EXPECT_EQ(o.script, "s.txt");
  EXPECT_EQ(o.columns, 120);
  EXPECT_EQ(o.rows, 40);
  EXPECT_TRUE(o.hasCursor);
  EXPECT_EQ(o.cursor, "2,3");
  EXPECT_EQ(o.file, "text.txt");
}

}  // namespace

TEST(Options, CyrillicLocalesTake866) {
  for (const char *locale : {"ru_RU.UTF-8", "uk_UA", "sr_RS", "bg", "uz_UZ.UTF-8@cyrillic"})
    EXPECT_EQ(app::LocaleCodePage(locale), 866) << locale;
  for (const char *locale : {"sr_RS@latin", "en_US.UTF-8", "C", "russian", ""})
    EXPECT_EQ(app::LocaleCodePage(locale), 437) << locale;
  EXPECT_EQ(app::LocaleCodePage(nullptr), 437);
}
