#include "farhost/label.hpp"

#include <climits>

namespace farhost {

int UpperKey(int ch) {
  return ch >= 'a' && ch <= 'z' ? ch - 'a' + 'A' : ch;
}

Label ParseLabel(const char *data, bool showAmpersand) {
  Label label;
  if (!data) return label;
  label.text.reserve(LabelWidth(data, showAmpersand));
  for (const char *p = data; *p; ++p) {
    if (!showAmpersand && *p == '&') {
      if (p[1] == '&') {
        label.text += '&';
        ++p;
        continue;
      }
      if (p[1] && label.hot < 0) label.hot = int(label.text.size());
      continue;
    }
    label.text += *p;
  }
  return label;
}

int LabelWidth(const char *data, bool showAmpersand) {
  int width = 0;
  for (const char *p = data; p && *p; ++p) {
    if (!showAmpersand && *p == '&') {
      if (p[1] != '&') continue;
      ++p;
    }
    ++width;
  }
  return width;
}

int LabelHotkey(const char *data) {
  if (!data) return 0;
  for (const char *p = data; *p; ++p) {
    if (*p != '&') continue;
    if (p[1] == '&') {
      ++p;
      continue;
    }
    return p[1] ? UpperKey(static_cast<unsigned char>(p[1])) : 0;
  }
  return 0;
}

int DrawLabel(Screen &screen, int x, int y, const Label &label, unsigned char attr,
              unsigned char hotAttr, int maxWidth) {
  if (maxWidth < 0) maxWidth = INT_MAX;
  int n = 0;
  for (; n < int(label.text.size()) && n < maxWidth; ++n)
    screen.Put(x + n, y, static_cast<unsigned char>(label.text[n]),
               n == label.hot ? hotAttr : attr);
  return n;
}

}  // namespace farhost
