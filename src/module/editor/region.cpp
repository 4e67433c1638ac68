#include "editor/region.hpp"

#include <utility>

void Region::Set(int sc, int sl, int ec, int el) {
  startColumn = static_cast<int16_t>(sc);
  startLine = static_cast<int16_t>(sl);
  endColumn = static_cast<int16_t>(ec);
  endLine = static_cast<int16_t>(el);
}

void Region::SetPoint(int column, int line) {
  Set(column, line, column, line);
}

void Region::Clear() {
  Set(0, 0, 0, 0);
}

bool Region::IsEmpty() const {
  return startColumn == endColumn && startLine == endLine;
}

bool Region::IsNull() const {
  return startColumn == 0 && startLine == 0 && endColumn == 0 && endLine == 0;
}

void Region::Normalize() {
  if (startLine > endLine) {
    std::swap(startLine, endLine);
    std::swap(startColumn, endColumn);
  }
  if (startLine == endLine && startColumn > endColumn) std::swap(startColumn, endColumn);
}
