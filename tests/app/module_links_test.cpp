// The per-user folder of links to an installed module: made, refreshed after
// an upgrade, and refused where someone else could change it.
#include "app/module_links.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>

namespace {

std::string LinkTarget(const std::string &path) {
  char target[PATH_MAX];
  ssize_t n = readlink(path.c_str(), target, sizeof target);
  return n < 0 ? "" : std::string(target, size_t(n));
}

void Touch(const std::string &path, const char *text = "x") {
  std::ofstream(path) << text;
}

class ModuleLinks : public testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/pardune-links-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    root_ = dir;
    lib_ = root_ + "/lib";
    folder_ = root_ + "/state/pardune";
    ASSERT_EQ(mkdir(lib_.c_str(), 0755), 0);
    for (const char *name : {"Pardune.kmx", "libwinport.so", "Pardune.lng", "Pardune.hlf"})
      Touch(lib_ + "/" + name);
  }
  void TearDown() override {
    if (system(("chmod -R u+rwx '" + root_ + "' && rm -rf '" + root_ + "'").c_str()) != 0) return;
  }
  bool Link(std::string *error) {
    std::string linked;
    bool ok = app::LinkModuleFolder(lib_ + "/Pardune.kmx", folder_, &linked, error);
    if (ok) {
      EXPECT_EQ(linked, folder_ + "/Pardune.kmx");
    }
    return ok;
  }
  std::string root_, lib_, folder_;
};

TEST_F(ModuleLinks, MadeThenRefreshedAfterAnUpgrade) {
  Touch(lib_ + "/RegExp_bug.txt");  // someone's log in the installed folder is not linked
  Touch(lib_ + "/.hidden");
  std::string error;
  ASSERT_TRUE(Link(&error)) << error;
  struct stat st;
  ASSERT_EQ(stat(folder_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  for (const char *name : {"Pardune.kmx", "libwinport.so", "Pardune.lng", "Pardune.hlf"})
    EXPECT_EQ(LinkTarget(folder_ + "/" + name), lib_ + "/" + name) << name;
  EXPECT_EQ(access((folder_ + "/RegExp_bug.txt").c_str(), F_OK), -1);
  EXPECT_EQ(access((folder_ + "/.hidden").c_str(), F_OK), -1);

  // The user's log stays; a link to an old install is pointed here again; a
  // language that is gone loses its link; a new one gets one.
  Touch(folder_ + "/RegExp_bug.txt", "old entries");
  ASSERT_EQ(unlink((folder_ + "/Pardune.hlf").c_str()), 0);
  ASSERT_EQ(symlink("/old/install/Pardune.hlf", (folder_ + "/Pardune.hlf").c_str()), 0);
  ASSERT_EQ(symlink("/old/install/Pardune.xx.lng", (folder_ + "/Pardune.xx.lng").c_str()), 0);
  Touch(lib_ + "/Pardune.de.lng");
  ASSERT_TRUE(Link(&error)) << error;
  EXPECT_EQ(LinkTarget(folder_ + "/Pardune.hlf"), lib_ + "/Pardune.hlf");
  EXPECT_EQ(LinkTarget(folder_ + "/Pardune.de.lng"), lib_ + "/Pardune.de.lng");
  EXPECT_EQ(access((folder_ + "/Pardune.xx.lng").c_str(), F_OK), -1);
  std::ifstream log(folder_ + "/RegExp_bug.txt");
  std::string kept;
  std::getline(log, kept);
  EXPECT_EQ(kept, "old entries");
}

TEST_F(ModuleLinks, RefusesWhatIsNotTheUsersAlone) {
  std::string error;
  ASSERT_EQ(mkdir((root_ + "/state").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(folder_.c_str(), 0777), 0);
  ASSERT_EQ(chmod(folder_.c_str(), 0777), 0);
  EXPECT_FALSE(Link(&error));
  EXPECT_NE(error.find("is not yours alone (owner " + std::to_string(geteuid()) + ", mode 777)"),
            std::string::npos)
      << error;

  // A folder above that others may change.
  ASSERT_EQ(chmod(folder_.c_str(), 0700), 0);
  ASSERT_EQ(chmod((root_ + "/state").c_str(), 0777), 0);
  EXPECT_FALSE(Link(&error));
  EXPECT_NE(error.find("the folder " + root_ + "/state above the per-user folder"),
            std::string::npos)
      << error;
  ASSERT_EQ(chmod((root_ + "/state").c_str(), 01777), 0);  // sticky, as /tmp: safe
  EXPECT_TRUE(Link(&error)) << error;

  // Anything but a link where a link belongs is left alone and named.
  ASSERT_EQ(unlink((folder_ + "/Pardune.lng").c_str()), 0);
  Touch(folder_ + "/Pardune.lng", "my own texts");
  EXPECT_FALSE(Link(&error));
  EXPECT_EQ(error,
            folder_ + "/Pardune.lng should be a link to " + lib_ + "/Pardune.lng; move it away");

  // A folder that cannot be made.
  folder_ = lib_ + "/Pardune.hlf/pardune";
  EXPECT_FALSE(Link(&error));
  EXPECT_NE(error.find("cannot make the per-user folder " + folder_ + " (" + lib_ +
                       "/Pardune.hlf/pardune): Not a directory"),
            std::string::npos)
      << error;

  // A module path the module could not hold whole.
  folder_ = root_ + "/" + std::string(260, 'd');
  EXPECT_FALSE(Link(&error));
  EXPECT_NE(error.find("is too deep"), std::string::npos) << error;
  EXPECT_EQ(access(folder_.c_str(), F_OK), -1);
}

TEST_F(ModuleLinks, FollowsOnlyTheUsersOwnLinks) {
  std::string error;
  ASSERT_EQ(mkdir((root_ + "/real").c_str(), 0700), 0);
  ASSERT_EQ(mkdir((root_ + "/state").c_str(), 0700), 0);
  ASSERT_EQ(symlink((root_ + "/real").c_str(), folder_.c_str()), 0);
  ASSERT_TRUE(Link(&error)) << error;  // the user's own link is followed
  EXPECT_EQ(LinkTarget(root_ + "/real/Pardune.kmx"), lib_ + "/Pardune.kmx");
  if (geteuid() != 0) GTEST_SKIP() << "a link of another user needs root to make";
  ASSERT_EQ(lchown(folder_.c_str(), 65534, 65534), 0);
  EXPECT_FALSE(Link(&error));
  EXPECT_EQ(error, folder_ + " is a link made by another user; pardune does not follow it");
}

TEST(ModuleLinksPlace, StateHomeThenHome) {
  std::string folder, error;
  const char *state = getenv("XDG_STATE_HOME");
  const char *home = getenv("HOME");
  std::string keptState = state ? state : "", keptHome = home ? home : "";
  setenv("XDG_STATE_HOME", "/x/state/", 1);
  ASSERT_TRUE(app::UserModuleFolder(&folder, &error));
  EXPECT_EQ(folder, "/x/state/pardune");
  setenv("XDG_STATE_HOME", "relative", 1);  // only an absolute one counts
  setenv("HOME", "/home/u", 1);
  ASSERT_TRUE(app::UserModuleFolder(&folder, &error));
  EXPECT_EQ(folder, "/home/u/.local/state/pardune");
  state ? setenv("XDG_STATE_HOME", keptState.c_str(), 1) : unsetenv("XDG_STATE_HOME");
  home ? setenv("HOME", keptHome.c_str(), 1) : unsetenv("HOME");

  // Beside the program in a folder of the user's alone: loaded where it lies;
  // anywhere else, or where others may write (/tmp, a group's folder): links.
  char own[] = "/tmp/pardune-own-XXXXXX";
  ASSERT_NE(mkdtemp(own), nullptr);
  const std::string ownDir = own;
  EXPECT_FALSE(app::LoadsThroughLinks(ownDir, ownDir + "/Pardune.kmx"));
  EXPECT_TRUE(app::LoadsThroughLinks("/tmp", "/tmp/Pardune.kmx"));
  ASSERT_EQ(chmod(own, 0770), 0);
  EXPECT_TRUE(app::LoadsThroughLinks(ownDir, ownDir + "/Pardune.kmx"));
  ASSERT_EQ(rmdir(own), 0);
  EXPECT_TRUE(app::LoadsThroughLinks("/tmp/bin", "/tmp/lib/pardune/Pardune.kmx"));
  if (geteuid() != 0) {
    EXPECT_TRUE(app::LoadsThroughLinks("/proc", "/proc/Pardune.kmx"));
  }
}

}  // namespace
