// The headless backend of `pardune --script`: input comes from the script,
// screens go to a stream as text and attributes.
#pragma once

#include <cstdio>
#include <vector>

#include "app/script.hpp"
#include "codec/codec.hpp"
#include "farhost/backend.hpp"

namespace app {

class ScriptBackend : public farhost::Backend {
 public:
  ScriptBackend(std::vector<ScriptCommand> commands, int codePage, FILE *out);

  void Show(const farhost::Screen &screen) override;
  farhost::InputEvent Wait() override;
  // The line of the first command the program ended without using, or 0.
  int UnusedLine() const { return next_ < commands_.size() ? commands_[next_].line : 0; }

 private:
  const farhost::Screen &Shown() const;
  void PrintScreen(int first, int last) const;  // rows first..last, as far as there are
  void PrintAttributes() const;

  std::vector<ScriptCommand> commands_;
  size_t next_ = 0;
  int repeat_ = 0;           // presses of the current key command already delivered
  codec::OemGlyphs glyphs_;  // what each cell shows
  FILE *out_;
  farhost::Screen shown_;
  bool hasShown_ = false;
};

}  // namespace app
