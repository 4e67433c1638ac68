#include "input_backend.hpp"

#include "far170/plugin.hpp"
#include "farhost/screen.hpp"

namespace {

const DWORD kKeys[] = {KEY_LEFT,  KEY_RIGHT, KEY_UP, KEY_DOWN, KEY_HOME, KEY_END,
                       KEY_PGUP,  KEY_PGDN,  KEY_BS, KEY_DEL,  KEY_INS,  KEY_TAB,
                       KEY_ENTER, KEY_SPACE, KEY_F1, KEY_F12,  'A',      'C',
                       'D',       'N',       'V',    'X',      'Y',      'Z',
                       'K',       'U',       '[',    ']',      KEY_ESC};

}  // namespace

FuzzInputBackend::FuzzInputBackend(FuzzBytes &bytes, int budget) : bytes_(bytes), budget_(budget) {
  farhost::SetBackend(this);
}

FuzzInputBackend::~FuzzInputBackend() {
  farhost::SetBackend(nullptr);
}

farhost::InputEvent FuzzInputBackend::Wait() {
  farhost::InputEvent event;
  event.kind = farhost::InputEvent::Quit;
  while (budget_-- > 0 && !bytes_.Empty()) {
    if (beforeEach && beforeEach(bytes_)) continue;
    switch (bytes_.Below(8)) {
      case 0:
      case 1:
      case 2:
        event.kind = farhost::InputEvent::Key;
        event.key = Pick(bytes_, kKeys) | Pick(bytes_, kFuzzModifiers);
        FuzzTrace("key 0x%x", unsigned(event.key));
        return event;
      case 3:
      case 4:
      case 5: {
        event.kind = farhost::InputEvent::Key;
        DWORD c = bytes_.Byte();
        event.key = c < 0x20 ? c + 'a' : c;
        FuzzTrace("type 0x%x", unsigned(event.key));
        return event;
      }
      case 6: {
        const farhost::Screen &screen = farhost::TheScreen();
        event.kind = farhost::InputEvent::Mouse;
        event.x = bytes_.Below(screen.Width() + 2) - 1;
        event.y = bytes_.Below(screen.Height() + 2) - 1;
        event.button = 1 + bytes_.Below(3);
        FuzzTrace("click %d %d button %d", event.x, event.y, event.button);
        return event;
      }
      default:
        event.kind = farhost::InputEvent::Resize;
        event.x = 1 + bytes_.Below(200);
        event.y = 1 + bytes_.Below(80);
        FuzzTrace("resize %d %d", event.x, event.y);
        return event;
    }
  }
  event.kind = farhost::InputEvent::Quit;
  return event;
}
