#include "scripted_editor.hpp"

#include <cstring>

ScriptedEditor Scripted;

void ScriptedEditor::Reset(int totalLines, int curLine, int curPos) {
  *this = ScriptedEditor();
  info.TotalLines = totalLines;
  info.CurLine = curLine;
  info.CurPos = curPos;
}

int WINAPI ScriptedEditorControl(int Command, void *Param) {
  Scripted.commands.push_back(Command);
  switch (Command) {
    case ECTL_GETINFO:
      if (Scripted.infoFails) return 0;
      std::memcpy(Param, &Scripted.info, sizeof Scripted.info);
      return 1;
    case ECTL_GETSTRING: {
      auto *record = static_cast<EditorGetString *>(Param);
      int line = record->StringNumber == -1 ? Scripted.info.CurLine : record->StringNumber;
      if (line < 0 || line >= Scripted.info.TotalLines || line >= Scripted.unreadableFrom) return 0;
      static const char text[] = "scripted line";
      record->StringText = text;
      record->StringEOL = "\n";
      record->StringLength = int(sizeof text - 1);
      auto it = Scripted.selections.find(line);
      record->SelStart = it == Scripted.selections.end() ? -1 : it->second.first;
      record->SelEnd = it == Scripted.selections.end() ? 0 : it->second.second;
      return 1;
    }
    case ECTL_SELECT:
      Scripted.selects.push_back(*static_cast<EditorSelect *>(Param));
      return 1;
    case ECTL_SETPOSITION:
      Scripted.positions.push_back(*static_cast<EditorSetPosition *>(Param));
      return 1;
  }
  return 0;
}
