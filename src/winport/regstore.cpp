#include "regstore.hpp"

#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

namespace winport {

namespace {

struct FileIdentity {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = -1;
  timespec mtime = {};
  bool operator==(const FileIdentity &o) const {
    return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
           mtime.tv_nsec == o.mtime.tv_nsec;
  }
};

FileIdentity IdentityOf(const struct stat &st) {
  FileIdentity id;
  id.dev = st.st_dev;
  id.ino = st.st_ino;
  id.size = st.st_size;
  id.mtime = st.st_mtim;
  return id;
}

std::mutex cacheLock;
bool cacheValid = false;
std::string cachePath;
FileIdentity cacheIdentity;
std::shared_ptr<const RegDocument> cacheDoc;

enum class ReadResult { Ok, Missing, Failed };

ReadResult ReadWhole(int fd, std::string &text) {
  text.clear();
  char buf[65536];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ReadResult::Failed;
    if (n == 0) return ReadResult::Ok;
    text.append(buf, size_t(n));
  }
}

ReadResult ReadFile(const std::string &path, std::string &text, struct stat &st) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
  ReadResult result = ReadResult::Failed;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) result = ReadWhole(fd, text);
  close(fd);
  return result;
}

bool WriteAll(int fd, const std::string &text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
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

bool MakeDirectories(const std::string &dir) {
  struct stat st;
  if (stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  for (size_t at = 1; at <= dir.size(); ++at) {
    if (at < dir.size() && dir[at] != '/') continue;
    std::string part = dir.substr(0, at);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The file a symbolic link points to is the one replaced.
std::string WriteTarget(const std::string &path) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved)) return resolved;
  }
  return path;
}

bool CopyFile(const std::string &from, const std::string &to) {
  std::string text;
  struct stat st;
  if (ReadFile(from, text, st) != ReadResult::Ok) return false;
  int fd = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, text) && fsync(fd) == 0;
  close(fd);
  if (!ok) unlink(to.c_str());
  return ok;
}

// Keeps the file as it is under a name of its own: registry.reg.damaged-<time>.
bool KeepAside(const std::string &path) {
  char stamp[32];
  time_t now = time(nullptr);
  struct tm tm;
  localtime_r(&now, &tm);
  strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
  for (int n = 0; n < 1000; ++n) {
    std::string name = path + ".damaged-" + stamp;
    if (n > 0) name += "-" + std::to_string(n);
    if (link(path.c_str(), name.c_str()) == 0) return true;
    if (errno == EEXIST) continue;
    if (CopyFile(path, name)) return true;
    if (errno != EEXIST) return false;
  }
  return false;
}

bool ReplaceFile(const std::string &path, const std::string &text, mode_t mode) {
  std::string temp = path + ".XXXXXX";
  int fd = mkstemp(&temp[0]);
  if (fd < 0) return false;
  bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (ok) ok = rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    unlink(temp.c_str());
    return false;
  }
  int dir = open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

class FileLock {
 public:
  explicit FileLock(const std::string &path) {
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) return;
    while (flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        close(fd_);
        fd_ = -1;
        return;
      }
    }
  }
  ~FileLock() {
    if (fd_ >= 0) close(fd_);
  }
  FileLock(const FileLock &) = delete;
  FileLock &operator=(const FileLock &) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace

std::string RegistryPath() {
  const char *own = getenv("PARDUNE_REGISTRY");
  if (own && *own) return own;
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
  if (base.empty()) return std::string();
  return base + "/pardune/registry.reg";
}

std::shared_ptr<const RegDocument> CurrentRegistry() {
  auto empty = std::make_shared<const RegDocument>();
  std::string path = RegistryPath();
  if (path.empty()) return empty;
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
      return cacheDoc;
    }
  }
  std::string text;
  ReadResult read = ReadWhole(fd, text);
  close(fd);
  if (read != ReadResult::Ok) return empty;
  auto doc = std::make_shared<const RegDocument>(ParseRegistry(text));
  std::lock_guard<std::mutex> guard(cacheLock);
  cacheValid = true;
  cachePath = path;
  cacheIdentity = id;
  cacheDoc = doc;
  return doc;
}

LONG ChangeRegistry(const std::function<LONG(RegDocument &doc, bool &changed)> &change) {
  std::string path = RegistryPath();
  if (path.empty()) return ERROR_ACCESS_DENIED;
  path = WriteTarget(path);
  if (!MakeDirectories(DirectoryOf(path))) return ERROR_ACCESS_DENIED;
  FileLock lock(path + ".lock");
  if (!lock.held()) return ERROR_ACCESS_DENIED;

  std::string text;
  struct stat st;
  ReadResult read = ReadFile(path, text, st);
  if (read == ReadResult::Failed) return ERROR_ACCESS_DENIED;
  // A file its owner made read-only stays as it is.
  if (read == ReadResult::Ok && !(st.st_mode & 0222)) return ERROR_ACCESS_DENIED;
  RegDocument doc = ParseRegistry(text);
  bool changed = false;
  LONG result = change(doc, changed);
  if (result != ERROR_SUCCESS || !changed) return result;

  if (read == ReadResult::Ok && doc.Damaged() && !KeepAside(path)) return ERROR_ACCESS_DENIED;
  mode_t mode = read == ReadResult::Ok ? (st.st_mode & 07777) : 0600;
  if (!ReplaceFile(path, FormatRegistry(doc), mode)) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

}  // namespace winport
