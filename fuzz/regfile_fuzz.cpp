// The registry file: what is read, written and read again holds the same
// keys, values and comments; writing it once more gives the same bytes; and
// every value written from scratch reads back as it was. The input is the
// file, then after its last NUL byte changes made as the registry calls
// make them (names without line breaks).
#include "regfile.hpp"
#include "support.hpp"

using winport::RegDocument;

namespace {

// Keys, their lines and the preamble's comments, as one comparable text.
std::string Content(const RegDocument &doc) {
  std::string out;
  for (const std::string &line : doc.preamble)
    if (line.find_first_not_of(" \t") != std::string::npos) out += "; " + line + "\n";
  for (const winport::RegKey &key : doc.keys) {
    out += "[" + key.path + "]\n";
    for (const winport::RegLine &line : key.lines) {
      if (!line.isValue) {
        out += "  " + line.text + "\n";
        continue;
      }
      out += "  \"" + line.value.name + "\" " + std::to_string(line.value.type) + ":";
      for (uint8_t b : line.value.data) out += std::to_string(b) + ",";
      out += "\n";
    }
  }
  return out;
}

void RoundTrip(const RegDocument &first, const char *what) {
  std::string written = winport::FormatRegistry(first);
  RegDocument second = winport::ParseRegistry(written);
  FuzzCheck(!second.Damaged(), what, "the written file reads back damaged:\n" + written);
  FuzzCheck(Content(first) == Content(second), what,
            "content changed:\n" + Content(first) + "--- became ---\n" + Content(second));
  FuzzCheck(winport::FormatRegistry(second) == written, what, "written twice differs");
}

// A name the registry calls accept: no line break, no NUL; a key name
// also no backslash and not empty.
std::string Name(FuzzBytes &bytes, bool key) {
  std::string name;
  for (char c : bytes.Text(12))
    if (c != '\r' && c != '\n' && c != '\0' && !(key && c == '\\')) name += c;
  return key && name.empty() ? "k" : name;
}

void Change(RegDocument &doc, FuzzBytes &bytes) {
  if (doc.keys.empty()) doc.InsertKey("HKEY_CURRENT_USER\\Software");
  winport::RegKey &key = doc.keys[size_t(bytes.Below(int(doc.keys.size())))];
  switch (bytes.Below(4)) {
    case 0: {
      winport::RegValue value;
      value.name = Name(bytes, false);
      value.type = uint32_t(bytes.Below(12));
      std::string data = bytes.Text(24);
      value.data.assign(data.begin(), data.end());
      winport::SetValue(key, value);
      break;
    }
    case 1: {
      std::string path = key.path + "\\" + Name(bytes, true);
      if (!doc.FindKey(path)) doc.InsertKey(path);
      break;
    }
    case 2:
      doc.RemoveKey(std::string(key.path));
      break;
    default:
      for (const winport::RegLine &line : key.lines)
        if (line.isValue && bytes.Byte() & 1) {
          winport::RemoveValue(key, std::string(line.value.name));
          break;
        }
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string input = AsString(data, size);
  size_t cut = input.rfind('\0');
  RegDocument doc = winport::ParseRegistry(input.substr(0, cut));
  RoundTrip(doc, "as read");
  if (cut != std::string::npos) {
    FuzzBytes bytes(data + cut + 1, size - cut - 1);
    for (int i = 0; i < 8 && !bytes.Empty(); i++) Change(doc, bytes);
    RoundTrip(doc, "changed");
  }
  // Every value written by the writer rather than kept as read.
  for (winport::RegKey &key : doc.keys)
    for (winport::RegLine &line : key.lines)
      if (line.isValue) line.text.clear();
  RoundTrip(doc, "values rewritten");
  return 0;
}
