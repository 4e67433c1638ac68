#include "codec/codec.hpp"

#include <algorithm>
#include <cstring>
#include <vector>

namespace codec {
namespace {

const size_t kPiece = 64 * 1024;  // bytes converted at a time

bool Continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

bool HighSurrogate(WCHAR ch) {
  return ch >= 0xD800 && ch <= 0xDBFF;
}

bool LowSurrogate(WCHAR ch) {
  return ch >= 0xDC00 && ch <= 0xDFFF;
}

// The end of the piece from `start`: never inside a character. A character
// starts at most three bytes before the cut, so the cut moves back to its
// lead byte; continuation bytes further back than that belong to none.
size_t PieceEnd(std::string_view text, size_t start) {
  const size_t end = std::min(text.size(), start + kPiece);
  if (end == text.size()) return end;
  for (size_t at = end; at > start && end - at <= 3; --at)
    if (!Continuation(text[at])) return at;
  return end;
}

// What a lead byte starts: the bytes of its character and the range of its
// second byte, which rules out overlong forms, surrogates and what lies past
// U+10FFFF. Length 0 for a byte no character starts with.
struct Lead {
  size_t length;
  unsigned char low, high;
};

Lead LeadOf(unsigned char c) {
  if (c < 0x80) return {1, 0, 0};
  if (c >= 0xC2 && c <= 0xDF) return {2, 0x80, 0xBF};
  if (c == 0xE0) return {3, 0xA0, 0xBF};
  if (c == 0xED) return {3, 0x80, 0x9F};
  if (c >= 0xE1 && c <= 0xEF) return {3, 0x80, 0xBF};
  if (c == 0xF0) return {4, 0x90, 0xBF};
  if (c >= 0xF1 && c <= 0xF3) return {4, 0x80, 0xBF};
  if (c == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

// One piece to UTF-16, into room for as many units as it has bytes (each
// unit takes a byte at least, a pair four). A valid piece is the system's to
// convert; a malformed one is decoded here, a character at a time.
int Widen(const char *bytes, size_t size, WCHAR *wide) {
  const int count =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, int(size), wide, int(size));
  if (count > 0) return count;
  int made = 0;
  for (size_t at = 0; at < size;) {
    char32_t ch = 0;
    const size_t used = DecodeUtf8(std::string_view(bytes + at, size - at), &ch);
    if (ch > 0xFFFF) {
      ch -= 0x10000;
      wide[made++] = WCHAR(0xD800 + (ch >> 10));
      wide[made++] = WCHAR(0xDC00 + (ch & 0x3FF));
    } else {
      wide[made++] = WCHAR(ch);
    }
    at += used ? used : size - at;  // a sequence cut by the end is one U+FFFD
  }
  return made;
}

}  // namespace

bool IsUtf8(std::string_view bytes) {
  for (size_t at = 0; at < bytes.size();) {
    const size_t end = PieceEnd(bytes, at);
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data() + at, int(end - at),
                            nullptr, 0) <= 0)
      return false;
    at = end;
  }
  return true;
}

void Utf8ToOem(std::string *text) {
  std::string &s = *text;
  // Each character takes at least one byte and becomes one, so every piece
  // goes into the bytes already passed.
  std::vector<WCHAR> wide(std::min(s.size(), kPiece));
  std::vector<char> narrow(wide.size());
  size_t written = 0;
  for (size_t at = 0; at < s.size();) {
    const size_t end = PieceEnd(s, at);
    const int count = Widen(s.data() + at, end - at, wide.data());
    int kept = 0;
    for (int i = 0; i < count; ++i) {
      WCHAR ch = wide[size_t(i)];
      if (HighSurrogate(ch) && i + 1 < count && LowSurrogate(wide[size_t(i) + 1])) {
        ch = L'?';
        ++i;
      }
      wide[size_t(kept++)] = ch;
    }
    const int made = kept > 0 ? WideCharToMultiByte(CP_OEMCP, 0, wide.data(), kept, narrow.data(),
                                                    int(narrow.size()), nullptr, nullptr)
                              : 0;
    if (made > 0) std::memmove(&s[written], narrow.data(), size_t(made));
    written += size_t(std::max(made, 0));
    at = end;
  }
  s.resize(written);
}

std::string Utf8ToOem(std::string_view text) {
  std::string oem(text);
  Utf8ToOem(&oem);
  return oem;
}

OemGlyphs::OemGlyphs(UINT codePage) {
  char bytes[256];
  for (int b = 0; b < 256; ++b) bytes[b] = static_cast<char>(b);
  if (MultiByteToWideChar(codePage, MB_USEGLYPHCHARS, bytes, 256, glyphs_, 256) != 256)
    for (int b = 0; b < 256; ++b) glyphs_[b] = b < 0x80 ? WCHAR(b) : WCHAR('?');
  glyphs_[0] = L' ';
}

std::string OemGlyphs::ToUtf8(std::string_view oem) const {
  std::vector<WCHAR> wide;
  wide.reserve(oem.size());
  for (unsigned char byte : oem) wide.push_back(glyphs_[byte]);
  std::string out;
  if (wide.empty()) return out;
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
  if (size <= 0) return out;
  out.resize(size_t(size));
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), &out[0], size, nullptr, nullptr);
  return out;
}

int OemByte(char32_t ch, UINT codePage) {
  if (ch >= 0x20 && ch < 0x7F) return int(ch);
  if (ch < 0x80 || ch > 0xFFFF) return -1;
  const WCHAR wide = WCHAR(ch);
  char byte = 0;
  BOOL missing = FALSE;
  if (WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, &wide, 1, &byte, 1, nullptr, &missing) !=
          1 ||
      missing)
    return -1;
  return static_cast<unsigned char>(byte) >= 0x80 ? static_cast<unsigned char>(byte) : -1;
}

size_t DecodeUtf8(std::string_view text, char32_t *ch) {
  if (text.empty()) return 0;
  const Lead lead = LeadOf(static_cast<unsigned char>(text[0]));
  *ch = 0xFFFD;
  if (lead.length == 0) return 1;
  char32_t value = static_cast<unsigned char>(text[0]) & (0x7F >> lead.length);
  for (size_t i = 1; i < lead.length; ++i) {
    if (i >= text.size()) return 0;
    const unsigned char next = static_cast<unsigned char>(text[i]);
    const bool fits = i == 1 ? next >= lead.low && next <= lead.high : Continuation(text[i]);
    if (!fits) return i;
    value = (value << 6) | (next & 0x3F);
  }
  *ch = lead.length == 1 ? static_cast<unsigned char>(text[0]) : value;
  return lead.length;
}

void AppendUtf8(std::string *out, char32_t ch) {
  WCHAR wide[2];
  int units = 1;
  if (ch > 0xFFFF) {
    ch -= 0x10000;
    wide[0] = WCHAR(0xD800 + (ch >> 10));
    wide[1] = WCHAR(0xDC00 + (ch & 0x3FF));
    units = 2;
  } else {
    wide[0] = WCHAR(ch);
  }
  char bytes[4];
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, units, bytes, 4, nullptr, nullptr);
  if (size > 0) out->append(bytes, size_t(size));
}

}  // namespace codec
