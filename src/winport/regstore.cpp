#include "regstore.hpp"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <vector>

#include "winport/notices.h"

namespace winport {

namespace {

struct FileIdentity {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = -1;
  timespec mtime = {};
  // Changed by chmod and chown too: a file that may no longer be read.
  timespec ctime = {};
  bool operator==(const FileIdentity &o) const {
    return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
           mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec &&
           ctime.tv_nsec == o.ctime.tv_nsec;
  }
};

FileIdentity IdentityOf(const struct stat &st) {
  FileIdentity id;
  id.dev = st.st_dev;
  id.ino = st.st_ino;
  id.size = st.st_size;
  id.mtime = st.st_mtim;
  id.ctime = st.st_ctim;
  return id;
}

// A larger file is not read: read, it takes up to a dozen times its size
// (22 values take less than a kilobyte).
constexpr off_t kLargestFile = off_t(16) << 20;
constexpr int kLockWaitMs = 10000;
// A save writes registry.reg.saving-XXXXXX, then renames it.
constexpr char kTempMark[] = ".saving-";
constexpr size_t kTempRandom = 6;

std::string ErrorText(int error) {
  char buffer[256];
  return strerror_r(error, buffer, sizeof buffer);
}

void Notice(const std::string &text) {
  WinportAddNotice(text.c_str());
}

std::string LineOf(const RegDocument &doc) {
  return "line " + std::to_string(doc.firstBadLine);
}

// What the file as read gives the program: its keys and values, or nothing
// when it is damaged and cannot be kept aside, or too large to read.
struct Snapshot {
  std::shared_ptr<const RegDocument> doc;
  bool leftAlone = false;
};

std::mutex cacheLock;
bool cacheValid = false;
std::string cachePath;
FileIdentity cacheIdentity;
Snapshot cacheSnapshot;
std::vector<std::string> tidied;  // settings files whose folders were tidied

enum class ReadResult { Ok, Missing, Failed };

ReadResult ReadWhole(int fd, std::string &text, off_t size) {
  text.clear();
  text.reserve(size_t(size) + 1);
  char buf[65536];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ReadResult::Failed;
    if (n == 0) return ReadResult::Ok;
    text.append(buf, size_t(n));
  }
}

std::string Owner(const struct stat &st) {
  return "it belongs to user " + std::to_string(st.st_uid);
}

// The file to change, read without following a link: it must be missing, or
// a regular file of the user's own that is not too large.
ReadResult ReadOwnFile(const std::string &path, std::string &text, struct stat &st,
                       std::string *why) {
  int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return ReadResult::Missing;
    *why = errno == ELOOP ? "it is a link" : ErrorText(errno);
    return ReadResult::Failed;
  }
  ReadResult result = ReadResult::Failed;
  if (fstat(fd, &st) != 0)
    *why = ErrorText(errno);
  else if (!S_ISREG(st.st_mode))
    *why = S_ISDIR(st.st_mode) ? "it is a directory" : "it is not a regular file";
  else if (st.st_uid != geteuid())
    *why = Owner(st);
  else if (st.st_size > kLargestFile)
    *why = "it is larger than " + std::to_string(kLargestFile >> 20) + " MB";
  else if ((result = ReadWhole(fd, text, st.st_size)) == ReadResult::Failed)
    *why = ErrorText(errno);
  close(fd);
  return result;
}

bool WriteAll(int fd, const std::string &text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = ENOSPC;
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

std::string DirectoryOf(const std::string &path) {
  size_t cut = path.rfind('/');
  if (cut == std::string::npos) return ".";
  return cut == 0 ? "/" : path.substr(0, cut);
}

std::string NameOf(const std::string &path) {
  size_t cut = path.rfind('/');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool MakeDirectories(const std::string &dir, std::string *why) {
  struct stat st;
  if (stat(dir.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return true;
    *why = dir + " is not a folder";
    return false;
  }
  for (size_t at = 1; at <= dir.size(); ++at) {
    if (at < dir.size() && dir[at] != '/') continue;
    std::string part = dir.substr(0, at);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      *why = "cannot make the folder " + part + ": " + ErrorText(errno);
      return false;
    }
  }
  if (stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  *why = "cannot make the folder " + dir;
  return false;
}

// Where a change of the settings file at `path` is written: the file itself
// (missing, or a regular file of the user's own), or the file that links of
// the user's own lead to when that is a regular file of the user's own.
bool SavePlace(const std::string &path, std::string *target, bool *viaLink, std::string *why) {
  const uid_t user = geteuid();
  std::string at = path;
  *viaLink = false;
  for (int hop = 0; hop < 40; ++hop) {
    struct stat st;
    if (lstat(at.c_str(), &st) != 0) {
      if (errno == ENOENT && !*viaLink) {
        *target = at;
        return true;
      }
      *why = *viaLink ? "it is a link to " + at + ": " + ErrorText(errno) : ErrorText(errno);
      return false;
    }
    if (S_ISLNK(st.st_mode)) {
      if (st.st_uid != user) {
        *why =
            "it is a link of another user's (" + at + ", user " + std::to_string(st.st_uid) + ")";
        return false;
      }
      char dest[PATH_MAX];
      ssize_t n = readlink(at.c_str(), dest, sizeof dest - 1);
      if (n <= 0) {
        *why = ErrorText(errno);
        return false;
      }
      std::string next(dest, size_t(n));
      at = next[0] == '/' ? next : DirectoryOf(at) + "/" + next;
      *viaLink = true;
      continue;
    }
    if (!S_ISREG(st.st_mode)) {
      *why = S_ISDIR(st.st_mode) ? "it is a directory" : "it is not a regular file";
      return false;
    }
    if (st.st_uid != user) {
      *why = *viaLink ? "it is a link to " + at + ", and " + Owner(st) : Owner(st);
      return false;
    }
    *target = at;
    return true;
  }
  *why = "too many links";
  return false;
}

// A damaged file may be kept aside and rewritten only when it is a regular
// file of the user's own, not a link.
bool Rewritable(const std::string &path, std::string *why) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return true;
  if (S_ISLNK(st.st_mode)) {
    *why = "a link";
  } else if (st.st_uid != geteuid()) {
    *why = "not yours (user " + std::to_string(st.st_uid) + "'s)";
  } else {
    return true;
  }
  return false;
}

bool CopyFile(const std::string &from, const std::string &to) {
  std::string text, why;
  struct stat st;
  if (ReadOwnFile(from, text, st, &why) != ReadResult::Ok) return false;
  int fd = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, text) && fsync(fd) == 0;
  close(fd);
  if (!ok) unlink(to.c_str());
  return ok;
}

// Keeps the file as it is under a name of its own: registry.reg.damaged-<time>.
bool KeepAside(const std::string &path, std::string *kept) {
  char stamp[32];
  time_t now = time(nullptr);
  struct tm tm;
  localtime_r(&now, &tm);
  strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
  for (int n = 0; n < 1000; ++n) {
    std::string name = path + ".damaged-" + stamp;
    if (n > 0) name += "-" + std::to_string(n);
    *kept = name;
    if (link(path.c_str(), name.c_str()) == 0) return true;
    if (errno == EEXIST) continue;
    if (CopyFile(path, name)) return true;
    if (errno != EEXIST) return false;
  }
  return false;
}

bool ReplaceFile(const std::string &path, const std::string &text, mode_t mode, std::string *why) {
  std::string temp = path + kTempMark + std::string(kTempRandom, 'X');
  int fd = mkstemp(&temp[0]);
  if (fd < 0) {
    *why = ErrorText(errno);
    return false;
  }
  bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
  int error = errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    unlink(temp.c_str());
    *why = ErrorText(error);
    return false;
  }
  int dir = open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

// The lock beside the file, registry.reg.lock, removed when it is let go.
// The one who takes it after checks that the name still holds the file it
// locked, so removing it never lets two programs in at once.
class FileLock {
 public:
  FileLock(const std::string &file, int waitMs) : path_(file + ".lock") {
    for (;;) {
      fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
      if (fd_ < 0) {
        why_ = "cannot make the lock file " + path_ + ": " + ErrorText(errno);
        return;
      }
      if (!Wait(waitMs)) {
        close(fd_);
        fd_ = -1;
        return;
      }
      struct stat held, named;
      if (fstat(fd_, &held) == 0 && lstat(path_.c_str(), &named) == 0 &&
          held.st_dev == named.st_dev && held.st_ino == named.st_ino)
        return;
      close(fd_);
    }
  }
  ~FileLock() {
    if (fd_ < 0) return;
    unlink(path_.c_str());
    close(fd_);
  }
  FileLock(const FileLock &) = delete;
  FileLock &operator=(const FileLock &) = delete;
  bool held() const { return fd_ >= 0; }
  const std::string &why() const { return why_; }

 private:
  bool Wait(int waitMs) {
    for (int waited = 0;;) {
      if (flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
      if (errno == EINTR) continue;
      if (errno != EWOULDBLOCK) {
        why_ = "cannot lock " + path_ + ": " + ErrorText(errno);
        return false;
      }
      if (waited >= waitMs) {
        why_ = "another program holds the lock " + path_;
        return false;
      }
      usleep(2000);
      waited += 2;
    }
  }

  std::string path_;
  std::string why_;
  int fd_ = -1;
};

bool IsTempName(const std::string &name, const std::string &base) {
  const std::string prefix = base + kTempMark;
  if (name.size() != prefix.size() + kTempRandom || name.compare(0, prefix.size(), prefix) != 0)
    return false;
  for (size_t i = prefix.size(); i < name.size(); ++i)
    if (!isalnum(static_cast<unsigned char>(name[i]))) return false;
  return true;
}

// Temporary files of saves that never ended (the program was killed): under
// the lock no save runs, so every one of them is stale.
void RemoveStaleTemps(const std::string &target) {
  const std::string dirPath = DirectoryOf(target), base = NameOf(target);
  DIR *dir = opendir(dirPath.c_str());
  if (!dir) return;
  const int fd = dirfd(dir);
  while (dirent *entry = readdir(dir)) {
    struct stat st;
    if (IsTempName(entry->d_name, base) &&
        fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        st.st_uid == geteuid())
      unlinkat(fd, entry->d_name, 0);
  }
  closedir(dir);
}

// Once per file and program: what a killed save left behind goes at the start.
void TidyOnce(const std::string &path) {
  {
    std::lock_guard<std::mutex> guard(cacheLock);
    for (const std::string &done : tidied)
      if (done == path) return;
    tidied.push_back(path);
  }
  std::string target, why;
  bool viaLink = false;
  if (!SavePlace(path, &target, &viaLink, &why)) return;
  FileLock lock(target, 0);
  if (lock.held()) RemoveStaleTemps(target);
}

Snapshot ReadSnapshot(const std::string &path) {
  static const Snapshot empty{std::make_shared<const RegDocument>(), false};
  if (path.empty()) return empty;
  TidyOnce(path);
  // The settings are read at every query: a file unchanged since it was
  // read costs one look at its attributes.
  struct stat seen;
  if (stat(path.c_str(), &seen) == 0 && S_ISREG(seen.st_mode)) {
    std::lock_guard<std::mutex> guard(cacheLock);
    if (cacheValid && cachePath == path && cacheIdentity == IdentityOf(seen)) return cacheSnapshot;
  }
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return empty;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return empty;
  }
  FileIdentity id = IdentityOf(st);
  {
    std::lock_guard<std::mutex> guard(cacheLock);
    if (cacheValid && cachePath == path && cacheIdentity == id) {
      close(fd);
      return cacheSnapshot;
    }
  }
  Snapshot snapshot = empty;
  std::string text;
  if (st.st_size > kLargestFile) {
    Notice("the settings file " + path + " is larger than " + std::to_string(kLargestFile >> 20) +
           " MB: it was left as it is, the defaults were used and nothing was saved");
    snapshot.leftAlone = true;
  } else if (ReadWhole(fd, text, st.st_size) == ReadResult::Ok) {
    auto doc = std::make_shared<const RegDocument>(ParseRegistry(text));
    std::string why;
    if (doc->Damaged() && !Rewritable(path, &why)) {
      Notice("the settings file " + path + " cannot be read (" + LineOf(*doc) + ") and is " + why +
             ": it was left as it is, the defaults were used and nothing was saved");
      snapshot.leftAlone = true;
    } else {
      snapshot.doc = doc;
    }
  }
  close(fd);
  std::lock_guard<std::mutex> guard(cacheLock);
  cacheValid = true;
  cachePath = path;
  cacheIdentity = id;
  cacheSnapshot = snapshot;
  return snapshot;
}

// A change that cannot be saved is said once; a file left alone has said why.
LONG Refuse(const std::string &path, const std::string &why) {
  if (!ReadSnapshot(path).leftAlone) Notice("cannot save the settings to " + path + ": " + why);
  return ERROR_ACCESS_DENIED;
}

// Into a string of the caller's: a query reuses the room of the one before.
void FindRegistryPath(std::string &path) {
  const char *own = getenv("PARDUNE_REGISTRY");
  if (own && *own) {
    path = own;
    return;
  }
  path.clear();
  std::string base;
  const char *xdg = getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') {
    base = xdg;
  } else {
    const char *home = getenv("HOME");
    if (home && *home) {
      base = std::string(home) + "/.config";
    } else {
      struct passwd pw, *found = nullptr;
      char buf[4096];
      if (getpwuid_r(getuid(), &pw, buf, sizeof buf, &found) == 0 && found && found->pw_dir)
        base = std::string(found->pw_dir) + "/.config";
    }
  }
  if (!base.empty()) path = base + "/pardune/registry.reg";
}

}  // namespace

std::string RegistryPath() {
  std::string path;
  FindRegistryPath(path);
  return path;
}

std::shared_ptr<const RegDocument> CurrentRegistry() {
  thread_local std::string path;
  FindRegistryPath(path);
  return ReadSnapshot(path).doc;
}

LONG ChangeRegistry(const std::function<LONG(RegDocument &doc, bool &changed)> &change) {
  std::string path = RegistryPath();
  if (path.empty()) {
    Notice("cannot save the settings: no place for them (set HOME or PARDUNE_REGISTRY)");
    return ERROR_ACCESS_DENIED;
  }
  std::string target, why;
  bool viaLink = false;
  if (!SavePlace(path, &target, &viaLink, &why) || !MakeDirectories(DirectoryOf(target), &why))
    return Refuse(path, why);
  FileLock lock(target, kLockWaitMs);
  if (!lock.held()) return Refuse(path, lock.why());
  RemoveStaleTemps(target);

  std::string text;
  struct stat st;
  ReadResult read = ReadOwnFile(target, text, st, &why);
  if (read == ReadResult::Failed) return Refuse(path, why);
  // A file its owner made read-only stays as it is.
  if (read == ReadResult::Ok && !(st.st_mode & 0222)) return Refuse(path, "the file is read-only");
  RegDocument doc = ParseRegistry(text);
  // A damaged file is never replaced through a link.
  if (doc.Damaged() && viaLink) return Refuse(path, "it cannot be read and is a link");
  bool changed = false;
  LONG result = change(doc, changed);
  if (result != ERROR_SUCCESS || !changed) return result;

  if (read == ReadResult::Ok && doc.Damaged()) {
    std::string kept;
    if (!KeepAside(target, &kept))
      return Refuse(path, "it cannot be read (" + LineOf(doc) + ") and cannot be kept aside as " +
                              kept + ": " + ErrorText(errno));
    Notice("the settings file " + path + " could not be read (" + LineOf(doc) +
           "): it is kept as " + kept + ", and " + path + " holds the settings anew");
  }
  mode_t mode = read == ReadResult::Ok ? (st.st_mode & 07777) : 0600;
  if (!ReplaceFile(target, FormatRegistry(doc), mode, &why)) return Refuse(path, why);
  return ERROR_SUCCESS;
}

}  // namespace winport
