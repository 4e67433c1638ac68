// Whole texts into and out of an editor: splitting, the clipboard and the
// file manager's editor.
#include <cstdlib>
#include <cstring>

#include "editor/line_editor.hpp"
#include "host/clipboard.hpp"
#include "host/editor_link.hpp"

static bool IsBreak(char c) {
  return c == '\r' || c == '\n';
}

void SplitText(const char *text, char **table, int *count, int limit) {
  int pieces = 0;
  if (count) *count = 0;
  if (!text || !*text || !table || !count || limit <= 0) return;
  const char *segment = text;
  const char *p = text;
  while (*p && pieces < limit) {
    if (!IsBreak(*p)) {
      p++;
      continue;
    }
    if (p > segment) {
      char *piece = DuplicateLine(segment, static_cast<int>(p - segment));
      if (!piece) break;
      table[pieces++] = piece;
    }
    // CR LF and LF CR are one break; CR CR and LF LF are two.
    p += IsBreak(p[1]) && p[1] != p[0] ? 2 : 1;
    segment = p;
  }
  if (!*p && pieces < limit) {
    char *rest = DuplicateLine(segment, static_cast<int>(strlen(segment)));
    if (rest) table[pieces++] = rest;
  }
  *count = pieces;
}

void LineEditor::SetText(const char *text) {
  ClearLines();
  regions[0].Clear();  // a selection of the old text would cover lines of the new one
  SplitText(text, lines, &lineCount, capacity);
  Refresh();
  SetModified(true);
}

bool LineEditor::PasteAll() {
  bool hadText = lineCount > 1 || LineLength(0) > 0;
  ClearLines();
  regions[0].Clear();
  char *text = nullptr;
  int size = 0;
  bool got = ClipboardGet(&text, &size);
  if (got && text && size > 0 && text[0] != 0) {
    SetText(text);
  } else {
    // Nothing to paste: the old text is gone all the same, so show the one
    // empty line that is left at once, a change unless it was all there was.
    Refresh();
    if (hadText) SetModified(true);
  }
  free(text);
  return got;
}

void LineEditor::CopyAll() {
  int length = GetAllTextLength();
  // Zeroed: the clipboard takes length + 1 bytes, one past the stored text.
  char *buffer = static_cast<char *>(calloc(static_cast<size_t>(length) + 2, 1));
  if (!buffer) return;
  GetAllText(buffer, length);
  ClipboardPut(buffer, length);
  free(buffer);
}

void LineEditor::LoadFromHostEditor(int firstLine) {
  if (!hostEditor) return;
  EditorGetString record = {};
  if (!hostEditor->GetLine(firstLine, &record)) return;
  ClearLines();
  regions[0].Clear();
  for (;;) {
    const char *text = record.StringText ? record.StringText : "";
    lines[lineCount++] = DuplicateLine(text, static_cast<int>(strlen(text)));
    if (lineCount >= capacity) break;
    if (!hostEditor->GetLine(firstLine + lineCount, &record)) break;
  }
  Refresh();
}
