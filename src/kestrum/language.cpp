// Language files: parsing and loading.
#include "kestrum/language.hpp"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "codec/codec.hpp"

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
        const char *first = in.data() + i + 1;
        unsigned value = 0;
        const size_t digits = size_t(
            std::from_chars(first, first + std::min<size_t>(2, in.size() - i - 1), value, 16).ptr -
            first);
        i += digits;
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
    if (!codec::IsUtf8(key) || !codec::IsUtf8(text))
      data.problems.push_back({lineNumber, "invalid UTF-8 shown as '?'; kept"});
    data.texts.emplace(std::move(key), std::move(text));
  }
  return data;
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
  for (auto &entry : data.texts)
    oem.emplace(codec::Utf8ToOem(entry.first), codec::Utf8ToOem(entry.second));
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
