// Threads with Windows' semantics on POSIX threads.
//
// TerminateThread stops a thread wherever it runs: a signal to that thread,
// whose handler jumps back to the thread's exit path set up below. Nothing is
// unwound, no destructor runs, no lock is released. That is safe only for code
// that holds no lock and owns no allocation it has not yet handed over at the
// moment it is stopped (the engine's Parse is written that way); stopping code
// that sits inside malloc or holds a mutex leaves the lock held for ever, just
// as Windows' TerminateThread does. pthread_cancel is never used: it unwinds,
// and unwinding through machine code that a JIT compiler made aborts.
#include <pthread.h>
#include <sched.h>
#include <setjmp.h>
#include <signal.h>
#include <time.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <unordered_set>

#include "altstack.hpp"
#include "winport/module.h"
#include "winport/threads.h"

namespace {

struct Thread {
  LPTHREAD_START_ROUTINE start = nullptr;
  LPVOID parameter = nullptr;
  DWORD id = 0;
  pthread_t thread{};
  bool joinable = false;  // started, not yet joined or detached; guarded by mutex
  bool joining = false;   // a waiter is joining it; guarded by mutex

  std::mutex mutex;
  std::condition_variable ended;
  bool finished = false;           // guarded by mutex
  DWORD exitCode = 0;              // guarded by mutex
  std::atomic<int> references{2};  // the thread and its handle
  DWORD terminateCode = 0;         // written before terminate is set
  std::atomic<bool> terminate{false};
  // True while the start routine runs and a stop may jump out of it.
  std::atomic<bool> stoppable{false};
  sigjmp_buf exitPath;
  alignas(16) unsigned char altStack[winport::kAltStackSize];
};

__attribute__((tls_model("initial-exec"))) thread_local Thread *tCurrent = nullptr;

std::mutex gHandlesMutex;
std::unordered_set<Thread *> &Handles() {
  static auto *handles = new std::unordered_set<Thread *>;
  return *handles;
}
std::atomic<DWORD> gNextId{1};

int StopSignal() {
  return SIGRTMIN + 3;
}

void OnStop(int, siginfo_t *, void *) {
  Thread *t = tCurrent;
  if (t == nullptr || !t->stoppable.exchange(false)) return;  // already leaving
  siglongjmp(t->exitPath, 1);
}

void InstallStopHandler() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction action {};
    action.sa_sigaction = OnStop;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(StopSignal(), &action, nullptr);
  });
}

// Records of ended threads wait here for the next CreateThread: a fresh one
// costs an allocation and the page faults of its signal stack. A record is
// used again only once its system thread is wholly gone (joined, so that its
// stack goes back to the system's cache for the next thread too); one whose
// thread is still on its way out is passed over rather than waited for.
std::mutex gPoolMutex;
Thread *gPool[8];
int gPoolSize = 0;

Thread *NewThread() {
  Thread *t = nullptr;
  {
    std::lock_guard<std::mutex> lock(gPoolMutex);
    for (int i = gPoolSize - 1; i >= 0 && t == nullptr; --i) {
      if (gPool[i]->joinable && pthread_tryjoin_np(gPool[i]->thread, nullptr) != 0) continue;
      t = gPool[i];
      for (int j = i; j + 1 < gPoolSize; ++j) gPool[j] = gPool[j + 1];
      --gPoolSize;
    }
  }
  if (t == nullptr) return new (std::nothrow) Thread;
  t->joinable = false;
  t->joining = false;
  t->finished = false;
  t->exitCode = 0;
  t->references.store(2);
  t->terminateCode = 0;
  t->terminate.store(false);
  t->stoppable.store(false);
  return t;
}

void DeleteThread(Thread *t) {
  {
    std::lock_guard<std::mutex> lock(gPoolMutex);
    if (gPoolSize < static_cast<int>(sizeof gPool / sizeof gPool[0])) {
      gPool[gPoolSize++] = t;
      return;
    }
  }
  if (t->joinable) pthread_detach(t->thread);
  delete t;
}

void Release(Thread *t) {
  if (t->references.fetch_sub(1) == 1) DeleteThread(t);
}

Thread *Lookup(HANDLE handle) {
  std::lock_guard<std::mutex> lock(gHandlesMutex);
  auto *t = static_cast<Thread *>(handle);
  if (Handles().count(t) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return t;
}

DWORD RunStart(Thread *t) {
  volatile DWORD code = 0;
  // The mask is not restored: a stopped thread only ends.
  if (sigsetjmp(t->exitPath, 0) == 0) {
    t->stoppable.store(true);
    code = t->terminate.load() ? t->terminateCode : t->start(t->parameter);
    t->stoppable.store(false);
  } else {
    code = t->terminateCode;
  }
  return code;
}

void *ThreadMain(void *argument) {
  auto *t = static_cast<Thread *>(argument);
  tCurrent = t;
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, StopSignal());
  pthread_sigmask(SIG_UNBLOCK, &stop, nullptr);
  DWORD code = 0;
  {
    winport::ScopedAltStack altStack(t->altStack);
    code = RunStart(t);
  }
  tCurrent = nullptr;
  {
    std::lock_guard<std::mutex> lock(t->mutex);
    t->exitCode = code;
    t->finished = true;
  }
  // Outside the lock, so the waiter need not wait for it again.
  t->ended.notify_all();
  Release(t);
  return nullptr;
}

}  // namespace

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                           LPVOID parameter, DWORD flags, LPDWORD threadId) {
  // A thread that starts suspended would need ResumeThread, which is not here.
  if (start == nullptr || (flags & CREATE_SUSPENDED) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  InstallStopHandler();
  Thread *t = NewThread();
  if (t == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  t->start = start;
  t->parameter = parameter;
  t->id = gNextId.fetch_add(1) * 4;

  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  if (stackSize != 0) {
    const size_t minimum = PTHREAD_STACK_MIN;
    size_t size = stackSize < minimum ? minimum : stackSize;
    pthread_attr_setstacksize(&attributes, (size + 0xFFFF) & ~size_t{0xFFFF});
  }
  {
    // Registered first: the thread may end before pthread_create returns.
    std::lock_guard<std::mutex> lock(gHandlesMutex);
    Handles().insert(t);
  }
  int error = pthread_create(&t->thread, &attributes, ThreadMain, t);
  pthread_attr_destroy(&attributes);
  if (error != 0) {
    {
      std::lock_guard<std::mutex> lock(gHandlesMutex);
      Handles().erase(t);
    }
    DeleteThread(t);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  t->joinable = true;
  if (threadId != nullptr) *threadId = t->id;
  return t;
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  Thread *t = Lookup(handle);
  if (t == nullptr) return WAIT_FAILED;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  std::unique_lock<std::mutex> lock(t->mutex);
  // One waiter joins the system thread: it wakes when the thread is wholly
  // gone, and its stack is free for the next CreateThread at once (a wait,
  // then a new thread, is what the watchdog does for every engine call).
  if (t->joinable && !t->joining) {
    t->joining = true;
    lock.unlock();
    int error = 0;
    if (milliseconds == INFINITE) {
      error = pthread_join(t->thread, nullptr);
    } else {
      timespec until{};
      clock_gettime(CLOCK_MONOTONIC, &until);
      until.tv_sec += milliseconds / 1000;
      until.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
      if (until.tv_nsec >= 1000000000L) {
        until.tv_sec += 1;
        until.tv_nsec -= 1000000000L;
      }
      error = pthread_clockjoin_np(t->thread, nullptr, CLOCK_MONOTONIC, &until);
    }
    lock.lock();
    t->joining = false;
    if (error == 0) t->joinable = false;
    t->ended.notify_all();  // other waiters may wait for this join's end
    // A thread that has finished but not yet left counts as ended.
    if (error == 0 || (error == ETIMEDOUT && t->finished)) return WAIT_OBJECT_0;
    if (error == ETIMEDOUT) return WAIT_TIMEOUT;
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  auto ended = [t] { return t->finished; };
  if (milliseconds == INFINITE) {
    t->ended.wait(lock, ended);
  } else if (!t->ended.wait_until(lock, deadline, ended)) {
    return WAIT_TIMEOUT;
  }
  return WAIT_OBJECT_0;
}

BOOL WINAPI GetExitCodeThread(HANDLE handle, LPDWORD exitCode) {
  Thread *t = Lookup(handle);
  if (t == nullptr || exitCode == nullptr) {
    if (t != nullptr) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(t->mutex);
  *exitCode = t->finished ? t->exitCode : STILL_ACTIVE;
  return TRUE;
}

BOOL WINAPI TerminateThread(HANDLE handle, DWORD exitCode) {
  Thread *t = Lookup(handle);
  if (t == nullptr) return FALSE;
  std::unique_lock<std::mutex> lock(t->mutex);
  if (t->finished || t->terminate.load()) return TRUE;
  t->terminateCode = exitCode;
  t->terminate.store(true);
  if (t == tCurrent) {
    lock.unlock();
    pthread_kill(t->thread, StopSignal());
    return TRUE;
  }
  // Not finished, so not joined: the system thread is still there to receive
  // the signal.
  return pthread_kill(t->thread, StopSignal()) == 0 ? TRUE : FALSE;
}

BOOL WINAPI CloseHandle(HANDLE handle) {
  Thread *t = nullptr;
  {
    std::lock_guard<std::mutex> lock(gHandlesMutex);
    t = static_cast<Thread *>(handle);
    if (Handles().erase(t) == 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
  }
  Release(t);
  return TRUE;
}

void WINAPI Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    sched_yield();  // gives up the rest of the time slice, like Windows' Sleep(0)
    return;
  }
  timespec rest{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&rest, &rest) == -1 && errno == EINTR) {
  }
}
