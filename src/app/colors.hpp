// Windows console attributes as terminal colors.
#pragma once

namespace app {

// A Windows color (blue 1, green 2, red 4, intensity 8) as an ANSI color
// (red 1, green 2, blue 4, bright 8): red and blue swap places.
int AnsiColor(int windowsColor);

struct TerminalColor {
  int fg = 7;  // ANSI color index, -1 for none (monochrome)
  int bg = 0;
  bool bold = false;     // a bright foreground, on 8 colors or none
  bool reverse = false;  // a lighter background than foreground, on none
};

// `colors` is what the terminal offers: 16 or more shows all 16 colors; 8
// shows a bright foreground as bold and drops a bright background's
// intensity; fewer is monochrome: the attribute's natural look (MonoLooks
// chooses the looks of a whole screen).
TerminalColor MapAttribute(unsigned char attr, int colors);

// The look of an attribute by itself on a terminal without colors
// (kLookReverse, kLookBold of mono_looks.hpp): reverse video when its
// background is lighter than its foreground, bold for a bright foreground.
unsigned char NaturalLook(unsigned char attr);

// The color pairs of a terminal that has `count` of them; pair 0 is the
// terminal's own and never given out. Each pair shows one foreground and
// background (ANSI 0-15). When every pair is taken, one that no cell on the
// screen shows any more is taken anew, so a terminal with 256 pairs shows
// any 255 combinations at once, whichever were shown before.
class PairTable {
 public:
  explicit PairTable(int count);
  // The pair of fg on bg; `define` says the caller must (re)define it. 0
  // when every pair is on the screen.
  int Find(int fg, int bg, bool &define);
  // A cell now shows `pair` / shows it no longer.
  void Use(int pair);
  void Unuse(int pair);
  // The screen was cleared: no cell shows any pair.
  void ClearUses();

 private:
  enum { kCombos = 256, kMaxPairs = kCombos + 1 };
  int count_;
  int next_ = 1;  // the first pair never given out
  int scan_ = 1;  // where the search for a pair to take anew goes on
  int uses_[kMaxPairs] = {};
  int comboOf_[kMaxPairs] = {};  // fg * 16 + bg, or -1
  int pairOf_[kCombos] = {};     // 0: none
};

}  // namespace app
