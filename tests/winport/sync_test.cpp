// Critical sections: re-entrant for their owner, exclusive between threads.
#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(CriticalSection, OwnerMayEnterAgain) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EnterCriticalSection(&section);
  LeaveCriticalSection(&section);
  LeaveCriticalSection(&section);
  DeleteCriticalSection(&section);
}

struct Shared {
  CRITICAL_SECTION section;
  volatile long counter;
  volatile long inside;
  volatile long overlaps;
};

DWORD WINAPI Count(LPVOID parameter) {
  auto *shared = static_cast<Shared *>(parameter);
  for (int i = 0; i < 20000; ++i) {
    EnterCriticalSection(&shared->section);
    if (shared->inside) shared->overlaps = shared->overlaps + 1;
    shared->inside = 1;
    long value = shared->counter;
    if (i % 1000 == 0) Sleep(0);
    shared->counter = value + 1;
    shared->inside = 0;
    LeaveCriticalSection(&shared->section);
  }
  return 0;
}

TEST(CriticalSection, ExcludesOtherThreads) {
  Shared shared{};
  InitializeCriticalSection(&shared.section);
  HANDLE threads[3];
  for (HANDLE &thread : threads) {
    thread = CreateThread(nullptr, 0, Count, &shared, 0, nullptr);
    ASSERT_NE(thread, nullptr);
  }
  for (HANDLE thread : threads) {
    EXPECT_EQ(WaitForSingleObject(thread, 30000), WAIT_OBJECT_0);
    CloseHandle(thread);
  }
  EXPECT_EQ(shared.counter, 3 * 20000);
  EXPECT_EQ(shared.overlaps, 0);
  DeleteCriticalSection(&shared.section);
}

}  // namespace
