// The desktop's clipboard beside the process clipboard: copies are mirrored
// out (OSC 52 to the terminal, and wl-copy or xclip), and before a key that
// may paste, the desktop's text is pulled in (wl-paste or xclip). Where the
// tools are missing ($WAYLAND_DISPLAY, $DISPLAY, $PATH decide) it is silent.
#pragma once

#include <string>

#include "farhost/backend.hpp"

namespace app {

// terminalFd receives the OSC 52 sequences; -1 for none. Starts afresh.
void DesktopClipboardInit(int terminalFd);
// Before Ctrl+V, Shift+Ins, Alt+letter, Enter or a mouse click: takes the
// desktop's text when it changed there. Waits at most half a second.
void DesktopClipboardBeforeEvent(const farhost::InputEvent &event);
// After an event: mirrors a copy made since the last call. Never waits.
void DesktopClipboardAfterEvent();
// A bracketed paste: the text goes on the process clipboard as Unicode,
// ANSI and OEM text.
void DesktopClipboardPasted(const std::string &utf8);

}  // namespace app
