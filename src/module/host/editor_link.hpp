// The file manager's current editor: its lines, selection and cursor.
#pragma once

#include "far170/plugin.hpp"

class EditorLink {
 public:
  EditorLink();  // queries the editor; Available tells whether there is one

  bool GetLine(int line, EditorGetString *record);
  int CursorLine() const { return Info.CurLine; }
  int CursorColumn() const { return Info.CurPos; }
  bool GetSelection(EditorSelect *selection);
  void SetPosition(int column, int line);
  bool Select(const EditorSelect &selection);

  EditorInfo Info;
  bool Available;
};
