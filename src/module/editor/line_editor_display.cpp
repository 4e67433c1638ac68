// The window onto the text: which line each row shows, and the cursor.
#include <cstdlib>
#include <cstring>

#include "editor/line_editor.hpp"

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
    d.SetItemText(rowItems[row], LineText(topLine + row));
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

void LineEditor::ReadBackRow(int row) {
  if (row < 0 || row >= rowCount || topLine + row >= lineCount) return;
  const char *text = Dialog().GetItemText(rowItems[row]);
  char *copy = DuplicateLine(text, static_cast<int>(strlen(text)));
  if (!copy) return;  // keep the old line rather than lose it
  free(lines[topLine + row]);
  lines[topLine + row] = copy;
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
