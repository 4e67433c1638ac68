// The terminal as the host's backend: shows the screen, reads keys, mouse
// clicks, pastes and resizes from the terminal.
#pragma once

#include <cstdio>
#include <deque>
#include <memory>
#include <string>

#include "app/bracketed_paste.hpp"
#include "app/terminal_view.hpp"
#include "farhost/backend.hpp"

namespace app {

class TerminalBackend : public farhost::Backend {
 public:
  // Takes over the terminal on `in` and `out` (standard input and output);
  // on failure says why in `error` and leaves the terminal untouched.
  static std::unique_ptr<TerminalBackend> Open(FILE *in, FILE *out, int codePage,
                                               std::string *error);
  ~TerminalBackend() override;

  int Columns() const { return view_->Columns(); }
  int Rows() const { return view_->Rows(); }

  void Show(const farhost::Screen &screen) override;
  farhost::InputEvent Wait() override;

  // Gives the terminal back as it was found.
  void Close();

 private:
  TerminalBackend(int codePage) : codePage_(codePage) {}
  farhost::InputEvent Deliver(const farhost::InputEvent &event, bool fromPaste = false);
  bool ReadInput(int timeoutMs);  // false on timeout
  bool NextDecoded(bool final, farhost::InputEvent *event, bool *fromPaste);

  int codePage_;
  int in_ = -1;
  int out_ = -1;
  std::unique_ptr<TerminalView> view_;
  int wake_[2] = {-1, -1};
  std::string input_;
  BracketedPaste paste_;
  bool pasting_ = false;  // inside a bracketed paste: its bytes go to paste_
  std::deque<farhost::InputEvent> pending_;
  bool console_ = false;  // the Linux console: modifiers are asked for
  bool inputEnded_ = false;
  bool eventOut_ = false;  // an event was delivered and not yet followed up
  bool closed_ = false;
};

}  // namespace app
