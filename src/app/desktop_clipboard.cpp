#include "app/desktop_clipboard.hpp"
#include "app/write_all.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/clipboard_text.hpp"
#include "far170/plugin.hpp"

namespace app {
namespace {

using Clock = std::chrono::steady_clock;

const int kPullMs = 500;
// Enough bytes for kLargestPaste characters of UTF-8 (four bytes at most).
const size_t kLargestPull = 4 * kLargestPaste;
const size_t kLargestOsc52 = 1u << 20;  // terminals drop longer sequences anyway

struct Command {
  std::vector<std::string> words;  // words[0]: the program's full path
  bool Present() const { return !words.empty(); }
};

struct Bridge {
  int terminal = -1;
  Command copy;
  Command paste;
  DWORD seen = 0;
  bool desktopKnown = false;
  std::string desktop;  // the desktop's text as we last saw or set it
} bridge;

std::string InPath(const char *name) {
  const char *path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string candidate = dirs.substr(start, end - start);
    candidate = (candidate.empty() ? std::string(".") : candidate) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return std::string();
}

bool Set(const char *variable) {
  const char *value = std::getenv(variable);
  return value && value[0];
}

void FindTools() {
  if (Set("WAYLAND_DISPLAY")) {
    std::string copy = InPath("wl-copy"), paste = InPath("wl-paste");
    if (!copy.empty()) bridge.copy.words = {copy};
    if (!paste.empty()) bridge.paste.words = {paste, "--no-newline", "--type", "text"};
    if (!copy.empty() || !paste.empty()) return;
  }
  if (Set("DISPLAY")) {
    std::string xclip = InPath("xclip");
    if (xclip.empty()) return;
    bridge.copy.words = {xclip, "-selection", "clipboard", "-in"};
    bridge.paste.words = {xclip, "-selection", "clipboard", "-out", "-target", "UTF8_STRING"};
  }
}

std::vector<char *> Argv(Command &command) {
  std::vector<char *> argv;
  for (std::string &word : command.words) argv.push_back(&word[0]);
  argv.push_back(nullptr);
  return argv;
}

// In a child: only calls that are safe after fork in a threaded process.
void RedirectAndExec(int in, int out, char *const *argv) {
  int null = open("/dev/null", O_RDWR);
  dup2(in >= 0 ? in : null, 0);
  dup2(out >= 0 ? out : null, 1);
  dup2(null, 2);
  for (int fd = 3; fd < 1024; ++fd) close(fd);
  execv(argv[0], argv);
  _exit(127);
}

// Runs the command with `text` on its standard input and does not wait for
// it: a grandchild feeds it, and init reaps both.
void RunDetached(Command &command, const std::string &text) {
  std::vector<char *> argv = Argv(command);
  pid_t first = fork();
  if (first < 0) return;
  if (first == 0) {
    if (fork() != 0) _exit(0);
    setsid();
    struct sigaction ignore;
    std::memset(&ignore, 0, sizeof ignore);
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, nullptr);
    alarm(10);  // a tool that never reads its input does not keep us forever
    int feed[2];
    if (pipe(feed) != 0) _exit(1);
    pid_t tool = fork();
    if (tool == 0) {
      close(feed[1]);
      RedirectAndExec(feed[0], -1, argv.data());
    }
    close(feed[0]);
    if (tool > 0) WriteAll(feed[1], text.data(), text.size());
    close(feed[1]);
    if (tool > 0) waitpid(tool, nullptr, 0);
    _exit(0);
  }
  while (waitpid(first, nullptr, 0) < 0 && errno == EINTR) {
  }
}

// The command's standard output, if it ends well within kPullMs; of a
// longer one the first kLargestPull bytes, and the command is stopped.
bool RunAndRead(Command &command, std::string *output) {
  std::vector<char *> argv = Argv(command);
  int from[2];
  if (pipe2(from, O_CLOEXEC) != 0) return false;
  pid_t child = fork();
  if (child < 0) {
    close(from[0]);
    close(from[1]);
    return false;
  }
  if (child == 0) RedirectAndExec(-1, from[1], argv.data());
  close(from[1]);

  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kPullMs);
  auto left = [&deadline] {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return ms.count() > 0 ? int(ms.count()) : 0;
  };
  output->clear();
  bool ended = false;
  char chunk[65536];
  while (!ended && output->size() < kLargestPull) {
    pollfd p = {from[0], POLLIN, 0};
    int ready = poll(&p, 1, left());
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    ssize_t n = read(from[0], chunk, std::min(sizeof chunk, kLargestPull - output->size()));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      ended = n == 0;
    else
      output->append(chunk, size_t(n));
  }
  close(from[0]);
  if (!ended && output->size() >= kLargestPull) {  // all a paste can take
    kill(child, SIGKILL);
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    return true;
  }

  int status = 0;
  pid_t done = 0;
  while (ended && (done = waitpid(child, &status, WNOHANG)) == 0 && left() > 0) usleep(2000);
  if (done != child) {
    kill(child, SIGKILL);
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return false;
  }
  return ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string WithLineFeeds(const std::string &text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

// The process clipboard's text in UTF-8 with LF line ends; false without text.
bool StoreText(std::string *utf8) {
  if (!OpenClipboard(nullptr)) return false;
  HANDLE block = GetClipboardData(CF_UNICODETEXT);
  SIZE_T size = block ? GlobalSize(block) : 0;
  const WCHAR *wide = size ? static_cast<const WCHAR *>(GlobalLock(block)) : nullptr;
  bool ok = wide != nullptr;
  if (ok) {
    size_t length = 0;
    while (length < size / 2 && wide[length]) ++length;
    std::string text;
    if (length > 0 && length < 0x7FFFFFFF) {
      int n = WideCharToMultiByte(CP_UTF8, 0, wide, int(length), nullptr, 0, nullptr, nullptr);
      text.resize(n > 0 ? size_t(n) : 0);
      if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide, int(length), &text[0], n, nullptr, nullptr);
    }
    GlobalUnlock(block);
    *utf8 = WithLineFeeds(text);
  }
  CloseClipboard();
  return ok;
}

std::string Base64(const std::string &bytes) {
  static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    unsigned n = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 2]);
    out += digits[(n >> 18) & 63];
    out += digits[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? digits[(n >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? digits[n & 63] : '=';
  }
  return out;
}

bool MayPaste(const farhost::InputEvent &event) {
  if (event.kind == farhost::InputEvent::Mouse) return true;
  if (event.kind != farhost::InputEvent::Key) return false;
  const DWORD key = event.key;
  const DWORD base = key & ~(KEY_CTRL | KEY_ALT | KEY_SHIFT | KEY_RCTRL | KEY_RALT);
  if (key == KEY_ENTER || key == (KEY_CTRL | 'V') || key == (KEY_SHIFT | KEY_INS)) return true;
  return (key & (KEY_ALT | KEY_RALT)) &&
         ((base >= 'A' && base <= 'Z') || (base >= 'a' && base <= 'z'));
}

}  // namespace

void DesktopClipboardInit(int terminalFd) {
  bridge = Bridge();
  bridge.terminal = terminalFd >= 0 && isatty(terminalFd) ? terminalFd : -1;
  FindTools();
  bridge.seen = GetClipboardSequenceNumber();
}

void DesktopClipboardBeforeEvent(const farhost::InputEvent &event) {
  if (!bridge.paste.Present() || !MayPaste(event)) return;
  std::string text;
  if (!RunAndRead(bridge.paste, &text)) return;
  text = WithLineFeeds(text);
  BoundPasteText(&text);
  if (bridge.desktopKnown && text == bridge.desktop) return;
  bridge.desktop = text;
  bridge.desktopKnown = true;
  std::string current;
  if (!StoreText(&current) || current != text) PutClipboardText(text);
  bridge.seen = GetClipboardSequenceNumber();
}

void DesktopClipboardAfterEvent() {
  DWORD sequence = GetClipboardSequenceNumber();
  if (sequence == bridge.seen) return;
  bridge.seen = sequence;
  std::string text;
  if (!StoreText(&text)) return;
  if (bridge.desktopKnown && text == bridge.desktop) return;
  bridge.desktop = text;
  bridge.desktopKnown = true;
  if (bridge.terminal >= 0 && text.size() <= kLargestOsc52) {
    std::string osc = "\x1b]52;c;" + Base64(text) + "\x07";
    WriteAll(bridge.terminal, osc.data(), osc.size());
  }
  if (bridge.copy.Present()) RunDetached(bridge.copy, text);
}

void DesktopClipboardPasted(const std::string &utf8) {
  PutClipboardText(utf8);
  // The text came from the desktop: nothing to mirror back.
  bridge.desktop = utf8;
  bridge.desktopKnown = true;
  bridge.seen = GetClipboardSequenceNumber();
}

}  // namespace app
