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
bool FuzzTracing();
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

// One entry of a table, chosen by the input.
template <typename T, size_t N>
T Pick(FuzzBytes &bytes, const T (&table)[N]) {
  return table[bytes.Below(static_cast<int>(N))];
}

// Modifier bits for a key, as the file manager's key codes carry them:
// plain keys most often, then Shift, Ctrl, Alt, right Ctrl, right Alt and
// two pairs.
inline constexpr uint32_t kFuzzModifiers[] = {
    0, 0, 0, 0x04000000, 0x01000000, 0x02000000, 0x10000000, 0x20000000, 0x05000000, 0x06000000};

inline std::string AsString(const uint8_t *data, size_t size) {
  return std::string(reinterpret_cast<const char *>(data), size);
}
