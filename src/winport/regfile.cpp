#include "regfile.hpp"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <map>

namespace winport {

namespace {

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Into `out`, whose storage is used again line after line.
void TrimInto(const std::string &s, std::string &out) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  out.assign(s, b, e - b);
}

bool StartsWithNoCase(const std::string &s, size_t at, const char *word) {
  size_t n = std::strlen(word);
  if (at > s.size() || s.size() - at < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (Lower(s[at + i]) != Lower(word[i])) return false;
  return true;
}

// Up to `most` hex digits from s[at], read and passed; how many there were.
size_t ReadHex(const std::string &s, size_t &at, size_t most, uint64_t &out) {
  const char *first = s.data() + at;
  out = 0;
  const char *end = std::from_chars(first, first + std::min(most, s.size() - at), out, 16).ptr;
  at += size_t(end - first);
  return size_t(end - first);
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
  uint64_t v = 0;
  const size_t digits = ReadHex(s, at, 9, v);  // a ninth digit is one too many
  out = uint32_t(v);
  return digits > 0 && digits <= 8;
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
    uint64_t byte = 0;
    if (ReadHex(s, at, 2, byte) == 0) return false;
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

// The file's lines without their line breaks, one at a time.
class LineReader {
 public:
  LineReader(const std::string &text, size_t start) : text_(text), at_(start) {}

  // Every CR before the line feed belongs to the line break ("\r\r\n" from
  // a twice-converted file); one kept would end the line when written back.
  bool Next(std::string &line, bool &crlf) {
    if (at_ >= text_.size()) return false;
    size_t end = text_.find('\n', at_);
    bool last = end == std::string::npos;
    if (last) end = text_.size();
    size_t stop = end;
    while (stop > at_ && text_[stop - 1] == '\r') --stop;
    if (stop < end && !last) crlf = true;
    line.assign(text_, at_, stop - at_);
    at_ = end + 1;
    ++number_;
    return true;
  }
  int Number() const { return number_; }

 private:
  const std::string &text_;
  size_t at_;
  int number_ = 0;
};

constexpr size_t kNoKey = ~size_t(0);

std::string Lowered(const std::string &s) {
  std::string out(s);
  for (char &c : out) c = Lower(c);
  return out;
}

uint64_t NameHash(const std::string &name) {
  uint64_t h = 14695981039346656037ull;
  for (char c : name) h = (h ^ uint8_t(Lower(c))) * 1099511628211ull;
  return h;
}

// The keys and values of a file while it is read. Which line of a name wins
// (the last; a deletion drops the lines before it) is settled once at the
// end, from a list of the values' hashes sorted by key, hash and position:
// reading stays linear in the file and touches what it read only in order.
class KeyTable {
 public:
  // The key's index in doc.keys, a new section when it has none yet.
  size_t Section(RegDocument &doc, const std::string &path) {
    std::string lowered = Lowered(path);
    auto found = byPath_.find(lowered);
    if (found != byPath_.end()) return found->second;
    RegKey key;
    key.path = path;
    doc.keys.push_back(std::move(key));
    removed_.push_back(false);
    byPath_.emplace(std::move(lowered), doc.keys.size() - 1);
    return doc.keys.size() - 1;
  }

  // The key and every key below it.
  void RemoveKey(const std::string &path) {
    std::string lowered = Lowered(path);
    auto exact = byPath_.find(lowered);
    if (exact != byPath_.end()) {
      removed_[exact->second] = true;
      byPath_.erase(exact);
    }
    // Keys below sort from "path\" up to "path]", the character after '\'.
    auto from = byPath_.lower_bound(lowered + '\\');
    auto to = byPath_.lower_bound(lowered + ']');
    for (auto at = from; at != to; ++at) removed_[at->second] = true;
    byPath_.erase(from, to);
  }

  void Add(RegDocument &doc, size_t key, RegLine line) {
    doc.keys[key].lines.push_back(std::move(line));
  }

  void SetValue(RegDocument &doc, size_t key, RegLine line) {
    std::vector<RegLine> &lines = doc.keys[key].lines;
    ops_.push_back({uint32_t(key), uint32_t(NameHash(line.value.name)), uint32_t(lines.size()),
                    uint32_t(lines.size())});
    lines.push_back(std::move(line));
  }

  void DropValue(RegDocument &doc, size_t key, const std::string &name) {
    ops_.push_back({uint32_t(key), uint32_t(NameHash(name)), uint32_t(doc.keys[key].lines.size()),
                    kDeletion | uint32_t(deleted_.size())});
    deleted_.push_back(name);
  }

  // Leaves out the removed keys and the replaced or deleted values.
  void Finish(RegDocument &doc) {
    std::vector<std::vector<bool>> dropped(doc.keys.size());
    std::sort(ops_.begin(), ops_.end());
    for (size_t run = 0, end = 0; run < ops_.size(); run = end) {
      while (end < ops_.size() && ops_[end].key == ops_[run].key &&
             ops_[end].hash == ops_[run].hash)
        ++end;
      if (end - run > 1) Settle(doc, run, end, dropped[ops_[run].key]);
    }
    size_t kept = 0;
    for (size_t k = 0; k < doc.keys.size(); ++k) {
      if (removed_[k]) continue;
      std::vector<RegLine> &lines = doc.keys[k].lines;
      if (!dropped[k].empty()) {
        size_t live = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
          if (dropped[k][i]) continue;
          if (live != i) lines[live] = std::move(lines[i]);
          ++live;
        }
        lines.resize(live);
      }
      if (kept != k) doc.keys[kept] = std::move(doc.keys[k]);
      ++kept;
    }
    doc.keys.resize(kept);
  }

 private:
  static constexpr uint32_t kDeletion = 0x80000000u;

  // A value line set, or a deletion, at a position among its key's lines.
  struct Op {
    uint32_t key;
    uint32_t hash;
    uint32_t position;  // the line's index; for a deletion, the lines before it
    uint32_t what;      // the line's index, or kDeletion | index in deleted_
    bool operator<(const Op &o) const {
      // A deletion comes before the line read after it, at the same position.
      return key != o.key             ? key < o.key
             : hash != o.hash         ? hash < o.hash
             : position != o.position ? position < o.position
                                      : (what & kDeletion) > (o.what & kDeletion);
    }
  };

  // Operations on names of one hash, in file order: per name, each drops the
  // line its name held before.
  void Settle(const RegDocument &doc, size_t from, size_t to, std::vector<bool> &dropped) {
    const std::vector<RegLine> &lines = doc.keys[ops_[from].key].lines;
    if (dropped.empty()) dropped.assign(lines.size(), false);
    std::vector<std::pair<const std::string *, uint32_t>> names;  // name, its line + 1
    for (size_t i = from; i < to; ++i) {
      const Op &op = ops_[i];
      bool deletion = op.what & kDeletion;
      const std::string &name =
          deletion ? deleted_[op.what & ~kDeletion] : lines[op.what].value.name;
      uint32_t now = deletion ? 0 : op.what + 1;
      auto same = std::find_if(names.begin(), names.end(),
                               [&](const auto &n) { return SameName(*n.first, name); });
      if (same == names.end()) {
        names.emplace_back(&name, now);
        continue;
      }
      if (same->second) dropped[same->second - 1] = true;
      same->second = now;
    }
  }

  std::map<std::string, size_t> byPath_;  // lower-case path to index
  std::vector<bool> removed_;             // by index
  std::vector<Op> ops_;
  std::vector<std::string> deleted_;  // the names of the deletions
};

}  // namespace

bool SameName(const std::string &a, const std::string &b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

bool IsWithin(const std::string &path, const std::string &parent) {
  if (path.size() <= parent.size() || path[parent.size()] != '\\') return false;
  for (size_t i = 0; i < parent.size(); ++i)
    if (Lower(path[i]) != Lower(parent[i])) return false;
  return true;
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

RegDocument ParseRegistry(const std::string &text) {
  RegDocument doc;
  LineReader reader(text, text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0);
  std::string line, t, name, piece;  // reused from line to line
  bool any = false;
  while (reader.Next(line, doc.crlf)) {
    TrimInto(line, t);
    if (!t.empty()) {
      any = true;
      break;
    }
  }
  if (!any) return doc;  // an empty file is an empty registry
  bool pending = true;   // `line` is not handled yet
  if (SameName(t, "REGEDIT4")) {
    pending = false;
  } else {
    doc.badHeader = true;
    doc.firstBadLine = reader.Number();
  }

  KeyTable table;
  auto bad = [&doc](int number) {
    if (!doc.badLines++ && (!doc.firstBadLine || number < doc.firstBadLine))
      doc.firstBadLine = number;
  };
  size_t current = kNoKey;
  bool skipping = false;  // values of a key that the file deletes
  while (pending || reader.Next(line, doc.crlf)) {
    pending = false;
    const int number = reader.Number();
    TrimInto(line, t);
    if (line.find('\0') != std::string::npos) {
      bad(number);
      continue;
    }
    if (t.empty() || t[0] == ';') {
      if (current != kNoKey) {
        RegLine raw;
        raw.text = line;
        table.Add(doc, current, std::move(raw));
      } else {
        doc.preamble.push_back(line);
      }
      continue;
    }
    if (t[0] == '[') {
      current = kNoKey;
      skipping = false;
      size_t close = t.rfind(']');
      std::string path;
      if (close == std::string::npos || !OnlyTrailer(t, close + 1)) {
        bad(number);
        continue;
      }
      // Blanks before "]" end the last key name, as they do when it is written.
      size_t first = 1;
      SkipBlanks(t, first);
      std::string inner = t.substr(first, close - first);
      bool remove = !inner.empty() && inner[0] == '-';
      if (!NormalPath(remove ? inner.substr(1) : inner, path)) {
        bad(number);
        continue;
      }
      if (remove) {
        table.RemoveKey(path);
        skipping = true;
        continue;
      }
      current = table.Section(doc, path);
      continue;
    }

    // A value, perhaps continued over the following lines.
    std::string raw = line;
    size_t data = 0;
    bool hex = ParseValueName(t, data, name) && StartsWithNoCase(t, data, "hex");
    // A backslash in a comment does not continue the data.
    while (hex && t.back() == '\\' && t.find(';', data) == std::string::npos &&
           reader.Next(line, doc.crlf)) {
      t.pop_back();
      raw += '\n';
      raw += line;
      TrimInto(line, piece);
      t += piece;
    }
    RegValue value;
    ValueParse parsed = ParseValue(t, value);
    if (skipping) continue;
    if (parsed == ValueParse::Bad || current == kNoKey) {
      bad(number);
      continue;
    }
    if (parsed == ValueParse::Delete) {
      table.DropValue(doc, current, value.name);
      continue;
    }
    RegLine entry;
    entry.isValue = true;
    entry.text = std::move(raw);
    entry.value = std::move(value);
    table.SetValue(doc, current, std::move(entry));  // a later line wins
  }
  table.Finish(doc);
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
