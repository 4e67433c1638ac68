// Threads with Windows' semantics, run on a small pool of system threads.
//
// A handle names a job: a start routine with its parameter, its own id and
// its own exit code. CreateThread hands the job to a parked system thread (a
// worker) and wakes it; when the job returns, the worker parks again for the
// next one. Both sides spin briefly before they sleep (wait_word.hpp), so a
// short call costs neither a new thread nor a sleep and a wake-up. In that
// steady state a call makes no system call at all: what a worker needs (its
// signal mask, its alternate signal stack) is set up once when it starts,
// and the job's end and exit code are read from memory.
//
// TerminateThread stops a job wherever it runs: a signal to its worker, whose
// handler jumps back to the worker's exit path. Nothing is unwound, no
// destructor runs, no lock is released. That is safe only for code that holds
// no lock and owns no allocation it has not yet handed over at the moment it
// is stopped (the engine's calls are written that way); stopping code that
// sits inside malloc or holds a mutex leaves the lock held for ever, just as
// Windows' TerminateThread does. The stopped code may have left its stack or
// thread-local state half done, so its worker never gets another job: it is
// retired, ends, and is joined by a later wait or CreateThread. A retired
// worker that does not end within a moment (its own exit needs a lock the
// stopped code held) is left to end on its own, and counted.
// pthread_cancel is never used: it unwinds, and unwinding through machine code
// that a JIT compiler made aborts.
//
// Jobs run with the signal mask their worker began with. A job that changes
// the mask and returns leaves it so for the next job on that worker (Windows
// code has no signal masks to change); a stop that such a job held back is
// taken off when the job ends, not passed on.
#include <pthread.h>
#include <sched.h>
#include <setjmp.h>
#include <signal.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <mutex>
#include <new>

#include "altstack.hpp"
#include "handle_table.hpp"
#include "wait_word.hpp"
#include "winport/module.h"
#include "winport/threads.h"

namespace {

// Workers kept parked for the next jobs; one more that would park ends.
constexpr int kMaxParked = 4;
// Records kept for reuse.
constexpr int kSpareJobs = 16;
// How long a wait that saw a stopped job end gives its worker to be gone.
constexpr int64_t kLeaveNanoseconds = 100 * 1000 * 1000;

struct Worker;

// Job::state: a phase, kRunning then kEnded, or a stop asked for (its worker
// is kept until the signal is sent), sent, and then kEnded; and two flags.
enum : uint32_t {
  kRunning = 0,
  kStopAsked = 1,
  kStopSent = 2,
  kEnded = 3,
  kPhase = 3,
  kSleeping = 4,  // a waiter sleeps on the word: the end wakes it
  kOrphan = 8,    // nothing holds the job any more: its end frees it
};

uint32_t Phase(uint32_t state) {
  return state & kPhase;
}

struct alignas(64) Job {
  // One cache line: what the creator writes and the worker reads, then what
  // the worker writes and the waiters read.
  LPTHREAD_START_ROUTINE start = nullptr;
  LPVOID parameter = nullptr;
  Worker *worker = nullptr;  // fixed until the job has ended
  DWORD exitCode = 0;        // valid once ended
  DWORD terminateCode = 0;   // written by the stop that won, before kStopSent
  int creatorCpu = -1;       // where CreateThread ran
  std::atomic<uint32_t> state{kRunning};
  // The handles' side, which the worker never touches: the handle and each
  // call that uses it hold the job; the last to let go orphans it.
  alignas(64) DWORD id = 0;
  std::atomic<int> holds{1};
};

enum : uint32_t { kBusy, kIdle, kAsleep, kJobGiven };  // Worker::state

struct Worker {
  // Shared with the creator that hands over the next job.
  alignas(64) std::atomic<uint32_t> state{kBusy};
  Job *next = nullptr;       // the job handed over, written before kJobGiven
  LPVOID nextParameter = nullptr;  // its parameter, to fetch at once
  std::atomic<int> cpu{-1};  // where it last parked
  // The worker's own, and the signal handler's on its thread.
  alignas(64) std::atomic<Job *> running{nullptr};
  // True while the job's code runs and a stop may jump out of it.
  std::atomic<bool> stoppable{false};
  sigjmp_buf exitPath;
  sigset_t mask;  // what its jobs run with: what the thread began with
  pthread_t thread{};
  size_t stackSize = 0;
  // Guarded by the pool's mutex.
  int slot = -1;                  // its place among the parked, or -1
  Worker *nextRetired = nullptr;  // also the next spare
  bool stranded = false;          // did not end when it should have
  alignas(16) unsigned char altStack[winport::kAltStackSize];
};

__attribute__((tls_model("initial-exec"))) thread_local Worker *tWorker = nullptr;

// Records kept for the next use: a steady stream of new records would only
// churn the heap.
template <typename T, int kCapacity>
struct Spares {
  T *items[kCapacity] = {};
  int count = 0;

  // Under the pool's mutex.
  T *Take() {
    if (count == 0) return nullptr;
    T *t = items[--count];
    t->~T();
    return new (t) T;
  }
  bool Keep(T *t) {
    if (count == kCapacity) return false;
    items[count++] = t;
    return true;
  }
};

// Never destroyed: parked workers sleep on through the process's exit. In
// the steady state only the creating thread takes the mutex: a worker takes
// it only to join the parked or to leave them.
struct Pool {
  std::mutex mutex;
  Worker *parked[kMaxParked] = {};  // a slot per worker that parks
  int lastGiven = 0;                // the slot given last: likeliest spinning
  Worker *retired = nullptr;        // ended or ending, not yet joined
  std::atomic<int> retiredCount{0};
  std::atomic<int> stranded{0};
  Spares<Job, kSpareJobs> jobs;
  // Worker records are never freed, only kept for the next worker: a waiter
  // may still read where the worker of a job that just ended ran, and a
  // fresh record costs the page faults of its signal stack.
  Worker *spareWorkers = nullptr;
  size_t defaultStack = 0;
};

Pool &ThePool() {
  static Pool *pool = new Pool;
  return *pool;
}

Job *NewJob() {
  Pool &pool = ThePool();
  {
    std::lock_guard<std::mutex> lock(pool.mutex);
    if (Job *job = pool.jobs.Take()) return job;
  }
  return new (std::nothrow) Job;
}

void FreeJob(Job *job) {
  Pool &pool = ThePool();
  {
    std::lock_guard<std::mutex> lock(pool.mutex);
    if (pool.jobs.Keep(job)) return;
  }
  delete job;
}

// Under the pool's mutex.
Worker *NewWorker(Pool &pool) {
  Worker *w = pool.spareWorkers;
  if (w == nullptr) return new (std::nothrow) Worker;
  pool.spareWorkers = w->nextRetired;
  w->~Worker();
  return new (w) Worker;
}

void FreeWorker(Pool &pool, Worker *w) {
  w->nextRetired = pool.spareWorkers;
  pool.spareWorkers = w;
}

winport::HandleTable &Handles() {
  static auto *handles = new winport::HandleTable;
  return *handles;
}
std::atomic<DWORD> gNextId{1};

int StopSignal() {
  return SIGRTMIN + 3;
}

bool Ended(const Job *job) {
  return Phase(job->state.load(std::memory_order_acquire)) == kEnded;
}

// Lets go of the job; the last hold orphans it, and frees it once ended.
void Unhold(Job *job) {
  if (job->holds.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  // An ended job is the holder's alone: no need to write to its worker's
  // line.
  if (Ended(job) || Phase(job->state.fetch_or(kOrphan)) == kEnded) FreeJob(job);
}

// The job a handle names, held for the caller; null, with the last error
// set, for anything else.
Job *Hold(HANDLE handle) {
  void *job = Handles().With(handle, [](void *record) {
    static_cast<Job *>(record)->holds.fetch_add(1, std::memory_order_relaxed);
  });
  if (job == nullptr) SetLastError(ERROR_INVALID_HANDLE);
  return static_cast<Job *>(job);
}

class HeldJob {
 public:
  explicit HeldJob(HANDLE handle) : job_(Hold(handle)) {}
  ~HeldJob() {
    if (job_ != nullptr) Unhold(job_);
  }
  HeldJob(const HeldJob &) = delete;
  HeldJob &operator=(const HeldJob &) = delete;
  Job *get() const { return job_; }
  void Forget() { job_ = nullptr; }

 private:
  Job *job_;
};

void OnStop(int, siginfo_t *, void *) {
  Worker *w = tWorker;
  if (w == nullptr) return;
  // A stop that comes late, after its job ended, finds another job or none.
  Job *job = w->running.load(std::memory_order_relaxed);
  if (job == nullptr) return;
  uint32_t phase = Phase(job->state.load());
  if ((phase != kStopAsked && phase != kStopSent) || !w->stoppable.exchange(false)) return;
  siglongjmp(w->exitPath, 1);
}

// Only the forking thread goes on in a child: the workers stay behind.
void BeforeFork() {
  ThePool().mutex.lock();
  Handles().Mutex().lock();
}

void AfterForkInParent() {
  Handles().Mutex().unlock();
  ThePool().mutex.unlock();
}

void AfterForkInChild() {
  Pool &pool = ThePool();
  for (Worker *&w : pool.parked) w = nullptr;
  pool.retired = nullptr;
  pool.retiredCount.store(0);
  pool.stranded.store(0);
  Handles().Mutex().unlock();
  pool.mutex.unlock();
}

// Once per process; afterwards a check of the guard of a static.
void SetUp() {
  static const bool done = [] {
    struct sigaction action {};
    action.sa_sigaction = OnStop;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(StopSignal(), &action, nullptr);
    pthread_atfork(BeforeFork, AfterForkInParent, AfterForkInChild);
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_getstacksize(&attributes, &ThePool().defaultStack);
    pthread_attr_destroy(&attributes);
    return true;
  }();
  (void)done;
}

// Workers have the system's default stack, or more when a job asks for it.
size_t StackSizeFor(SIZE_T requested) {
  size_t size = ThePool().defaultStack;
  if (requested <= size) return size;
  return (requested + 0xFFFF) & ~size_t{0xFFFF};
}

// A worker that ends leaves its slot and puts itself here before its last
// job is told ended, so whoever saw that end can join it.
void Retire(Worker *w) {
  Pool &pool = ThePool();
  std::lock_guard<std::mutex> lock(pool.mutex);
  if (w->slot >= 0) pool.parked[w->slot] = nullptr;
  w->slot = -1;
  w->nextRetired = pool.retired;
  pool.retired = w;
  pool.retiredCount.fetch_add(1);
}

bool Join(Worker *w, const timespec *deadline) {
  if (deadline == nullptr) return pthread_tryjoin_np(w->thread, nullptr) == 0;
  return pthread_clockjoin_np(w->thread, nullptr, CLOCK_MONOTONIC, deadline) == 0;
}

timespec After(int64_t nanoseconds) {
  int64_t at = winport::MonotonicNanoseconds() + nanoseconds;
  return timespec{static_cast<time_t>(at / 1000000000), static_cast<long>(at % 1000000000)};
}

bool Passed(const timespec &deadline) {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec > deadline.tv_sec ||
         (now.tv_sec == deadline.tv_sec && now.tv_nsec >= deadline.tv_nsec);
}

// Joins the retired workers that have ended: each is past its last job and
// leaving, and once joined its stack is free for the next thread. `settle`:
// each is given a moment to end; one that does not is stranded (its exit
// waits for a lock that a stopped job left held), is never waited for again,
// and is joined if it ever ends.
void Reap(bool settle) {
  Pool &pool = ThePool();
  if (pool.retiredCount.load() == 0) return;
  Worker *list = nullptr;
  {
    std::lock_guard<std::mutex> lock(pool.mutex);
    list = pool.retired;
    pool.retired = nullptr;
    pool.retiredCount.store(0);
  }
  const timespec deadline = After(kLeaveNanoseconds);
  Worker *left = nullptr;
  while (list != nullptr) {
    Worker *w = list;
    list = w->nextRetired;
    // A leaving worker's own thread-local cleanup may get here: it can't
    // join itself.
    bool joined = !pthread_equal(w->thread, pthread_self()) &&
                  Join(w, settle && !w->stranded ? &deadline : nullptr);
    if (joined) {
      if (w->stranded) pool.stranded.fetch_sub(1);
      std::lock_guard<std::mutex> lock(pool.mutex);
      FreeWorker(pool, w);
      continue;
    }
    if (settle && !w->stranded && !pthread_equal(w->thread, pthread_self())) {
      w->stranded = true;
      pool.stranded.fetch_add(1);
    }
    w->nextRetired = left;
    left = w;
  }
  if (left == nullptr) return;
  std::lock_guard<std::mutex> lock(pool.mutex);
  while (left != nullptr) {
    Worker *w = left;
    left = w->nextRetired;
    w->nextRetired = pool.retired;
    pool.retired = w;
    pool.retiredCount.fetch_add(1);
  }
}

// Offers a worker whose job returned for the next one; false when enough
// are parked already.
bool Park(Worker *w) {
  if (w->slot < 0) {
    Pool &pool = ThePool();
    std::lock_guard<std::mutex> lock(pool.mutex);
    for (int i = 0; i < kMaxParked && w->slot < 0; ++i) {
      if (pool.parked[i] != nullptr) continue;
      pool.parked[i] = w;
      w->slot = i;
    }
    if (w->slot < 0) return false;
  }
  w->cpu.store(winport::CurrentCpu(), std::memory_order_relaxed);
  w->state.store(kIdle, std::memory_order_release);
  return true;
}

// Hands `job` to `w` if it is parked. Under the pool's mutex, so one creator
// at a time writes `next`.
bool Give(Worker *w, Job *job) {
  for (uint32_t s = w->state.load(); s == kIdle || s == kAsleep;) {
    w->next = job;
    w->nextParameter = job->parameter;
    if (w->state.compare_exchange_weak(s, kJobGiven)) {
      if (s == kAsleep) winport::Wake(w->state, 1);
      return true;
    }
  }
  return false;
}

// A parked worker with a stack large enough, given `job`; the one given the
// last job first, as it is the likeliest to be still spinning.
bool GiveToParked(size_t stackSize, Job *job) {
  Pool &pool = ThePool();
  std::lock_guard<std::mutex> lock(pool.mutex);
  for (int k = 0; k < kMaxParked; ++k) {
    int i = (pool.lastGiven + k) % kMaxParked;
    Worker *w = pool.parked[i];
    if (w == nullptr || w->stackSize < stackSize) continue;
    job->worker = w;
    if (!Give(w, job)) continue;
    pool.lastGiven = i;
    return true;
  }
  return false;
}

// `creatorCpu`: where the creator of the last job ran, likely the next one's.
Job *AwaitJob(Worker *w, int creatorCpu) {
  auto given = [w] { return w->state.load(std::memory_order_acquire) == kJobGiven; };
  if (!winport::SpinUntil(given, creatorCpu)) {
    uint32_t expected = kIdle;
    if (w->state.compare_exchange_strong(expected, kAsleep)) {
      while (w->state.load() == kAsleep) winport::SleepWhile(w->state, kAsleep, nullptr);
    }
  }
  w->state.store(kBusy, std::memory_order_relaxed);
  // The job's record and what its parameter points to were written on the
  // creator's processor: both are fetched at once, not one after the other.
  __builtin_prefetch(w->next);
  __builtin_prefetch(w->nextParameter);
  return w->next;
}

// Runs the job's code; false when a stop jumped out of it.
__attribute__((noinline)) bool RunJob(Worker *w, Job *job, DWORD *code) {
  SetLastError(ERROR_SUCCESS);  // each job starts afresh, as a new thread does
  w->running.store(job, std::memory_order_relaxed);
  std::atomic_signal_fence(std::memory_order_seq_cst);
  // The mask is not saved: a worker that was stopped only ends.
  if (sigsetjmp(w->exitPath, 0) != 0) return false;
  w->stoppable.store(true);
  // A stop that came before the start has nothing to interrupt.
  if (Phase(job->state.load()) == kRunning) *code = job->start(job->parameter);
  w->stoppable.store(false);
  return true;
}

// Tells the job's end: its exit code, or the stop's when one was asked for
// first (its caller was told it worked). The worker touches the job no more
// unless nothing holds it, then it frees it.
void EndJob(Worker *w, Job *job, DWORD code) {
  w->running.store(nullptr, std::memory_order_relaxed);
  uint32_t state = job->state.load();
  for (;;) {
    if (Phase(state) == kStopAsked) {
      // The stop's signal is on its way: the worker stays until it is sent.
      auto sent = [job] { return Phase(job->state.load()) != kStopAsked; };
      if (!winport::SpinUntil(sent)) winport::SleepWhile(job->state, state, nullptr);
      state = job->state.load();
      continue;
    }
    job->exitCode = Phase(state) == kRunning ? code : job->terminateCode;
    if (job->state.compare_exchange_weak(state, kEnded | (state & kOrphan))) break;
  }
  if (state & kOrphan) {
    FreeJob(job);
  } else if (state & kSleeping) {
    winport::Wake(job->state, INT_MAX);  // the job may be gone: a wake-up in vain then
  }
}

void *WorkerMain(void *argument) {
  auto *w = static_cast<Worker *>(argument);
  tWorker = w;
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, StopSignal());
  pthread_sigmask(SIG_UNBLOCK, &stop, &w->mask);
  sigdelset(&w->mask, StopSignal());
  {
    winport::ScopedAltStack altStack(w->altStack);
    Job *job = w->next;
    for (;;) {
      DWORD code = 0;
      if (!RunJob(w, job, &code)) {
        Retire(w);
        EndJob(w, job, code);
        break;
      }
      // A stop the job held back is taken off here: it is not the next job's.
      if (Phase(job->state.load()) != kRunning) pthread_sigmask(SIG_SETMASK, &w->mask, nullptr);
      // Parked before the end is told, so that the next CreateThread finds it.
      bool parked = Park(w);
      if (!parked) Retire(w);
      const int creatorCpu = job->creatorCpu;
      EndJob(w, job, code);
      if (!parked) break;
      job = AwaitJob(w, creatorCpu);
    }
  }
  tWorker = nullptr;
  return nullptr;
}

// A new worker with `job` as its first.
bool StartWorker(size_t stackSize, Job *job) {
  Pool &pool = ThePool();
  Worker *w = nullptr;
  {
    std::lock_guard<std::mutex> lock(pool.mutex);
    w = NewWorker(pool);
  }
  if (w == nullptr) return false;
  w->stackSize = stackSize;
  w->next = job;
  job->worker = w;  // before it can end
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, stackSize);
  int error = pthread_create(&w->thread, &attributes, WorkerMain, w);
  pthread_attr_destroy(&attributes);
  if (error == 0) return true;
  job->worker = nullptr;
  std::lock_guard<std::mutex> lock(pool.mutex);
  FreeWorker(pool, w);
  return false;
}

}  // namespace

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                           LPVOID parameter, DWORD flags, LPDWORD threadId) {
  // A thread that starts suspended would need ResumeThread, which is not here.
  if (start == nullptr || (flags & CREATE_SUSPENDED) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  SetUp();
  Reap(false);
  Job *job = NewJob();
  HANDLE handle = job != nullptr ? Handles().Add(job) : nullptr;
  if (handle == nullptr) {
    if (job != nullptr) FreeJob(job);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  job->start = start;
  job->parameter = parameter;
  job->id = gNextId.fetch_add(1, std::memory_order_relaxed) * 4;
  job->creatorCpu = winport::CurrentCpu();
  if (threadId != nullptr) *threadId = job->id;
  size_t size = StackSizeFor(stackSize);
  if (!GiveToParked(size, job) && !StartWorker(size, job)) {
    Handles().Remove(handle);
    FreeJob(job);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return handle;
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  HeldJob held(handle);
  Job *job = held.get();
  if (job == nullptr) return WAIT_FAILED;
  auto ended = [job] { return Ended(job); };
  // The spin never outlasts the wait.
  const int64_t spin = std::min(winport::kSpinNanoseconds, int64_t{milliseconds} * 1000000);
  if (milliseconds != 0 &&
      !winport::SpinUntil(ended, job->worker->cpu.load(std::memory_order_relaxed), spin)) {
    timespec deadline{};
    const timespec *limit = nullptr;
    if (milliseconds != INFINITE) {
      deadline = After(int64_t{milliseconds} * 1000000);
      limit = &deadline;
    }
    for (uint32_t state; Phase(state = job->state.load()) != kEnded;) {
      if (limit != nullptr && Passed(deadline)) break;
      // Flagged first, so that the end knows to wake it.
      if ((state & kSleeping) == 0 && !job->state.compare_exchange_strong(state, state | kSleeping))
        continue;
      winport::SleepWhile(job->state, state | kSleeping, limit);
    }
  }
  if (!ended()) return WAIT_TIMEOUT;
  // A stopped job's worker is on its way out: joined here, it is gone by the
  // time the wait returns, unless it can't end.
  Reap(true);
  return WAIT_OBJECT_0;
}

BOOL WINAPI GetExitCodeThread(HANDLE handle, LPDWORD exitCode) {
  HeldJob held(handle);
  Job *job = held.get();
  if (job == nullptr || exitCode == nullptr) {
    if (job != nullptr) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *exitCode = Ended(job) ? job->exitCode : STILL_ACTIVE;
  return TRUE;
}

BOOL WINAPI TerminateThread(HANDLE handle, DWORD exitCode) {
  HeldJob held(handle);
  Job *job = held.get();
  if (job == nullptr) return FALSE;
  // An ended job keeps its exit code; a stop already asked for stands.
  uint32_t state = job->state.load();
  while (Phase(state) == kRunning &&
         !job->state.compare_exchange_weak(state, (state & ~kPhase) | kStopAsked)) {
  }
  if (Phase(state) != kRunning) return TRUE;
  job->terminateCode = exitCode;
  Worker *w = job->worker;  // kept until kStopSent
  if (w == tWorker) {
    // A job that stops itself: the signal comes before pthread_kill
    // returns, and nothing after it runs (its hold is let go first).
    job->state.fetch_add(kStopSent - kStopAsked);
    Unhold(job);
    held.Forget();
    pthread_kill(w->thread, StopSignal());
    return TRUE;
  }
  BOOL sent = pthread_kill(w->thread, StopSignal()) == 0 ? TRUE : FALSE;
  job->state.fetch_add(kStopSent - kStopAsked);
  winport::Wake(job->state, INT_MAX);
  return sent;
}

BOOL WINAPI CloseHandle(HANDLE handle) {
  auto *job = static_cast<Job *>(Handles().Remove(handle));
  if (job == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  Unhold(job);
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

int WinportStrandedThreads() {
  return ThePool().stranded.load();
}
