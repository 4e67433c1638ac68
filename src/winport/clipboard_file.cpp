#include "clipboard_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace winport {
namespace {

const char kMagic[] = "PARDUNE-CLIPBOARD 1\n";
const size_t kMagicLength = sizeof kMagic - 1;
const uint64_t kMaxEntry = uint64_t(1) << 31;

bool MakeFolder(const std::string &path) {
  if (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) return true;
  if (errno != ENOENT) return false;
  size_t cut = path.find_last_of('/');
  if (cut == std::string::npos || cut == 0) return false;
  return MakeFolder(path.substr(0, cut)) && (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST);
}

std::string FolderUnder(const char *variable, const char *suffix) {
  const char *base = std::getenv(variable);
  if (!base || base[0] != '/') return std::string();
  return std::string(base) + suffix;
}

template <typename T>
void Put(std::string &out, T value) {
  out.append(reinterpret_cast<const char *>(&value), sizeof value);
}

template <typename T>
bool Take(const std::string &in, size_t &at, T *value) {
  if (in.size() - at < sizeof *value) return false;
  std::memcpy(value, in.data() + at, sizeof *value);
  at += sizeof *value;
  return true;
}

bool WriteAll(int fd, const char *data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= size_t(n);
  }
  return true;
}

}  // namespace

std::string ClipboardFilePath() {
  const char *given = std::getenv("PARDUNE_CLIPBOARD");
  if (given && given[0]) return given;
  const std::string folders[] = {FolderUnder("XDG_RUNTIME_DIR", "/pardune"),
                                 FolderUnder("XDG_CACHE_HOME", "/pardune"),
                                 FolderUnder("HOME", "/.cache/pardune")};
  for (const std::string &folder : folders)
    if (!folder.empty() && MakeFolder(folder)) return folder + "/clipboard";
  return std::string();
}

FileStamp StampOf(const std::string &path) {
  FileStamp stamp;
  struct stat st;
  if (path.empty() || stat(path.c_str(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = st.st_size;
  stamp.modifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return stamp;
}

bool ReadClipboardFile(const std::string &path, ClipboardContent *content) {
  FILE *file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  std::string in;
  char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    in.append(chunk, n);
    if (in.size() > kMaxEntry * 2) break;
  }
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed || in.compare(0, kMagicLength, kMagic) != 0) return false;

  ClipboardContent read;
  size_t at = kMagicLength;
  uint32_t count = 0;
  if (!Take(in, at, &read.sequence) || !Take(in, at, &count)) return false;
  for (uint32_t i = 0; i < count; ++i) {
    ClipboardEntry entry;
    uint64_t size = 0;
    if (!Take(in, at, &entry.format) || !Take(in, at, &size)) return false;
    if (size > kMaxEntry || in.size() - at < size) return false;
    entry.bytes.assign(in, at, size_t(size));
    at += size_t(size);
    read.entries.push_back(std::move(entry));
  }
  *content = std::move(read);
  return true;
}

bool WriteClipboardFile(const std::string &path, const ClipboardContent &content) {
  if (path.empty()) return false;
  std::string out(kMagic, kMagicLength);
  Put(out, content.sequence);
  Put(out, uint32_t(content.entries.size()));
  for (const ClipboardEntry &entry : content.entries) {
    Put(out, uint32_t(entry.format));
    Put(out, uint64_t(entry.bytes.size()));
    out += entry.bytes;
  }
  std::string temporary = path + ".XXXXXX";
  int fd = mkstemp(&temporary[0]);
  if (fd < 0) return false;
  bool written = WriteAll(fd, out.data(), out.size());
  fchmod(fd, 0600);
  if (close(fd) != 0) written = false;
  if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace winport
