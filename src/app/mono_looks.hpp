// The looks of a terminal without colors: which of reverse video, bold and
// underline shows each console attribute on the screen.
#pragma once

#include <array>
#include <bitset>
#include <vector>

namespace app {

enum : unsigned char { kLookReverse = 1, kLookBold = 2, kLookUnderline = 4 };

// Gives every attribute of a screen a look made of the `available` ones, so
// that, while a free look remains, two attributes look different when they
// meet on a row, or when one encloses the other on a row (appears on both
// sides of it), up to the row's most common attribute: the match stands out
// from the text around it, each group from the groups beside it and from the
// match around it. The most common attributes are settled first, each with
// its natural look (NaturalLook of colors.hpp) where no attribute settled
// before it that it must differ from has that look, else with the first free
// variant: reverse flipped, underline, both, then the same with bold
// flipped. So the dialog and the edit fields keep steady looks, and the rare
// colors of the match, its groups and the hotkeys give way.
class MonoLooks {
 public:
  // `attrs` holds the screen's attributes row by row, `width` a row.
  void Choose(const std::vector<unsigned char> &attrs, int width, unsigned char available);
  unsigned char Of(unsigned char attr) const { return looks_[attr]; }

 private:
  void Differ(unsigned char a, unsigned char b);
  void DifferFromEnclosers(size_t run, int dominant);

  std::array<unsigned char, 256> looks_{};
  std::array<std::bitset<256>, 256> differ_;
  std::vector<unsigned char> runs_;  // one row's attributes, a run each
};

}  // namespace app
