#include "host/editor_link.hpp"

#include <cstring>

#include "host/host_services.hpp"

namespace {

bool Query(EditorInfo *info) {
  return ControlEditor(ECTL_GETINFO, info) != 0;
}

bool ReadLine(int line, EditorGetString *record) {
  std::memset(record, 0, sizeof *record);
  record->StringNumber = line;
  return ControlEditor(ECTL_GETSTRING, record) != 0;
}

}  // namespace

EditorLink::EditorLink() : Info(), Available(false) {
  Available = Query(&Info);
  if (!Available) std::memset(&Info, 0, sizeof Info);
}

bool EditorLink::GetLine(int line, EditorGetString *record) {
  if (!Available) return false;
  EditorGetString local;
  if (!record) record = &local;
  if (!ReadLine(line, record)) return false;
  if (line == -1) record->StringNumber = Info.CurLine;
  return true;
}

bool EditorLink::GetSelection(EditorSelect *selection) {
  if (!selection || !Available) return false;
  std::memset(selection, 0, sizeof *selection);
  selection->BlockType = Info.BlockType;
  if (Info.BlockType == BTYPE_NONE) return true;

  const int first = Info.BlockStartLine;
  EditorGetString line;
  if (!ReadLine(first, &line) || line.SelStart == -1) return false;
  selection->BlockStartLine = first;
  selection->BlockStartPos = line.SelStart;

  if (Info.BlockType == BTYPE_STREAM) {
    int last = first;
    EditorGetString next;
    while (line.SelEnd == -1 && last + 1 < Info.TotalLines && ReadLine(last + 1, &next)) {
      line = next;
      ++last;
    }
    selection->BlockWidth = line.SelEnd - selection->BlockStartPos;
    selection->BlockHeight = last - first + 1;
  } else {
    selection->BlockWidth = line.SelEnd - line.SelStart;
    int count = 0;
    EditorGetString row;
    while (first + count < Info.TotalLines && ReadLine(first + count, &row) && row.SelStart != -1)
      ++count;
    selection->BlockHeight = count;
  }
  return true;
}

void EditorLink::SetPosition(int column, int line) {
  if (!Available) return;
  EditorSetPosition position = {line, column, -1, -1, -1, -1};
  ControlEditor(ECTL_SETPOSITION, &position);
  Query(&Info);
}

bool EditorLink::Select(const EditorSelect &selection) {
  if (!Available) return false;
  EditorSelect copy = selection;
  ControlEditor(ECTL_SELECT, &copy);
  return Query(&Info);
}
