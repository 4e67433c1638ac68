#include "regfile.hpp"

#include <cstdio>
#include <cstring>

namespace winport {

namespace {

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string Trim(const std::string &s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool StartsWithNoCase(const std::string &s, size_t at, const char *word) {
  size_t n = std::strlen(word);
  if (at > s.size() || s.size() - at < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (Lower(s[at + i]) != Lower(word[i])) return false;
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void SkipBlanks(const std::string &s, size_t &at) {
  while (at < s.size() && IsBlank(s[at])) ++at;
}

// Nothing but blanks or a comment may follow the data.
bool OnlyTrailer(const std::string &s, size_t at) {
  SkipBlanks(s, at);
  return at == s.size() || s[at] == ';';
}

bool ParseHexNumber(const std::string &s, size_t &at, uint32_t &out) {
  size_t start = at;
  uint32_t v = 0;
  while (at < s.size() && HexDigit(s[at]) >= 0) {
    if (at - start == 8) return false;
    v = v * 16 + uint32_t(HexDigit(s[at]));
    ++at;
  }
  out = v;
  return at > start;
}

// A quoted text from s[at] == '"'; \\ and \" are escapes, any other
// backslash stands for itself.
bool ParseQuoted(const std::string &s, size_t &at, std::string &out) {
  ++at;
  out.clear();
  while (at < s.size()) {
    char c = s[at++];
    if (c == '"') return true;
    if (c == '\\' && at < s.size() && (s[at] == '\\' || s[at] == '"')) c = s[at++];
    out += c;
  }
  return false;
}

bool ParseHexBytes(const std::string &s, size_t at, std::vector<uint8_t> &out) {
  out.clear();
  SkipBlanks(s, at);
  if (OnlyTrailer(s, at)) return true;
  for (;;) {
    SkipBlanks(s, at);
    int hi = at < s.size() ? HexDigit(s[at]) : -1;
    if (hi < 0) return false;
    ++at;
    int lo = at < s.size() ? HexDigit(s[at]) : -1;
    int byte = hi;
    if (lo >= 0) {
      byte = hi * 16 + lo;
      ++at;
    }
    out.push_back(uint8_t(byte));
    SkipBlanks(s, at);
    if (at < s.size() && s[at] == ',') {
      ++at;
      if (OnlyTrailer(s, at)) return true;  // a trailing comma
      continue;
    }
    return OnlyTrailer(s, at);
  }
}

enum class ValueParse { Bad, Set, Delete };

// The name and the "=" of a value line; at is left on the data.
bool ParseValueName(const std::string &line, size_t &at, std::string &name) {
  at = 0;
  SkipBlanks(line, at);
  if (at < line.size() && line[at] == '@') {
    name.clear();
    ++at;
  } else if (at >= line.size() || line[at] != '"' || !ParseQuoted(line, at, name)) {
    return false;
  }
  SkipBlanks(line, at);
  if (at >= line.size() || line[at] != '=') return false;
  ++at;
  SkipBlanks(line, at);
  return at < line.size();
}

// One logical value line (continuations already joined).
ValueParse ParseValue(const std::string &line, RegValue &value) {
  size_t at = 0;
  if (!ParseValueName(line, at, value.name)) return ValueParse::Bad;

  if (line[at] == '-') return OnlyTrailer(line, at + 1) ? ValueParse::Delete : ValueParse::Bad;
  if (line[at] == '"') {
    std::string text;
    if (!ParseQuoted(line, at, text) || !OnlyTrailer(line, at)) return ValueParse::Bad;
    value.type = 1;  // REG_SZ
    value.data.assign(text.begin(), text.end());
    value.data.push_back(0);
    return ValueParse::Set;
  }
  if (StartsWithNoCase(line, at, "dword:")) {
    at += 6;
    SkipBlanks(line, at);
    uint32_t v = 0;
    if (!ParseHexNumber(line, at, v) || !OnlyTrailer(line, at)) return ValueParse::Bad;
    value.type = 4;  // REG_DWORD
    value.data = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    return ValueParse::Set;
  }
  if (StartsWithNoCase(line, at, "hex")) {
    at += 3;
    uint32_t type = 3;  // REG_BINARY
    if (at < line.size() && line[at] == '(') {
      ++at;
      if (!ParseHexNumber(line, at, type) || at >= line.size() || line[at] != ')')
        return ValueParse::Bad;
      ++at;
    }
    if (at >= line.size() || line[at] != ':') return ValueParse::Bad;
    value.type = type;
    return ParseHexBytes(line, at + 1, value.data) ? ValueParse::Set : ValueParse::Bad;
  }
  return ValueParse::Bad;
}

bool KnownHive(const std::string &path) {
  static const char *const hives[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                      "HKEY_LOCAL_MACHINE", "HKEY_USERS", "HKEY_CURRENT_CONFIG"};
  std::string first = path.substr(0, path.find('\\'));
  for (const char *h : hives)
    if (SameName(first, h)) return true;
  return false;
}

// A key path from a section header: components without empty ones.
bool NormalPath(const std::string &raw, std::string &out) {
  out.clear();
  size_t at = 0;
  while (at <= raw.size()) {
    size_t end = raw.find('\\', at);
    if (end == std::string::npos) end = raw.size();
    if (end > at) {
      if (!out.empty()) out += '\\';
      out.append(raw, at, end - at);
    }
    at = end + 1;
  }
  return !out.empty() && KnownHive(out);
}

void AppendHex(std::string &out, const std::vector<uint8_t> &data) {
  // Wrapped the way regedit wraps, continued with a backslash.
  size_t lineStart = out.rfind('\n');
  lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
  char buf[4];
  for (size_t i = 0; i < data.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02x", data[i]);
    out += buf;
    if (i + 1 < data.size()) {
      out += ',';
      if (out.size() - lineStart > 76) {
        out += "\\\n  ";
        lineStart = out.size() - 2;
      }
    }
  }
}

void AppendQuoted(std::string &out, const char *text, size_t length) {
  out += '"';
  for (size_t i = 0; i < length; ++i) {
    if (text[i] == '\\' || text[i] == '"') out += '\\';
    out += text[i];
  }
  out += '"';
}

// A REG_SZ that reads back the same when written as a quoted string.
bool PlainString(const RegValue &v) {
  if (v.type != 1 || v.data.empty() || v.data.back() != 0) return false;
  for (size_t i = 0; i + 1 < v.data.size(); ++i)
    if (v.data[i] == 0 || v.data[i] == '\n' || v.data[i] == '\r') return false;
  return true;
}

}  // namespace

bool SameName(const std::string &a, const std::string &b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool IsWithin(const std::string &path, const std::string &parent) {
  return path.size() > parent.size() && path[parent.size()] == '\\' &&
         SameName(path.substr(0, parent.size()), parent);
}

RegKey *RegDocument::FindKey(const std::string &path) {
  for (RegKey &k : keys)
    if (SameName(k.path, path)) return &k;
  return nullptr;
}

const RegKey *RegDocument::FindKey(const std::string &path) const {
  for (const RegKey &k : keys)
    if (SameName(k.path, path)) return &k;
  return nullptr;
}

bool RegDocument::KeyExists(const std::string &path) const {
  for (const RegKey &k : keys)
    if (SameName(k.path, path) || IsWithin(k.path, path)) return true;
  return false;
}

bool RegDocument::HasSubKeys(const std::string &path) const {
  for (const RegKey &k : keys)
    if (IsWithin(k.path, path)) return true;
  return false;
}

RegKey &RegDocument::InsertKey(const std::string &path) {
  size_t cut = path.rfind('\\');
  std::string parent = cut == std::string::npos ? std::string() : path.substr(0, cut);
  size_t at = keys.size();
  if (!parent.empty()) {
    for (size_t i = keys.size(); i-- > 0;) {
      if (SameName(keys[i].path, parent) || IsWithin(keys[i].path, parent)) {
        at = i + 1;
        break;
      }
    }
  }
  RegKey key;
  key.path = path;
  RegLine blank;
  key.lines.push_back(blank);  // the blank line that ends a section
  // The section before may lack the blank line that separates sections.
  const std::vector<RegLine> *before = at > 0 ? &keys[at - 1].lines : nullptr;
  if (before && (before->empty() || before->back().isValue)) {
    keys[at - 1].lines.push_back(blank);
  }
  return *keys.insert(keys.begin() + long(at), key);
}

void RegDocument::RemoveKey(const std::string &path) {
  for (size_t i = 0; i < keys.size();) {
    if (SameName(keys[i].path, path) || IsWithin(keys[i].path, path))
      keys.erase(keys.begin() + long(i));
    else
      ++i;
  }
}

RegLine *FindValue(RegKey &key, const std::string &name) {
  for (RegLine &line : key.lines)
    if (line.isValue && SameName(line.value.name, name)) return &line;
  return nullptr;
}

const RegLine *FindValue(const RegKey &key, const std::string &name) {
  for (const RegLine &line : key.lines)
    if (line.isValue && SameName(line.value.name, name)) return &line;
  return nullptr;
}

bool SetValue(RegKey &key, const RegValue &value) {
  if (RegLine *line = FindValue(key, value.name)) {
    if (line->value.type == value.type && line->value.data == value.data) return false;
    line->value.type = value.type;
    line->value.data = value.data;
    line->text.clear();
    return true;
  }
  size_t at = 0;
  for (size_t i = 0; i < key.lines.size(); ++i)
    if (key.lines[i].isValue) at = i + 1;
  RegLine line;
  line.isValue = true;
  line.value = value;
  key.lines.insert(key.lines.begin() + long(at), line);
  return true;
}

bool RemoveValue(RegKey &key, const std::string &name) {
  for (size_t i = 0; i < key.lines.size(); ++i) {
    if (key.lines[i].isValue && SameName(key.lines[i].value.name, name)) {
      key.lines.erase(key.lines.begin() + long(i));
      return true;
    }
  }
  return false;
}

RegDocument ParseRegistry(const std::string &input) {
  RegDocument doc;
  std::string text = input;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);

  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    bool last = end == std::string::npos;
    if (last) end = text.size();
    std::string line = text.substr(at, end - at);
    // Every CR before the line feed belongs to the line break ("\r\r\n" from
    // a twice-converted file); one kept would end the line when written back.
    if (!line.empty() && line.back() == '\r' && !last) doc.crlf = true;
    while (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    at = end + 1;
  }

  size_t i = 0;
  while (i < lines.size() && Trim(lines[i]).empty()) ++i;
  if (i == lines.size()) return doc;  // an empty file is an empty registry
  if (SameName(Trim(lines[i]), "REGEDIT4"))
    ++i;
  else
    doc.badHeader = true;

  RegKey *current = nullptr;
  bool skipping = false;  // values of a key that the file deletes
  for (; i < lines.size(); ++i) {
    const std::string &line = lines[i];
    std::string t = Trim(line);
    if (line.find('\0') != std::string::npos) {
      ++doc.badLines;
      continue;
    }
    if (t.empty() || t[0] == ';') {
      RegLine raw;
      raw.text = line;
      if (current)
        current->lines.push_back(raw);
      else
        doc.preamble.push_back(line);
      continue;
    }
    if (t[0] == '[') {
      current = nullptr;
      skipping = false;
      size_t close = t.rfind(']');
      std::string path;
      if (close == std::string::npos || !OnlyTrailer(t, close + 1)) {
        ++doc.badLines;
        continue;
      }
      // Blanks before "]" end the last key name, as they do when it is written.
      size_t first = 1;
      SkipBlanks(t, first);
      std::string inner = t.substr(first, close - first);
      bool remove = !inner.empty() && inner[0] == '-';
      if (!NormalPath(remove ? inner.substr(1) : inner, path)) {
        ++doc.badLines;
        continue;
      }
      if (remove) {
        doc.RemoveKey(path);
        skipping = true;
        continue;
      }
      current = doc.FindKey(path);
      if (!current) {
        RegKey key;
        key.path = path;
        doc.keys.push_back(key);
        current = &doc.keys.back();
      }
      continue;
    }

    // A value, perhaps continued over the following lines.
    std::string raw = line, logical = t, name;
    size_t data = 0;
    bool hex = ParseValueName(t, data, name) && StartsWithNoCase(t, data, "hex");
    // A backslash in a comment does not continue the data.
    while (hex && logical.back() == '\\' && logical.find(';', data) == std::string::npos &&
           i + 1 < lines.size()) {
      logical.pop_back();
      ++i;
      raw += '\n';
      raw += lines[i];
      logical += Trim(lines[i]);
    }
    RegValue value;
    ValueParse parsed = ParseValue(logical, value);
    if (skipping) continue;
    if (parsed == ValueParse::Bad || !current) {
      ++doc.badLines;
      continue;
    }
    if (parsed == ValueParse::Delete) {
      RemoveValue(*current, value.name);
      continue;
    }
    RemoveValue(*current, value.name);  // a later line wins
    RegLine entry;
    entry.isValue = true;
    entry.text = raw;
    entry.value = value;
    current->lines.push_back(entry);
  }
  return doc;
}

std::string FormatValueLine(const RegValue &v) {
  std::string out;
  if (v.name.empty())
    out = "@";
  else
    AppendQuoted(out, v.name.data(), v.name.size());
  out += '=';
  if (v.type == 4 && v.data.size() == 4) {
    char buf[24];
    uint32_t n = uint32_t(v.data[0]) | uint32_t(v.data[1]) << 8 | uint32_t(v.data[2]) << 16 |
                 uint32_t(v.data[3]) << 24;
    std::snprintf(buf, sizeof buf, "dword:%08x", n);
    out += buf;
  } else if (PlainString(v)) {
    AppendQuoted(out, reinterpret_cast<const char *>(v.data.data()), v.data.size() - 1);
  } else {
    if (v.type == 3) {
      out += "hex:";
    } else {
      char buf[24];
      std::snprintf(buf, sizeof buf, "hex(%x):", unsigned(v.type));
      out += buf;
    }
    AppendHex(out, v.data);
  }
  return out;
}

std::string FormatRegistry(const RegDocument &doc) {
  std::string out = "REGEDIT4\n";
  if (doc.preamble.empty() && !doc.keys.empty()) out += '\n';
  for (const std::string &line : doc.preamble) out += line + '\n';
  for (const RegKey &key : doc.keys) {
    out += '[' + key.path + "]\n";
    for (const RegLine &line : key.lines) {
      out += line.isValue && line.text.empty() ? FormatValueLine(line.value) : line.text;
      out += '\n';
    }
  }
  if (doc.crlf) {
    std::string crlf;
    crlf.reserve(out.size() + out.size() / 16);
    for (char c : out) {
      if (c == '\n') crlf += '\r';
      crlf += c;
    }
    return crlf;
  }
  return out;
}

}  // namespace winport
