#include "editor/line_editor.hpp"

#include <cstdlib>
#include <cstring>
#include <new>

#include "far170/plugin.hpp"
#include "host/editor_link.hpp"
#include "host/host_services.hpp"

char *DuplicateLine(const char *text, int length) {
  if (length < 0) length = 0;
  char *copy = static_cast<char *>(malloc(static_cast<size_t>(length) + 1));
  if (!copy) return nullptr;
  if (length > 0) memcpy(copy, text, static_cast<size_t>(length));
  copy[length] = 0;
  return copy;
}

char *Joined(const char *head, int length, const char *tail, int tailLength) {
  char *line = static_cast<char *>(malloc(static_cast<size_t>(length) + tailLength + 1));
  if (!line) return nullptr;
  memcpy(line, head, static_cast<size_t>(length));
  memcpy(line + length, tail, static_cast<size_t>(tailLength));
  line[length + tailLength] = 0;
  return line;
}

static uint32_t SelectionColor() {
  return PaletteColor(COL_DIALOGEDITSELECTED, 0x70);
}

LineEditor::LineEditor(int firstItem, int lastItem, int capacity_)
    : dialog(nullptr),
      lines(nullptr),
      lineCount(0),
      rowItems(nullptr),
      rowCount(lastItem - firstItem + 1),
      modified(false),
      drawn(false),
      cursorColumn(0),
      cursorRow(0),
      hostEditor(nullptr),
      dialogRect{0, 0, 0, 0},
      capacity(capacity_ < 1 ? 1 : capacity_),
      topLine(0),
      regions(nullptr),
      regionCount(0),
      spareRegion_{} {
  if (rowCount < 1) rowCount = 1;
  rowItems = new (std::nothrow) int[rowCount];
  if (!rowItems) {
    rowItems = &spareItem_;
    rowCount = 1;
  }
  for (int i = 0; i < rowCount; i++) rowItems[i] = firstItem + i;

  lines = new (std::nothrow) char *[capacity]();
  if (!lines) {
    lines = &spareLine_;
    capacity = 1;
  }
  lines[0] = DuplicateLine("", 0);
  lineCount = 1;

  regions = static_cast<Region *>(malloc(sizeof(Region)));
  if (!regions) regions = &spareRegion_;
  regionCount = 1;
  regions[0].Clear();
  regions[0].color = SelectionColor();
}

LineEditor::~LineEditor() {
  for (int i = 0; i < lineCount; i++) free(lines[i]);
  if (lines != &spareLine_) delete[] lines;
  if (rowItems != &spareItem_) delete[] rowItems;
  if (regions != &spareRegion_) free(regions);
}

DialogHandle &LineEditor::Dialog() {
  return dialog ? *dialog : noDialog_;
}

int LineEditor::RowOfItem(int item) const {
  for (int row = 0; row < rowCount; row++)
    if (rowItems[row] == item) return row;
  return -1;
}

const char *LineEditor::LineText(int line) const {
  if (line < 0 || line >= lineCount || !lines[line]) return "";
  return lines[line];
}

int LineEditor::LineLength(int line) const {
  return static_cast<int>(strlen(LineText(line)));
}

void LineEditor::SetModified(bool flag) {
  modified = flag;
  if (flag) Dialog().Send(kTextModifiedMessage, 1, reinterpret_cast<LONG_PTR>(this));
}

void LineEditor::NotifyCursorMoved() {
  Dialog().Send(kCursorMovedMessage, 0, reinterpret_cast<LONG_PTR>(this));
}

bool LineEditor::HandleMessage(DialogHandle *dialog_, int message, int param1, LONG_PTR param2,
                               LONG_PTR *result) {
  dialog = dialog_;
  switch (message) {
    case DN_KEY: {
      int row = RowOfItem(param1);
      if (row < 0) return false;
      cursorColumn = Dialog().GetCursorColumn(param1);
      cursorRow = row;
      DWORD key = static_cast<DWORD>(param2);
      if (IsPrintableKey(key)) {
        // Typing over a selection: the block goes first, and the row the
        // character lands in reaches the cursor column.
        DeleteBlock(0);
        regions[0].Clear();
        PadToCursor(CurrentLine());
      }
      if (HandleNavigationKey(row, key) || HandleSelectionKey(row, key) ||
          HandleLineKey(row, key)) {
        if (result) *result = 1;
        return true;
      }
      return false;
    }
    case DN_DRAWDIALOG:
      drawn = true;
      Dialog().GetDialogRect(&dialogRect);
      return false;
    case DN_DRAWDLGITEM:
      if (param1 == rowItems[rowCount - 1] + 1) DrawRegions();
      return false;
    case DN_EDITCHANGE: {
      int row = RowOfItem(param1);
      if (row < 0) return false;
      ReadBackRow(row);
      cursorColumn = Dialog().GetCursorColumn(param1);
      SetModified(true);
      return false;
    }
    case DN_INITDIALOG:
      hostEditor = reinterpret_cast<EditorLink *>(param2);
      Dialog().GetDialogRect(&dialogRect);
      Refresh();
      SetModified(false);
      return false;
    default:
      return false;
  }
}
