// The window onto the text: which line each row shows, and the cursor.
#include <cstdlib>
#include <cstring>

#include "editor/line_editor.hpp"

enum { kRowLength = kItemTextSize - 1 };

bool LineEditor::MoveTo(int line, int column, bool force) {
  int current = topLine + cursorRow;
  int newTop = topLine;
  if (line > lineCount - 1) line = lineCount - 1;
  if (line < 0) line = 0;
  if (line == current && column == -1) return false;

  if (line < topLine) {
    newTop = line;
  } else if (line - newTop >= rowCount) {
    newTop = line - rowCount + 1 > 0 ? line - rowCount + 1 : 0;
  }
  // A window past the end of the text, or the last line: target in the bottom row.
  if (newTop + rowCount > lineCount || line == lineCount - 1)
    newTop = line - rowCount + 1 > 0 ? line - rowCount + 1 : 0;

  if (newTop != topLine || force) {
    topLine = newTop;
    Refresh();
  }
  if (column != -1 && Dialog().SetCursorColumn(rowItems[line - topLine], column))
    cursorColumn = column;
  cursorRow = line - topLine;
  Dialog().SetFocus(rowItems[cursorRow]);
  NotifyCursorMoved();
  return true;
}

void LineEditor::Refresh() {
  if (lineCount == 0) {
    lines[0] = DuplicateLine("", 0);
    lineCount = 1;
  }
  DialogHandle &d = Dialog();
  d.Lock(true);
  int row = 0;
  for (; row < lineCount && row < rowCount && topLine + row < lineCount; row++) {
    ShowLineInRow(row, topLine + row);
    d.ShowItem(rowItems[row], true);
  }
  for (; row < rowCount; row++) {
    d.SetItemText(rowItems[row], "");
    d.ShowItem(rowItems[row], false);
  }
  // Keys go to the focused row: it must not be one that now shows no line.
  int focused = RowOfItem(d.GetFocus());
  if (focused >= 0 && topLine + focused >= lineCount) {
    if (topLine + cursorRow >= lineCount)
      cursorRow = lineCount - 1 > topLine ? lineCount - 1 - topLine : 0;
    d.SetFocus(rowItems[cursorRow]);
  }
  DrawRegions();
}

// A row holds the first kRowLength characters of its line; the rest of a
// longer line stays in the line, out of the row's reach.
void LineEditor::ShowLineInRow(int row, int line) {
  const char *text = LineText(line);
  if (static_cast<int>(strnlen(text, kRowLength + 1)) <= kRowLength) {
    Dialog().SetItemText(rowItems[row], text);
    return;
  }
  char shown[kRowLength + 1];
  memcpy(shown, text, kRowLength);
  shown[kRowLength] = 0;
  Dialog().SetItemText(rowItems[row], shown);
}

void LineEditor::ReadBackRow(int row) {
  if (row < 0 || row >= rowCount || topLine + row >= lineCount) return;
  const int line = topLine + row;
  const char *text = Dialog().GetItemText(rowItems[row]);
  const int length = static_cast<int>(strlen(text));
  const int oldLength = LineLength(line);
  const int hidden = oldLength > kRowLength ? oldLength - kRowLength : 0;
  const char *tail = hidden > 0 ? LineText(line) + kRowLength : "";
  char *copy = Joined(text, length, tail, hidden);
  if (!copy) return;  // keep the old line rather than lose it
  free(lines[line]);
  lines[line] = copy;
  // A deletion made room in the row: it shows the line's next characters,
  // so that the row is again the start of the line.
  if (hidden > 0 && length < kRowLength) {
    DialogHandle &d = Dialog();
    int column = d.GetCursorColumn(rowItems[row]);
    ShowLineInRow(row, line);
    d.SetCursorColumn(rowItems[row], column);
  }
}

void LineEditor::PadToCursor(int line) {
  int row = line - topLine;
  if (line < 0 || line >= lineCount || row < 0 || row >= rowCount) return;
  int length = LineLength(line);
  int width = cursorColumn < kItemTextSize - 1 ? cursorColumn : kItemTextSize - 1;
  if (length >= width) return;
  char padded[kItemTextSize];
  memcpy(padded, LineText(line), static_cast<size_t>(length));
  memset(padded + length, ' ', static_cast<size_t>(width - length));
  padded[width] = 0;
  Dialog().SetItemText(rowItems[row], padded);
}

void LineEditor::ClearLines() {
  for (int i = 0; i < lineCount; i++) {
    free(lines[i]);
    lines[i] = nullptr;
  }
  lineCount = 0;
  topLine = 0;
  cursorColumn = 0;
  cursorRow = 0;
}
