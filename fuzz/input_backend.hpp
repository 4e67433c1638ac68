// A file manager stand-in backend fed from fuzz bytes: keys, typed
// characters, clicks and resizes, a bounded number of them, then Quit.
#pragma once

#include <functional>

#include "farhost/backend.hpp"
#include "support.hpp"

class FuzzInputBackend : public farhost::Backend {
 public:
  FuzzInputBackend(FuzzBytes &bytes, int budget);  // installs itself on the stand-in
  ~FuzzInputBackend() override;

  void Show(const farhost::Screen &) override {}
  farhost::InputEvent Wait() override;

  // Runs before every event is taken, e.g. to check invariants; returns
  // true when it used the step for something of its own (a notification).
  std::function<bool(FuzzBytes &)> beforeEach;

 private:
  FuzzBytes &bytes_;
  int budget_;
};
