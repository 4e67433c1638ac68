// Test helpers: a session on the stand-in's screen, golden screens, and a
// dialog procedure that records what it is told.
#pragma once

#include <far170/plugin.hpp>

#include <functional>
#include <string>
#include <vector>

#include "farhost/farhost.hpp"
#include "support/dialog_items.hpp"
#include "support/queue_backend.hpp"

namespace farhost_test {

using FeedBackend = test_support::QueueBackend;
using test_support::Click;
using test_support::Key;
using test_support::Keys;
using test_support::MakeItem;
using test_support::Resize;

// Sets a blank screen of the given size and the backend; undone at scope end.
struct Session {
  Session(int width, int height);
  ~Session();
  FeedBackend backend;
};

// Compares a screen with tests/farhost/golden/<name>.txt.
void ExpectGolden(const std::string &name, const std::string &text, const std::string &attributes);

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

}  // namespace farhost_test
