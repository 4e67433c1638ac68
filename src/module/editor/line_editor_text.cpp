// Regions and the text they cover.
#include <cstdlib>
#include <cstring>

#include "editor/line_editor.hpp"

enum { kHighlightColor = 7 };

int LineEditor::AddRegion() {
  Region *grown;
  if (regions == &spareRegion_) {
    grown = static_cast<Region *>(malloc(sizeof(Region) * (regionCount + 1)));
    if (grown) memcpy(grown, regions, sizeof(Region) * regionCount);
  } else {
    grown = static_cast<Region *>(realloc(regions, sizeof(Region) * (regionCount + 1)));
  }
  if (!grown) return -1;
  regions = grown;
  Region &added = regions[regionCount];
  added.Clear();
  added.color = kHighlightColor;
  return regionCount++;
}

Region *LineEditor::GetRegion(int index) {
  if (index < 0 || index >= regionCount) return nullptr;
  return &regions[index];
}

int LineEditor::ExtractText(const Region &region, char *buffer, int capacity_) const {
  if (buffer) {
    if (capacity_ <= 0) return 0;
    buffer[0] = 0;
  }
  int startColumn = region.startColumn < 0 ? 0 : region.startColumn;
  int endColumn = region.endColumn < 0 ? 0 : region.endColumn;
  int startLine = Clamp(region.startLine, 0, lineCount);
  int endLine = Clamp(region.endLine, 0, lineCount);
  if (startColumn == endColumn && startLine == endLine) return 0;

  int stored = 0;      // bytes in the buffer
  int characters = 0;  // characters of the lines (no breaks), stored or counted
  int breaks = 0;
  for (int i = startLine; i <= endLine && i < lineCount; i++) {
    const char *text = LineText(i);
    int length = static_cast<int>(strlen(text));
    int from = i == startLine ? (startColumn < length ? startColumn : length) : 0;
    int to = i == endLine ? (endColumn < length ? endColumn : length) : length;
    if (to > from) {
      int n = to - from;
      if (buffer) {
        int room = capacity_ - 1 - stored;
        if (n > room) n = room;
        memcpy(buffer + stored, text + from, static_cast<size_t>(n));
        stored += n;
      }
      characters += n;
    }
    if (i != endLine) {
      breaks++;
      if (buffer && stored + 2 <= capacity_) buffer[stored++] = '\n';
    }
  }
  if (buffer) buffer[stored] = 0;
  return characters + breaks;
}

int LineEditor::GetRegionText(int index, char *buffer, int capacity_) const {
  if (buffer && capacity_ > 0) buffer[0] = 0;
  Region range = {};
  if (index == -1) {
    range.Set(0, 0, 0, lineCount);
  } else if (index >= 0 && index < regionCount) {
    range = regions[index];
  } else {
    return 0;
  }
  return ExtractText(range, buffer, capacity_);
}
