#include "app/key_decoder.hpp"

#include <far170/plugin.hpp>

#include <cctype>
#include <vector>

#include "codec/codec.hpp"

namespace app {
namespace {

constexpr std::string_view kPasteStart = "\x1b[200~";
constexpr std::string_view kPasteEnd = "\x1b[201~";
constexpr size_t kLongestSequence = 32;

DecodedInput MakeKey(DWORD key, size_t length) {
  DecodedInput in;
  in.kind = DecodedInput::Key;
  in.key = key;
  in.length = length;
  return in;
}

DecodedInput MakeIgnored(size_t length) {
  DecodedInput in;
  in.kind = DecodedInput::Ignored;
  in.length = length;
  return in;
}

DecodedInput MakeIncomplete() {
  return DecodedInput{};
}

// xterm's modifier parameter: 1 + (Shift 1 | Alt 2 | Ctrl 4 | Meta 8).
DWORD Modifiers(int param) {
  if (param < 2) return 0;
  int bits = param - 1;
  DWORD mods = 0;
  if (bits & 1) mods |= KEY_SHIFT;
  if (bits & (2 | 8)) mods |= KEY_ALT;
  if (bits & 4) mods |= KEY_CTRL;
  return mods;
}

// A character key with modifiers: letters with Ctrl or Alt use the capital.
DWORD CharKey(DWORD ch, DWORD mods) {
  if (ch < 128 && std::isalpha(int(ch))) {
    if (mods & (KEY_CTRL | KEY_ALT)) {
      if (std::isupper(int(ch))) mods |= KEY_SHIFT;
      return mods | DWORD(std::toupper(int(ch)));
    }
    if (mods & KEY_SHIFT) return DWORD(std::toupper(int(ch)));
    return ch;
  }
  return mods | ch;
}

// The key of a control byte (0x00-0x1F, 0x7F), ESC excluded.
DWORD ControlKey(unsigned char byte) {
  switch (byte) {
    case 0x00:
      return KEY_CTRL | KEY_SPACE;
    case 0x08:
      return KEY_BS;
    case 0x09:
      return KEY_TAB;
    case 0x0D:
      return KEY_ENTER;
    case 0x7F:
      return KEY_BS;
    case 0x1C:
      return KEY_CTRL | '\\';
    case 0x1D:
      return KEY_CTRL | ']';
    case 0x1E:
      return KEY_CTRL | '^';
    case 0x1F:
      return KEY_CTRL | '_';
    default:
      return KEY_CTRL | DWORD('A' + byte - 1);
  }
}

// A code sent by modifyOtherKeys (CSI 27;m;c~) or CSI c;m u.
DWORD CodeKey(long code, DWORD mods) {
  switch (code) {
    case 8:
    case 127:
      return mods | KEY_BS;
    case 9:
      return mods | KEY_TAB;
    case 13:
      return mods | KEY_ENTER;
    case 27:
      return mods | KEY_ESC;
    case 32:
      return mods | KEY_SPACE;
    default:
      break;
  }
  if (code > 32 && code < 127) return CharKey(DWORD(code), mods);
  return 0;
}

DWORD TildeKey(long number) {
  switch (number) {
    case 1:
    case 7:
      return KEY_HOME;
    case 2:
      return KEY_INS;
    case 3:
      return KEY_DEL;
    case 4:
    case 8:
      return KEY_END;
    case 5:
      return KEY_PGUP;
    case 6:
      return KEY_PGDN;
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
      return KEY_F1 + DWORD(number - 11);
    case 17:
    case 18:
    case 19:
    case 20:
    case 21:
      return KEY_F1 + 5 + DWORD(number - 17);
    case 23:
    case 24:
      return KEY_F1 + 10 + DWORD(number - 23);
    default:
      return 0;
  }
}

// Final letters shared by CSI and SS3: arrows, Home, End, F1-F4.
DWORD LetterKey(char final) {
  switch (final) {
    case 'A':
      return KEY_UP;
    case 'B':
      return KEY_DOWN;
    case 'C':
      return KEY_RIGHT;
    case 'D':
      return KEY_LEFT;
    case 'H':
      return KEY_HOME;
    case 'F':
      return KEY_END;
    case 'P':
      return KEY_F1;
    case 'Q':
      return KEY_F1 + 1;
    case 'R':
      return KEY_F1 + 2;
    case 'S':
      return KEY_F1 + 3;
    default:
      return 0;
  }
}

// rxvt's lower-case arrows: CSI a-d with Shift, SS3 a-d with Ctrl.
DWORD RxvtArrow(char final) {
  switch (final) {
    case 'a':
      return KEY_UP;
    case 'b':
      return KEY_DOWN;
    case 'c':
      return KEY_RIGHT;
    case 'd':
      return KEY_LEFT;
    default:
      return 0;
  }
}

std::vector<long> Params(std::string_view text) {
  std::vector<long> params(1, -1);
  for (char c : text) {
    if (c == ';') {
      params.push_back(-1);
    } else if (c >= '0' && c <= '9') {
      long &p = params.back();
      if (p < 0) p = 0;
      if (p < 100000) p = p * 10 + (c - '0');
    } else {
      params.back() = -2;  // a sub-parameter or private marker: not a key
    }
  }
  return params;
}

long Param(const std::vector<long> &params, size_t i, long fallback) {
  return i < params.size() && params[i] >= 0 ? params[i] : fallback;
}

DecodedInput DecodeSgrMouse(std::string_view bytes, bool final) {
  // ESC [ < b ; x ; y M|m
  size_t i = 3;
  while (i < bytes.size() && i < kLongestSequence &&
         ((bytes[i] >= '0' && bytes[i] <= '9') || bytes[i] == ';'))
    ++i;
  if (i >= kLongestSequence) return MakeIgnored(i);
  if (i >= bytes.size()) return final ? MakeIgnored(i) : MakeIncomplete();
  char fin = bytes[i];
  size_t length = i + 1;
  std::vector<long> p = Params(bytes.substr(3, i - 3));
  if ((fin != 'M' && fin != 'm') || p.size() != 3) return MakeIgnored(length);
  long b = Param(p, 0, -1), x = Param(p, 1, 0), y = Param(p, 2, 0);
  // Presses only: no releases, motion (32) or wheel (64).
  if (fin == 'm' || b < 0 || (b & (32 | 64 | 128)) || x < 1 || y < 1) return MakeIgnored(length);
  int button = int(b & 3);
  if (button == 3) return MakeIgnored(length);
  DecodedInput in;
  in.kind = DecodedInput::Mouse;
  in.length = length;
  in.x = int(x - 1);
  in.y = int(y - 1);
  in.button = button == 0 ? 1 : button == 1 ? 3 : 2;
  return in;
}

DecodedInput DecodeX10Mouse(std::string_view bytes, bool final) {
  // ESC [ M b x y, each byte offset by 32.
  if (bytes.size() < 6) return final ? MakeIgnored(bytes.size()) : MakeIncomplete();
  int b = (unsigned char)bytes[3] - 32;
  int x = (unsigned char)bytes[4] - 33;
  int y = (unsigned char)bytes[5] - 33;
  if (b < 0 || (b & (32 | 64)) || (b & 3) == 3 || x < 0 || y < 0) return MakeIgnored(6);
  DecodedInput in;
  in.kind = DecodedInput::Mouse;
  in.length = 6;
  in.x = x;
  in.y = y;
  in.button = (b & 3) == 0 ? 1 : (b & 3) == 1 ? 3 : 2;
  return in;
}

DecodedInput DecodePaste(std::string_view bytes, bool final) {
  size_t end = bytes.find(kPasteEnd, kPasteStart.size());
  DecodedInput in;
  if (end == std::string_view::npos) {
    if (!final) {
      in.inPaste = true;
      return in;
    }
    end = bytes.size();
    in.length = bytes.size();
  } else {
    in.length = end + kPasteEnd.size();
  }
  in.kind = DecodedInput::Paste;
  in.paste = std::string(bytes.substr(kPasteStart.size(), end - kPasteStart.size()));
  return in;
}

DecodedInput DecodeCsi(std::string_view bytes, bool final) {
  if (bytes.size() >= 3) {
    if (bytes[2] == '<') return DecodeSgrMouse(bytes, final);
    if (bytes[2] == 'M') return DecodeX10Mouse(bytes, final);
    if (bytes[2] == '[') {  // linux console F1-F5: ESC [ [ A..E
      if (bytes.size() < 4) return final ? MakeIgnored(3) : MakeIncomplete();
      char c = bytes[3];
      if (c >= 'A' && c <= 'E') return MakeKey(KEY_F1 + DWORD(c - 'A'), 4);
      return MakeIgnored(4);
    }
  }
  if (bytes.substr(0, kPasteStart.size()) == kPasteStart) return DecodePaste(bytes, final);

  size_t i = 2;
  while (i < bytes.size() && i < kLongestSequence) {
    unsigned char c = bytes[i];
    if (c >= 0x40 && c <= 0x7E) break;                // final byte
    if (c == '$') break;                              // rxvt: Shift variant of a ~ key
    if (c < 0x20 || c > 0x7E) return MakeIgnored(i);  // broken sequence
    ++i;
  }
  if (i >= kLongestSequence) return MakeIgnored(i);
  if (i >= bytes.size()) {
    if (!final) return MakeIncomplete();
    // A lone ESC [ within the delay is Alt+[; a cut sequence is dropped.
    return bytes.size() == 2 ? MakeKey(KEY_ALT | '[', 2) : MakeIgnored(bytes.size());
  }
  char fin = bytes[i];
  size_t length = i + 1;
  std::string_view body = bytes.substr(2, i - 2);
  for (char c : body)
    if (!((c >= '0' && c <= '9') || c == ';')) return MakeIgnored(length);
  std::vector<long> p = Params(body);

  if (DWORD key = LetterKey(fin)) {
    if (fin == 'P' || fin == 'Q' || fin == 'R' || fin == 'S' || fin == 'H' || fin == 'F' ||
        p.size() > 1 || Param(p, 0, 1) == 1)
      return MakeKey(key | Modifiers(int(Param(p, 1, 1))), length);
    return MakeIgnored(length);
  }
  switch (fin) {
    case 'Z':
      return MakeKey(KEY_SHIFT | KEY_TAB | Modifiers(int(Param(p, 1, 1))), length);
    case '~': {
      long number = Param(p, 0, -1);
      if (number == 27 && p.size() == 3) {  // modifyOtherKeys
        DWORD key = CodeKey(Param(p, 2, 0), Modifiers(int(Param(p, 1, 1))));
        return key ? MakeKey(key, length) : MakeIgnored(length);
      }
      DWORD key = TildeKey(number);
      return key ? MakeKey(key | Modifiers(int(Param(p, 1, 1))), length) : MakeIgnored(length);
    }
    case 'u': {
      DWORD key = CodeKey(Param(p, 0, 0), Modifiers(int(Param(p, 1, 1))));
      return key ? MakeKey(key, length) : MakeIgnored(length);
    }
    case '$':
    case '^':
    case '@': {
      DWORD key = TildeKey(Param(p, 0, -1));
      if (!key || p.size() != 1) return MakeIgnored(length);
      DWORD mods = fin == '$' ? KEY_SHIFT : fin == '^' ? KEY_CTRL : KEY_CTRL | KEY_SHIFT;
      return MakeKey(key | mods, length);
    }
    case 'a':
    case 'b':
    case 'c':
    case 'd':
      if (body.empty()) return MakeKey(KEY_SHIFT | RxvtArrow(fin), length);
      return MakeIgnored(length);
    default:
      return MakeIgnored(length);
  }
}

DecodedInput DecodeSs3(std::string_view bytes, bool final) {
  size_t i = 2;
  while (i < bytes.size() && i < 8 && ((bytes[i] >= '0' && bytes[i] <= '9') || bytes[i] == ';'))
    ++i;
  if (i >= bytes.size()) {
    if (!final) return MakeIncomplete();
    return bytes.size() == 2 ? MakeKey(KEY_ALT | KEY_SHIFT | 'O', 2) : MakeIgnored(bytes.size());
  }
  char fin = bytes[i];
  size_t length = i + 1;
  std::vector<long> p = Params(bytes.substr(2, i - 2));
  // Older terminals put the modifier right after SS3 (ESC O 5 A).
  long modParam = p.size() > 1 ? Param(p, 1, 1) : Param(p, 0, 1);
  DWORD mods = Modifiers(int(modParam));
  if (DWORD key = LetterKey(fin)) return MakeKey(key | mods, length);
  if (DWORD key = RxvtArrow(fin)) return MakeKey(KEY_CTRL | key, length);
  if (fin == 'M') return MakeKey(KEY_ENTER | mods, length);
  // Keypad in application mode: * + , - . / and digits.
  if (fin >= 'j' && fin <= 'y') {
    static const char kKeypad[] = "*+,-./0123456789";
    return MakeKey(CharKey(DWORD(kKeypad[fin - 'j']), mods), length);
  }
  if (fin >= 0x20 && fin <= 0x7E) return MakeIgnored(length);
  return MakeIgnored(i);
}

DecodedInput DecodeCharacter(std::string_view bytes, bool final, int codePage) {
  unsigned char lead = bytes[0];
  if (lead < 0x20 || lead == 0x7F) return MakeKey(ControlKey(lead), 1);
  if (lead < 0x80) return MakeKey(lead, 1);
  char32_t ch = 0;
  size_t length = codec::DecodeUtf8(bytes, &ch);
  if (length == 0) return final ? MakeIgnored(bytes.size()) : MakeIncomplete();
  int oem = ch == 0xFFFD ? -1 : codec::OemByte(ch, UINT(codePage));
  return oem < 0 ? MakeIgnored(length) : MakeKey(DWORD(oem), length);
}

}  // namespace

DecodedInput DecodeInput(std::string_view bytes, bool final, int codePage) {
  if (bytes.empty()) return MakeIncomplete();
  if (bytes[0] != '\x1b') return DecodeCharacter(bytes, final, codePage);
  if (bytes.size() == 1) return final ? MakeKey(KEY_ESC, 1) : MakeIncomplete();
  switch (bytes[1]) {
    case '[':
      return DecodeCsi(bytes, final);
    case 'O':
      return DecodeSs3(bytes, final);
    case '\x1b': {
      // ESC ESC [ ... is Alt with a sequence (rxvt); else two Esc presses.
      if (bytes.size() == 2 && !final) return MakeIncomplete();
      if (bytes.size() > 2 && (bytes[2] == '[' || bytes[2] == 'O')) {
        DecodedInput inner = DecodeInput(bytes.substr(1), final, codePage);
        if (inner.kind == DecodedInput::Incomplete) return inner;
        if (inner.kind == DecodedInput::Key) return MakeKey(inner.key | KEY_ALT, inner.length + 1);
      }
      return MakeKey(KEY_ESC, 1);
    }
    default: {
      DecodedInput inner = DecodeCharacter(bytes.substr(1), final, codePage);
      if (inner.kind == DecodedInput::Incomplete) return inner;
      if (inner.kind != DecodedInput::Key) return MakeIgnored(inner.length + 1);
      DWORD key = inner.key;
      if (key < 128 && std::isalpha(int(key)))
        key = CharKey(key, KEY_ALT);
      else
        key |= KEY_ALT;
      return MakeKey(key, inner.length + 1);
    }
  }
}

DWORD AddConsoleModifiers(DWORD key, int shiftState) {
  DWORD mods = 0;
  if (shiftState & 1) mods |= KEY_SHIFT;
  if (shiftState & 4) mods |= KEY_CTRL;
  if (shiftState & 8) mods |= KEY_ALT;
  switch (key) {
    case KEY_UP:
    case KEY_DOWN:
    case KEY_LEFT:
    case KEY_RIGHT:
    case KEY_HOME:
    case KEY_END:
    case KEY_PGUP:
    case KEY_PGDN:
    case KEY_INS:
    case KEY_DEL:
      return key | mods;
    case KEY_TAB:
      return key | (mods & KEY_SHIFT);
    default:
      return key;
  }
}

}  // namespace app
