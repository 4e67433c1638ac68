// Guarded calls: SIGSEGV, SIGBUS, SIGFPE and SIGILL on a thread inside
// WinportRunGuarded jump back to that call's recovery point; everywhere else
// they go to whatever handled them before. A call that returns makes no
// system call: the handlers and the thread's alternate stack are set up the
// first time, and the signal mask is put right only after a fault.
#include "winport/faultguard.h"

#include <pthread.h>
#include <setjmp.h>
#include <signal.h>

#include "altstack.hpp"

namespace {

struct Guard {
  sigjmp_buf recovery;
  int signal = 0;  // the fault that came back here
};

__attribute__((tls_model("initial-exec"))) thread_local Guard *tGuard = nullptr;

constexpr int kFaults[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
struct sigaction gPrevious[sizeof(kFaults) / sizeof(kFaults[0])];

int FaultIndex(int signal) {
  for (int i = 0; i < static_cast<int>(sizeof(kFaults) / sizeof(kFaults[0])); ++i)
    if (kFaults[i] == signal) return i;
  return -1;
}

void PassOn(int signal, siginfo_t *info, void *context) {
  int i = FaultIndex(signal);
  const struct sigaction &previous = gPrevious[i];
  if (previous.sa_flags & SA_SIGINFO) {
    if (previous.sa_sigaction != nullptr) {
      previous.sa_sigaction(signal, info, context);
      return;
    }
  } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
    previous.sa_handler(signal);
    return;
  }
  // The default action: a fault repeats when this handler returns; a signal
  // that was sent, not raised by an instruction, is sent again.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(signal, &fallback, nullptr);
  if (info == nullptr || info->si_code <= 0) raise(signal);
}

void OnFault(int signal, siginfo_t *info, void *context) {
  Guard *guard = tGuard;
  if (guard != nullptr) {
    tGuard = nullptr;
    guard->signal = signal;
    siglongjmp(guard->recovery, 1);
  }
  PassOn(signal, info, context);
}

// Once per process; afterwards a check of the guard of a static.
void InstallFaultHandlers() {
  static const bool done = [] {
    for (int i = 0; i < static_cast<int>(sizeof(kFaults) / sizeof(kFaults[0])); ++i) {
      struct sigaction action {};
      action.sa_sigaction = OnFault;
      action.sa_flags = SA_SIGINFO | SA_ONSTACK;
      sigemptyset(&action.sa_mask);
      sigaction(kFaults[i], &action, &gPrevious[i]);
    }
    return true;
  }();
  (void)done;
}

}  // namespace

BOOL WinportRunGuarded(WinportGuardedCall call, void *argument, int *result) {
  if (call == nullptr) return FALSE;
  InstallFaultHandlers();
  winport::EnsureAltStack();
  Guard guard;
  Guard *volatile outer = tGuard;
  // The mask is not saved: the jump out of the handler leaves only the fault
  // itself blocked (the handlers block nothing else), and that is undone here.
  if (sigsetjmp(guard.recovery, 0) != 0) {
    tGuard = outer;
    sigset_t fault;
    sigemptyset(&fault);
    sigaddset(&fault, guard.signal);
    pthread_sigmask(SIG_UNBLOCK, &fault, nullptr);
    return FALSE;
  }
  tGuard = &guard;
  int r = call(argument);
  tGuard = outer;
  if (result != nullptr) *result = r;
  return TRUE;
}
