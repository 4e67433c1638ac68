#include "app/terminal_guard.hpp"
#include "app/write_all.hpp"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace app {
namespace {

volatile sig_atomic_t guardActive = 0;
volatile sig_atomic_t quitRequested = 0;
volatile sig_atomic_t quitSignal = 0;
volatile sig_atomic_t resizeRequested = 0;
int terminalFd = -1;
int wakeFd = -1;
termios savedTermios;
char resetBytes[256];
size_t resetLength = 0;
termios programTermios;
bool hasProgramTermios = false;
char resumeBytes[256];
size_t resumeLength = 0;
volatile sig_atomic_t repaintRequested = 0;
bool handlersInstalled = false;

// Copies what fits into a fixed buffer (the handlers cannot allocate).
size_t Keep(char *buffer, size_t size, const std::string &bytes) {
  size_t length = bytes.size() < size ? bytes.size() : size;
  std::memcpy(buffer, bytes.data(), length);
  return length;
}

void Wake() {
  if (wakeFd >= 0) {
    char byte = 1;
    ssize_t ignored = write(wakeFd, &byte, 1);
    (void)ignored;
  }
}

void OnQuitSignal(int sig) {
  if (quitRequested || !guardActive) {
    // Second request, or nothing to wait for: restore and end at once.
    EmergencyRestoreTerminal();
    signal(sig, SIG_DFL);
    raise(sig);
    return;
  }
  quitSignal = sig;
  quitRequested = 1;
  Wake();
}

void OnResize(int) {
  resizeRequested = 1;
  Wake();
}

// A stop from outside (kill -TSTP; Ctrl+Z is a key in raw mode): the shell
// gets its terminal back, and on SIGCONT the program takes it again.
void OnStop(int) {
  int savedErrno = errno;
  if (guardActive) {
    WriteAll(terminalFd, resetBytes, resetLength);
    tcsetattr(terminalFd, TCSADRAIN, &savedTermios);
  }
  raise(SIGSTOP);
  if (guardActive) {
    if (hasProgramTermios) tcsetattr(terminalFd, TCSADRAIN, &programTermios);
    WriteAll(terminalFd, resumeBytes, resumeLength);
    repaintRequested = 1;
    Wake();
  }
  errno = savedErrno;
}

constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
struct sigaction previousCrash[5];

// Restores the terminal, then lets what was there before (a sanitizer, or
// the default action) deal with the crash.
void OnCrash(int sig, siginfo_t *info, void *context) {
  EmergencyRestoreTerminal();
  for (size_t i = 0; i < 5; ++i) {
    if (kCrashSignals[i] != sig) continue;
    const struct sigaction &previous = previousCrash[i];
    if ((previous.sa_flags & SA_SIGINFO) && previous.sa_sigaction) {
      previous.sa_sigaction(sig, info, context);
      return;
    }
    if (!(previous.sa_flags & SA_SIGINFO) && previous.sa_handler != SIG_DFL &&
        previous.sa_handler != SIG_IGN) {
      previous.sa_handler(sig);
      return;
    }
  }
  signal(sig, SIG_DFL);
  raise(sig);
}

void InstallCrashHandlers() {
  for (size_t i = 0; i < 5; ++i) {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_sigaction = OnCrash;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
    sigaction(kCrashSignals[i], &action, &previousCrash[i]);
  }
}

void Install(int sig, void (*handler)(int)) {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_ONSTACK | (sig == SIGWINCH ? SA_RESTART : 0);
  sigaction(sig, &action, nullptr);
}

// The crash handlers need a stack of their own to run after a stack overflow.
void EnsureAltStack() {
  stack_t current;
  if (sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE)) return;
  static char *stack = nullptr;
  const size_t size = 64 * 1024;
  if (!stack) stack = static_cast<char *>(std::malloc(size));
  if (!stack) return;
  stack_t alt;
  alt.ss_sp = stack;
  alt.ss_size = size;
  alt.ss_flags = 0;
  sigaltstack(&alt, nullptr);
}

void RestoreAtExit() {
  EmergencyRestoreTerminal();
}

}  // namespace

void GuardTerminal(int fd, const termios &saved, const std::string &reset, int wake) {
  terminalFd = fd;
  wakeFd = wake;
  savedTermios = saved;
  resetLength = Keep(resetBytes, sizeof resetBytes, reset);
  hasProgramTermios = false;
  resumeLength = 0;
  quitRequested = 0;
  resizeRequested = 0;
  guardActive = 1;
  if (handlersInstalled) return;
  handlersInstalled = true;
  EnsureAltStack();
  Install(SIGINT, OnQuitSignal);
  Install(SIGTERM, OnQuitSignal);
  Install(SIGHUP, OnQuitSignal);
  Install(SIGWINCH, OnResize);
  Install(SIGTSTP, OnStop);
  // winport's fault guard, installed later, passes real crashes on to these.
  InstallCrashHandlers();
  std::atexit(RestoreAtExit);
}

void SetProgramTerminal(const termios &program, const std::string &resume) {
  programTermios = program;
  resumeLength = Keep(resumeBytes, sizeof resumeBytes, resume);
  hasProgramTermios = true;
}

void ReleaseTerminalGuard() {
  guardActive = 0;
}

void EmergencyRestoreTerminal() {
  if (!guardActive) return;
  guardActive = 0;
  WriteAll(terminalFd, resetBytes, resetLength);
  tcsetattr(terminalFd, TCSAFLUSH, &savedTermios);
}

bool QuitRequested() {
  return quitRequested != 0;
}
int QuitSignal() {
  return quitSignal;
}

bool TakeRepaintRequest() {
  if (!repaintRequested) return false;
  repaintRequested = 0;
  return true;
}

bool TakeResizeRequest() {
  if (!resizeRequested) return false;
  resizeRequested = 0;
  return true;
}

}  // namespace app
