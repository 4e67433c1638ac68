// pardune --script against the real module: screens on standard output.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "run_program.hpp"

namespace {

const std::string kPardune = std::string(PARDUNE_BIN_DIR) + "/pardune";

class ScriptProgram : public testing::Test {
 protected:
  void SetUp() override { dir_ = MakeTempDir(); }
  void TearDown() override { RemoveTree(dir_); }
  ProgramResult Run(const std::string &script, std::vector<std::string> args,
                    const std::string &locale = "C.UTF-8") {
    WriteFile(dir_ + "/s.txt", script);
    args.insert(args.begin(), {"--script", dir_ + "/s.txt"});
    return RunProgram("/usr/bin/env", [&] {
      std::vector<std::string> all = {"LC_ALL=" + locale, "XDG_RUNTIME_DIR=" + dir_,
                                      "PARDUNE_REGISTRY=" + dir_ + "/r.reg", kPardune};
      all.insert(all.end(), args.begin(), args.end());
      return all;
    }());
  }
  std::string dir_;
};

std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(ScriptProgram, PrintsTheTesterAsTextAndAttributes) {
  ProgramResult r = Run("screen\nattributes\ncursor\n", {"--size", "80x25"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.err.empty()) << r.err;
  std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 25u + 25u + 1u) << r.out;
  EXPECT_NE(lines[2].find("╔"), std::string::npos) << lines[2];
  EXPECT_NE(lines[3].find("Pos: 1:1(of 1)"), std::string::npos) << lines[3];
  EXPECT_NE(lines[21].find("[ Close ]"), std::string::npos) << lines[21];
  for (size_t i = 25; i < 50; ++i) EXPECT_EQ(lines[i].size(), 160u) << lines[i];
  // The dialog is gray (7x); its first text row is a cyan edit field (30).
  EXPECT_EQ(lines[25 + 5].substr(2 * 14, 4), "3030") << lines[25 + 5];
  EXPECT_EQ(lines[50], "cursor 14 5");
}

TEST_F(ScriptProgram, TheCloseButtonEndsItAndUnusedLinesAreNamed) {
  ProgramResult r = Run("key Alt+S\nscreen\necho never\n", {});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.out.empty()) << r.out;
  EXPECT_EQ(r.err, "pardune: " + dir_ + "/s.txt: the program ended before line 2\n");
}

// The box names the smallest screen that works: made at 56 columns, the
// tester is as narrow as it gets and needs 57x23.
TEST_F(ScriptProgram, ResizeRedrawsAndTooSmallSaysSo) {
  ProgramResult r = Run("screen\nresize 57 23\nscreen\n", {"--size", "56x23"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 23u + 23u) << r.out;
  std::string small, large;
  for (size_t i = 0; i < lines.size(); ++i) (i < 23 ? small : large) += lines[i] + "\n";
  EXPECT_NE(small.find("57x23 needed, 56x23 now."), std::string::npos) << small;
  EXPECT_EQ(small.find("Pos:"), std::string::npos) << small;
  EXPECT_NE(large.find("Pos: 1:1(of 1)"), std::string::npos) << large;
}

// A UTF-8 file comes in the code page; in a Cyrillic locale that is 866,
// where 437 has no letter for it.
TEST_F(ScriptProgram, Utf8FileInTheLocalesCodePage) {
  const std::string hello = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
  WriteFile(dir_ + "/ru.txt", hello + "\n");
  const std::string file = dir_ + "/ru.txt", script = "key Alt+L\nscreen\n";
  ProgramResult russian = Run(script, {file}, "ru_RU.UTF-8");
  EXPECT_NE(russian.out.find("Paste   " + hello + " "), std::string::npos) << russian.out;
  ProgramResult western = Run(script, {"--codepage", "437", file}, "ru_RU.UTF-8");
  EXPECT_NE(western.out.find("Paste   ?????? "), std::string::npos) << western.out;
  EXPECT_EQ(Run(script, {file}, "de_DE.UTF-8").out, western.out);
}

TEST_F(ScriptProgram, CodePage866ShowsCyrillicFrames) {
  ProgramResult r = Run("screen\n", {"--codepage", "866"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("╚"), std::string::npos) << r.out;
}

}  // namespace
