// Shows the cell buffer on a terminal through ncursesw, writing only the
// cells that changed since the last Show.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "app/colors.hpp"
#include "app/mono_looks.hpp"
#include "codec/codec.hpp"
#include "farhost/screen.hpp"

struct screen;

namespace app {

class TerminalView {
 public:
  // Opens the terminal named by $TERM on `out` / `in`; check Ok().
  TerminalView(FILE *out, FILE *in, int codePage);
  ~TerminalView();
  TerminalView(const TerminalView &) = delete;
  TerminalView &operator=(const TerminalView &) = delete;

  bool Ok() const { return term_ != nullptr; }
  int Columns() const;
  int Rows() const;
  int Colors() const { return colors_; }

  void Show(const farhost::Screen &screen);
  // The terminal now has this size: everything is drawn again.
  void Resize(int columns, int rows);
  // The bytes that switch off what ncurses switched on (for a signal), and
  // those that switch it on again.
  std::string ResetBytes() const;
  std::string ResumeBytes() const;
  // Ends the ncurses session (the terminal is back in its own modes).
  void Close();

 private:
  short PairFor(int fg, int bg);
  bool Mono() const;  // fewer than 8 colors: looks instead of colors
  // The terminal was cleared: every cell is drawn again.
  void ForgetShown();

  struct screen *term_ = nullptr;
  codec::OemGlyphs glyphs_;  // what each cell shows
  int colors_ = 0;
  int width_ = 0;  // size of `shown_`
  int height_ = 0;
  std::vector<farhost::Cell> shown_;
  std::vector<bool> known_;       // shown_ holds what the terminal shows
  std::vector<short> shownPair_;  // the color pair of each cell in shown_
  PairTable pairs_{0};
  // Without colors: the looks the terminal has, the looks chosen for the
  // screen, and the look each cell in shown_ was drawn with.
  unsigned char monoAvailable_ = 0;
  MonoLooks monoLooks_;
  std::vector<unsigned char> monoAttrs_;
  std::vector<unsigned char> shownLook_;
  int cursorMode_ = -1;
};

}  // namespace app
