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
  ProgramResult Run(const std::string &script, std::vector<std::string> args) {
    WriteFile(dir_ + "/s.txt", script);
    args.insert(args.begin(), {"--script", dir_ + "/s.txt"});
    return RunProgram("/usr/bin/env", [&] {
      std::vector<std::string> all = {"XDG_RUNTIME_DIR=" + dir_,
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
  // The dialog is grey (7x); its first text row is a cyan edit field (30).
  EXPECT_EQ(lines[25 + 5].substr(2 * 14, 4), "3030") << lines[25 + 5];
  EXPECT_EQ(lines[50], "cursor 14 5");
}

TEST_F(ScriptProgram, TheCloseButtonEndsItAndUnusedLinesAreNamed) {
  ProgramResult r = Run("key Alt+S\nscreen\necho never\n", {});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.out.empty()) << r.out;
  EXPECT_EQ(r.err, "pardune: " + dir_ + "/s.txt: the program ended before line 2\n");
}

TEST_F(ScriptProgram, ResizeRedrawsAndTooSmallSaysSo) {
  ProgramResult r = Run("resize 60 10\nscreen\nresize 90 26\nscreen\n", {"--size", "80x25"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 10u + 26u) << r.out;
  std::string small, large;
  for (size_t i = 0; i < lines.size(); ++i) (i < 10 ? small : large) += lines[i] + "\n";
  EXPECT_NE(small.find("too small"), std::string::npos) << small;
  EXPECT_EQ(small.find("Pos:"), std::string::npos) << small;
  EXPECT_NE(large.find("Pos: 1:1(of 1)"), std::string::npos) << large;
}

TEST_F(ScriptProgram, CodePage866ShowsCyrillicFrames) {
  ProgramResult r = Run("screen\n", {"--codepage", "866"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("╚"), std::string::npos) << r.out;
}

}  // namespace
