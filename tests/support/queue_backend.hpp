// A stand-in backend fed from a queue of events; when the queue runs out it
// keeps the screen as it stood and answers Quit.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "farhost/backend.hpp"

namespace test_support {

class QueueBackend : public farhost::Backend {
 public:
  void Show(const farhost::Screen &) override { ++shows; }
  farhost::InputEvent Wait() override;

  std::deque<farhost::InputEvent> events;
  int shows = 0;
  int waits = 0;
  // The screen when input ran out (the first Quit).
  std::string finalText, finalAttributes;
  bool captured = false;
  int finalCursorX = -1, finalCursorY = -1;
  bool finalCursorVisible = false;
  // Called before each event is delivered (index of the event).
  std::function<void(int)> before;
};

farhost::InputEvent Key(DWORD key);
farhost::InputEvent Click(int x, int y);
farhost::InputEvent Resize(int width, int height);
std::vector<farhost::InputEvent> Keys(const std::string &typed);

}  // namespace test_support
