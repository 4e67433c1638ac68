// The terminal key decoder over a byte stream, as the terminal backend
// reads it: every call consumes what it says; bytes that arrive in two reads
// decode as they do in one; and once no more bytes come only a paste may
// still wait.
#include "app/key_decoder.hpp"
#include "support.hpp"

namespace {

bool Same(const app::DecodedInput &a, const app::DecodedInput &b) {
  return a.kind == b.kind && a.length == b.length && a.key == b.key && a.x == b.x && a.y == b.y &&
         a.button == b.button && a.paste == b.paste;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  int codePage = data[0] & 1 ? 866 : 437;
  std::string input = AsString(data + 1, size - 1);
  std::string_view rest = input;
  while (!rest.empty()) {
    app::DecodedInput in = app::DecodeInput(rest, false, codePage);
    // The same start of the stream read so far only: not yet, or the same.
    size_t cut = (rest.size() * 7 + in.length) % rest.size();
    app::DecodedInput part = app::DecodeInput(rest.substr(0, cut), false, codePage);
    FuzzCheck(part.kind == app::DecodedInput::Incomplete || Same(part, in),
              "a shorter read decodes differently",
              std::to_string(cut) + " of " + std::to_string(rest.size()) + " bytes");
    if (in.kind == app::DecodedInput::Incomplete) {
      in = app::DecodeInput(rest, true, codePage);
      if (in.kind == app::DecodedInput::Incomplete) {
        FuzzCheck(in.inPaste, "incomplete after the ESC delay outside a paste");
        break;
      }
    }
    FuzzCheck(in.length >= 1 && in.length <= rest.size(), "consumed length out of range",
              std::to_string(in.length) + " of " + std::to_string(rest.size()));
    if (in.kind == app::DecodedInput::Mouse)
      FuzzCheck(in.x >= 0 && in.y >= 0 && in.button >= 1 && in.button <= 3, "odd mouse event");
    if (in.kind == app::DecodedInput::Key) FuzzCheck(in.key != 0, "key code 0");
    rest.remove_prefix(in.length);
  }
  return 0;
}
