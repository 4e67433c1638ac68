#include "farhost/editor_text.hpp"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

#include "codec/codec.hpp"

namespace farhost {
namespace {

const int kMarkEvery = 32;
const unsigned long long kLargestFile = 512ull * 1024 * 1024;

bool IsBreak(char c) {
  return c == '\r' || c == '\n';
}

size_t NextBreak(const std::string &bytes, size_t from) {
  const char *p = bytes.data();
  const size_t n = bytes.size();
  while (from < n && !IsBreak(p[from])) ++from;
  return from;
}

size_t BreakLength(const std::string &bytes, size_t at) {
  if (at >= bytes.size()) return 0;
  return bytes[at] == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n' ? 2 : 1;
}

const char *BreakText(const std::string &bytes, size_t at) {
  switch (BreakLength(bytes, at)) {
    case 0:
      return "";
    case 2:
      return "\r\n";
    default:
      return bytes[at] == '\r' ? "\r" : "\n";
  }
}

std::string Quoted(const char *path) {
  return std::string("'") + path + "'";
}

bool ReadFile(const char *path, std::string *bytes, std::string *message) {
  std::error_code code;
  if (std::filesystem::is_directory(path, code)) {
    *message = Quoted(path) + " is a folder, not a file";
    return false;
  }
  FILE *file = std::fopen(path, "rb");
  if (!file) {
    *message = "cannot open " + Quoted(path) + ": " + std::strerror(errno);
    return false;
  }
  const char *tooLarge = " is too large for the editor (over 512 MiB)";
  unsigned long long size = std::filesystem::file_size(path, code);
  if (code) size = 0;
  if (size > kLargestFile) {
    std::fclose(file);
    *message = Quoted(path) + tooLarge;
    return false;
  }
  bytes->resize(size_t(size));
  size_t got = size ? std::fread(&(*bytes)[0], 1, bytes->size(), file) : 0;
  bytes->resize(got);
  // A file that grew since its size was taken, or one whose size the
  // system does not know, is read on up to the limit.
  char chunk[65536];
  size_t n;
  while (!std::ferror(file) && (n = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    if (bytes->size() + n > kLargestFile) {
      std::fclose(file);
      *message = Quoted(path) + tooLarge;
      return false;
    }
    bytes->append(chunk, n);
  }
  bool failed = std::ferror(file);
  std::fclose(file);
  if (failed) *message = "cannot read " + Quoted(path) + ": " + std::strerror(errno);
  return !failed;
}

}  // namespace

EditorText::EditorText(std::string bytes) : bytes_(std::move(bytes)) {
  const size_t n = bytes_.size();
  // Counted first, so the marks take just the room they need.
  size_t lines = 1;
  for (size_t at = NextBreak(bytes_, 0); at < n; at = NextBreak(bytes_, at)) {
    at += BreakLength(bytes_, at);
    ++lines;
  }
  if (lines > size_t(INT_MAX)) lines = size_t(INT_MAX);
  marks_.reserve((lines + kMarkEvery - 1) / kMarkEvery);
  marks_.push_back(0);
  for (size_t at = NextBreak(bytes_, 0); at < n && size_t(lineCount_) < lines;
       at = NextBreak(bytes_, at)) {
    at += BreakLength(bytes_, at);
    if (lineCount_ % kMarkEvery == 0) marks_.push_back(at);
    ++lineCount_;
  }
}

void EditorText::Unpatch() {
  if (patchAt_ == std::string::npos) return;
  bytes_[patchAt_] = patchByte_;
  patchAt_ = std::string::npos;
}

size_t EditorText::Start(int n) {
  const int marked = n / kMarkEvery * kMarkEvery;
  int line = marked;
  size_t at = marks_[size_t(n / kMarkEvery)];
  if (lastLine_ >= marked && lastLine_ <= n) {
    line = lastLine_;
    at = lastStart_;
  }
  for (; line < n; ++line) {
    at = NextBreak(bytes_, at);
    at += BreakLength(bytes_, at);
  }
  lastLine_ = n;
  lastStart_ = at;
  return at;
}

EditorText::Line EditorText::View(int n) {
  const size_t patched = patchAt_;
  Unpatch();
  Line line;
  const size_t start = Start(n);
  const size_t end = NextBreak(bytes_, start);
  line.text = bytes_.data() + start;
  line.length = int(end - start);
  line.lineBreak = BreakText(bytes_, end);
  if (patched != std::string::npos) {
    patchAt_ = patched;
    patchByte_ = bytes_[patched];
    bytes_[patched] = '\0';
  }
  return line;
}

EditorText::Line EditorText::Get(int n) {
  Unpatch();
  Line line = View(n);
  const size_t end = size_t(line.text - bytes_.data()) + size_t(line.length);
  if (end < bytes_.size()) {  // the last line ends with the string's own zero
    patchAt_ = end;
    patchByte_ = bytes_[end];
    bytes_[end] = '\0';
  }
  return line;
}

bool DecodeUtf8Text(std::string *bytes) {
  std::string &s = *bytes;
  bool ascii = true;
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) return true;
  if (!codec::IsUtf8(s)) return false;
  if (s.compare(0, 3, "\xEF\xBB\xBF") == 0) s.erase(0, 3);
  codec::Utf8ToOem(&s);
  return true;
}

bool LoadEditorText(const char *path, EditorText *text, std::string *error) {
  std::string message;
  if (!path || !path[0]) {
    if (error) *error = "no file name given";
    return false;
  }
  try {
    std::string bytes;
    if (ReadFile(path, &bytes, &message)) {
      DecodeUtf8Text(&bytes);
      *text = EditorText(std::move(bytes));
      return true;
    }
  } catch (const std::bad_alloc &) {
    message = "not enough memory to load " + Quoted(path);
  }
  if (error) *error = message;
  return false;
}

}  // namespace farhost
