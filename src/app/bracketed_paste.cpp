#include "app/bracketed_paste.hpp"

#include "app/clipboard_text.hpp"

namespace app {

void BracketedPaste::Keep(std::string_view bytes) {
  for (char c : bytes) {
    if (full_) return;
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {  // a character starts
      if (characters_ == kLargestPaste) {
        full_ = true;
        return;
      }
      ++characters_;
    }
    text_ += c;
  }
}

size_t BracketedPaste::Feed(std::string_view bytes) {
  if (ended_) return 0;
  const size_t heldBefore = held_.size();
  std::string window = held_ + std::string(bytes);
  held_.clear();
  const size_t end = window.find(kEnd);
  if (end != std::string::npos) {
    Keep(std::string_view(window).substr(0, end));
    ended_ = true;
    return end + kEnd.size() - heldBefore;
  }
  // The longest tail that may begin the end marker waits for more bytes.
  size_t hold = std::min(kEnd.size() - 1, window.size());
  while (hold > 0 && window.compare(window.size() - hold, hold, kEnd.substr(0, hold)) != 0) --hold;
  Keep(std::string_view(window).substr(0, window.size() - hold));
  held_ = window.substr(window.size() - hold);
  return bytes.size();
}

std::string BracketedPaste::Take() {
  if (!ended_) Keep(held_);
  std::string text;
  text.swap(text_);
  *this = BracketedPaste();
  return text;
}

}  // namespace app
