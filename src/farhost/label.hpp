// Item texts with an '&' before the hotkey character ("&&" is a plain '&').
#pragma once

#include <string>

#include "farhost/screen.hpp"

namespace farhost {

struct Label {
  std::string text;  // without the marks
  int hot = -1;      // index of the hotkey character in text, or -1
};

Label ParseLabel(const char *data, bool showAmpersand);
// The number of characters ParseLabel gives, without building the text.
int LabelWidth(const char *data, bool showAmpersand);
// The hotkey as an upper-case character, or 0.
int LabelHotkey(const char *data);
// Draws at most maxWidth characters; returns the number drawn.
int DrawLabel(Screen &screen, int x, int y, const Label &label, unsigned char attr,
              unsigned char hotAttr, int maxWidth);
int UpperKey(int ch);

}  // namespace farhost
