// Keys of the rows that make the column act as one text. A key that none of
// the three handlers takes goes on to the host's own edit field.
#include "editor/line_editor.hpp"
#include "far170/plugin.hpp"

constexpr DWORD kCtrlShift = KEY_CTRL | KEY_SHIFT;

bool IsPrintableKey(DWORD key) {
  if (key & (KEY_CTRL | KEY_ALT | KEY_RCTRL | KEY_RALT)) return false;
  DWORD base = key & 0xFFF;
  return base >= 32 && base <= 255;
}

bool LineEditor::HandleNavigationKey(int, DWORD key) {
  int line = CurrentLine();
  int column = cursorColumn;
  int targetLine = line;
  int targetColumn = column;
  switch (key) {
    case KEY_UP:
      targetLine = line - 1;
      break;
    case KEY_DOWN:
      targetLine = line + 1;
      break;
    case KEY_LEFT:
      targetColumn = column - 1;
      break;
    case KEY_RIGHT:
      targetColumn = column + 1;
      break;
    case KEY_HOME:
      targetColumn = 0;
      break;
    case KEY_END:
      targetColumn = LineLength(line);
      break;
    case KEY_PGUP:
      targetLine = line - rowCount;
      break;
    case KEY_PGDN:
      targetLine = line + rowCount;
      break;
    case KEY_CTRL | KEY_PGUP:
      targetLine = -1;
      break;
    case KEY_CTRL | KEY_PGDN:
    case KEY_CTRL | KEY_END:  // the column stays, as with Ctrl+PgDn
      targetLine = lineCount;
      break;
    case KEY_CTRL | KEY_HOME:
      targetLine = -1;
      targetColumn = 0;
      break;
    default:
      return false;
  }
  // A selection dropped without a change of row is only wiped by a repaint.
  if (!regions[0].IsEmpty() && targetLine == line && targetColumn != column) Dialog().Lock(true);
  regions[0].Clear();
  MoveTo(targetLine, targetColumn, false);  // Left in column 0 gives -1: the cursor stays
  return true;
}

bool LineEditor::HandleSelectionKey(int row, DWORD key) {
  int line = topLine + row;
  int column = cursorColumn;
  Region &sel = regions[0];
  enum { kOnStart, kOnEnd, kApart } mode = kApart;
  if (column == sel.startColumn && line == sel.startLine)
    mode = kOnStart;
  else if (column == sel.endColumn && line == sel.endLine)
    mode = kOnEnd;

  switch (key) {
    case KEY_BS:
    case KEY_DEL:
    case KEY_CTRL | 'D':
      if (sel.IsEmpty()) return key == (KEY_CTRL | 'D');
      DeleteBlock(0);
      return true;
    case KEY_CTRL | 'C':
    case KEY_CTRL | KEY_INS:
      if (!sel.IsEmpty()) CopySelection();
      return true;
    case KEY_CTRL | 'X':
    case KEY_SHIFT | KEY_DEL:
      if (sel.IsEmpty()) return false;
      if (CopySelection() != 0) DeleteBlock(0);
      return true;
    case KEY_CTRL | 'V':
    case KEY_SHIFT | KEY_INS:
      PasteAtCursor(0);
      return true;
    default:
      break;
  }

  int newLine = line;
  int newColumn = column;
  switch (key) {
    case KEY_SHIFT | KEY_LEFT:
    case kCtrlShift | KEY_LEFT:
      newColumn = column - 1;
      break;
    case KEY_SHIFT | KEY_RIGHT:
    case kCtrlShift | KEY_RIGHT:
      newColumn = column + 1;
      break;
    case KEY_SHIFT | KEY_HOME:
      newColumn = 0;
      break;
    case KEY_SHIFT | KEY_END:
      newColumn = LineLength(topLine + row);
      break;
    case KEY_SHIFT | KEY_UP:
      newLine = line - 1;
      break;
    case KEY_SHIFT | KEY_DOWN:
      newLine = line + 1;
      break;
    case KEY_SHIFT | KEY_PGUP:
      newLine = line - rowCount;
      break;
    case KEY_SHIFT | KEY_PGDN:
      newLine = line + rowCount;
      break;
    case kCtrlShift | KEY_PGUP:
      newLine = 0;
      break;
    case kCtrlShift | KEY_PGDN:
      newLine = lineCount - 1;
      break;
    case kCtrlShift | KEY_END:
      newLine = lineCount - 1;
      newColumn = LineLength(lineCount - 1);
      break;
    case kCtrlShift | KEY_HOME:
      newLine = 0;
      newColumn = 0;
      break;
    default:
      return false;
  }

  Dialog().Lock(true);
  newLine = Clamp(newLine, 0, lineCount - 1);
  if (newColumn < 0) newColumn = 0;
  if (newColumn == column && newLine == line) return true;
  switch (mode) {
    case kOnStart:
      sel.Set(newColumn, newLine, sel.endColumn, sel.endLine);
      break;
    case kOnEnd:
      sel.Set(sel.startColumn, sel.startLine, newColumn, newLine);
      break;
    case kApart:
      sel.Set(column, line, newColumn, newLine);
      break;
  }
  sel.Normalize();
  MoveTo(newLine, newColumn, false);
  return true;
}

bool LineEditor::HandleLineKey(int row, DWORD key) {
  int line = CurrentLine();
  switch (key) {
    case KEY_ENTER:
    case KEY_CTRL | 'N':
      SplitLine(row, cursorColumn);
      return true;
    case KEY_CTRL | 'Y':
      DeleteLine(topLine + row);
      return true;
    case KEY_BS:
      if (cursorColumn >= 1 || line == 0) return false;
      JoinLines(line - 1);
      return true;
    case KEY_DEL:
      if (cursorColumn < LineLength(line) || line == lineCount - 1) return false;
      JoinLines(line);
      return true;
    default:
      return false;
  }
}
