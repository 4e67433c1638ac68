// The registry file: REGEDIT4 text read into keys and values, and written back
// with every line that was not changed kept as the user wrote it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace winport {

struct RegValue {
  std::string name;  // "" is the default value, written as @
  uint32_t type = 0;
  std::vector<uint8_t> data;
};

// One line group under a key: a value, or a comment or blank line kept as is.
struct RegLine {
  bool isValue = false;
  std::string text;  // the lines as read; empty once the value has changed
  RegValue value;
};

struct RegKey {
  std::string path;  // hive first, components as spelled when created
  std::vector<RegLine> lines;
};

struct RegDocument {
  std::vector<std::string> preamble;  // lines between the header and the first key
  std::vector<RegKey> keys;
  bool crlf = false;
  bool badHeader = false;
  int badLines = 0;      // lines not understood
  int firstBadLine = 0;  // the first of them, or the missing header, from 1

  bool Damaged() const { return badHeader || badLines > 0; }

  RegKey *FindKey(const std::string &path);
  const RegKey *FindKey(const std::string &path) const;
  // A key exists with a section of its own or as the parent of one.
  bool KeyExists(const std::string &path) const;
  bool HasSubKeys(const std::string &path) const;
  // A new section placed after the last section of its parent's subtree.
  RegKey &InsertKey(const std::string &path);
  void RemoveKey(const std::string &path);
};

RegLine *FindValue(RegKey &key, const std::string &name);
const RegLine *FindValue(const RegKey &key, const std::string &name);
// Sets or adds a value; false when it already held exactly this.
bool SetValue(RegKey &key, const RegValue &value);
bool RemoveValue(RegKey &key, const std::string &name);

// Names compare without regard to ASCII case.
bool SameName(const std::string &a, const std::string &b);
bool IsWithin(const std::string &path, const std::string &parent);

RegDocument ParseRegistry(const std::string &text);
std::string FormatRegistry(const RegDocument &doc);
std::string FormatValueLine(const RegValue &value);

}  // namespace winport
