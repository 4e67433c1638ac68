// The registry file: what is read, written and read again holds the same
// keys, values and comments; writing it once more gives the same bytes; and
// every value written from scratch reads back as it was.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  RegDocument doc = winport::ParseRegistry(AsString(data, size));
  RoundTrip(doc, "as read");
  // Every value written by the writer rather than kept as read.
  for (winport::RegKey &key : doc.keys)
    for (winport::RegLine &line : key.lines)
      if (line.isValue) line.text.clear();
  RoundTrip(doc, "values rewritten");
  return 0;
}
