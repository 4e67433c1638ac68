// The clipboard's file under the user's runtime folder, so that every run of
// the program shares one clipboard.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace winport {

struct ClipboardEntry {
  unsigned format = 0;
  std::string bytes;
};

struct ClipboardContent {
  uint32_t sequence = 0;
  std::vector<ClipboardEntry> entries;  // in the order they were placed
};

// What identifies one version of the file.
struct FileStamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  int64_t modifiedNs = 0;
  bool operator==(const FileStamp &o) const {
    return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
           modifiedNs == o.modifiedNs;
  }
  bool operator!=(const FileStamp &o) const { return !(*this == o); }
};

// $PARDUNE_CLIPBOARD, else pardune/clipboard under $XDG_RUNTIME_DIR, else
// under the cache folder; empty when there is no such place.
std::string ClipboardFilePath();
FileStamp StampOf(const std::string &path);
// False when the file is missing or not a clipboard file; content untouched.
bool ReadClipboardFile(const std::string &path, ClipboardContent *content);
// Written to a temporary file and renamed over the old one.
bool WriteClipboardFile(const std::string &path, const ClipboardContent &content);

}  // namespace winport
