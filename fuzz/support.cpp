#include "support.hpp"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

void FuzzFail(const char *what, const std::string &detail) {
  std::fprintf(stderr, "fuzz check failed: %s%s%s\n", what, detail.empty() ? "" : ": ",
               detail.c_str());
  std::abort();
}

bool FuzzTracing() {
  static const bool on = std::getenv("FUZZ_TRACE") != nullptr;
  return on;
}

void FuzzTrace(const char *format, ...) {
  if (!FuzzTracing()) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
}

std::string FuzzTempFolder() {
  const char *folder = std::getenv("TMPDIR");
  return folder && *folder ? folder : "/tmp";
}

uint8_t FuzzBytes::Byte() {
  return at_ < size_ ? data_[at_++] : 0;
}

int FuzzBytes::Below(int limit) {
  if (limit <= 0) return 0;
  int value = Byte();
  if (limit > 256) value |= Byte() << 8;
  return value % limit;
}

std::string FuzzBytes::Text(size_t most) {
  size_t length = std::min<size_t>({Byte(), most, size_ - std::min(at_, size_)});
  std::string out(reinterpret_cast<const char *>(data_) + std::min(at_, size_), length);
  at_ += length;
  return out;
}

std::string FuzzBytes::Rest() {
  size_t from = std::min(at_, size_);
  at_ = size_;
  return std::string(reinterpret_cast<const char *>(data_) + from, size_ - from);
}
