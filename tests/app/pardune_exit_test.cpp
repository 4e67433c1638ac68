// Bad input never reaches the terminal: one line on stderr and status 2.
#include <gtest/gtest.h>
#include <unistd.h>

#include <dirent.h>
#include <algorithm>
#include <filesystem>

#include "run_program.hpp"

namespace {

const std::string kBin = PARDUNE_BIN_DIR;
const std::string kPardune = kBin + "/pardune";

void ExpectBadInput(const ProgramResult &r, const std::string &part) {
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_TRUE(r.out.empty()) << r.out;  // nothing for the terminal
  ASSERT_FALSE(r.err.empty());
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_EQ(r.err.back(), '\n');
  EXPECT_EQ(r.err.rfind("pardune: ", 0), 0u) << r.err;
  EXPECT_NE(r.err.find(part), std::string::npos) << r.err;
}

struct BadCase {
  std::vector<std::string> args;
  const char *errorPart;
};

class BadCommandLine : public testing::TestWithParam<BadCase> {};

TEST_P(BadCommandLine, ExitsWithOneLine) {
  ExpectBadInput(RunProgram(kPardune, GetParam().args), GetParam().errorPart);
}

const BadCase kBad[] = {
    {{"--bogus"}, "unknown option '--bogus'"},
    {{"--codepage", "850"}, "--codepage must be 437 or 866"},
    {{"--size", "80x25"}, "--size works only with --script"},
    {{"/"}, "is a directory"},
    {{"/tmp"}, "is a directory"},
    {{"/nonexistent/file.txt"}, "cannot open '/nonexistent/file.txt'"},
    {{"/dev/null"}, "not a regular file"},
    {{"--script", "/nonexistent.script"}, "cannot open"},
    {{"--script", "/tmp"}, "is a directory"},
    {{"--lang", "xx"}, "no language file for 'xx'"},
    {{"--cursor", "0,1", kPardune}, "--cursor must be LINE,COL"},
    {{"--block", "diagonal,1,1,2,2", kPardune}, "--block must be"},
    {{"--cursor", "1,1"}, "--cursor needs a FILE"},
};

INSTANTIATE_TEST_SUITE_P(Pardune, BadCommandLine, testing::ValuesIn(kBad));

TEST(PardunePrograms, ScriptErrorsNameTheLine) {
  std::string dir = MakeTempDir();
  WriteFile(dir + "/s.txt", "key Enter\nkey Ctlr+V\n");
  ExpectBadInput(RunProgram(kPardune, {"--script", dir + "/s.txt"}),
                 "s.txt: line 2: unknown key name 'Ctlr+V'");
  RemoveTree(dir);
}

TEST(PardunePrograms, CursorPastTheFileEnd) {
  std::string dir = MakeTempDir();
  WriteFile(dir + "/t.txt", "one\ntwo\n");
  ExpectBadInput(RunProgram(kPardune, {"--cursor", "9,1", dir + "/t.txt"}), "t.txt");
  RemoveTree(dir);
}

TEST(PardunePrograms, NoTerminalWithoutScript) {
  ExpectBadInput(RunProgram(kPardune, {}), "must be a terminal");
}

TEST(PardunePrograms, HelpAndVersion) {
  ProgramResult help = RunProgram(kPardune, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--script SCRIPT"), std::string::npos);
  EXPECT_TRUE(help.err.empty());
  ProgramResult version = RunProgram(kPardune, {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("pardune ", 0), 0u);
}

// A copy of the program with its libraries but a chosen module (or none).
class ModuleCopy : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeTempDir();
    ASSERT_FALSE(dir_.empty());
    ASSERT_TRUE(CopyFile(kPardune, dir_ + "/pardune"));
    DIR *d = opendir(kBin.c_str());
    ASSERT_NE(d, nullptr);
    while (dirent *e = readdir(d)) {
      std::string name = e->d_name;
      if (name.size() > 3 && name.rfind("lib", 0) == 0 && name.find(".so") != std::string::npos) {
        ASSERT_TRUE(CopyFile(kBin + "/" + name, dir_ + "/" + name));
      }
    }
    closedir(d);
  }
  void TearDown() override { RemoveTree(dir_); }
  std::string dir_;
};

TEST_F(ModuleCopy, MissingModule) {
  ExpectBadInput(RunProgram(dir_ + "/pardune", {}), "cannot find the module Pardune.kmx");
}

TEST_F(ModuleCopy, ModuleThatIsNotALibrary) {
  WriteFile(dir_ + "/Pardune.kmx", "this is not a shared object\n");
  ExpectBadInput(RunProgram(dir_ + "/pardune", {}), "cannot load the module");
}

TEST_F(ModuleCopy, LibraryWithoutTheExports) {
  ASSERT_TRUE(CopyFile(kBin + "/libwinport.so", dir_ + "/Pardune.kmx"));
  ExpectBadInput(RunProgram(dir_ + "/pardune", {}),
                 "is not a Pardune module (missing export Start GetInfo Run Exit)");
}

TEST_F(ModuleCopy, ModuleThatOthersCouldHaveWritten) {
  ASSERT_TRUE(CopyFile(kBin + "/Pardune.kmx", dir_ + "/Pardune.kmx"));
  ASSERT_EQ(chmod((dir_ + "/Pardune.kmx").c_str(), 0757), 0);
  ExpectBadInput(RunProgram(dir_ + "/pardune", {}), "can be changed by every user");
  if (geteuid() != 0) GTEST_SKIP() << "a file of another user needs root to make";
  ASSERT_EQ(chmod((dir_ + "/Pardune.kmx").c_str(), 0755), 0);
  ASSERT_EQ(chown((dir_ + "/Pardune.kmx").c_str(), 65534, 65534), 0);
  ExpectBadInput(RunProgram(dir_ + "/pardune", {}),
                 "belongs to user 65534, neither to you nor to root; pardune does not load it");
}

TEST_F(ModuleCopy, ModuleFromTheInstallFolder) {
  // bin/pardune finds ../lib/pardune/Pardune.kmx; a broken one there is named.
  ASSERT_EQ(mkdir((dir_ + "/bin").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((dir_ + "/lib").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((dir_ + "/lib/pardune").c_str(), 0755), 0);
  ASSERT_EQ(rename((dir_ + "/pardune").c_str(), (dir_ + "/bin/pardune").c_str()), 0);
  ASSERT_TRUE(CopyFile(dir_ + "/libwinport.so", dir_ + "/bin/libwinport.so"));
  WriteFile(dir_ + "/lib/pardune/Pardune.kmx", "junk");
  ExpectBadInput(RunProgram("/bin/sh", {"-c", "XDG_STATE_HOME='" + dir_ + "/state' exec '" + dir_ +
                                                  "/bin/pardune'"}),
                 "/lib/pardune/Pardune.kmx");
}

}  // namespace

namespace {

#ifndef __SANITIZE_ADDRESS__  // the sanitizer reserves more than the limit
// Under `ulimit -v 250000`: a terminal paste of 10 MB brings what the editors
// can hold and the tester goes on; running out of memory in a dialog (F1
// with a help file larger than the limit) is said, with a status of its own.
TEST_F(ModuleCopy, APasteStaysSmallAndOutOfMemoryIsSaid) {
  for (const char *file : {"Pardune.kmx", "Pardune.lng", "Pardune.hlf"})
    ASSERT_TRUE(CopyFile(kBin + "/" + file, dir_ + "/" + file));
  std::string lines;
  while (lines.size() < (10u << 20)) lines += "The quick brown fox jumps over the lazy dog\\n";
  WriteFile(dir_ + "/paste.txt", "paste " + lines + "\nscreen\n");
  WriteFile(dir_ + "/help.txt", "key F1\nscreen\n");
  auto run = [&](const std::string &script) {
    return RunProgram("/bin/sh", {"-c", "ulimit -v 250000 && cd '" + dir_ +
                                            "' && XDG_RUNTIME_DIR=. PARDUNE_REGISTRY=r.reg "
                                            "PARDUNE_CLIPBOARD=clip ./pardune --script " +
                                            script});
  };
  ProgramResult pasted = run("paste.txt");
  EXPECT_EQ(pasted.status, 0) << pasted.err;
  EXPECT_NE(pasted.out.find("(of 99)"), std::string::npos) << pasted.out;
  EXPECT_LT(ReadFile(dir_ + "/clip").size(), 1u << 20);

  std::filesystem::resize_file(dir_ + "/Pardune.hlf", 300u << 20);  // sparse
  ProgramResult help = run("help.txt");
  EXPECT_EQ(help.status, 3);
  EXPECT_EQ(help.err.rfind("pardune: out of memory\n", 0), 0u) << help.err;
}
#endif

TEST_F(ModuleCopy, LanguageFileFaultsAreNamedAndTheRestIsUsed) {
  ASSERT_TRUE(CopyFile(kBin + "/Pardune.kmx", dir_ + "/Pardune.kmx"));
  WriteFile(dir_ + "/Pardune.lng", ReadFile(kBin + "/Pardune.lng") + "no equals sign here\n");
  WriteFile(dir_ + "/s.txt", "screen\n");
  ProgramResult r = RunProgram(dir_ + "/pardune", {"--script", dir_ + "/s.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.rfind("pardune: warning: " + dir_ + "/Pardune.lng:", 0), 0u) << r.err;
  EXPECT_NE(r.out.find("Pos: 1:1"), std::string::npos) << r.out;
}

}  // namespace
