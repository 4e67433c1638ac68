// The screen every drawing goes to: one cell buffer of OEM bytes and console
// attributes. Backends only show it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace farhost {

struct Cell {
  unsigned char ch = ' ';
  unsigned char attr = 0x07;
  bool operator==(const Cell &other) const { return ch == other.ch && attr == other.attr; }
  bool operator!=(const Cell &other) const { return !(*this == other); }
};

class Screen {
 public:
  Screen(int width = 80, int height = 25);

  int Width() const { return width_; }
  int Height() const { return height_; }
  void Resize(int width, int height);

  // Out-of-range cells are ignored on writes; reads give a blank cell.
  Cell At(int x, int y) const;
  void Put(int x, int y, unsigned char ch, unsigned char attr);
  // Writes an OEM text from (x, y) on one line, clipped at the right edge.
  void Text(int x, int y, unsigned char attr, const char *text);
  void Fill(int x1, int y1, int x2, int y2, unsigned char ch, unsigned char attr);

  // Cursor shown by the backend (edit fields), or hidden.
  void SetCursor(int x, int y, bool visible);
  int CursorX() const { return cursorX_; }
  int CursorY() const { return cursorY_; }
  bool CursorVisible() const { return cursorVisible_; }
  // A block cursor marks overtype mode in edit fields.
  void SetCursorBlock(bool block) { cursorBlock_ = block; }
  bool CursorBlock() const { return cursorBlock_; }

  // A copy of a rectangle and its restoration (dialogs save what they cover).
  std::vector<Cell> Save(int x1, int y1, int x2, int y2) const;
  void Restore(int x1, int y1, int x2, int y2, const std::vector<Cell> &cells);

  // Rows as text (OEM bytes) and as attributes, two hex digits per cell.
  std::string TextDump() const;
  std::string AttributeDump() const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<Cell> cells_;
  int cursorX_ = 0;
  int cursorY_ = 0;
  bool cursorVisible_ = false;
  bool cursorBlock_ = false;
};

// The Unicode code point the OEM code pages show for a control byte 0x01-0x1F
// (0x07 is the mark of a selected radio button); other bytes come back as they are.
unsigned ControlGlyph(unsigned char ch);

}  // namespace farhost
