#include "app/colors.hpp"

namespace app {

int AnsiColor(int windowsColor) {
  return (windowsColor & 0x0A) | ((windowsColor & 1) << 2) | ((windowsColor & 4) >> 2);
}

TerminalColor MapAttribute(unsigned char attr, int colors) {
  TerminalColor color;
  int fg = AnsiColor(attr & 0x0F);
  int bg = AnsiColor(attr >> 4);
  if (colors >= 16) {
    color.fg = fg;
    color.bg = bg;
  } else if (colors >= 8) {
    color.fg = fg & 7;
    color.bg = bg & 7;
    color.bold = (fg & 8) != 0;
  } else {
    color.fg = -1;
    color.bg = -1;
    color.bold = (fg & 8) != 0;
    color.reverse = (bg & 7) != 0;
  }
  return color;
}

}  // namespace app
