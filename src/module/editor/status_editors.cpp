#include "editor/status_editors.hpp"

#include "host/text.hpp"

enum { kStatusSize = 500 };

StatusLineEditor::StatusLineEditor(int statusItem_, int firstItem, int lastItem, int capacity_)
    : LineEditor(firstItem, lastItem, capacity_), statusItem(statusItem_) {}

void StatusLineEditor::SetModified(bool flag) {
  LineEditor::SetModified(flag);
  UpdateStatus();
}

void StatusLineEditor::UpdateStatus() {
  char status[kStatusSize];
  FormatBounded(status, kStatusSize, "%c Pos: %d:%d(of %d)", modified ? '*' : ' ', cursorColumn + 1,
                CurrentLine() + 1, lineCount);
  Dialog().SetItemText(statusItem, status);
}

bool ExpressionEditor::HandleMessage(DialogHandle *dialog_, int message, int param1,
                                     LONG_PTR param2, LONG_PTR *result) {
  return StatusLineEditor::HandleMessage(dialog_, message, param1, param2, result) ? 1 : 0;
}
