// A text file as the editor holds it: lines without their line breaks, and
// the line break that ended each one ("" for the last line).
#pragma once

#include <string>
#include <vector>

namespace farhost {

struct EditorText {
  std::vector<std::string> lines;
  std::vector<const char *> breaks;  // "\r\n", "\n", "\r" or ""
};

// Cuts bytes into lines at CR LF, LF or CR. An empty text is one empty line;
// a text that ends with a line break has an empty last line.
EditorText SplitEditorText(const std::string &bytes);
// Reads a file; false with a message for a missing or unreadable file, a
// folder, or a file too large to hold.
bool LoadEditorText(const char *path, EditorText *text, std::string *error);

}  // namespace farhost
