// Each handle answers for its own job, whichever system thread ran it and
// whatever that thread runs next; many jobs at once, from several creators,
// leave few threads behind.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <set>

#include "support/process_use.hpp"
#include "winport/guarded_jobs.hpp"

#ifndef _WIN32
#include <pthread.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

long SystemThreadId() {
#ifdef _WIN32
  return static_cast<long>(GetCurrentThreadId());
#else
  return static_cast<long>(syscall(SYS_gettid));
#endif
}

struct Recorded {
  DWORD code = 0;
  std::atomic<int> *hold = nullptr;  // returns once it is non-zero
  std::atomic<int> started{0};
  long systemThread = 0;
};

DWORD WINAPI RecordAndReturn(LPVOID parameter) {
  auto *r = static_cast<Recorded *>(parameter);
  r->systemThread = SystemThreadId();
  r->started.store(1);
  while (r->hold != nullptr && r->hold->load() == 0) Sleep(1);
  return r->code;
}

DWORD WINAPI RecordAndSpin(LPVOID parameter) {
  auto *r = static_cast<Recorded *>(parameter);
  r->systemThread = SystemThreadId();
  r->started.store(1);
  return static_cast<DWORD>(SpinForever(nullptr));
}

DWORD RunToEnd(Recorded &job) {
  HANDLE h = CreateThread(nullptr, 0, RecordAndReturn, &job, 0, nullptr);
  if (h == nullptr || WaitForSingleObject(h, 5000) != WAIT_OBJECT_0) return 0;
  DWORD code = 0;
  GetExitCodeThread(h, &code);
  CloseHandle(h);
  return code;
}

TEST(ThreadHandles, EachKeepsItsOwnJobWhileSystemThreadsAreReused) {
  // Jobs one after another, every handle kept open.
  constexpr int kJobs = 8;
  Recorded jobs[kJobs];
  HANDLE handles[kJobs];
  DWORD ids[kJobs];
  std::set<DWORD> distinctIds;
  std::set<long> systemThreads;
  for (int i = 0; i < kJobs; ++i) {
    jobs[i].code = 100 + i;
    handles[i] = CreateThread(nullptr, 0, RecordAndReturn, &jobs[i], 0, &ids[i]);
    ASSERT_NE(handles[i], nullptr);
    ASSERT_EQ(WaitForSingleObject(handles[i], 5000), WAIT_OBJECT_0);
    EXPECT_NE(ids[i], 0u);
    distinctIds.insert(ids[i]);
    systemThreads.insert(jobs[i].systemThread);
  }
  EXPECT_EQ(distinctIds.size(), static_cast<size_t>(kJobs));
#ifndef _WIN32
  // One after another, they ran on the same parked thread or two.
  EXPECT_LE(systemThreads.size(), 2u);
#endif

  // A job that runs while the ended ones are stopped: they keep their exit
  // codes, and it goes on untouched.
  std::atomic<int> hold{0};
  Recorded late;
  late.code = 77;
  late.hold = &hold;
  HANDLE running = CreateThread(nullptr, 0, RecordAndReturn, &late, 0, nullptr);
  ASSERT_NE(running, nullptr);
  ASSERT_TRUE(AwaitState(late.started, 1));
  for (int i = 0; i < kJobs; ++i) {
    EXPECT_TRUE(TerminateThread(handles[i], 999));
#ifndef _WIN32
    // Wine's TerminateThread overwrites an ended thread's exit code.
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(handles[i], &code));
    EXPECT_EQ(code, static_cast<DWORD>(100 + i));
#endif
  }
  EXPECT_EQ(WaitForSingleObject(running, 20), WAIT_TIMEOUT);
  hold.store(1);
  ASSERT_EQ(WaitForSingleObject(running, 5000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(running, &code);
  EXPECT_EQ(code, 77u);
  CloseHandle(running);

  // The system thread of a stopped job runs no other job.
  Recorded spinning;
  HANDLE stopped = CreateThread(nullptr, 0, RecordAndSpin, &spinning, 0, nullptr);
  ASSERT_NE(stopped, nullptr);
  ASSERT_TRUE(AwaitState(spinning.started, 1));
  ASSERT_TRUE(TerminateThread(stopped, 3));
  ASSERT_EQ(WaitForSingleObject(stopped, 5000), WAIT_OBJECT_0);
  for (int i = 0; i < 20; ++i) {
    Recorded next;
    next.code = static_cast<DWORD>(i + 1);
    EXPECT_EQ(RunToEnd(next), static_cast<DWORD>(i + 1));
    EXPECT_NE(next.systemThread, spinning.systemThread) << i;
  }
  GetExitCodeThread(stopped, &code);
  EXPECT_EQ(code, 3u);
  CloseHandle(stopped);
  for (HANDLE h : handles) EXPECT_TRUE(CloseHandle(h));
}

DWORD WINAPI ReturnAfterYields(LPVOID parameter) {
  for (int i = 0; i < 20; ++i) Sleep(0);
  return static_cast<DWORD>(reinterpret_cast<uintptr_t>(parameter));
}

// Stops of jobs that are about to end. Not on Windows: a thread stopped
// while it starts may leave the loader's lock held, and there every job has
// a thread of its own anyway.
#ifndef _WIN32
TEST(ThreadHandles, AStopThatRacesTheEndNeverReachesTheNextJob) {
  for (int i = 0; i < 500; ++i) {
    int value = i;
    GuardedRun quick{Answer, &value};
    HANDLE first = CreateThread(nullptr, 0, GuardedWorker, &quick, 0, nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(TerminateThread(first, 999));
    // Next on the thread that ran it, while the stop may still be on its way.
    HANDLE next =
        CreateThread(nullptr, 0, ReturnAfterYields, reinterpret_cast<LPVOID>(5), 0, nullptr);
    ASSERT_NE(next, nullptr);
    ASSERT_EQ(WaitForSingleObject(next, 5000), WAIT_OBJECT_0) << i;
    ASSERT_EQ(WaitForSingleObject(first, 5000), WAIT_OBJECT_0) << i;
    DWORD code = 0;
    GetExitCodeThread(next, &code);
    ASSERT_EQ(code, 5u) << i;
    GetExitCodeThread(first, &code);
    ASSERT_TRUE(code == 999u || code == static_cast<DWORD>(i + 1)) << i << " " << code;
    CloseHandle(next);
    CloseHandle(first);
  }
}

// A closed handle names nothing, not even the job that takes its slot. Not
// on Windows, which hands out a closed handle's value again.
TEST(ThreadHandles, AClosedHandleNamesNothing) {
  Recorded first, next;
  next.code = 9;
  HANDLE closed = CreateThread(nullptr, 0, RecordAndReturn, &first, 0, nullptr);
  ASSERT_EQ(WaitForSingleObject(closed, 5000), WAIT_OBJECT_0);
  ASSERT_TRUE(CloseHandle(closed));
  HANDLE h = CreateThread(nullptr, 0, RecordAndReturn, &next, 0, nullptr);
  ASSERT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_EQ(WaitForSingleObject(closed, 0), WAIT_FAILED);
  EXPECT_FALSE(GetExitCodeThread(closed, &code));
  EXPECT_FALSE(TerminateThread(closed, 1));
  EXPECT_FALSE(CloseHandle(closed));
  ASSERT_TRUE(GetExitCodeThread(h, &code));
  EXPECT_EQ(code, 9u);
  EXPECT_TRUE(CloseHandle(h));
}

// A stop whose signal arrives after its job has ended: the job holds every
// signal back until then, and the next job on its system thread lets them
// through.
struct HeldBack {
  std::atomic<int> step{0};
  long systemThread = 0;
};

DWORD WINAPI HoldSignalsBack(LPVOID parameter) {
  auto *h = static_cast<HeldBack *>(parameter);
  sigset_t all;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, nullptr);
  h->systemThread = SystemThreadId();
  h->step.store(1);
  while (h->step.load() != 2) Sleep(1);
  return 1;
}

DWORD WINAPI LetSignalsThrough(LPVOID parameter) {
  auto *h = static_cast<HeldBack *>(parameter);
  h->systemThread = SystemThreadId();
  sigset_t all;
  sigfillset(&all);
  pthread_sigmask(SIG_UNBLOCK, &all, nullptr);
  for (int i = 0; i < 5; ++i) Sleep(1);
  return 5;
}

TEST(ThreadHandles, AStopDeliveredLateIsLostNotPassedOn) {
  bool sameThread = false;
  for (int attempt = 0; attempt < 5 && !sameThread; ++attempt) {
    HeldBack first, next;
    HANDLE h = CreateThread(nullptr, 0, HoldSignalsBack, &first, 0, nullptr);
    ASSERT_NE(h, nullptr);
    ASSERT_TRUE(AwaitState(first.step, 1));
    EXPECT_TRUE(TerminateThread(h, 999));
    first.step.store(2);
    ASSERT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(h, &code);
    EXPECT_EQ(code, 999u);  // asked for before the end
    CloseHandle(h);
    h = CreateThread(nullptr, 0, LetSignalsThrough, &next, 0, nullptr);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
    GetExitCodeThread(h, &code);
    EXPECT_EQ(code, 5u);
    CloseHandle(h);
    sameThread = first.systemThread == next.systemThread;
  }
  EXPECT_TRUE(sameThread);
}
#endif

// A creator of jobs on a thread of its own: some of its jobs return, some
// are stopped, and every exit code must be the job's own.
struct Creator {
  std::atomic<int> *hold;  // the jobs it leaves waiting return once set
  int failures = 0;
  Recorded held[4];
  HANDLE waiting[4] = {};
};

DWORD WINAPI CreateMany(LPVOID parameter) {
  auto *c = static_cast<Creator *>(parameter);
  for (int i = 0; i < 100; ++i) {
    DWORD expected = static_cast<DWORD>(i);
    HANDLE h = nullptr;
    GuardedRun spin{SpinForever, nullptr};
    if (i % 4 == 3) {
      expected = 50;
      h = CreateThread(nullptr, 0, GuardedWorker, &spin, 0, nullptr);
      if (h == nullptr || !AwaitState(spin.state, 1) || !TerminateThread(h, 50)) ++c->failures;
    } else {
      h = CreateThread(nullptr, 0, ReturnAfterYields, reinterpret_cast<LPVOID>(uintptr_t{expected}),
                       0, nullptr);
    }
    DWORD code = 0;
    if (h == nullptr || WaitForSingleObject(h, 5000) != WAIT_OBJECT_0 ||
        !GetExitCodeThread(h, &code) || code != expected) {
      ++c->failures;
    }
    if (h != nullptr) CloseHandle(h);
  }
  // Jobs left waiting, so that many run at once.
  for (int i = 0; i < 4; ++i) {
    c->held[i].hold = c->hold;
    c->waiting[i] = CreateThread(nullptr, 0, RecordAndReturn, &c->held[i], 0, nullptr);
    if (c->waiting[i] == nullptr) ++c->failures;
  }
  return 0;
}

// Sixteen jobs wait at once, each on a system thread of its own.
void RunFourCreators() {
  std::atomic<int> hold{0};
  Creator creators[4];
  HANDLE handles[4];
  ProcessUse before = MeasureProcessUse();
  for (int i = 0; i < 4; ++i) {
    creators[i].hold = &hold;
    handles[i] = CreateThread(nullptr, 0, CreateMany, &creators[i], 0, nullptr);
    ASSERT_NE(handles[i], nullptr);
  }
  for (HANDLE h : handles) {
    ASSERT_EQ(WaitForSingleObject(h, 30000), WAIT_OBJECT_0);
    CloseHandle(h);
  }
  EXPECT_GE(MeasureProcessUse().threads, before.threads + 16 - 4);
  hold.store(1);
  for (Creator &c : creators) {
    EXPECT_EQ(c.failures, 0);
    for (HANDLE h : c.waiting) {
      ASSERT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
      CloseHandle(h);
    }
  }
}

TEST(ThreadHandles, ManyAtOnceFromSeveralCreatorsLeaveFewThreadsBehind) {
  ProcessUse before = MeasureProcessUse();
  RunFourCreators();
  // A few stay parked for the next jobs; the rest have ended.
  ProcessUse first = MeasureSettled(before, 4, 2.0);
  EXPECT_LE(first.threads, before.threads + 4) << Describe(first);
  // The same again leaves no more.
  for (int round = 0; round < 2 && !HasFatalFailure(); ++round) RunFourCreators();
  ProcessUse again = MeasureSettled(first, 0, 2.0);
  EXPECT_LE(again.threads, first.threads) << Describe(first) << " / " << Describe(again);
}

}  // namespace
