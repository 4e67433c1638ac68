// A bracketed paste read as it arrives: the text between the terminal's
// start and end markers, of which the first kLargestPaste characters are
// kept and the rest dropped, so a paste of any size costs little memory and
// one look at each byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace app {

class BracketedPaste {
 public:
  static constexpr std::string_view kStart = "\x1b[200~";
  static constexpr std::string_view kEnd = "\x1b[201~";

  // Takes bytes that follow the start marker and gives how many it used:
  // all of them, or those up to and including the end marker.
  size_t Feed(std::string_view bytes);
  bool Ended() const { return ended_; }
  // The text kept (UTF-8 as the terminal sent it), also of a paste whose
  // end never came; then starts afresh.
  std::string Take();

 private:
  void Keep(std::string_view bytes);

  std::string text_;
  size_t characters_ = 0;
  bool full_ = false;
  std::string held_;  // the last bytes, which may be the start of the end marker
  bool ended_ = false;
};

}  // namespace app
