#include "app/startup_box.hpp"

#include <string>

#include "farhost/backend.hpp"

namespace app {
namespace {

// Hands every key and click to the box as Enter, so any key closes it.
class AnyKeyCloses : public farhost::Backend {
 public:
  explicit AnyKeyCloses(farhost::Backend *inner) : inner_(inner) {}
  void Show(const farhost::Screen &screen) override {
    if (inner_) inner_->Show(screen);
  }
  farhost::InputEvent Wait() override {
    farhost::InputEvent event;
    event.kind = farhost::InputEvent::Quit;
    if (inner_) event = inner_->Wait();
    if (event.kind == farhost::InputEvent::Key || event.kind == farhost::InputEvent::Mouse) {
      event = farhost::InputEvent{};
      event.kind = farhost::InputEvent::Key;
      event.key = KEY_ENTER;
    }
    return event;
  }

 private:
  farhost::Backend *inner_;
};

}  // namespace

void ShowStartupBox(const PluginStartupInfo &info, const char *moduleName, int runResult) {
  if (!info.Message) return;
  std::string text = std::string(moduleName && *moduleName ? moduleName : "Pardune") + "\n";
  if (runResult)
    text +=
        "The module is loaded and works with this file manager.\n"
        "The expression tester itself comes in the next version.\n";
  else
    text +=
        "The module is loaded, but it refused this file manager's version.\n"
        "The expression tester cannot open.\n";
  text += "Press any key to leave.";
  farhost::Backend *terminal = farhost::CurrentBackend();
  AnyKeyCloses closer(terminal);
  farhost::SetBackend(&closer);
  const char *items = text.c_str();
  info.Message(info.ModuleNumber,
               DWORD(FMSG_ALLINONE | FMSG_MB_OK) | (runResult ? 0u : DWORD(FMSG_WARNING)), nullptr,
               reinterpret_cast<const char *const *>(items), 0, 0);
  farhost::SetBackend(terminal);
}

}  // namespace app
