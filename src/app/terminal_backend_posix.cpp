#include "app/terminal_backend.hpp"
#include "app/write_all.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <far170/plugin.hpp>

#include <cerrno>

#include "app/bracketed_paste.hpp"
#include "app/clipboard_text.hpp"
#include "app/desktop_clipboard.hpp"
#include "app/key_decoder.hpp"
#include "app/terminal_guard.hpp"
#include "app/terminal_type.hpp"

namespace app {
namespace {

// Mouse clicks (SGR coordinates) and bracketed paste.
const char kModesOn[] = "\x1b[?1000h\x1b[?1006h\x1b[?2004h";
const char kModesOff[] = "\x1b[?2004l\x1b[?1006l\x1b[?1000l";
// Alt+letter as ESC and the letter (metaSendsEscape, altSendsEscape): xterm
// as shipped sends the letter with its eighth bit set instead. The user's
// own setting is saved first and put back after (XTSAVE, XTRESTORE);
// terminals without these modes ignore both.
const char kAltKeysOn[] = "\x1b[?1036;1039s\x1b[?1036;1039h";
const char kAltKeysOff[] = "\x1b[?1036;1039r";

constexpr int kEscDelayMs = 25;
constexpr int kPasteDelayMs = 2000;

// Terminals send a pasted line end as CR; the clipboard gets LF.
std::string NormalizeNewlines(const std::string &text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The Linux console's modifier state (Shift 1, AltGr 2, Ctrl 4, Alt 8), or
// -1 where `fd` is no virtual console (a pty, or the console over ssh).
int ConsoleShiftState(int fd) {
#ifdef TIOCLINUX
  char request = 6;  // TIOCL_GETSHIFTSTATE
  if (ioctl(fd, TIOCLINUX, &request) == 0) return static_cast<unsigned char>(request);
#else
  (void)fd;
#endif
  return -1;
}

}  // namespace

std::unique_ptr<TerminalBackend> TerminalBackend::Open(FILE *in, FILE *out, int codePage,
                                                       std::string *error) {
  int inFd = fileno(in), outFd = fileno(out);
  if (!isatty(inFd) || !isatty(outFd)) {
    *error = "standard input and output must be a terminal (or use --script FILE)";
    return nullptr;
  }
  termios saved;
  if (tcgetattr(inFd, &saved) != 0) {
    *error = "cannot read the terminal settings";
    return nullptr;
  }
  if (!UsableTerminalType(outFd, error)) return nullptr;
  std::unique_ptr<TerminalBackend> backend(new TerminalBackend(codePage));
  backend->in_ = inFd;
  backend->out_ = outFd;
  backend->console_ = ConsoleShiftState(inFd) >= 0;
  if (pipe(backend->wake_) != 0) {
    *error = "cannot create a pipe";
    return nullptr;
  }
  for (int fd : backend->wake_) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
  // The handlers are in place before ncurses starts, so it keeps its own out.
  GuardTerminal(outFd, saved, std::string(kModesOff) + "\x1b[0m\x1b[?25h\x1b[?1049l",
                backend->wake_[1]);
  backend->view_ = std::make_unique<TerminalView>(out, in, codePage);
  if (!backend->view_->Ok()) {
    EmergencyRestoreTerminal();
    const char *term = getenv("TERM");
    *error = std::string("cannot use the terminal type '") + (term ? term : "") + "'";
    return nullptr;
  }
  const std::string modesOn = std::string(kModesOn) + kAltKeysOn;
  GuardTerminal(outFd, saved, std::string(kModesOff) + kAltKeysOff + backend->view_->ResetBytes(),
                backend->wake_[1]);
  WriteAll(outFd, modesOn.data(), modesOn.size());
  termios program;
  if (tcgetattr(inFd, &program) == 0)
    SetProgramTerminal(program, backend->view_->ResumeBytes() + modesOn);
  DesktopClipboardInit(outFd);
  return backend;
}

TerminalBackend::~TerminalBackend() {
  Close();
  for (int fd : wake_)
    if (fd >= 0) close(fd);
}

void TerminalBackend::Close() {
  if (closed_) return;
  closed_ = true;
  if (eventOut_) DesktopClipboardAfterEvent();
  eventOut_ = false;
  if (view_) {
    WriteAll(out_, kModesOff, sizeof kModesOff - 1);
    WriteAll(out_, kAltKeysOff, sizeof kAltKeysOff - 1);
    view_->Close();
  }
  ReleaseTerminalGuard();
}

void TerminalBackend::Show(const farhost::Screen &screen) {
  if (!closed_) view_->Show(screen);
}

farhost::InputEvent TerminalBackend::Deliver(const farhost::InputEvent &event, bool fromPaste) {
  if (!fromPaste) DesktopClipboardBeforeEvent(event);
  eventOut_ = true;
  return event;
}

bool TerminalBackend::ReadInput(int timeoutMs) {
  pollfd fds[2] = {{in_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
  int n = poll(fds, 2, timeoutMs);
  if (n < 0) return errno == EINTR;  // a signal: the caller looks at the flags
  if (n == 0) return false;
  if (fds[1].revents & POLLIN) {
    char drain[64];
    while (read(wake_[0], drain, sizeof drain) > 0) {
    }
  }
  if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
    char buffer[4096];
    ssize_t got = read(in_, buffer, sizeof buffer);
    if (got > 0)
      input_.append(buffer, size_t(got));
    else if (got == 0 || (errno != EINTR && errno != EAGAIN))
      inputEnded_ = true;
  }
  return true;
}

bool TerminalBackend::NextDecoded(bool final, farhost::InputEvent *event, bool *fromPaste) {
  while (pasting_ || !input_.empty()) {
    if (pasting_) {
      // The text goes to the clipboard; the focused item pastes it. The
      // desktop's clipboard is not asked again: a middle-click paste
      // carries the selection, not the clipboard.
      input_.erase(0, paste_.Feed(input_));
      if (!paste_.Ended() && !final) return false;
      pasting_ = false;
      DesktopClipboardPasted(NormalizeNewlines(paste_.Take()));
      event->kind = farhost::InputEvent::Key;
      event->key = KEY_SHIFT | KEY_INS;
      *fromPaste = true;
      return true;
    }
    if (input_.compare(0, BracketedPaste::kStart.size(), BracketedPaste::kStart) == 0) {
      input_.erase(0, BracketedPaste::kStart.size());
      pasting_ = true;
      continue;
    }
    DecodedInput in = DecodeInput(input_, final, codePage_);
    if (in.kind == DecodedInput::Incomplete) return false;
    input_.erase(0, in.length);
    switch (in.kind) {
      case DecodedInput::Key:
        event->kind = farhost::InputEvent::Key;
        event->key = in.key;
        if (console_) {
          int state = ConsoleShiftState(in_);
          if (state > 0) event->key = AddConsoleModifiers(in.key, state);
        }
        return true;
      case DecodedInput::Mouse:
        event->kind = farhost::InputEvent::Mouse;
        event->x = in.x;
        event->y = in.y;
        event->button = in.button;
        return true;
      case DecodedInput::Paste:  // after an ESC: the paste came whole
        BoundPasteText(&in.paste);
        DesktopClipboardPasted(NormalizeNewlines(in.paste));
        event->kind = farhost::InputEvent::Key;
        event->key = KEY_SHIFT | KEY_INS;
        *fromPaste = true;
        return true;
      default:
        break;
    }
  }
  return false;
}

farhost::InputEvent TerminalBackend::Wait() {
  if (eventOut_) {
    DesktopClipboardAfterEvent();
    eventOut_ = false;
  }
  farhost::InputEvent event;
  if (closed_) {
    event.kind = farhost::InputEvent::Quit;
    return event;
  }
  while (true) {
    if (QuitRequested() || inputEnded_) {
      event.kind = farhost::InputEvent::Quit;
      return event;
    }
    bool repaint = TakeRepaintRequest();
    if (TakeResizeRequest() || repaint) {
      winsize size;
      if (ioctl(out_, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 && size.ws_row > 0) {
        view_->Resize(size.ws_col, size.ws_row);
        WinportSetConsoleSize(size.ws_col, size.ws_row);
        event.kind = farhost::InputEvent::Resize;
        event.x = size.ws_col;
        event.y = size.ws_row;
        return Deliver(event);
      }
    }
    bool fromPaste = false;
    if (NextDecoded(false, &event, &fromPaste)) return Deliver(event, fromPaste);
    if (input_.empty() && !pasting_) {
      ReadInput(-1);
      continue;
    }
    // Something incomplete waits: a little longer for an escape sequence,
    // much longer inside a paste.
    bool inPaste = pasting_ || DecodeInput(input_, false, codePage_).inPaste;
    if (!ReadInput(inPaste ? kPasteDelayMs : kEscDelayMs) && NextDecoded(true, &event, &fromPaste))
      return Deliver(event, fromPaste);
  }
}

}  // namespace app
