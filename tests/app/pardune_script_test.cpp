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

TEST_F(ScriptProgram, PrintsTheBoxAsTextAndAttributes) {
  ProgramResult r = Run("screen\nattributes\ncursor\n", {"--size", "70x12"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.err.empty()) << r.err;
  std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 12u + 12u + 1u) << r.out;
  std::string text = r.out.substr(0, r.out.find("\n0707"));
  EXPECT_NE(text.find("Press any key to leave."), std::string::npos) << text;
  EXPECT_NE(text.find("╔"), std::string::npos);
  EXPECT_NE(text.find("[ OK ]"), std::string::npos);
  for (size_t i = 12; i < 24; ++i) EXPECT_EQ(lines[i].size(), 140u) << lines[i];
  // Message boxes are grey (7x): the box's cells carry that colour.
  EXPECT_NE(lines[17].find("70"), std::string::npos) << lines[17];
  EXPECT_EQ(lines[24], "cursor hidden");
}

TEST_F(ScriptProgram, AKeyClosesTheBoxAndUnusedLinesAreNamed) {
  ProgramResult r = Run("key Ctrl+V\nscreen\necho never\n", {});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.out.empty()) << r.out;
  EXPECT_EQ(r.err, "pardune: " + dir_ + "/s.txt: the program ended before line 2\n");
}

TEST_F(ScriptProgram, ResizeRedrawsAndTooSmallSaysSo) {
  ProgramResult r = Run("resize 30 6\nscreen\nresize 90 14\nscreen\n", {"--size", "70x12"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 6u + 14u) << r.out;
  std::string small, large;
  for (size_t i = 0; i < lines.size(); ++i) (i < 6 ? small : large) += lines[i] + "\n";
  EXPECT_NE(small.find("too small"), std::string::npos) << small;
  EXPECT_EQ(small.find("Press any key"), std::string::npos) << small;
  EXPECT_NE(large.find("Press any key to leave."), std::string::npos) << large;
}

TEST_F(ScriptProgram, CodePage866ShowsCyrillicFrames) {
  ProgramResult r = Run("screen\n", {"--codepage", "866", "--size", "70x12"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("╚"), std::string::npos) << r.out;
}

}  // namespace
