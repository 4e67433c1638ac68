// A frame-based exception handler around the guarded call. The system offers
// an exception to the handlers of the frames inside the call first; one that
// none of them takes reaches this frame, whatever its code (an access
// violation, a breakpoint, a C++ exception, an application's own code), and
// the thread jumps back to RunGuarded without unwinding the call. The frame
// exists only while the call runs: an exception the engine handles itself
// stays the engine's, and one raised outside a guarded call never meets it,
// so a crash elsewhere is still a crash.
//
// A stack overflow is the exception: too little stack is left for the search
// through the frames (wine needs more than the page the system leaves). A
// vectored handler takes that one first, on a guarded thread only. It is
// process-wide, so ReleaseFaultGuard removes it before the module goes.
//
// The jump leaves the system's list of frame records (in the thread block,
// used on x86-64 too by the dispatcher for its own frames) as the abandoned
// dispatch left it: the recovery restores it as it was before the call.
#include "host/fault_guard.hpp"

#include <windows.h>

namespace {

struct Guard {
  void *jump[5];  // __builtin_setjmp's buffer
};

// The thread block (NtCurrentTeb, read without its header's inline, which
// this compiler takes for an out-of-bounds read).
NT_TIB *ThreadBlock() {
  NT_TIB *self;
#if defined(__i386__)
  asm("movl %%fs:0x18, %0" : "=r"(self));
#elif defined(__x86_64__)
  asm("movq %%gs:0x30, %0" : "=r"(self));
#endif
  return self;
}

// The guard of each thread inside a guarded call, for the overflow handler.
DWORD gSlot = TLS_OUT_OF_INDEXES;
PVOID gOverflowHandler = nullptr;
volatile LONG gLock = 0;

void Lock() {
  while (InterlockedExchange(&gLock, 1) != 0) Sleep(0);
}

void Unlock() {
  InterlockedExchange(&gLock, 0);
}

Guard *CurrentGuard() {
  return gSlot == TLS_OUT_OF_INDEXES ? nullptr : static_cast<Guard *>(TlsGetValue(gSlot));
}

LONG CALLBACK OnStackOverflow(EXCEPTION_POINTERS *info) {
  if (info->ExceptionRecord->ExceptionCode != EXCEPTION_STACK_OVERFLOW)
    return EXCEPTION_CONTINUE_SEARCH;
  Guard *guard = CurrentGuard();
  if (guard == nullptr) return EXCEPTION_CONTINUE_SEARCH;
  __builtin_longjmp(guard->jump, 1);
}

void InstallOverflowHandler() {
  Lock();
  if (gSlot == TLS_OUT_OF_INDEXES) gSlot = TlsAlloc();
  if (gSlot != TLS_OUT_OF_INDEXES && gOverflowHandler == nullptr)
    gOverflowHandler = AddVectoredExceptionHandler(1, OnStackOverflow);
  Unlock();
}

}  // namespace

extern "C" EXCEPTION_DISPOSITION NTAPI GuardFrameHandler(EXCEPTION_RECORD *record, void *frame,
                                                         CONTEXT *, void *);

#if defined(__i386__)

// The frame is a record on the thread's list of frame records.
namespace {

struct Frame {
  EXCEPTION_REGISTRATION_RECORD record;
  Guard *guard;
};

Guard *GuardOf(void *frame) {
  return static_cast<Frame *>(frame)->guard;
}

// Runs call(arg) with the frame on the list.
int CallInFrame(int (*call)(void *), void *arg, Guard *guard) {
  volatile PEXCEPTION_REGISTRATION_RECORD *const list = &ThreadBlock()->ExceptionList;
  Frame frame;
  frame.record.Next = *list;
  frame.record.Handler = GuardFrameHandler;
  frame.guard = guard;
  *list = &frame.record;
  int r = call(arg);
  *list = frame.record.Next;
  return r;
}

}  // namespace

#elif defined(__x86_64__)

// The frame is that of CallInFrame, whose unwind data names the handler; it
// keeps the guard 32 bytes above its stack pointer, past the callee's home
// area. The system finds it by walking the stack with the unwind data of
// each function: code without any (machine code an engine generates and
// does not register) hides the frame. The 32-bit list has no such limit.
extern "C" int CallInFrame(int (*call)(void *), void *arg, Guard *guard);
asm(R"(
  .text
  .p2align 4
  .globl CallInFrame
  .def CallInFrame; .scl 2; .type 32; .endef
  .seh_proc CallInFrame
CallInFrame:
  subq $40, %rsp
  .seh_stackalloc 40
  .seh_endprologue
  movq %r8, 32(%rsp)
  movq %rcx, %rax
  movq %rdx, %rcx
  call *%rax
  nop
  addq $40, %rsp
  ret
  .seh_handler GuardFrameHandler, @except
  .seh_endproc
)");

namespace {

Guard *GuardOf(void *frame) {
  return *reinterpret_cast<Guard **>(static_cast<char *>(frame) + 32);
}

}  // namespace

#else
#error "fault guard: unsupported processor"
#endif

// Unwinds pass through; in the search every exception the call left
// unhandled ends here.
__attribute__((used)) EXCEPTION_DISPOSITION NTAPI GuardFrameHandler(EXCEPTION_RECORD *record,
                                                                    void *frame, CONTEXT *,
                                                                    void *) {
  if (IS_UNWINDING(record->ExceptionFlags)) return ExceptionContinueSearch;
  __builtin_longjmp(GuardOf(frame)->jump, 1);
}

bool RunGuarded(int (*call)(void *), void *arg, int *result) {
  if (call == nullptr) return false;
  if (gOverflowHandler == nullptr) InstallOverflowHandler();
  Guard guard;
  Guard *const outer = CurrentGuard();
  volatile PEXCEPTION_REGISTRATION_RECORD *const list = &ThreadBlock()->ExceptionList;
  PEXCEPTION_REGISTRATION_RECORD const records = *list;
  if (__builtin_setjmp(guard.jump) != 0) {
    *list = records;
    TlsSetValue(gSlot, outer);
    return false;
  }
  TlsSetValue(gSlot, &guard);
  int r = CallInFrame(call, arg, &guard);
  TlsSetValue(gSlot, outer);
  if (result != nullptr) *result = r;
  return true;
}

void ReleaseFaultGuard() {
  Lock();
  if (gOverflowHandler != nullptr) RemoveVectoredExceptionHandler(gOverflowHandler);
  gOverflowHandler = nullptr;
  if (gSlot != TLS_OUT_OF_INDEXES) TlsFree(gSlot);
  gSlot = TLS_OUT_OF_INDEXES;
  Unlock();
}
