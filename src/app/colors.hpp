// Windows console attributes as terminal colours.
#pragma once

namespace app {

// A Windows colour (blue 1, green 2, red 4, intensity 8) as an ANSI colour
// (red 1, green 2, blue 4, bright 8): red and blue swap places.
int AnsiColor(int windowsColor);

struct TerminalColor {
  int fg = 7;  // ANSI colour index, -1 for none (monochrome)
  int bg = 0;
  bool bold = false;     // bright foreground on an 8-colour terminal
  bool reverse = false;  // a coloured background on a monochrome terminal
};

// `colors` is what the terminal offers: 16 or more shows all 16 colours; 8
// shows a bright foreground as bold and drops a bright background's
// intensity; fewer is monochrome.
TerminalColor MapAttribute(unsigned char attr, int colors);

}  // namespace app
