// Files that are not the user's are never touched, and what could not be
// written is said once on standard error after the run: settings files
// behind links, damaged, unwritable or left over by a killed save, and the
// hang log of a module in a folder that others may write in.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "run_program.hpp"

namespace {

const std::string kBin = PARDUNE_BIN_DIR;
const std::string kTail = ": it was left as it is, the defaults were used and nothing was saved\n";

class FilesNotOurs : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeTempDir();
    WriteFile(dir_ + "/s.txt", "key Alt+O\nkey Enter\n");  // the options saved
  }
  void TearDown() override { RemoveTree(dir_); }
  ProgramResult Run(const std::string &registry, const std::vector<std::string> &more = {}) {
    std::vector<std::string> args = {"XDG_RUNTIME_DIR=" + dir_, "PARDUNE_REGISTRY=" + registry};
    args.insert(args.end(), more.begin(), more.end());
    if (more.empty()) args.insert(args.end(), {kBin + "/pardune", "--script", dir_ + "/s.txt"});
    return RunProgram("/usr/bin/env", args);
  }
  std::vector<std::string> Entries(const std::string &dir) {
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(dir))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string dir_;
};

TEST_F(FilesNotOurs, ADamagedSettingsFileIsKeptAsideOnlyWhenItIsTheUsersOwn) {
  const std::string damaged = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Other]\n\n\nno value\n";
  WriteFile(dir_ + "/victim", damaged);
  ASSERT_EQ(symlink((dir_ + "/victim").c_str(), (dir_ + "/link.reg").c_str()), 0);
  ProgramResult r = Run(dir_ + "/link.reg");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "pardune: the settings file " + dir_ + "/link.reg cannot be read (line 6) " +
                       "and is a link" + kTail);
  EXPECT_EQ(ReadFile(dir_ + "/victim"), damaged);
  EXPECT_EQ(Entries(dir_), (std::vector<std::string>{"link.reg", "s.txt", "victim"}));

  // The user's own file: kept aside and written anew. A killed save's
  // temporary file and lock go; a file that only looks alike stays.
  ASSERT_EQ(unlink((dir_ + "/link.reg").c_str()), 0);
  WriteFile(dir_ + "/own.reg", damaged);
  WriteFile(dir_ + "/own.reg.saving-Ab3xY9", "REGEDIT4\n");
  WriteFile(dir_ + "/own.reg.saving-mine", "mine");
  WriteFile(dir_ + "/own.reg.lock", "");
  r = Run(dir_ + "/own.reg");
  EXPECT_EQ(r.status, 0);
  std::vector<std::string> names = Entries(dir_);
  ASSERT_EQ(names.size(), 5u) << r.err;
  const std::string kept = dir_ + "/" + names[1];
  EXPECT_EQ(names[1].rfind("own.reg.damaged-", 0), 0u) << names[1];
  EXPECT_EQ(names[2], "own.reg.saving-mine");
  EXPECT_EQ(ReadFile(kept), damaged);
  EXPECT_EQ(r.err, "pardune: the settings file " + dir_ +
                       "/own.reg could not be read (line 6): " + "it is kept as " + kept +
                       ", and " + dir_ + "/own.reg holds the settings anew\n");
  EXPECT_NE(ReadFile(dir_ + "/own.reg").find("Plugins\\Pardune]\n\"OnFly\"=dword:00000001"),
            std::string::npos);
}

TEST_F(FilesNotOurs, SettingsThatCannotBeSavedAreSaidOnce) {
  ASSERT_EQ(mkdir((dir_ + "/folder.reg").c_str(), 0700), 0);
  ProgramResult r = Run(dir_ + "/folder.reg");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "pardune: cannot save the settings to " + dir_ + "/folder.reg: it is a directory\n");

  WriteFile(dir_ + "/kept.reg", "REGEDIT4\n");
  ASSERT_EQ(chmod((dir_ + "/kept.reg").c_str(), 0444), 0);
  r = Run(dir_ + "/kept.reg");
  EXPECT_EQ(r.err,
            "pardune: cannot save the settings to " + dir_ + "/kept.reg: the file is read-only\n");
  EXPECT_EQ(ReadFile(dir_ + "/kept.reg"), "REGEDIT4\n");

  if (geteuid() != 0) GTEST_SKIP() << "a file of another user needs root to make";
  WriteFile(dir_ + "/theirs", "REGEDIT4\n");
  ASSERT_EQ(chown((dir_ + "/theirs").c_str(), 65534, 65534), 0);
  ASSERT_EQ(symlink((dir_ + "/theirs").c_str(), (dir_ + "/link.reg").c_str()), 0);
  r = Run(dir_ + "/link.reg");
  EXPECT_EQ(r.err, "pardune: cannot save the settings to " + dir_ + "/link.reg: it is a link to " +
                       dir_ + "/theirs, and it belongs to user 65534\n");
  EXPECT_EQ(ReadFile(dir_ + "/theirs"), "REGEDIT4\n");
}

// A module folder that others may write in: the log goes to the per-user
// folder, never through a link planted beside the module; a log that cannot
// be written there is named after the run.
TEST_F(FilesNotOurs, TheHangLogStaysInTheUsersOwnFolder) {
  const std::string prog = dir_ + "/prog", state = dir_ + "/state";
  ASSERT_EQ(mkdir(prog.c_str(), 0777), 0);
  ASSERT_EQ(chmod(prog.c_str(), 0777), 0);
  for (const char *file : {"pardune", "libwinport.so", "Pardune.kmx", "Pardune.lng", "Pardune.hlf"})
    ASSERT_TRUE(CopyFile(kBin + "/" + file, prog + "/" + file)) << file;
  ASSERT_TRUE(CopyFile(std::string(SCENARIO_DIR) + "/files/runaway.txt", dir_ + "/runaway.txt"));
  WriteFile(dir_ + "/victim", "secret\n");
  ASSERT_EQ(symlink((dir_ + "/victim").c_str(), (prog + "/RegExp_bug.txt").c_str()), 0);
  ASSERT_EQ(mkdir(state.c_str(), 0700), 0);
  ASSERT_EQ(mkdir((state + "/pardune").c_str(), 0700), 0);
  ASSERT_EQ(mkdir((state + "/pardune/RegExp_bug.txt").c_str(), 0700), 0);
  WriteFile(dir_ + "/s.txt", "key Alt+L\nkey Tab\ntype (a+)+$\nkey Enter\n");
  ProgramResult r = Run(dir_ + "/r.reg", {"XDG_STATE_HOME=" + state, prog + "/pardune", "--script",
                                          dir_ + "/s.txt", dir_ + "/runaway.txt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(dir_ + "/victim"), "secret\n");
  EXPECT_EQ(r.err, "pardune: cannot write the hang report to " + state +
                       "/pardune/RegExp_bug.txt: Is a directory\n");
}

}  // namespace
