// Test helpers: a backend fed from a list of events, golden screens, and a
// dialog procedure that records what it is told.
#pragma once

#include <far170/plugin.hpp>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "farhost/backend.hpp"
#include "farhost/farhost.hpp"

namespace farhost_test {

class FeedBackend : public farhost::Backend {
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

// Sets a blank screen of the given size and the backend; undone at scope end.
struct Session {
  Session(int width, int height);
  ~Session();
  FeedBackend backend;
};

// Compares a screen with tests/farhost/golden/<name>.txt; with
// PARDUNE_UPDATE_GOLDEN=1 in the environment the file is written instead.
void ExpectGolden(const std::string &name, const std::string &text, const std::string &attributes);

// Readable text of an OEM screen: box characters as Unicode, other bytes
// above 0x7E as \xNN.
std::string Readable(const std::string &oem);

struct Note {
  int msg;
  int param1;
  LONG_PTR param2;
  bool operator==(const Note &o) const {
    return msg == o.msg && param1 == o.param1 && param2 == o.param2;
  }
};

// Records every notification (drawing ones only when asked) and answers
// through a hook, else through DefDlgProc.
struct Recorder {
  std::vector<Note> notes;
  bool drawing = false;
  std::function<bool(HANDLE, int, int, LONG_PTR, LONG_PTR *)> hook;
  static Recorder *current;
  static LONG_PTR WINAPI Proc(HANDLE dlg, int msg, int param1, LONG_PTR param2);
};

FarDialogItem MakeItem(int type, int x1, int y1, int x2, int y2, DWORD flags = 0,
                       const char *text = "", int selected = 0, int focus = 0,
                       int defaultButton = 0);

}  // namespace farhost_test
