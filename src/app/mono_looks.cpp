#include "app/mono_looks.hpp"

#include <algorithm>

#include "app/colors.hpp"

namespace app {

void MonoLooks::Differ(unsigned char a, unsigned char b) {
  if (a == b) return;
  differ_[a].set(b);
  differ_[b].set(a);
}

// The attributes found on both sides of a run, nearest first, up to the
// row's most common one.
void MonoLooks::DifferFromEnclosers(size_t run, int dominant) {
  std::bitset<256> left, right, found;
  size_t l = run, r = run + 1;
  while (l > 0 || r < runs_.size()) {
    int encloser = -1;
    if (l > 0) {
      unsigned char a = runs_[--l];
      left.set(a);
      if (right[a] && !found[a]) encloser = a;
    }
    if (encloser < 0 && r < runs_.size()) {
      unsigned char a = runs_[r++];
      right.set(a);
      if (left[a] && !found[a]) encloser = a;
    }
    if (encloser < 0) continue;
    found.set(size_t(encloser));
    Differ(runs_[run], (unsigned char)encloser);
    if (encloser == dominant) return;
  }
}

void MonoLooks::Choose(const std::vector<unsigned char> &attrs, int width,
                       unsigned char available) {
  for (auto &row : differ_) row.reset();
  int count[256] = {};
  size_t w = width > 0 ? size_t(width) : 1;
  for (size_t start = 0; start < attrs.size(); start += w) {
    int rowCount[256] = {};
    runs_.clear();
    for (size_t i = start; i < attrs.size() && i < start + w; ++i) {
      ++rowCount[attrs[i]];
      if (runs_.empty() || runs_.back() != attrs[i]) runs_.push_back(attrs[i]);
    }
    int dominant = int(std::max_element(rowCount, rowCount + 256) - rowCount);
    for (size_t k = 0; k < runs_.size(); ++k) {
      if (k + 1 < runs_.size()) Differ(runs_[k], runs_[k + 1]);
      if (runs_[k] != dominant) DifferFromEnclosers(k, dominant);
    }
    for (int a = 0; a < 256; ++a) count[a] += rowCount[a];
  }
  int order[256];
  int present = 0;
  for (int a = 0; a < 256; ++a)
    if (count[a]) order[present++] = a;
  std::stable_sort(order, order + present, [&](int a, int b) { return count[a] > count[b]; });

  static const unsigned char kVariants[] = {0,
                                            kLookReverse,
                                            kLookUnderline,
                                            kLookReverse | kLookUnderline,
                                            kLookBold,
                                            kLookBold | kLookReverse,
                                            kLookBold | kLookUnderline,
                                            kLookBold | kLookReverse | kLookUnderline};
  std::bitset<256> settled;
  for (int k = 0; k < present; ++k) {
    size_t a = size_t(order[k]);
    std::bitset<256> others = differ_[a] & settled;
    unsigned taken = 0;  // bit n: look n is one of theirs
    for (size_t b = 0; b < 256; ++b)
      if (others[b]) taken |= 1u << looks_[b];
    unsigned char natural = NaturalLook((unsigned char)a) & available;
    unsigned char look = natural;
    for (unsigned char variant : kVariants) {
      unsigned char candidate = natural ^ variant;
      if (!(variant & ~available) && !(taken & (1u << candidate))) {
        look = candidate;
        break;
      }
    }
    looks_[a] = look;
    settled.set(a);
  }
}

}  // namespace app
