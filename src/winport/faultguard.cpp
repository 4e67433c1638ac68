// Guarded calls: SIGSEGV, SIGBUS, SIGFPE and SIGILL on a thread inside
// WinportRunGuarded jump back to that call's recovery point; everywhere else
// they go to whatever handled them before.
#include "winport/faultguard.h"

#include <setjmp.h>
#include <signal.h>

#include <mutex>

#include "altstack.hpp"

namespace {

struct Guard {
  sigjmp_buf recovery;
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
    siglongjmp(guard->recovery, 1);
  }
  PassOn(signal, info, context);
}

void InstallFaultHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int i = 0; i < static_cast<int>(sizeof(kFaults) / sizeof(kFaults[0])); ++i) {
      struct sigaction action {};
      action.sa_sigaction = OnFault;
      action.sa_flags = SA_SIGINFO | SA_ONSTACK;
      sigemptyset(&action.sa_mask);
      sigaction(kFaults[i], &action, &gPrevious[i]);
    }
  });
}

}  // namespace

BOOL WinportRunGuarded(WinportGuardedCall call, void *argument, int *result) {
  if (call == nullptr) return FALSE;
  InstallFaultHandlers();
  winport::EnsureAltStack();
  Guard guard;
  Guard *volatile outer = tGuard;
  if (sigsetjmp(guard.recovery, 1) != 0) {
    tGuard = outer;
    return FALSE;
  }
  tGuard = &guard;
  int r = call(argument);
  tGuard = outer;
  if (result != nullptr) *result = r;
  return TRUE;
}
