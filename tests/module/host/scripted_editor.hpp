// An EditorControl that answers from a script: the editor's information and
// the selection of each line, recording what it was sent.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "far170/plugin.hpp"

struct ScriptedEditor {
  bool infoFails = false;
  int unreadableFrom = 1 << 30;  // lines from here on cannot be read
  EditorInfo info = {};
  std::map<int, std::pair<int, int>> selections;  // line: SelStart, SelEnd
  std::vector<int> commands;
  std::vector<EditorSelect> selects;
  std::vector<EditorSetPosition> positions;

  void Reset(int totalLines, int curLine, int curPos);
};

extern ScriptedEditor Scripted;
int WINAPI ScriptedEditorControl(int Command, void *Param);
