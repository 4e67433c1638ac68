#include "app/script_backend.hpp"

#include <far170/plugin.hpp>

#include "app/clipboard_text.hpp"
#include "app/console_size.hpp"

namespace app {

ScriptBackend::ScriptBackend(std::vector<ScriptCommand> commands, int codePage, FILE *out)
    : commands_(std::move(commands)), glyphs_(UINT(codePage)), out_(out) {}

void ScriptBackend::Show(const farhost::Screen &screen) {
  shown_ = screen;
  hasShown_ = true;
}

const farhost::Screen &ScriptBackend::Shown() const {
  return hasShown_ ? shown_ : farhost::TheScreen();
}

void ScriptBackend::PrintScreen(int first, int last) const {
  const farhost::Screen &screen = Shown();
  for (int y = first; y <= last && y < screen.Height(); ++y) {
    std::string row;
    for (int x = 0; x < screen.Width(); ++x) row += char(screen.At(x, y).ch);
    size_t end = row.find_last_not_of(' ');
    row.erase(end == std::string::npos ? 0 : end + 1);
    std::string text = glyphs_.ToUtf8(row);
    fprintf(out_, "%s\n", text.c_str());
  }
}

void ScriptBackend::PrintAttributes() const {
  std::string dump = Shown().AttributeDump();
  fwrite(dump.data(), 1, dump.size(), out_);
}

farhost::InputEvent ScriptBackend::Wait() {
  farhost::InputEvent event;
  while (next_ < commands_.size()) {
    const ScriptCommand &cmd = commands_[next_];
    switch (cmd.kind) {
      case ScriptCommand::Key:
        event.kind = farhost::InputEvent::Key;
        event.key = cmd.key;
        if (++repeat_ >= cmd.count) {
          repeat_ = 0;
          ++next_;
        }
        return event;
      case ScriptCommand::Paste:
        ++next_;
        PutClipboardText(cmd.text);
        event.kind = farhost::InputEvent::Key;
        event.key = KEY_SHIFT | KEY_INS;
        return event;
      case ScriptCommand::Click:
        ++next_;
        event.kind = farhost::InputEvent::Mouse;
        event.x = cmd.x;
        event.y = cmd.y;
        event.button = cmd.button;
        return event;
      case ScriptCommand::Resize:
        ++next_;
        SetConsoleSize(cmd.x, cmd.y);
        event.kind = farhost::InputEvent::Resize;
        event.x = cmd.x;
        event.y = cmd.y;
        return event;
      case ScriptCommand::Quit:
        next_ = commands_.size();
        break;
      case ScriptCommand::Clipboard:
        ++next_;
        PutClipboardText(cmd.text);
        break;
      case ScriptCommand::Screen:
        ++next_;
        PrintScreen(cmd.x, cmd.y);
        break;
      case ScriptCommand::Attributes:
        ++next_;
        PrintAttributes();
        break;
      case ScriptCommand::Cursor: {
        ++next_;
        const farhost::Screen &screen = Shown();
        if (screen.CursorVisible())
          fprintf(out_, "cursor %d %d%s\n", screen.CursorX(), screen.CursorY(),
                  screen.CursorBlock() ? " block" : "");
        else
          fprintf(out_, "cursor hidden\n");
        break;
      }
      case ScriptCommand::Echo:
        ++next_;
        fprintf(out_, "%s\n", cmd.text.c_str());
        break;
    }
    fflush(out_);
  }
  fflush(out_);
  event.kind = farhost::InputEvent::Quit;
  return event;
}

}  // namespace app
