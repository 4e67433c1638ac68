#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/fault_guard.hpp"
#include "winport/guarded_jobs.hpp"

#ifdef _WIN32
#include <stdio.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "kestrum/engine.hpp"
#endif

namespace {

// --- Thread basics ---------------------------------------------------------

DWORD WINAPI ReturnAfterSleep(LPVOID parameter) {
  Sleep(50);
  return static_cast<DWORD>(reinterpret_cast<uintptr_t>(parameter));
}

DWORD WINAPI WaitForFlag(LPVOID parameter) {
  auto *flag = static_cast<std::atomic<int> *>(parameter);
  while (flag->load() == 0) Sleep(1);
  flag->store(2);
  return 5;
}

DWORD WINAPI Spin(LPVOID parameter) {
  auto *running = static_cast<std::atomic<int> *>(parameter);
  running->store(1);
  volatile uint64_t n = 0;
  for (;;) n = n + 1;
  return 0;
}

DWORD WINAPI SleepLong(LPVOID parameter) {
  static_cast<std::atomic<int> *>(parameter)->store(1);
  Sleep(60000);
  return 1;
}

void AwaitFlag(const std::atomic<int> &flag, int value) {
  for (int i = 0; i < 5000 && flag.load() != value; ++i) Sleep(1);
  ASSERT_EQ(flag.load(), value);
}

TEST(Threads, ExitCodeIsStillActiveUntilTheThreadEnds) {
  DWORD id = 0;
  HANDLE h = CreateThread(nullptr, 0, ReturnAfterSleep, reinterpret_cast<LPVOID>(42), 0, &id);
  ASSERT_NE(h, nullptr);
  EXPECT_NE(id, 0u);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeThread(h, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
  ASSERT_TRUE(GetExitCodeThread(h, &code));
  EXPECT_EQ(code, 42u);
  // An ended thread stays signalled.
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(h));
}

TEST(Threads, TimedWaitRunsOutThenSucceeds) {
  std::atomic<int> flag{0};
  HANDLE h = CreateThread(nullptr, 0, WaitForFlag, &flag, 0, nullptr);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(WaitForSingleObject(h, 30), WAIT_TIMEOUT);
  flag.store(1);
  EXPECT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(flag.load(), 2);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeThread(h, &code));
  EXPECT_EQ(code, 5u);
  EXPECT_TRUE(CloseHandle(h));
}

TEST(Threads, ClosingTheHandleLetsTheThreadRunOn) {
  std::atomic<int> flag{0};
  HANDLE h = CreateThread(nullptr, 0, WaitForFlag, &flag, 0, nullptr);
  ASSERT_NE(h, nullptr);
  EXPECT_TRUE(CloseHandle(h));
  flag.store(1);
  AwaitFlag(flag, 2);
}

TEST(Threads, TerminateStopsASpinningAndASleepingThread) {
  for (LPTHREAD_START_ROUTINE routine : {Spin, SleepLong}) {
    std::atomic<int> running{0};
    HANDLE h = CreateThread(nullptr, 0, routine, &running, 0, nullptr);
    ASSERT_NE(h, nullptr);
    AwaitFlag(running, 1);
    EXPECT_TRUE(TerminateThread(h, 7));
    EXPECT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(h, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_TRUE(CloseHandle(h));
  }
}

TEST(Threads, BadHandlesFail) {
  HANDLE h = CreateThread(nullptr, 0, ReturnAfterSleep, nullptr, 0, nullptr);
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(h));
  DWORD code = 0;
  EXPECT_FALSE(GetExitCodeThread(nullptr, &code));
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
  EXPECT_FALSE(CloseHandle(nullptr));
  EXPECT_FALSE(TerminateThread(nullptr, 0));
}

// --- Guarded calls -----------------------------------------------------------

// Read through globals, so the compiler can't see the faults coming.
volatile int gZero = 0;
volatile int gNever = 0;
// Kernel space on both 32 and 64 bits.
volatile int *volatile gWild = reinterpret_cast<volatile int *>(~uintptr_t{0} & ~uintptr_t{0xFFFF});

NO_SANITIZE int ReadWild(void *) {
  return *gWild;
}

NO_SANITIZE int Divide(void *) {
  return 100 / gZero;
}

NO_SANITIZE int Illegal(void *) {
  __builtin_trap();
  return 0;
}

NO_SANITIZE int Recurse(int depth) {
  volatile char pad[256];
  pad[0] = static_cast<char>(depth);
  if (gNever != 0) return pad[0];
  return Recurse(depth + 1) + pad[0];
}

int Overflow(void *) {
  return Recurse(0);
}

#ifdef _WIN32
// Exceptions that are not hardware faults, raised and left unhandled: a
// breakpoint, an application's own codes, a C++ exception as other compilers
// raise it (it cannot be continued), and this compiler's own where those
// are structured exceptions too.
int Breakpoint(void *) {
  DebugBreak();
  return 0;
}

template <DWORD code, DWORD flags = 0>
int Raise(void *) {
  RaiseException(code, flags, 0, nullptr);
  return 0;
}

#ifdef __SEH__
int Throw(void *) {
  throw 42;
}
#endif
#endif

TEST(FaultGuard, PassesTheResultOn) {
  int value = 41, result = 0;
  EXPECT_TRUE(RunGuarded(Answer, &value, &result));
  EXPECT_EQ(result, 42);
  GuardedRun run{Answer, &value};
  HANDLE h = CreateThread(nullptr, 0, GuardedWorker, &run, 0, nullptr);
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(h, &code);
  EXPECT_EQ(code, 42u);
  EXPECT_EQ(run.state.load(), 2);
  CloseHandle(h);
}

struct Fault {
  const char *name;
  int (*call)(void *);
};
const Fault kFaults[] = {
    {"null pointer", ReadNull},
    {"wild pointer", ReadWild},
    {"division by zero", Divide},
    {"illegal instruction", Illegal},
    {"stack overflow", Overflow},
#ifdef _WIN32
    {"breakpoint", Breakpoint},
    {"application's error code", Raise<0xE0000001>},
    {"application's warning code", Raise<0xA0000001>},
    {"foreign C++ exception", Raise<0xE06D7363, EXCEPTION_NONCONTINUABLE>},
#ifdef __SEH__
    {"C++ exception", Throw},
#endif
#endif
};

TEST(FaultGuard, FaultsOnAGuardedThreadReachTheRecoveryPoint) {
  for (int round = 0; round < 2; ++round) {
    for (const Fault &fault : kFaults) {
      GuardedRun run{fault.call, nullptr};
      HANDLE h = CreateThread(nullptr, 0, GuardedWorker, &run, 0, nullptr);
      ASSERT_NE(h, nullptr);
      for (int i = 0; i < 5000 && run.state.load() < 2; ++i) Sleep(1);
      EXPECT_EQ(run.state.load(), 3) << fault.name;
      // The thread idles now, and is stopped like a hung one.
      EXPECT_EQ(WaitForSingleObject(h, 20), WAIT_TIMEOUT) << fault.name;
      EXPECT_TRUE(TerminateThread(h, 9));
      ASSERT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0) << fault.name;
      DWORD code = 0;
      GetExitCodeThread(h, &code);
      EXPECT_EQ(code, 9u) << fault.name;
      CloseHandle(h);
    }
  }
}

TEST(FaultGuard, FaultsOnTheCallingThreadComeBack) {
  for (const Fault &fault : kFaults) {
    if (fault.call == Overflow) continue;
    int result = 77;
    EXPECT_FALSE(RunGuarded(fault.call, nullptr, &result)) << fault.name;
    EXPECT_EQ(result, 77) << fault.name;
  }
  int value = 1, result = 0;
  EXPECT_TRUE(RunGuarded(Answer, &value, &result));
  EXPECT_EQ(result, 2);
}

#ifdef _WIN32
// Kernel space: IsBadReadPtr meets an access violation and handles it.
const void *const kKernelAddress =
    reinterpret_cast<const void *>(~uintptr_t{0} & ~uintptr_t{0xFFFF});

int HandlesItsOwn(void *) {
  if (!IsBadReadPtr(kKernelAddress, sizeof(int))) return 0;
  OutputDebugStringA("threads_test: a note for a debugger\n");
  try {
    throw 7;
  } catch (int n) {
    return n;
  }
}

TEST(FaultGuard, ExceptionsTheCallHandlesStayItsOwn) {
  GuardedRun run{HandlesItsOwn, nullptr};
  HANDLE h = CreateThread(nullptr, 0, GuardedWorker, &run, 0, nullptr);
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(run.state.load(), 2);
  EXPECT_EQ(run.result, 7);
  CloseHandle(h);
}
#endif

// A fault outside a guarded call, in a copy of this program: it must die.
const char kChildFlag[] = "--fault-unguarded";

DWORD WINAPI UnguardedFault(LPVOID) {
  return static_cast<DWORD>(ReadNull(nullptr));
}

int RunChild(const char *where) {
  int value = 0, result = 0;
  RunGuarded(Answer, &value, &result);  // the handlers are in place
  if (std::strcmp(where, "thread") == 0) {
    HANDLE h = CreateThread(nullptr, 0, UnguardedFault, nullptr, 0, nullptr);
    WaitForSingleObject(h, 5000);
#ifdef _WIN32
  } else if (std::strcmp(where, "raise") == 0) {
    Raise<0xE0000001>(nullptr);
#endif
  } else {
    ReadNull(nullptr);
  }
  return 0;  // survived: the test fails on this
}

#ifdef _WIN32
LONG WINAPI EndOnUnhandled(EXCEPTION_POINTERS *) {
  return EXCEPTION_EXECUTE_HANDLER;
}

// The exit code of the child, or 0 when it survived.
DWORD RunSelf(const char *where) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string line = std::string("\"") + path + "\" " + kChildFlag + " " + where;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return 1;
  }
  WaitForSingleObject(process.hProcess, 30000);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

TEST(FaultGuard, AFaultOutsideAGuardedCallStillEndsTheProgram) {
  for (const char *where : {"thread", "main"}) {
    EXPECT_EQ(RunSelf(where), 0xC0000005u) << where;
  }
  EXPECT_EQ(RunSelf("raise"), 0xE0000001u);
}
#else
// How the child ended: its signal, or -(exit status).
int RunSelf(const char *where) {
  pid_t pid = fork();
  if (pid == 0) {
    dup2(open("/dev/null", O_WRONLY), 2);  // the crash report is expected
    execl("/proc/self/exe", "threads_test", kChildFlag, where, static_cast<char *>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFSIGNALED(status) ? WTERMSIG(status) : -WEXITSTATUS(status);
}

TEST(FaultGuard, AFaultOutsideAGuardedCallStillEndsTheProgram) {
  for (const char *where : {"thread", "main"}) {
    int ended = RunSelf(where);
    // Killed by the fault, or by a sanitizer's handler that came first.
    EXPECT_TRUE(ended == SIGSEGV || ended < 0) << where << " " << ended;
    EXPECT_NE(ended, 0) << where;
  }
}
#endif

// --- Stopping a runaway engine call ------------------------------------------

#ifdef _WIN32
struct Runaway {
  bool Start() { return true; }
  static int Call(void *) {
    volatile uint64_t n = 0;
    for (;;) n = n + 1;
    return 0;
  }
  void *Argument() { return nullptr; }
  void CheckAfterStops() {}
};
#else
struct Runaway {
  EngineHandle engine = nullptr;
  std::string text = std::string(40, 'a') + "b\n";
  MatchRecord match{};

  ~Runaway() { kestrum::EngineDestroy(&engine); }
  bool Start() {
    if (engine == nullptr) engine = kestrum::EngineCreate();
    return engine != nullptr && kestrum::EngineSetExpression(engine, "/(a+)+$/", 0, 0) != 0 &&
           kestrum::EngineSetNoMoves(engine, 0) != 0;
  }
  static int Call(void *argument) {
    auto *r = static_cast<Runaway *>(argument);
    const char *p = r->text.data();
    return kestrum::EngineParse(r->engine, p, p, p + r->text.size() - 1, &r->match, 0, 0);
  }
  void *Argument() { return this; }
  void CheckAfterStops() {
    // A stopped Parse leaves the handle waiting for a new expression.
    EXPECT_EQ(Call(this), 0);
    ASSERT_NE(kestrum::EngineSetExpression(engine, "/a(b)/", 0, 0), 0);
    ASSERT_NE(kestrum::EngineSetNoMoves(engine, 0), 0);
    ASSERT_NE(Call(this), 0);
    EXPECT_EQ(match.Start[0], 39);
    EXPECT_EQ(match.End[1], 41);
  }
};
#endif

DWORD WINAPI AllocateSome(LPVOID) {
  void *p = std::malloc(100);
  std::string s(5000, 'x');
  std::free(p);
  return p != nullptr && s.size() == 5000 ? 1 : 0;
}

TEST(ForcedStop, RunawayCallStoppedFiftyTimesLeavesEverythingUsable) {
  Runaway runaway;
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(runaway.Start()) << i;
    GuardedRun run{Runaway::Call, runaway.Argument()};
    HANDLE h = CreateThread(nullptr, 0, GuardedWorker, &run, 0, nullptr);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(WaitForSingleObject(h, 100), WAIT_TIMEOUT) << i;
    EXPECT_EQ(run.state.load(), 1) << i;
    EXPECT_TRUE(TerminateThread(h, 0));
    ASSERT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0) << i;
    DWORD code = 1;
    GetExitCodeThread(h, &code);
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(CloseHandle(h));
  }
  runaway.CheckAfterStops();
  // No lock was left held: the heap still works here and on a new thread.
  void *p = std::malloc(1 << 20);
  EXPECT_NE(p, nullptr);
  std::free(p);
  HANDLE h = CreateThread(nullptr, 0, AllocateSome, nullptr, 0, nullptr);
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(h, &code);
  EXPECT_EQ(code, 1u);
  CloseHandle(h);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc == 3 && std::strcmp(argv[1], kChildFlag) == 0) {
#ifdef _WIN32
    SetUnhandledExceptionFilter(EndOnUnhandled);
#endif
    return RunChild(argv[2]);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
