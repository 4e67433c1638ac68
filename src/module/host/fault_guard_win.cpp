// A vectored exception handler moves a faulting guarded thread back to its
// recovery point: it points the thread's context at Recover, on a stack just
// below the guarded frame, and Recover jumps into RunGuarded.
#include "host/fault_guard.hpp"

#include <windows.h>

#include <cstdint>

namespace {

struct Guard {
  void *jump[5];  // __builtin_setjmp's buffer
  uintptr_t stack;
};

DWORD Slot() {
  static const DWORD slot = TlsAlloc();
  return slot;
}

Guard *Current() {
  return static_cast<Guard *>(TlsGetValue(Slot()));
}

__attribute__((noinline, noreturn)) void Recover() {
  Guard *guard = Current();
  TlsSetValue(Slot(), nullptr);
  __builtin_longjmp(guard->jump, 1);
}

LONG CALLBACK OnException(EXCEPTION_POINTERS *info) {
  // Errors raised by the system: access violations, division by zero,
  // illegal instructions, stack overflow and the like. Warnings, debug
  // output and applications' own codes (C++ exceptions) are not faults.
  DWORD code = info->ExceptionRecord->ExceptionCode;
  if ((code & 0xE0000000u) != 0xC0000000u) return EXCEPTION_CONTINUE_SEARCH;
  Guard *guard = Slot() == TLS_OUT_OF_INDEXES ? nullptr : Current();
  if (guard == nullptr) return EXCEPTION_CONTINUE_SEARCH;
  CONTEXT *context = info->ContextRecord;
#if defined(__i386__)
  context->Esp = static_cast<DWORD>(guard->stack - 4);  // as if called
  context->Eip = static_cast<DWORD>(reinterpret_cast<uintptr_t>(&Recover));
#elif defined(__x86_64__)
  context->Rsp = guard->stack - 8;  // as if called
  context->Rip = reinterpret_cast<uintptr_t>(&Recover);
#else
#error "fault guard: unsupported processor"
#endif
  return EXCEPTION_CONTINUE_EXECUTION;
}

bool Install() {
  static const bool installed =
      Slot() != TLS_OUT_OF_INDEXES && AddVectoredExceptionHandler(1, OnException) != nullptr;
  return installed;
}

}  // namespace

bool RunGuarded(int (*call)(void *), void *arg, int *result) {
  if (call == nullptr) return false;
  if (!Install()) {
    int r = call(arg);
    if (result != nullptr) *result = r;
    return true;
  }
  Guard guard;
  volatile char marker = 0;
  // Recover runs below this frame, on stack the call has already used.
  guard.stack = (reinterpret_cast<uintptr_t>(&marker) - 1024) & ~uintptr_t{15};
  Guard *volatile outer = Current();
  if (__builtin_setjmp(guard.jump) != 0) {
    TlsSetValue(Slot(), outer);
    return false;
  }
  TlsSetValue(Slot(), &guard);
  int r = call(arg);
  TlsSetValue(Slot(), outer);
  if (result != nullptr) *result = r;
  return true;
}
