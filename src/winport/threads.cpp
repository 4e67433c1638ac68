// Threads with Windows' semantics, run on a small pool of system threads.
//
// A handle names a job: a start routine with its parameter, its own id and
// its own exit code. CreateThread hands the job to a parked system thread (a
// worker) and wakes it; when the job returns, the worker parks again for the
// next one. Both sides spin briefly before they sleep (wait_word.hpp), so a
// short call costs neither a new thread nor a sleep and a wake-up.
//
// TerminateThread stops a job wherever it runs: a signal to its worker, whose
// handler jumps back to the worker's exit path. Nothing is unwound, no
// destructor runs, no lock is released. That is safe only for code that holds
// no lock and owns no allocation it has not yet handed over at the moment it
// is stopped (the engine's Parse is written that way); stopping code that
// sits inside malloc or holds a mutex leaves the lock held for ever, just as
// Windows' TerminateThread does. The stopped code may have left its stack or
// thread-local state half done, so its worker never gets another job: it is
// retired, ends, and is joined by the next wait or CreateThread.
// pthread_cancel is never used: it unwinds, and unwinding through machine code
// that a JIT compiler made aborts.
#include <pthread.h>
#include <sched.h>
#include <setjmp.h>
#include <signal.h>
#include <time.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <mutex>
#include <new>
#include <unordered_set>

#include "altstack.hpp"
#include "wait_word.hpp"
#include "winport/module.h"
#include "winport/threads.h"

namespace {

// Workers kept parked for the next jobs; one more that would park ends.
constexpr int kMaxParked = 4;
// Records kept for reuse.
constexpr int kSpareJobs = 16;
constexpr int kSpareWorkers = 4;

struct Worker;

struct Job {
  LPTHREAD_START_ROUTINE start = nullptr;
  LPVOID parameter = nullptr;
  DWORD id = 0;
  // Orders a stop against the job's end: until the job has ended, its worker
  // is there to take the signal.
  std::mutex mutex;
  Worker *worker = nullptr;  // guarded by mutex; null once ended
  DWORD terminateCode = 0;   // guarded by mutex, written before terminate
  std::atomic<bool> terminate{false};
  DWORD exitCode = 0;                 // written before ended
  std::atomic<uint32_t> ended{0};     // 1 once ended; waiters sleep on it
  std::atomic<uint32_t> sleepers{0};  // waiters asleep on ended
  std::atomic<int> references{2};     // its worker and its handle
};

enum : uint32_t { kNoJob, kJobGiven, kAsleep };  // Worker::wake

struct Worker {
  pthread_t thread{};
  size_t stackSize = 0;
  Job *next = nullptr;  // the job handed over, written before wake
  std::atomic<uint32_t> wake{kNoJob};
  std::atomic<Job *> running{nullptr};
  // True while the job's code runs and a stop may jump out of it.
  std::atomic<bool> stoppable{false};
  sigjmp_buf exitPath;
  sigset_t mask;                  // every job starts with it: what the thread began with
  Worker *nextRetired = nullptr;  // guarded by the pool's mutex
  alignas(16) unsigned char altStack[winport::kAltStackSize];
};

__attribute__((tls_model("initial-exec"))) thread_local Worker *tWorker = nullptr;

// Records kept for the next use: a fresh worker costs an allocation and the
// page faults of its signal stack, and a steady stream of new records would
// only churn the heap.
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

// Never destroyed: parked workers sleep on through the process's exit.
struct Pool {
  std::mutex mutex;
  Worker *parked[kMaxParked] = {};  // the last parked on top
  int parkedCount = 0;
  Worker *retired = nullptr;  // ended or ending, not yet joined
  std::atomic<int> retiredCount{0};
  Spares<Job, kSpareJobs> jobs;
  Spares<Worker, kSpareWorkers> workers;
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

Worker *NewWorker() {
  Pool &pool = ThePool();
  {
    std::lock_guard<std::mutex> lock(pool.mutex);
    if (Worker *w = pool.workers.Take()) return w;
  }
  return new (std::nothrow) Worker;
}

void FreeWorker(Worker *w) {
  Pool &pool = ThePool();
  {
    std::lock_guard<std::mutex> lock(pool.mutex);
    if (pool.workers.Keep(w)) return;
  }
  delete w;
}

std::mutex gHandlesMutex;
std::unordered_set<Job *> &Handles() {
  static auto *handles = new std::unordered_set<Job *>;
  return *handles;
}
std::atomic<DWORD> gNextId{1};

int StopSignal() {
  return SIGRTMIN + 3;
}

void Release(Job *job) {
  if (job->references.fetch_sub(1, std::memory_order_acq_rel) == 1) FreeJob(job);
}

// The job a handle names, with a reference the caller releases; null, with
// the last error set, for anything else.
Job *Acquire(HANDLE handle) {
  std::lock_guard<std::mutex> lock(gHandlesMutex);
  auto *job = static_cast<Job *>(handle);
  if (Handles().count(job) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  job->references.fetch_add(1, std::memory_order_relaxed);
  return job;
}

class HeldJob {
 public:
  explicit HeldJob(HANDLE handle) : job_(Acquire(handle)) {}
  ~HeldJob() {
    if (job_ != nullptr) Release(job_);
  }
  HeldJob(const HeldJob &) = delete;
  HeldJob &operator=(const HeldJob &) = delete;
  Job *get() const { return job_; }

 private:
  Job *job_;
};

void OnStop(int, siginfo_t *, void *) {
  Worker *w = tWorker;
  if (w == nullptr) return;
  // A stop that comes late, after its job ended, finds another job or none.
  Job *job = w->running.load();
  if (job == nullptr || !job->terminate.load() || !w->stoppable.exchange(false)) return;
  siglongjmp(w->exitPath, 1);
}

// Only the forking thread goes on in a child: the workers stay behind.
void BeforeFork() {
  ThePool().mutex.lock();
  gHandlesMutex.lock();
}

void AfterForkInParent() {
  gHandlesMutex.unlock();
  ThePool().mutex.unlock();
}

void AfterForkInChild() {
  Pool &pool = ThePool();
  pool.parkedCount = 0;
  pool.retired = nullptr;
  pool.retiredCount.store(0);
  gHandlesMutex.unlock();
  pool.mutex.unlock();
}

void SetUp() {
  static std::once_flag once;
  std::call_once(once, [] {
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
  });
}

// Workers have the system's default stack, or more when a job asks for it.
size_t StackSizeFor(SIZE_T requested) {
  size_t size = ThePool().defaultStack;
  if (requested <= size) return size;
  return (requested + 0xFFFF) & ~size_t{0xFFFF};
}

// A worker that ends puts itself here before its last job is told ended,
// so whoever saw that end can join it.
void Retire(Worker *w) {
  Pool &pool = ThePool();
  std::lock_guard<std::mutex> lock(pool.mutex);
  w->nextRetired = pool.retired;
  pool.retired = w;
  pool.retiredCount.fetch_add(1);
}

// Joins the retired workers: each is past its last job and leaving, and
// once joined its stack is free for the next thread.
void Reap() {
  Pool &pool = ThePool();
  if (pool.retiredCount.load() == 0) return;
  Worker *list = nullptr;
  {
    std::lock_guard<std::mutex> lock(pool.mutex);
    list = pool.retired;
    pool.retired = nullptr;
    pool.retiredCount.store(0);
  }
  while (list != nullptr) {
    Worker *w = list;
    list = w->nextRetired;
    if (pthread_equal(w->thread, pthread_self())) {  // a leaving worker's own
      Retire(w);                                     // thread-local cleanup
      continue;
    }
    pthread_join(w->thread, nullptr);
    FreeWorker(w);
  }
}

// Offers a worker whose job returned for the next one; false when enough
// are parked already.
bool Park(Worker *w) {
  Pool &pool = ThePool();
  std::lock_guard<std::mutex> lock(pool.mutex);
  if (pool.parkedCount == kMaxParked) return false;
  pool.parked[pool.parkedCount++] = w;
  return true;
}

// The last parked worker with a stack large enough: the likeliest to be
// still spinning.
Worker *Unpark(size_t stackSize) {
  Pool &pool = ThePool();
  std::lock_guard<std::mutex> lock(pool.mutex);
  for (int i = pool.parkedCount - 1; i >= 0; --i) {
    Worker *w = pool.parked[i];
    if (w->stackSize < stackSize) continue;
    for (int j = i; j + 1 < pool.parkedCount; ++j) pool.parked[j] = pool.parked[j + 1];
    --pool.parkedCount;
    return w;
  }
  return nullptr;
}

void HandOver(Worker *w, Job *job) {
  w->next = job;
  if (w->wake.exchange(kJobGiven) == kAsleep) winport::Wake(w->wake, 1);
}

Job *AwaitJob(Worker *w) {
  auto given = [w] { return w->wake.load(std::memory_order_acquire) == kJobGiven; };
  if (!winport::SpinUntil(given)) {
    uint32_t expected = kNoJob;
    if (w->wake.compare_exchange_strong(expected, kAsleep)) {
      while (w->wake.load() == kAsleep) winport::SleepWhile(w->wake, kAsleep, nullptr);
    }
  }
  w->wake.store(kNoJob, std::memory_order_relaxed);
  return w->next;
}

// Runs the job's code; false when a stop jumped out of it.
__attribute__((noinline)) bool RunJob(Worker *w, Job *job, DWORD *code) {
  SetLastError(ERROR_SUCCESS);  // each job starts afresh, as a new thread does
  w->running.store(job);
  // The mask is not restored: a worker that was stopped only ends.
  if (sigsetjmp(w->exitPath, 0) != 0) return false;
  w->stoppable.store(true);
  // Each job starts with the signals its thread began with; a stop that the
  // last job held back arrives now, and is not this job's.
  pthread_sigmask(SIG_SETMASK, &w->mask, nullptr);
  // A stop that came before the start has nothing to interrupt.
  if (!job->terminate.load()) *code = job->start(job->parameter);
  w->stoppable.store(false);
  return true;
}

void EndJob(Worker *w, Job *job, DWORD code) {
  {
    std::lock_guard<std::mutex> lock(job->mutex);
    // A stop asked for before the end wins: its caller was told it worked.
    job->exitCode = job->terminate.load() ? job->terminateCode : code;
    job->worker = nullptr;
    job->ended.store(1);
  }
  w->running.store(nullptr);
  if (job->sleepers.load() != 0) winport::Wake(job->ended, INT_MAX);
  Release(job);
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
      // Parked before the end is told, so that the next CreateThread finds it.
      bool parked = Park(w);
      if (!parked) Retire(w);
      EndJob(w, job, code);
      if (!parked) break;
      job = AwaitJob(w);
    }
  }
  tWorker = nullptr;
  return nullptr;
}

// A new worker with `job` as its first.
bool StartWorker(size_t stackSize, Job *job) {
  Worker *w = NewWorker();
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
  FreeWorker(w);
  return false;
}

void Unregister(Job *job) {
  std::lock_guard<std::mutex> lock(gHandlesMutex);
  Handles().erase(job);
}

bool Passed(const timespec &deadline) {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec > deadline.tv_sec ||
         (now.tv_sec == deadline.tv_sec && now.tv_nsec >= deadline.tv_nsec);
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
  Reap();
  Job *job = NewJob();
  if (job == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  job->start = start;
  job->parameter = parameter;
  job->id = gNextId.fetch_add(1) * 4;
  try {
    std::lock_guard<std::mutex> lock(gHandlesMutex);
    Handles().insert(job);
  } catch (const std::bad_alloc &) {
    FreeJob(job);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  size_t size = StackSizeFor(stackSize);
  if (Worker *w = Unpark(size)) {
    job->worker = w;
    HandOver(w, job);
  } else if (!StartWorker(size, job)) {
    Unregister(job);
    FreeJob(job);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (threadId != nullptr) *threadId = job->id;
  return job;
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  HeldJob held(handle);
  Job *job = held.get();
  if (job == nullptr) return WAIT_FAILED;
  auto ended = [job] { return job->ended.load(std::memory_order_acquire) != 0; };
  if (milliseconds != 0 && !winport::SpinUntil(ended)) {
    timespec deadline{};
    const timespec *limit = nullptr;
    if (milliseconds != INFINITE) {
      clock_gettime(CLOCK_MONOTONIC, &deadline);
      deadline.tv_sec += milliseconds / 1000;
      deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
      if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
      }
      limit = &deadline;
    }
    job->sleepers.fetch_add(1);
    while (!ended() && (limit == nullptr || !Passed(deadline))) {
      winport::SleepWhile(job->ended, 0, limit);
    }
    job->sleepers.fetch_sub(1);
  }
  if (!ended()) return WAIT_TIMEOUT;
  // A stopped job's worker is on its way out: joined here, it is gone by the
  // time the wait returns.
  Reap();
  return WAIT_OBJECT_0;
}

BOOL WINAPI GetExitCodeThread(HANDLE handle, LPDWORD exitCode) {
  HeldJob held(handle);
  Job *job = held.get();
  if (job == nullptr || exitCode == nullptr) {
    if (job != nullptr) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *exitCode = job->ended.load(std::memory_order_acquire) != 0 ? job->exitCode : STILL_ACTIVE;
  return TRUE;
}

BOOL WINAPI TerminateThread(HANDLE handle, DWORD exitCode) {
  Job *job = Acquire(handle);
  if (job == nullptr) return FALSE;
  BOOL sent = TRUE;
  {
    std::unique_lock<std::mutex> lock(job->mutex);
    // An ended job keeps its exit code.
    if (job->ended.load() == 0 && !job->terminate.load()) {
      job->terminateCode = exitCode;
      job->terminate.store(true);
      Worker *w = job->worker;
      if (w == tWorker) {
        // A job that stops itself: the signal comes before pthread_kill
        // returns, and nothing after it runs.
        lock.unlock();
        Release(job);
        pthread_kill(w->thread, StopSignal());
        return TRUE;
      }
      sent = pthread_kill(w->thread, StopSignal()) == 0 ? TRUE : FALSE;
    }
  }
  Release(job);
  return sent;
}

BOOL WINAPI CloseHandle(HANDLE handle) {
  auto *job = static_cast<Job *>(handle);
  {
    std::lock_guard<std::mutex> lock(gHandlesMutex);
    if (Handles().erase(job) == 0) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
  }
  Release(job);
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
