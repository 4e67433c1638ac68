// Keys of the rows that make the column act as one text. A key that none of
// the three handlers takes goes on to the host's own edit field.
#include "editor/line_editor.hpp"

bool LineEditor::HandleNavigationKey(int, DWORD) {
  return false;
}

bool LineEditor::HandleSelectionKey(int, DWORD) {
  return false;
}

bool LineEditor::HandleLineKey(int, DWORD) {
  return false;
}
