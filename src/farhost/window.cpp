#include "farhost/window.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace farhost {

namespace {

std::vector<Window *> &Stack() {
  static std::vector<Window *> stack;
  return stack;
}

void ShowTooSmall(const Window &window) {
  Screen &screen = TheScreen();
  screen.Fill(0, 0, screen.Width() - 1, screen.Height() - 1, ' ', 0x07);
  int columns = 0, rows = 0;
  window.MinimumScreen(&columns, &rows);
  char size[64];
  std::snprintf(size, sizeof size, "%dx%d needed, %dx%d now.", columns, rows, screen.Width(),
                screen.Height());
  std::string lines[3] = {"The screen is too small for this window:", size,
                          "Enlarge the terminal to go on."};
  if (int(lines[0].size()) > screen.Width()) lines[0] = "Screen too small";
  int y = std::max(0, screen.Height() / 2 - 1);
  for (int i = 0; i < 3; ++i)
    screen.Text(std::max(0, (screen.Width() - int(lines[i].size())) / 2), y + i,
                i == 0 ? 0x4F : 0x07, lines[i].c_str());
  screen.SetCursor(0, 0, false);
  ShowScreen();
}

}  // namespace

Window::~Window() {
  if (open_) Close();
}

bool Window::Fits() const {
  const Screen &screen = TheScreen();
  return rect_.x1 >= 0 && rect_.y1 >= 0 && rect_.x2 < screen.Width() && rect_.y2 < screen.Height();
}

void Window::MinimumScreen(int *columns, int *rows) const {
  *columns = std::max(rect_.Width(), rect_.x2 + 1);
  *rows = std::max(rect_.Height(), rect_.y2 + 1);
}

void Window::SaveUnder() {
  saved_ = Rect{rect_.x1, rect_.y1, rect_.x2 + 2, rect_.y2 + 1};
  under_ = TheScreen().Save(saved_.x1, saved_.y1, saved_.x2, saved_.y2);
}

void Window::RestoreUnder() {
  TheScreen().Restore(saved_.x1, saved_.y1, saved_.x2, saved_.y2, under_);
  under_.clear();
}

void Window::Open() {
  Place();
  SaveUnder();
  Stack().push_back(this);
  open_ = true;
  visible_ = true;
  Paint();
  ShowScreen();
}

void Window::Close() {
  if (!open_) return;
  if (visible_) RestoreUnder();
  auto &stack = Stack();
  stack.erase(std::remove(stack.begin(), stack.end(), this), stack.end());
  open_ = false;
  visible_ = false;
  TheScreen().SetCursor(0, 0, false);
  ShowScreen();
}

void Window::Hide() {
  if (!visible_) return;
  RestoreUnder();
  visible_ = false;
}

void Window::Reveal() {
  if (visible_ || !open_) return;
  Place();
  SaveUnder();
  visible_ = true;
  Paint();
}

void Window::PaintDetached() {
  Place();
  bool was = visible_;
  visible_ = true;
  Paint();
  visible_ = was;
  ShowScreen();
}

InputEvent Window::WaitInput() {
  for (;;) {
    if (!Fits()) ShowTooSmall(*this);
    InputEvent event = NextInput();
    switch (event.kind) {
      case InputEvent::Quit:
        return event;
      case InputEvent::Resize:
        TheScreen().Resize(event.x, event.y);
        RepaintAll();
        if (Fits()) ShowScreen();
        break;
      case InputEvent::Key:
      case InputEvent::Mouse:
        if (Fits()) return event;
        break;
      case InputEvent::None:
        break;
    }
  }
}

void RepaintAll() {
  Screen &screen = TheScreen();
  screen.Fill(0, 0, screen.Width() - 1, screen.Height() - 1, ' ', 0x07);
  screen.SetCursor(0, 0, false);
  for (Window *window : Stack()) {
    window->Place();
    if (!window->visible_) continue;
    window->SaveUnder();
    window->Paint();
  }
}

void DrawShadow(Screen &screen, const Rect &rect) {
  for (int y = rect.y1 + 1; y <= rect.y2 + 1; ++y)
    for (int x = rect.x2 + 1; x <= rect.x2 + 2; ++x) screen.Put(x, y, screen.At(x, y).ch, 0x08);
  for (int x = rect.x1 + 2; x <= rect.x2; ++x)
    screen.Put(x, rect.y2 + 1, screen.At(x, rect.y2 + 1).ch, 0x08);
}

void DrawFrame(Screen &screen, const Rect &r, bool dbl, unsigned char attr) {
  unsigned char h = dbl ? BOX2_H : BOX_H, v = dbl ? BOX2_V : BOX_V;
  for (int x = r.x1 + 1; x < r.x2; ++x) {
    screen.Put(x, r.y1, h, attr);
    screen.Put(x, r.y2, h, attr);
  }
  for (int y = r.y1 + 1; y < r.y2; ++y) {
    screen.Put(r.x1, y, v, attr);
    screen.Put(r.x2, y, v, attr);
  }
  screen.Put(r.x1, r.y1, dbl ? BOX2_TL : BOX_TL, attr);
  screen.Put(r.x2, r.y1, dbl ? BOX2_TR : BOX_TR, attr);
  screen.Put(r.x1, r.y2, dbl ? BOX2_BL : BOX_BL, attr);
  screen.Put(r.x2, r.y2, dbl ? BOX2_BR : BOX_BR, attr);
}

}  // namespace farhost
