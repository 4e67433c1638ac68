// Modal windows on the process-wide screen: each saves what it covers, draws
// a shadow, and is repainted in stack order after a resize.
#pragma once

#include <vector>

#include "farhost/backend.hpp"
#include "farhost/screen.hpp"

namespace farhost {

struct Rect {
  int x1 = 0, y1 = 0, x2 = -1, y2 = -1;
  int Width() const { return x2 - x1 + 1; }
  int Height() const { return y2 - y1 + 1; }
  bool Contains(int x, int y) const { return x >= x1 && x <= x2 && y >= y1 && y <= y2; }
};

class Window {
 public:
  virtual ~Window();
  Window() = default;
  Window(const Window &) = delete;
  Window &operator=(const Window &) = delete;

  // Computes rect_ for the current screen size.
  virtual void Place() = 0;
  // Draws the window into the screen.
  virtual void Paint() = 0;

  const Rect &Area() const { return rect_; }
  bool Visible() const { return visible_; }
  // The window fits on the screen (its shadow may fall off the edge).
  bool Fits() const;
  // The smallest screen the window fits on: by default, one that reaches
  // to its right and bottom edges as placed now.
  virtual void MinimumScreen(int *columns, int *rows) const;

 protected:
  // Joins the stack: places, saves what lies under it, paints and shows.
  void Open();
  // Leaves the stack and restores what it covered.
  void Close();
  void Hide();
  void Reveal();
  // Waits for a key, a click or Quit; resizes and a screen too small for the
  // window are handled here.
  InputEvent WaitInput();
  // Paints once and shows, without joining the stack (a box left on screen).
  void PaintDetached();

  Rect rect_;

 private:
  friend void RepaintAll();
  void SaveUnder();
  void RestoreUnder();
  Rect saved_;
  std::vector<Cell> under_;
  bool visible_ = false;
  bool open_ = false;
};

// Clears the screen and paints every open window from the bottom up.
void RepaintAll();
// The shadow right of and below a rectangle: the cells keep their characters.
void DrawShadow(Screen &screen, const Rect &rect);
// A frame of single (double = false) or double lines.
void DrawFrame(Screen &screen, const Rect &rect, bool doubleLine, unsigned char attr);

// Box drawing characters of the OEM code pages.
enum : unsigned char {
  BOX_H = 0xC4,
  BOX_V = 0xB3,
  BOX_TL = 0xDA,
  BOX_TR = 0xBF,
  BOX_BL = 0xC0,
  BOX_BR = 0xD9,
  BOX_LT = 0xC3,
  BOX_RT = 0xB4,
  BOX2_H = 0xCD,
  BOX2_V = 0xBA,
  BOX2_TL = 0xC9,
  BOX2_TR = 0xBB,
  BOX2_BL = 0xC8,
  BOX2_BR = 0xBC,
  BOX2_LT = 0xC7,  // double vertical joined by a single line
  BOX2_RT = 0xB6,
  RADIO_MARK = 0x07,
};

}  // namespace farhost
