// The command line's --cursor and --block values.
#include <cctype>
#include <cstring>
#include <vector>

#include "farhost/host_editor.hpp"

namespace farhost {
namespace {

const long kLargest = 100000000;  // lines or columns

// Comma-separated numbers from 1; false for anything else.
bool Numbers(const char *text, size_t count, std::vector<int> *numbers) {
  numbers->clear();
  const char *p = text;
  while (true) {
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
    long value = 0;
    while (std::isdigit(static_cast<unsigned char>(*p))) {
      value = value * 10 + (*p++ - '0');
      if (value > kLargest) return false;
    }
    if (value < 1) return false;
    numbers->push_back(int(value));
    if (*p == '\0') break;
    if (*p++ != ',') return false;
  }
  return numbers->size() == count;
}

bool StartsWithWord(const char *text, const char *word, const char **rest) {
  size_t n = std::strlen(word);
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != word[i]) return false;
  if (text[n] != ',') return false;
  *rest = text + n + 1;
  return true;
}

}  // namespace

bool ParseCursorOption(const char *value, HostEditorOptions *options) {
  std::vector<int> n;
  if (!value || !options || !Numbers(value, 2, &n)) return false;
  options->hasCursor = true;
  options->cursorLine = n[0] - 1;
  options->cursorColumn = n[1] - 1;
  return true;
}

bool ParseBlockOption(const char *value, HostEditorOptions *options) {
  if (!value || !options) return false;
  const char *rest = nullptr;
  int type = BTYPE_NONE;
  if (StartsWithWord(value, "stream", &rest))
    type = BTYPE_STREAM;
  else if (StartsWithWord(value, "column", &rest))
    type = BTYPE_COLUMN;
  std::vector<int> n;
  if (type == BTYPE_NONE || !Numbers(rest, 4, &n)) return false;
  const int line1 = n[0], col1 = n[1], line2 = n[2], col2 = n[3];
  if (line2 < line1) return false;
  if (type == BTYPE_STREAM && line2 == line1 && col2 <= col1) return false;
  if (type == BTYPE_COLUMN && col2 <= col1) return false;
  options->blockType = type;
  options->blockFirstLine = line1 - 1;
  options->blockFirstColumn = col1 - 1;
  options->blockLastLine = line2 - 1;
  options->blockEndColumn = col2 - 1;
  return true;
}

}  // namespace farhost
