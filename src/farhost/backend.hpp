// What shows the screen and delivers input: the terminal, a script, or a test.
#pragma once

#include <windows.h>

#include <string>

#include "farhost/screen.hpp"

namespace farhost {

struct InputEvent {
  enum Kind {
    None,    // nothing (a backend may return it after a timeout)
    Key,     // key: a FAR key code (base code plus KEY_CTRL/KEY_ALT/KEY_SHIFT)
    Mouse,   // x, y: screen cell; button: 1 left, 2 right, 3 middle; a press
    Resize,  // the screen was resized to x columns by y rows
    Quit,    // input ended (end of script, closed terminal, a signal)
  };
  Kind kind = None;
  DWORD key = 0;
  int x = 0;
  int y = 0;
  int button = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;
  // Shows the screen as it is now (called after every handled event).
  virtual void Show(const Screen &screen) = 0;
  // Waits for the next input event.
  virtual InputEvent Wait() = 0;
};

// The process-wide screen and the backend that shows it. Without a backend
// the host is headless: Show does nothing and Wait returns Quit.
Screen &TheScreen();
void SetBackend(Backend *backend);
Backend *CurrentBackend();

// Waits on the current backend. Once a backend has said Quit, input has ended:
// every later call returns Quit without asking, so each modal loop closes.
// SetBackend starts afresh.
InputEvent NextInput();
bool InputEnded();
void ResetInputEnded();
// Ends the input now, as a Quit from the backend would.
void EndInput();
// Shows the process-wide screen on the current backend.
void ShowScreen();

}  // namespace farhost
