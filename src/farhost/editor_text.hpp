// A text file as the editor holds it: the file's bytes in one buffer, with
// the start of every 32nd line noted. A line is found by walking from the
// nearest note, so the text costs little more than its own size.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace farhost {

class EditorText {
 public:
  // One line of the text, as EditorControl hands it out.
  struct Line {
    const char *text = "";       // ends with a zero byte until the next Get
    int length = 0;              // the line's bytes (it may hold zero bytes)
    const char *lineBreak = "";  // "\r\n", "\n", "\r", or "" for the last line
  };

  // One empty line.
  EditorText() : EditorText(std::string()) {}
  // Cuts `bytes` into lines at CR LF, LF or CR. A text that ends with a line
  // break has an empty last line.
  explicit EditorText(std::string bytes);

  int LineCount() const { return lineCount_; }
  size_t Size() const { return bytes_.size(); }
  // Line n, 0 <= n < LineCount().
  Line Get(int n);
  // The same, without the zero byte after the text: what it points at is
  // followed by the line's break.
  Line View(int n);

 private:
  size_t Start(int n);
  void Unpatch();

  std::string bytes_;
  std::vector<size_t> marks_;  // the start of lines 0, 32, 64, ...
  int lineCount_ = 1;
  int lastLine_ = 0;  // the last line found, where the next walk may start
  size_t lastStart_ = 0;
  size_t patchAt_ = std::string::npos;  // the break byte a zero stands in for
  char patchByte_ = 0;
};

// A valid UTF-8 text converted into the OEM code page in place: a character
// the code page lacks becomes its best-fit look-alike, else '?'; a leading
// byte order mark is dropped. False, and the bytes untouched, when the text
// is not valid UTF-8. Plain ASCII stays as it is (true).
bool DecodeUtf8Text(std::string *bytes);

// Reads a file, decoded with DecodeUtf8Text when it is valid UTF-8; false
// with a message for a missing or unreadable file, a folder, a file too
// large to hold (refused by its size before it is read) or one that does
// not fit in memory.
bool LoadEditorText(const char *path, EditorText *text, std::string *error);

}  // namespace farhost
