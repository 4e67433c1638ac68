// Changes the keys make to the text: blocks, the clipboard at the cursor,
// and lines split, joined and deleted. Every new line is built before the
// table changes, so an allocation that fails leaves the text as it was.
#include <cstdlib>
#include <cstring>
#include <new>

#include "editor/line_editor.hpp"
#include "host/clipboard.hpp"

namespace {

// Frees lines [from, from + count) and moves the later ones up over them.
void RemoveLines(char **lines, int *lineCount, int from, int count) {
  for (int i = from; i < from + count; i++) free(lines[i]);
  memmove(lines + from, lines + from + count,
          sizeof(char *) * static_cast<size_t>(*lineCount - from - count));
  *lineCount -= count;
}

// Moves lines [from, lineCount) down by count; the caller fills the gap.
void OpenLines(char **lines, int *lineCount, int from, int count) {
  memmove(lines + from + count, lines + from,
          sizeof(char *) * static_cast<size_t>(*lineCount - from));
  *lineCount += count;
}

}  // namespace

void LineEditor::DeleteBlock(int regionIndex) {
  // An empty block holds nothing to delete: the cursor stays where it is.
  if (regionIndex < 0 || regionIndex >= regionCount || regions[regionIndex].IsEmpty()) return;
  const Region &region = regions[regionIndex];
  int startLine = Clamp(region.startLine, 0, lineCount - 1);
  int endLine = Clamp(region.endLine, 0, lineCount - 1);
  int startColumn = region.startColumn < 0 ? 0 : region.startColumn;
  int endColumn = region.endColumn < 0 ? 0 : region.endColumn;

  if (startLine < endLine) {
    int startLength = LineLength(startLine);
    int endLength = LineLength(endLine);
    int kept = startColumn < startLength ? startColumn : startLength;
    int from = endColumn < endLength ? endColumn : endLength;
    char *joined = Joined(LineText(startLine), kept, LineText(endLine) + from, endLength - from);
    if (!joined) return;
    free(lines[startLine]);
    lines[startLine] = joined;
    RemoveLines(lines, &lineCount, startLine + 1, endLine - startLine);
  } else if (startLine == endLine && lines[startLine]) {
    char *text = lines[startLine];
    int length = LineLength(startLine);
    int from = startColumn < length ? startColumn : length;
    int to = endColumn < length ? endColumn : length;
    if (to > from) memmove(text + from, text + to, static_cast<size_t>(length - to + 1));
  }
  regions[regionIndex].Clear();
  MoveTo(startLine, startColumn, true);
  SetModified(true);
}

int LineEditor::CopySelection() {
  int length = GetRegionText(0, nullptr, 0);
  if (length <= 0) return 0;
  char *buffer = static_cast<char *>(malloc(static_cast<size_t>(length) + 1));
  if (!buffer) return 0;
  GetRegionText(0, buffer, length + 1);
  // A copy that did not reach the clipboard counts as none: a cut then
  // keeps its text.
  bool placed = ClipboardPut(buffer, length);
  free(buffer);
  return placed ? length : 0;
}

void LineEditor::PasteAtCursor(int regionIndex) {
  if (regionIndex < 0 || regionIndex >= regionCount) return;
  char *text = nullptr;
  int size = 0;
  if (!ClipboardGet(&text, &size) || !text || size <= 0 || !text[0]) {
    free(text);
    return;
  }
  Region &region = regions[regionIndex];
  int line = CurrentLine();
  int length = LineLength(line);
  int at = Clamp(cursorColumn, 0, length);
  // The block becomes the point at the cursor, also when nothing fits in.
  if (!region.IsEmpty()) Dialog().Lock(true);
  region.SetPoint(at, line);

  int room = capacity - lineCount;
  char **pieces = room > 0 ? new (std::nothrow) char *[room] : nullptr;
  int pieceCount = 0;
  if (pieces) SplitText(text, pieces, &pieceCount, room);
  free(text);
  int count = pieceCount;

  if (count > 0) {
    const char *old = LineText(line);
    int firstLength = static_cast<int>(strlen(pieces[0]));
    int lastLength = static_cast<int>(strlen(pieces[count - 1]));
    // The first piece joins the text before the cursor, the last the text after it.
    char *first = Joined(old, at, pieces[0], firstLength);
    char *last = nullptr;
    if (first && count == 1) {
      char *whole = Joined(first, at + firstLength, old + at, length - at);
      free(first);
      first = whole;
    } else if (first) {
      last = Joined(pieces[count - 1], lastLength, old + at, length - at);
    }
    if (!first || (count > 1 && !last)) {
      free(first);
      count = 0;
    } else {
      free(lines[line]);
      lines[line] = first;
      if (count > 1) {
        OpenLines(lines, &lineCount, line + 1, count - 1);
        for (int i = 1; i < count - 1; i++) {
          lines[line + i] = pieces[i];
          pieces[i] = nullptr;
        }
        lines[line + count - 1] = last;
        region.Set(at, line, lastLength, line + count - 1);
      } else {
        region.Set(at, line, at + firstLength, line);
      }
    }
  }
  for (int i = 0; i < pieceCount; i++) free(pieces[i]);
  delete[] pieces;
  if (count == 0 || region.IsEmpty()) return;
  MoveTo(region.endLine, region.endColumn, true);
  SetModified(true);
}

void LineEditor::SplitLine(int row, int column) {
  if (lineCount >= capacity) return;
  int line = topLine + row;
  if (line < 0 || line >= lineCount) return;
  int length = LineLength(line);
  bool cut = column >= 0 && column < length;
  char *rest = cut ? DuplicateLine(LineText(line) + column, length - column) : DuplicateLine("", 0);
  if (!rest) return;
  if (cut) lines[line][column] = 0;
  OpenLines(lines, &lineCount, line + 1, 1);
  lines[line + 1] = rest;
  MoveTo(line + 1, 0, true);
  SetModified(true);
}

void LineEditor::JoinLines(int index) {
  if (index < 0 || index + 1 >= lineCount) return;
  int length = LineLength(index);
  char *joined = Joined(LineText(index), length, LineText(index + 1), LineLength(index + 1));
  if (!joined) return;
  free(lines[index]);
  lines[index] = joined;
  RemoveLines(lines, &lineCount, index + 1, 1);
  KeepSelectionInText();
  MoveTo(index, length, true);
  SetModified(true);
}

void LineEditor::DeleteLine(int line) {
  if (line < 0 || line >= lineCount) return;
  if (lineCount == 1) {
    if (LineLength(line) == 0) return;
    lines[line][0] = 0;
    MoveTo(0, 0, true);
  } else {
    RemoveLines(lines, &lineCount, line, 1);
    KeepSelectionInText();
    MoveTo(line, cursorColumn, true);
  }
  SetModified(true);
}

// The selection stays where it is when lines go; only what now lies past
// the end of the text goes with them.
void LineEditor::KeepSelectionInText() {
  Region &sel = regions[0];
  const int last = lineCount - 1;
  if (sel.IsNull() || sel.endLine <= last) return;
  if (sel.startLine > last || (sel.startLine == last && sel.startColumn >= LineLength(last)))
    sel.Clear();
  else
    sel.Set(sel.startColumn, sel.startLine, LineLength(last), last);
}
