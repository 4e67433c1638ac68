// The file manager's current editor: one file held in memory with a cursor,
// a top line and a stream or column block, reached through EditorControl.
#pragma once

#include <string>

#include "far170/plugin.hpp"

namespace farhost {

// How the editor shows its file when it opens. Lines and columns are 0-based
// here; the command line gives them 1-based (see the parsers below).
struct HostEditorOptions {
  bool hasCursor = false;
  int cursorLine = 0;
  int cursorColumn = 0;
  int blockType = BTYPE_NONE;  // BTYPE_STREAM or BTYPE_COLUMN
  int blockFirstLine = 0;
  int blockFirstColumn = 0;
  int blockLastLine = 0;
  int blockEndColumn = 0;  // the column just after the block
  int windowWidth = 80;
  int windowHeight = 23;
};

// Opens `path` as the current editor, replacing any other. On failure the
// editor is left closed and `error` tells why ("cannot open ...").
bool OpenHostEditor(const char *path, const HostEditorOptions &options, std::string *error);
void CloseHostEditor();

// "--cursor LINE,COL": the cursor on line LINE, column COL, both from 1.
bool ParseCursorOption(const char *value, HostEditorOptions *options);
// "--block stream,LINE1,COL1,LINE2,COL2": a stream block from line LINE1,
// column COL1 up to (not including) line LINE2, column COL2; with "column",
// a column block over lines LINE1 to LINE2 and columns COL1 up to (not
// including) COL2. All numbers from 1; COL2 = 1 on a later line ends a stream
// block with the line break of the line before.
bool ParseBlockOption(const char *value, HostEditorOptions *options);

// The EditorControl service: ECTL_GETSTRING, ECTL_GETINFO, ECTL_SETPOSITION,
// ECTL_SELECT. Without a current editor every command fails (0).
int WINAPI HostEditorControl(int Command, void *Param);

}  // namespace farhost
