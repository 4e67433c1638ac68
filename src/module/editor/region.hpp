// A marked range of an editor's text: from (startColumn, startLine) up to,
// not including, (endColumn, endLine).
#pragma once

#include <cstdint>

struct Region {
  int16_t startColumn;
  int16_t startLine;
  int16_t endColumn;
  int16_t endLine;
  uint32_t color;

  void Set(int startColumn, int startLine, int endColumn, int endLine);
  void SetPoint(int column, int line);
  void Clear();  // keeps the color
  bool IsEmpty() const;
  bool IsNull() const;
  int LineSpan() const { return endLine - startLine; }
  void Normalize();
};
