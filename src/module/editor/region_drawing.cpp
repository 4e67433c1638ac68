// Regions painted over the rows after the host has drawn them: the host's
// edit items cannot color parts of their text.
#include <cstring>

#include "editor/line_editor.hpp"
#include "host/host_services.hpp"

enum { kPieceSize = 500 };

void LineEditor::DrawRegions() {
  for (int i = 1; i < regionCount; i++) DrawRegion(regions[i]);
  DrawRegion(regions[0]);  // the selection lies on top
}

void LineEditor::DrawRegion(const Region &region) {
  if (!drawn || region.IsEmpty() || !HostCanPaint()) return;
  char piece[kPieceSize];
  for (int row = 0; row < rowCount && row < lineCount; row++) {
    int line = topLine + row;
    if (line >= lineCount) break;
    if (line < region.startLine) continue;
    if (line > region.endLine) break;

    SMALL_RECT item;
    if (!Dialog().GetItemPosition(rowItems[row], &item)) break;
    const char *text = LineText(line);
    int visible = static_cast<int>(strnlen(text, kPieceSize - 1));
    int y = dialogRect.Top + item.Top;
    int from = line == region.startLine ? region.startColumn : 0;
    int to = line == region.endLine ? region.endColumn : item.Right - item.Left;
    int width = item.Right - item.Left + 1;
    from = from < 0 ? 0 : from > width ? width : from;
    to = to < 0 ? 0 : to > width ? width : to;
    if (to - from <= 0) continue;

    int j = 0;
    for (; j < kPieceSize - 1 && j < to - from; j++)
      piece[j] = from + j < visible ? text[from + j] : ' ';
    piece[j] = 0;
    PaintText(dialogRect.Left + item.Left + from, y, region.color, piece);
  }
}
