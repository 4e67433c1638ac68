#include "app/module_links.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace app {
namespace {

constexpr const char *kModuleName = "Pardune.kmx";
constexpr const char *kLogName = "RegExp_bug.txt";
// The module keeps this many characters of its own path, no more.
constexpr size_t kLongestModulePath = 260;

std::string WithReason(const std::string &what) {
  return what + ": " + strerror(errno);
}

std::string DirectoryOf(const std::string &path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool OthersCanChange(const struct stat &st) {
  return (st.st_mode & (S_IWGRP | S_IWOTH)) && !(st.st_mode & S_ISVTX);
}

bool MakeFolders(const std::string &folder, std::string *error) {
  for (size_t at = 1; at <= folder.size(); ++at) {
    if (at < folder.size() && folder[at] != '/') continue;
    std::string part = folder.substr(0, at);
    if (mkdir(part.c_str(), 0700) == 0 || errno == EEXIST) continue;
    *error = WithReason("cannot make the per-user folder " + folder + " (" + part + ")");
    return false;
  }
  return true;
}

// Links on the way must be the user's or root's, the folders above must
// belong to them too, and nobody else may rename what lies in those folders
// (a sticky folder such as /tmp is safe).
bool CheckFoldersAbove(const std::string &folder, std::string *error) {
  const uid_t user = geteuid();
  struct stat st;
  for (size_t at = 1; at <= folder.size(); ++at) {
    if (at < folder.size() && folder[at] != '/') continue;
    std::string part = folder.substr(0, at);
    if (lstat(part.c_str(), &st) != 0) {
      *error = WithReason("cannot look at " + part);
      return false;
    }
    bool last = at == folder.size();
    if (S_ISLNK(st.st_mode) && st.st_uid != user && (last || st.st_uid != 0)) {
      *error = part + " is a link made by another user; pardune does not follow it";
      return false;
    }
  }
  char real[PATH_MAX];
  if (!realpath(folder.c_str(), real)) {
    *error = WithReason("cannot look at " + folder);
    return false;
  }
  for (std::string dir = DirectoryOf(real);; dir = DirectoryOf(dir)) {
    if (stat(dir.c_str(), &st) != 0) {
      *error = WithReason("cannot look at " + dir);
      return false;
    }
    if ((st.st_uid != user && st.st_uid != 0) || OthersCanChange(st)) {
      *error = "the folder " + dir + " above the per-user folder " + folder +
               " can be changed by other users; set XDG_STATE_HOME to a folder of your own";
      return false;
    }
    if (dir == "/") break;
  }
  return true;
}

bool ListModuleFiles(const std::string &dir, std::set<std::string> *names, std::string *error) {
  DIR *d = opendir(dir.c_str());
  if (!d) {
    *error = WithReason("cannot read the module's folder " + dir);
    return false;
  }
  while (dirent *entry = readdir(d)) {
    std::string name = entry->d_name;
    if (name[0] == '.' || name == kLogName) continue;
    struct stat st;
    if (stat((dir + "/" + name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) names->insert(name);
  }
  closedir(d);
  return true;
}

// `name` in the folder becomes a link to `target`, replaced in one step when
// it pointed elsewhere; anything but a link there is the user's and stays.
bool PlaceLink(int folderFd, const std::string &folder, const std::string &name,
               const std::string &target, std::string *error) {
  struct stat st;
  if (fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (!S_ISLNK(st.st_mode)) {
      *error = folder + "/" + name + " should be a link to " + target + "; move it away";
      return false;
    }
    char current[PATH_MAX];
    ssize_t n = readlinkat(folderFd, name.c_str(), current, sizeof current);
    if (n >= 0 && target.compare(0, std::string::npos, current, size_t(n)) == 0) return true;
  }
  std::string temp = "." + name + "." + std::to_string(getpid()) + ".new";
  unlinkat(folderFd, temp.c_str(), 0);
  if (symlinkat(target.c_str(), folderFd, temp.c_str()) != 0 ||
      renameat(folderFd, temp.c_str(), folderFd, name.c_str()) != 0) {
    *error = WithReason("cannot make the link " + folder + "/" + name);
    unlinkat(folderFd, temp.c_str(), 0);
    return false;
  }
  return true;
}

// Links to files no longer beside the module (an upgrade dropped them).
void RemoveStaleLinks(int folderFd, const std::set<std::string> &names) {
  int fd = dup(folderFd);
  if (fd < 0) return;
  DIR *d = fdopendir(fd);
  if (!d) {
    close(fd);
    return;
  }
  while (dirent *entry = readdir(d)) {
    std::string name = entry->d_name;
    if (name[0] == '.' || name == kLogName || names.count(name)) continue;
    struct stat st;
    if (fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
      unlinkat(folderFd, name.c_str(), 0);
  }
  closedir(d);
}

}  // namespace

bool UserModuleFolder(std::string *folder, std::string *error) {
  std::string base;
  const char *state = getenv("XDG_STATE_HOME");
  if (state && state[0] == '/') {
    base = state;
  } else {
    const char *home = getenv("HOME");
    if (home && home[0] == '/') {
      base = home;
    } else if (const passwd *pw = getpwuid(geteuid())) {
      if (pw->pw_dir && pw->pw_dir[0] == '/') base = pw->pw_dir;
    }
    if (base.empty()) {
      *error = "no place for the per-user folder: set XDG_STATE_HOME or HOME";
      return false;
    }
    base += "/.local/state";
  }
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  *folder = (base == "/" ? "" : base) + "/pardune";
  return true;
}

bool FolderIsTheUsersAlone(const std::string &dir) {
  const uid_t user = geteuid();
  struct stat st;
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != user ||
      (st.st_mode & (S_IWGRP | S_IWOTH)))
    return false;
  for (std::string up = dir; up != "/" && up != ".";) {
    up = DirectoryOf(up);
    if (stat(up.c_str(), &st) != 0 || (st.st_uid != user && st.st_uid != 0) || OthersCanChange(st))
      return false;
  }
  return true;
}

bool LoadsThroughLinks(const std::string &programDir, const std::string &modulePath) {
  std::string dir = DirectoryOf(modulePath);
  return dir != programDir || !FolderIsTheUsersAlone(dir) || access(dir.c_str(), W_OK) != 0;
}

bool CheckModuleFile(const std::string &modulePath, std::string *error) {
  struct stat st;
  if (stat(modulePath.c_str(), &st) != 0) {
    *error = WithReason("cannot look at the module " + modulePath);
    return false;
  }
  if (st.st_uid != geteuid() && st.st_uid != 0) {
    *error = "the module " + modulePath + " belongs to user " + std::to_string(st.st_uid) +
             ", neither to you nor to root; pardune does not load it";
    return false;
  }
  if (st.st_mode & S_IWOTH) {
    *error = "the module " + modulePath + " can be changed by every user; pardune does not load it";
    return false;
  }
  return true;
}

bool LinkModuleFolder(const std::string &modulePath, const std::string &folder,
                      std::string *linkedModule, std::string *error) {
  std::string linked = folder + "/" + kModuleName;
  if (linked.size() > kLongestModulePath) {
    *error = "the per-user folder " + folder + " is too deep: the module's path through it " +
             "must stay within " + std::to_string(kLongestModulePath) +
             " characters; set XDG_STATE_HOME to a shorter one";
    return false;
  }
  std::string moduleDir = DirectoryOf(modulePath);
  std::set<std::string> names;
  if (!ListModuleFiles(moduleDir, &names, error)) return false;
  if (!names.count(kModuleName)) {
    *error = "no " + std::string(kModuleName) + " in " + moduleDir;
    return false;
  }
  if (!MakeFolders(folder, error) || !CheckFoldersAbove(folder, error)) return false;

  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    *error = WithReason("cannot open the per-user folder " + folder);
    return false;
  }
  struct stat st;
  bool ok = fstat(fd, &st) == 0;
  if (!ok) {
    *error = WithReason("cannot look at " + folder);
  } else if (st.st_uid != geteuid() || (st.st_mode & (S_IWGRP | S_IWOTH))) {
    char mode[8];
    snprintf(mode, sizeof mode, "%03o", unsigned(st.st_mode & 0777));
    *error = "the per-user folder " + folder + " is not yours alone (owner " +
             std::to_string(st.st_uid) + ", mode " + mode + "); remove it or set XDG_STATE_HOME";
    ok = false;
  }
  for (auto name = names.begin(); ok && name != names.end(); ++name)
    ok = PlaceLink(fd, folder, *name, moduleDir + "/" + *name, error);
  if (ok) RemoveStaleLinks(fd, names);
  close(fd);
  if (ok) *linkedModule = linked;
  return ok;
}

bool ModuleLoadPath(const std::string &programDir, const std::string &modulePath,
                    std::string *loadPath, std::string *error) {
  if (!CheckModuleFile(modulePath, error)) return false;
  if (!LoadsThroughLinks(programDir, modulePath)) {
    *loadPath = modulePath;
    return true;
  }
  std::string folder;
  return UserModuleFolder(&folder, error) && LinkModuleFolder(modulePath, folder, loadPath, error);
}

}  // namespace app
