#include "farhost/screen.hpp"

#include <algorithm>

#include "farhost/backend.hpp"

namespace farhost {

Screen::Screen(int width, int height) {
  Resize(width, height);
}

void Screen::Resize(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (width == width_ && height == height_) return;
  std::vector<Cell> cells(size_t(width) * size_t(height));
  for (int y = 0; y < std::min(height, height_); ++y)
    for (int x = 0; x < std::min(width, width_); ++x)
      cells[size_t(y) * width + x] = cells_[size_t(y) * width_ + x];
  cells_.swap(cells);
  width_ = width;
  height_ = height;
}

Cell Screen::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return Cell{};
  return cells_[size_t(y) * width_ + x];
}

void Screen::Put(int x, int y, unsigned char ch, unsigned char attr) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  Cell &cell = cells_[size_t(y) * width_ + x];
  cell.ch = ch;
  cell.attr = attr;
}

void Screen::Text(int x, int y, unsigned char attr, const char *text) {
  if (!text || y < 0 || y >= height_) return;
  Cell *row = &cells_[size_t(y) * width_];
  for (; *text && x < width_; ++text, ++x)
    if (x >= 0) row[x] = Cell{static_cast<unsigned char>(*text), attr};
}

void Screen::Fill(int x1, int y1, int x2, int y2, unsigned char ch, unsigned char attr) {
  x1 = std::max(x1, 0);
  y1 = std::max(y1, 0);
  x2 = std::min(x2, width_ - 1);
  y2 = std::min(y2, height_ - 1);
  for (int y = y1; y <= y2; ++y) {
    Cell *row = &cells_[size_t(y) * width_];
    for (int x = x1; x <= x2; ++x) row[x] = Cell{ch, attr};
  }
}

void Screen::SetCursor(int x, int y, bool visible) {
  cursorX_ = x;
  cursorY_ = y;
  cursorVisible_ = visible;
}

std::vector<Cell> Screen::Save(int x1, int y1, int x2, int y2) const {
  std::vector<Cell> cells;
  if (x2 < x1 || y2 < y1) return cells;
  cells.reserve(size_t(x2 - x1 + 1) * size_t(y2 - y1 + 1));
  for (int y = y1; y <= y2; ++y)
    for (int x = x1; x <= x2; ++x) cells.push_back(At(x, y));
  return cells;
}

void Screen::Restore(int x1, int y1, int x2, int y2, const std::vector<Cell> &cells) {
  if (x2 < x1 || y2 < y1 || cells.size() != size_t(x2 - x1 + 1) * size_t(y2 - y1 + 1)) return;
  size_t i = 0;
  for (int y = y1; y <= y2; ++y)
    for (int x = x1; x <= x2; ++x, ++i) Put(x, y, cells[i].ch, cells[i].attr);
}

std::string Screen::TextDump() const {
  std::string out;
  out.reserve(size_t(width_ + 1) * height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) out += static_cast<char>(cells_[size_t(y) * width_ + x].ch);
    out += '\n';
  }
  return out;
}

std::string Screen::AttributeDump() const {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(size_t(2 * width_ + 1) * height_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      unsigned char attr = cells_[size_t(y) * width_ + x].attr;
      out += hex[attr >> 4];
      out += hex[attr & 15];
    }
    out += '\n';
  }
  return out;
}

// Glyphs the OEM code pages show for the control bytes 0x01-0x1F (0x07 is the
// radio button mark).
unsigned ControlGlyph(unsigned char ch) {
  static const unsigned short glyphs[32] = {
      0x0020, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022, 0x25D8, 0x25CB, 0x25D9,
      0x2642, 0x2640, 0x266A, 0x266B, 0x263C, 0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7,
      0x25AC, 0x21A8, 0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC};
  return ch < 32 ? glyphs[ch] : ch;
}

namespace {

class Headless : public Backend {
 public:
  void Show(const Screen &) override {}
  InputEvent Wait() override {
    InputEvent event;
    event.kind = InputEvent::Quit;
    return event;
  }
};

Headless headless;
Backend *backend = nullptr;
bool inputEnded = false;

}  // namespace

Screen &TheScreen() {
  static Screen screen;
  return screen;
}

void SetBackend(Backend *newBackend) {
  backend = newBackend;
  ResetInputEnded();
}

Backend *CurrentBackend() {
  return backend ? backend : &headless;
}

InputEvent NextInput() {
  InputEvent event;
  event.kind = InputEvent::Quit;
  if (inputEnded) return event;
  event = CurrentBackend()->Wait();
  if (event.kind == InputEvent::Quit) inputEnded = true;
  return event;
}

bool InputEnded() {
  return inputEnded;
}
void ResetInputEnded() {
  inputEnded = false;
}
void EndInput() {
  inputEnded = true;
}

void ShowScreen() {
  CurrentBackend()->Show(TheScreen());
}

}  // namespace farhost
