#include "support/queue_backend.hpp"

#include "farhost/farhost.hpp"
#include "farhost/screen.hpp"

namespace test_support {

using farhost::InputEvent;

InputEvent QueueBackend::Wait() {
  ++waits;
  if (events.empty()) {
    if (!captured) {
      const farhost::Screen &screen = farhost::TheScreen();
      finalText = screen.TextDump();
      finalAttributes = screen.AttributeDump();
      captured = true;
      finalCursorX = screen.CursorX();
      finalCursorY = screen.CursorY();
      finalCursorVisible = screen.CursorVisible();
    }
    InputEvent quit;
    quit.kind = InputEvent::Quit;
    return quit;
  }
  InputEvent event = events.front();
  events.pop_front();
  if (before) before(waits - 1);
  return event;
}

InputEvent Key(DWORD key) {
  InputEvent event;
  event.kind = InputEvent::Key;
  event.key = key;
  return event;
}

InputEvent Click(int x, int y) {
  InputEvent event;
  event.kind = InputEvent::Mouse;
  event.x = x;
  event.y = y;
  event.button = 1;
  return event;
}

InputEvent Resize(int width, int height) {
  InputEvent event;
  event.kind = InputEvent::Resize;
  event.x = width;
  event.y = height;
  return event;
}

std::vector<InputEvent> Keys(const std::string &typed) {
  std::vector<InputEvent> out;
  for (char c : typed) out.push_back(Key(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace test_support
