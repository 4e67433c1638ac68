// The editor stand-in's text: the lines and their breaks put together again
// give the bytes back, whichever order the lines are read in, and decoding
// as UTF-8 never makes a text longer.
#include "farhost/editor_text.hpp"
#include "support.hpp"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string bytes = AsString(data, size);
  farhost::EditorText text(bytes);
  FuzzCheck(text.LineCount() >= 1, "no lines");
  // The last line first: it is found by walking from the nearest mark.
  const int lastLength = text.Get(text.LineCount() - 1).length;
  std::string joined;
  for (int i = 0; i < text.LineCount(); ++i) {
    farhost::EditorText::Line line = text.Get(i);
    const std::string body(line.text, size_t(line.length));
    FuzzCheck(line.text[line.length] == '\0', "a line without its zero");
    FuzzCheck(body.find_first_of("\r\n") == std::string::npos, "a line holds a break");
    bool last = i + 1 == text.LineCount();
    FuzzCheck(!last || line.length == lastLength, "the last line differs in the two walks");
    FuzzCheck(last == (std::strlen(line.lineBreak) == 0), "empty break not on the last line");
    joined += body;
    joined += line.lineBreak;
  }
  FuzzCheck(joined == bytes, "lines and breaks do not give the bytes back");
  if (text.LineCount() > 1) {
    farhost::EditorText::Line first = text.Get(0);
    FuzzCheck(text.View(text.LineCount() - 1).length >= 0 && first.text[first.length] == '\0',
              "looking at a line undid the zero of another");
  }
  std::string decoded = bytes;
  if (farhost::DecodeUtf8Text(&decoded))
    FuzzCheck(decoded.size() <= bytes.size(), "decoding made the text longer");
  else
    FuzzCheck(decoded == bytes, "a text that is not UTF-8 was changed");
  return 0;
}
