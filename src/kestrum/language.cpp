// Language files: parsing, loading and the code-page conversion.
#include "kestrum/language.hpp"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace kestrum {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string Trim(const std::string &s) {
  size_t begin = 0, end = s.size();
  while (begin < end && IsBlank(s[begin])) ++begin;
  while (end > begin && IsBlank(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes C escapes; an unknown escape keeps its backslash. False when an
// escape would put a NUL into the text (it is left out).
bool Unescape(const std::string &in, std::string &out) {
  bool clean = true;
  for (size_t i = 0; i < in.size(); ++i) {
    char c = in[i];
    if (c != '\\' || i + 1 == in.size()) {
      out.push_back(c);
      continue;
    }
    char e = in[++i];
    switch (e) {
      case 'n':
        out.push_back('\n');
        break;
      case 't':
        out.push_back('\t');
        break;
      case 'r':
        out.push_back('\r');
        break;
      case 'b':
        out.push_back('\b');
        break;
      case 'a':
        out.push_back('\a');
        break;
      case 'f':
        out.push_back('\f');
        break;
      case 'v':
        out.push_back('\v');
        break;
      case 'e':
        out.push_back('\x1b');
        break;
      case '\\':
        out.push_back('\\');
        break;
      case '"':
        out.push_back('"');
        break;
      case '\'':
        out.push_back('\'');
        break;
      case 'x': {
        int value = 0, digits = 0;
        while (digits < 2 && i + 1 < in.size() && HexDigit(in[i + 1]) >= 0) {
          value = value * 16 + HexDigit(in[++i]);
          ++digits;
        }
        if (digits == 0) {
          out += "\\x";
        } else if (value == 0) {
          clean = false;
        } else {
          out.push_back(static_cast<char>(value));
        }
        break;
      }
      case '0':
        clean = false;
        break;
      default:
        out.push_back('\\');
        out.push_back(e);
        break;
    }
  }
  return clean;
}

// The text part of a line: a quoted text keeps what stands between its
// quotes, an unquoted one is trimmed.
std::string TextPart(const std::string &raw) {
  std::string text = Trim(raw);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    // The closing quote must not be escaped: count the backslashes before it.
    size_t backslashes = 0;
    for (size_t i = text.size() - 1; i > 1 && text[i - 1] == '\\'; --i) ++backslashes;
    if (backslashes % 2 == 0) return text.substr(1, text.size() - 2);
  }
  return text;
}

// UTF-8 to UTF-16, the same on every platform: a malformed sequence becomes
// one U+FFFD and the decoder goes on with the next byte that can start a
// character; characters beyond U+FFFF become U+FFFD too, as no OEM code page
// has them. False when anything was malformed.
bool DecodeUtf8(const std::string &text, std::vector<WCHAR> *out) {
  bool valid = true;
  const auto *s = reinterpret_cast<const unsigned char *>(text.data());
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char c = s[i];
    int need = 0;
    uint32_t cp = c, min = 0;
    if (c < 0x80) {
      need = 0;
    } else if (c >= 0xC2 && c <= 0xDF) {
      need = 1, cp = c & 0x1F, min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      need = 2, cp = c & 0x0F, min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      need = 3, cp = c & 0x07, min = 0x10000;
    } else {
      need = -1;
    }
    size_t j = i + 1;
    bool good = need >= 0;
    for (int k = 0; good && k < need; ++k, ++j) {
      if (j >= n || (s[j] & 0xC0) != 0x80) good = false;
      if (good) cp = (cp << 6) | (s[j] & 0x3F);
      if (!good) break;
    }
    if (good && (cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)) good = false;
    if (!good) valid = false;
    if (out) out->push_back(!good || cp > 0xFFFF ? WCHAR(0xFFFD) : static_cast<WCHAR>(cp));
    i = good ? j : std::max(j, i + 1);
  }
  return valid;
}

bool ValidUtf8(const std::string &text) {
  return DecodeUtf8(text, nullptr);
}

}  // namespace

LanguageData ParseLanguage(const std::string &contents) {
  LanguageData data;
  size_t pos = 0;
  if (contents.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
  int lineNumber = 0;
  while (pos < contents.size()) {
    size_t end = contents.find('\n', pos);
    if (end == std::string::npos) end = contents.size();
    std::string line = contents.substr(pos, end - pos);
    pos = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > kMaxLanguageLine) {
      data.problems.push_back({lineNumber, "line too long"});
      continue;
    }
    std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    if (trimmed.find('\0') != std::string::npos) {
      data.problems.push_back({lineNumber, "NUL byte in line"});
      continue;
    }
    size_t equals = trimmed.find('=');
    if (equals == std::string::npos) {
      data.problems.push_back({lineNumber, "no '=' in line"});
      continue;
    }
    std::string key = Trim(trimmed.substr(0, equals));
    if (key.empty()) {
      data.problems.push_back({lineNumber, "empty key"});
      continue;
    }
    if (data.texts.count(key)) {
      data.problems.push_back({lineNumber, "key " + key + " defined twice; first kept"});
      continue;
    }
    std::string text;
    if (!Unescape(TextPart(trimmed.substr(equals + 1)), text))
      data.problems.push_back({lineNumber, "NUL escape left out; kept"});
    if (!ValidUtf8(key) || !ValidUtf8(text))
      data.problems.push_back({lineNumber, "invalid UTF-8 shown as '?'; kept"});
    data.texts.emplace(std::move(key), std::move(text));
  }
  return data;
}

std::string Utf8ToOem(const std::string &text) {
  if (text.empty()) return text;
  std::vector<WCHAR> wide;
  DecodeUtf8(text, &wide);
  const int wideLength = static_cast<int>(wide.size());
  std::string oem(wide.size(), '?');
  const int oemLength =
      WideCharToMultiByte(CP_OEMCP, 0, wide.data(), wideLength, &oem[0], wideLength, "?", nullptr);
  oem.resize(oemLength > 0 ? static_cast<size_t>(oemLength) : 0);
  return oem;
}

bool LoadLanguageFile(const std::string &path, LanguageData &data) {
  FILE *file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  std::string contents;
  char chunk[16384];
  size_t n;
  bool tooLarge = false;
  while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    contents.append(chunk, n);
    if (contents.size() > kMaxLanguageFile) {
      tooLarge = true;
      break;
    }
  }
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (tooLarge || failed) return false;
  data = ParseLanguage(contents);
  data.file = path;
  std::map<std::string, std::string> oem;
  for (auto &entry : data.texts) oem.emplace(Utf8ToOem(entry.first), Utf8ToOem(entry.second));
  data.texts.swap(oem);
  return true;
}

std::string LanguageFilePath(const std::string &modulePath, const std::string &lang) {
#ifdef _WIN32
  const size_t slash = modulePath.find_last_of("\\/");
#else
  const size_t slash = modulePath.find_last_of('/');
#endif
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = modulePath.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart) dot = modulePath.size();
  std::string stem = modulePath.substr(0, dot);
  bool usable = !lang.empty() && lang.size() <= 16 && lang != "en";
  for (char c : lang)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
          c == '-'))
      usable = false;
  return usable ? stem + "." + lang + ".lng" : stem + ".lng";
}

}  // namespace kestrum
