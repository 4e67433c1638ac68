// The editor stand-in's text splitting: the lines and their breaks put
// together again give the bytes back.
#include "farhost/editor_text.hpp"
#include "support.hpp"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string bytes = AsString(data, size);
  farhost::EditorText text = farhost::SplitEditorText(bytes);
  FuzzCheck(!text.lines.empty(), "no lines");
  FuzzCheck(text.lines.size() == text.breaks.size(), "lines and breaks differ in number");
  std::string joined;
  for (size_t i = 0; i < text.lines.size(); ++i) {
    FuzzCheck(text.lines[i].find_first_of("\r\n") == std::string::npos, "a line holds a break");
    bool last = i + 1 == text.lines.size();
    FuzzCheck(last == (std::strlen(text.breaks[i]) == 0), "empty break not on the last line");
    joined += text.lines[i];
    joined += text.breaks[i];
  }
  FuzzCheck(joined == bytes, "lines and breaks do not give the bytes back");
  return 0;
}
