// An installed pardune (bin/pardune, lib/pardune/...) loads its module through
// the per-user folder: help and texts are found through the links, the hang
// log is written there, and the installed folder is never written.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "run_program.hpp"

namespace {

const std::string kBin = PARDUNE_BIN_DIR;
const char *const kModuleFiles[] = {"Pardune.kmx", "libwinport.so", "Pardune.lng", "Pardune.hlf"};

std::vector<std::string> Names(const std::string &dir) {
  std::vector<std::string> names;
  if (DIR *d = opendir(dir.c_str())) {
    while (dirent *e = readdir(d))
      if (e->d_name[0] != '.') names.push_back(e->d_name);
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

ProgramResult RunInstalled(const std::string &prefix, const std::string &state,
                           const std::string &script) {
  WriteFile(state + ".scn", script);
  return RunProgram("/bin/sh", {"-c", "XDG_STATE_HOME='" + state + "' XDG_RUNTIME_DIR='" + state +
                                          "' PARDUNE_REGISTRY='" + state + ".reg' exec '" + prefix +
                                          "/bin/pardune' --script '" + state + ".scn' '" + prefix +
                                          "/bin/text.txt'"});
}

TEST(PardunePackageLayout, UsesThePerUserFolder) {
  const std::string dir = MakeTempDir();
  const std::string prefix = dir + "/usr", lib = prefix + "/lib/pardune";
  for (const std::string &d : {prefix, prefix + "/bin", prefix + "/lib", lib})
    ASSERT_EQ(mkdir(d.c_str(), 0755), 0) << d;
  ASSERT_TRUE(CopyFile(kBin + "/pardune", prefix + "/bin/pardune"));
  for (const char *name : kModuleFiles) ASSERT_TRUE(CopyFile(kBin + "/" + name, lib + "/" + name));
  WriteFile(prefix + "/bin/text.txt", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab\n");
  const std::vector<std::string> installed = Names(lib);

  ProgramResult r = RunInstalled(prefix, dir + "/state",
                                 "key F1\nscreen\nkey Esc\nkey Alt+L\nkey Tab\ntype (a+)+$\n"
                                 "key Enter\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("The tester dialog"), std::string::npos) << r.out;  // help, through a link
  const std::string folder = dir + "/state/pardune";
  EXPECT_EQ(ReadFile(folder + "/RegExp_bug.txt").find("Parser hungs up at Parse expression"),
            size_t(81));
  EXPECT_EQ(Names(lib), installed);
  for (const char *name : kModuleFiles) {
    struct stat st;
    EXPECT_TRUE(lstat((folder + "/" + name).c_str(), &st) == 0 && S_ISLNK(st.st_mode)) << name;
  }

  // Moved to another prefix (as by an upgrade): the links follow.
  ASSERT_EQ(rename(prefix.c_str(), (dir + "/opt").c_str()), 0);
  r = RunInstalled(dir + "/opt", dir + "/state", "screen\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Regular expression tester"), std::string::npos) << r.out;
  RemoveTree(dir);
}

}  // namespace
