#include "app/colors.hpp"

#include "app/mono_looks.hpp"

namespace app {
namespace {

// How light each Windows console color looks: 0.299 R + 0.587 G + 0.114 B
// of its VGA shade.
const unsigned char kLightness[16] = {0,  19,  100, 119, 51,  70,  101, 170,
                                      85, 104, 185, 204, 136, 155, 236, 255};

}  // namespace

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
    unsigned char look = NaturalLook(attr);
    color.fg = -1;
    color.bg = -1;
    color.bold = (look & kLookBold) != 0;
    color.reverse = (look & kLookReverse) != 0;
  }
  return color;
}

unsigned char NaturalLook(unsigned char attr) {
  unsigned char look = 0;
  if (kLightness[attr >> 4] > kLightness[attr & 15]) look |= kLookReverse;
  if (attr & 8) look |= kLookBold;
  return look;
}

PairTable::PairTable(int count) : count_(count < 1 ? 1 : count > kMaxPairs ? kMaxPairs : count) {
  for (int &combo : comboOf_) combo = -1;
}

int PairTable::Find(int fg, int bg, bool &define) {
  define = false;
  int combo = (fg & 15) * 16 + (bg & 15);
  if (pairOf_[combo]) return pairOf_[combo];
  int pair = 0;
  if (next_ < count_) {
    pair = next_++;
  } else {
    for (int k = 0; k < count_ - 1 && !pair; ++k) {
      int candidate = scan_;
      scan_ = scan_ + 1 < count_ ? scan_ + 1 : 1;
      if (uses_[candidate] == 0) pair = candidate;
    }
    if (!pair) return 0;
    pairOf_[comboOf_[pair]] = 0;
  }
  comboOf_[pair] = combo;
  pairOf_[combo] = pair;
  define = true;
  return pair;
}

void PairTable::Use(int pair) {
  if (pair > 0 && pair < count_) ++uses_[pair];
}

void PairTable::Unuse(int pair) {
  if (pair > 0 && pair < count_ && uses_[pair] > 0) --uses_[pair];
}

void PairTable::ClearUses() {
  for (int &uses : uses_) uses = 0;
}

}  // namespace app
