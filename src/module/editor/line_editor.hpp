// A multi-line editor laid over a column of single-line edit items (rows).
// The editor keeps the text; the rows are a window onto it.
#pragma once

#include <windows.h>

#include "editor/dialog_handle.hpp"
#include "editor/region.hpp"

class EditorLink;

class LineEditor {
 public:
  LineEditor(int firstItem, int lastItem, int capacity);
  ~LineEditor();
  LineEditor(const LineEditor &) = delete;
  LineEditor &operator=(const LineEditor &) = delete;

  // True when handled; *result is then what the dialog procedure returns.
  virtual bool HandleMessage(DialogHandle *dialog, int message, int param1, LONG_PTR param2,
                             LONG_PTR *result);
  virtual void SetModified(bool flag);

  int RowOfItem(int item) const;
  int CurrentLine() const { return topLine + cursorRow; }
  const char *LineText(int line) const;  // "" for a line that is not there
  int LineLength(int line) const;

  // line_editor_display.cpp
  bool MoveTo(int line, int column, bool force);
  void Refresh();
  void ShowLineInRow(int row, int line);
  void ReadBackRow(int row);
  void PadToCursor(int line);
  void ClearLines();
  void NotifyCursorMoved();

  // line_editor_text.cpp
  int AddRegion();
  Region *GetRegion(int index);
  int ExtractText(const Region &region, char *buffer, int capacity) const;
  int GetRegionText(int index, char *buffer, int capacity) const;
  int GetAllTextLength() const { return GetRegionText(-1, nullptr, 0); }
  int GetAllText(char *buffer, int capacity) const { return GetRegionText(-1, buffer, capacity); }

  // region_drawing.cpp
  void DrawRegions();
  void DrawRegion(const Region &region);

  // bulk_text.cpp
  void SetText(const char *text);
  bool PasteAll();
  void CopyAll();
  void LoadFromHostEditor(int firstLine);

  // line_editor_keys.cpp: each returns true when it consumed the key.
  bool HandleNavigationKey(int row, DWORD key);
  bool HandleSelectionKey(int row, DWORD key);
  bool HandleLineKey(int row, DWORD key);

  // line_editing.cpp
  void DeleteBlock(int regionIndex);
  int CopySelection();  // the length placed on the clipboard, 0 for none
  void PasteAtCursor(int regionIndex);
  void SplitLine(int row, int column);
  void JoinLines(int index);
  void DeleteLine(int line);
  void KeepSelectionInText();

  DialogHandle *dialog;
  char **lines;  // malloc'ed texts without line breaks
  int lineCount;
  int *rowItems;
  int rowCount;
  bool modified;
  bool drawn;
  int cursorColumn;
  int cursorRow;
  EditorLink *hostEditor;
  SMALL_RECT dialogRect;
  int capacity;
  int topLine;
  Region *regions;  // 0 is the selection, 1 and up the highlights
  int regionCount;

 protected:
  // The dialog, or an inert one before the first message.
  DialogHandle &Dialog();

 private:
  DialogHandle noDialog_;
  // Stand-ins for tables that could not be allocated.
  char *spareLine_ = nullptr;
  int spareItem_ = 0;
  Region spareRegion_;
};

// A key that types a character: neither Ctrl nor Alt, a code from 32 to 255
// (Shift does not matter).
bool IsPrintableKey(DWORD key);

inline int Clamp(int value, int low, int high) {
  return value < low ? low : value > high ? high : value;
}

// A malloc'ed copy of length bytes of text and a terminator; null when out
// of memory.
char *DuplicateLine(const char *text, int length);
// A new heap line: `length` bytes of `head`, then `tailLength` of `tail`.
char *Joined(const char *head, int length, const char *tail, int tailLength);

// Cuts text at CR, LF, CR LF and LF CR into at most limit new heap lines
// stored from table[0]; empty lines before a break are dropped.
void SplitText(const char *text, char **table, int *count, int limit);
