// Shared by the fuzz targets: reading structured choices from the input, and
// failing loudly when a rule is broken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Prints what broke and aborts, so libFuzzer keeps the input.
[[noreturn]] void FuzzFail(const char *what, const std::string &detail = std::string());
inline void FuzzCheck(bool ok, const char *what, const std::string &detail = std::string()) {
  if (!ok) FuzzFail(what, detail);
}

// With FUZZ_TRACE set, targets print the steps they take (for reading a crash).
void FuzzTrace(const char *format, ...) __attribute__((format(printf, 1, 2)));

// $TMPDIR or /tmp: where targets keep the files they need.
std::string FuzzTempFolder();

// The fuzzer's bytes read front to back; zeros once they run out.
class FuzzBytes {
 public:
  FuzzBytes(const uint8_t *data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return at_ >= size_; }
  uint8_t Byte();
  uint8_t Peek() const { return at_ < size_ ? data_[at_] : 0; }
  int Below(int limit);           // 0 .. limit-1
  std::string Text(size_t most);  // a length byte, then up to that many bytes
  std::string Rest();

 private:
  const uint8_t *data_;
  size_t size_;
  size_t at_ = 0;
};

inline std::string AsString(const uint8_t *data, size_t size) {
  return std::string(reinterpret_cast<const char *>(data), size);
}
