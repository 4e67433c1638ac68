#include "app/terminal_view.hpp"

#include <langinfo.h>
#include <ncursesw/curses.h>

#include <clocale>
#include <cstring>

#include "app/colors.hpp"
#include "codec/codec.hpp"

namespace app {
namespace {

bool Utf8Locale() {
  return std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
}

// ncursesw writes the glyphs in the locale's encoding: it must be UTF-8.
void UseUtf8Locale() {
  if (Utf8Locale()) return;
  if (setlocale(LC_CTYPE, "") && Utf8Locale()) return;
  if (setlocale(LC_CTYPE, "C.UTF-8") && Utf8Locale()) return;
  setlocale(LC_CTYPE, "en_US.UTF-8");
}

}  // namespace

TerminalView::TerminalView(FILE *out, FILE *in, int codePage) : glyphs_(UINT(codePage)) {
  UseUtf8Locale();
  term_ = newterm(nullptr, out, in);
  if (!term_) return;
  set_term(term_);
  raw();
  noecho();
  nonl();
  intrflush(stdscr, FALSE);
  keypad(stdscr, FALSE);
  scrollok(stdscr, FALSE);
  idlok(stdscr, FALSE);
  if (has_colors()) {
    start_color();
    colors_ = COLORS;
    pairs_ = PairTable(COLOR_PAIRS);
  }
  chtype has = termattrs();
  monoAvailable_ = (has & A_REVERSE ? kLookReverse : 0) | (has & A_BOLD ? kLookBold : 0) |
                   (has & A_UNDERLINE ? kLookUnderline : 0);
  curs_set(0);
  cursorMode_ = 0;
  erase();
  refresh();
}

TerminalView::~TerminalView() {
  Close();
}

void TerminalView::Close() {
  if (!term_) return;
  set_term(term_);
  curs_set(1);
  endwin();
  delscreen(term_);
  term_ = nullptr;
}

int TerminalView::Columns() const {
  return term_ ? COLS : 0;
}
int TerminalView::Rows() const {
  return term_ ? LINES : 0;
}

std::string TerminalView::ResetBytes() const {
  std::string bytes = "\x1b[0m";
  auto add = [&bytes](const char *cap, const char *fallback) {
    char *value = tigetstr(cap);
    if (value && value != reinterpret_cast<char *>(-1))
      bytes += value;
    else
      bytes += fallback;
  };
  add("cnorm", "\x1b[?25h");
  add("rmcup", "\x1b[?1049l");
  return bytes;
}

std::string TerminalView::ResumeBytes() const {
  std::string bytes;
  char *value = tigetstr("smcup");
  if (value && value != reinterpret_cast<char *>(-1))
    bytes += value;
  else
    bytes += "\x1b[?1049h";
  return bytes;
}

short TerminalView::PairFor(int fg, int bg) {
  bool define = false;
  short pair = short(pairs_.Find(fg, bg, define));
  if (define) init_pair(pair, short(fg), short(bg));
  return pair;
}

void TerminalView::ForgetShown() {
  known_.assign(known_.size(), false);
  shownPair_.assign(shownPair_.size(), 0);
  pairs_.ClearUses();
}

bool TerminalView::Mono() const {
  return colors_ < 8;
}

void TerminalView::Resize(int columns, int rows) {
  if (!term_) return;
  resizeterm(rows, columns);
  ForgetShown();
  // After a stop the terminal shows its cursor whatever ncurses believes.
  curs_set(1);
  cursorMode_ = 1;
  erase();
  clearok(curscr, TRUE);
}

void TerminalView::Show(const farhost::Screen &screen) {
  if (!term_) return;
  int width = screen.Width(), height = screen.Height();
  if (width != width_ || height != height_) {
    width_ = width;
    height_ = height;
    shown_.assign(size_t(width) * size_t(height), farhost::Cell{});
    known_.assign(shown_.size(), false);
    shownPair_.assign(shown_.size(), 0);
    shownLook_.assign(shown_.size(), 0);
    pairs_.ClearUses();
    erase();
  }
  int cols = COLS, rows = LINES;
  bool mono = Mono();
  if (mono) {
    monoAttrs_.resize(shown_.size());
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        monoAttrs_[size_t(y) * size_t(width) + size_t(x)] = screen.At(x, y).attr;
    monoLooks_.Choose(monoAttrs_, width, monoAvailable_);
  }
  for (int y = 0; y < height && y < rows; ++y) {
    for (int x = 0; x < width && x < cols; ++x) {
      size_t i = size_t(y) * size_t(width) + size_t(x);
      farhost::Cell cell = screen.At(x, y);
      unsigned char look = mono ? monoLooks_.Of(cell.attr) : 0;
      if (known_[i] && shown_[i] == cell && shownLook_[i] == look) continue;
      if (known_[i]) pairs_.Unuse(shownPair_[i]);
      shown_[i] = cell;
      known_[i] = true;
      shownLook_[i] = look;
      attr_t attrs = A_NORMAL;
      short pair = 0;
      if (mono) {
        if (look & kLookReverse) attrs |= A_REVERSE;
        if (look & kLookBold) attrs |= A_BOLD;
        if (look & kLookUnderline) attrs |= A_UNDERLINE;
      } else {
        TerminalColor color = MapAttribute(cell.attr, colors_);
        if (color.bold) attrs |= A_BOLD;
        pair = PairFor(color.fg, color.bg);
      }
      shownPair_[i] = pair;
      pairs_.Use(pair);
      wchar_t glyph[2] = {wchar_t(glyphs_[cell.ch]), 0};
      cchar_t cc;
      setcchar(&cc, glyph, attrs, pair, nullptr);
      mvadd_wch(y, x, &cc);
    }
  }
  bool visible = screen.CursorVisible() && screen.CursorX() >= 0 && screen.CursorX() < cols &&
                 screen.CursorY() >= 0 && screen.CursorY() < rows;
  int mode = visible ? (screen.CursorBlock() ? 2 : 1) : 0;
  if (mode != cursorMode_) {
    if (curs_set(mode) == ERR && mode == 2) curs_set(1);
    cursorMode_ = mode;
  }
  leaveok(stdscr, visible ? FALSE : TRUE);
  if (visible) move(screen.CursorY(), screen.CursorX());
  refresh();
}

}  // namespace app
