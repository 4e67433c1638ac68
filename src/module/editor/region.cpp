#include "editor/region.hpp"

#include <cstdint>
#include <utility>

// Lines can be longer than a coordinate reaches: a column beyond stops at
// the last one instead of wrapping round to a negative one.
static int16_t Coordinate(int value) {
  return static_cast<int16_t>(value > INT16_MAX   ? INT16_MAX
                              : value < INT16_MIN ? INT16_MIN
                                                  : value);
}

void Region::Set(int sc, int sl, int ec, int el) {
  startColumn = Coordinate(sc);
  startLine = Coordinate(sl);
  endColumn = Coordinate(ec);
  endLine = Coordinate(el);
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
