#include "support/process_use.hpp"

#include <windows.h>

#include <cstdint>

#ifdef _WIN32
#include <psapi.h>
#include <tlhelp32.h>
#else
#include <dirent.h>
#include <pthread.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define PARDUNE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PARDUNE_ASAN 1
#endif
#endif
#ifdef PARDUNE_ASAN
extern "C" void __sanitizer_purge_allocator();
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

#ifdef _WIN32
int CountThreads() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

// Wine answers GetProcessHandleCount with 0; there the handles are counted
// one by one, as the values that name something (multiples of 4, handed out
// lowest first).
int CountHandles() {
  DWORD count = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) {
    return static_cast<int>(count);
  }
  int found = 0;
  for (uintptr_t value = 4, empty = 0; empty < 4096; value += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
      ++found;
      empty = 0;
    } else {
      ++empty;
    }
  }
  return found;
}

// Every thread stack keeps a guard page at its growing end.
int CountStacks() {
  int count = 0;
  MEMORY_BASIC_INFORMATION info{};
  for (char *p = nullptr; VirtualQuery(p, &info, sizeof info) == sizeof info;
       p = static_cast<char *>(info.BaseAddress) + info.RegionSize) {
    if (info.State == MEM_COMMIT && (info.Protect & PAGE_GUARD) != 0) ++count;
    if (static_cast<char *>(info.BaseAddress) + info.RegionSize <= p) break;
  }
  return count;
}

long ResidentKiB() {
  PROCESS_MEMORY_COUNTERS counters{};
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return -1;
  return static_cast<long>(counters.WorkingSetSize / 1024);
}
#else
// Entries of a /proc folder, without "." and "..".
int CountEntries(const char *folder) {
  DIR *dir = opendir(folder);
  if (dir == nullptr) return -1;
  int count = 0;
  while (dirent *entry = readdir(dir)) {
    if (entry->d_name[0] != '.') ++count;
  }
  closedir(dir);
  return count;
}

// A thread stack of the default size: a writable mapping of that size (less
// the guard, in older systems) right above a guard page, neither of them
// backed by a file.
int CountStacks() {
  pthread_attr_t attributes;
  size_t stackSize = 0, guardSize = 0;
  pthread_attr_init(&attributes);
  pthread_attr_getstacksize(&attributes, &stackSize);
  pthread_attr_getguardsize(&attributes, &guardSize);
  pthread_attr_destroy(&attributes);
  FILE *maps = std::fopen("/proc/self/maps", "r");
  if (maps == nullptr) return -1;
  int count = 0;
  unsigned long guardEnd = 0;
  char line[4096];
  while (std::fgets(line, sizeof line, maps) != nullptr) {
    unsigned long start = 0, end = 0, inode = 0;
    char perms[5] = {};
    int pathAt = 0;
    if (std::sscanf(line, "%lx-%lx %4s %*x %*s %lu %n", &start, &end, perms, &inode, &pathAt) < 4)
      continue;
    bool anonymous = inode == 0 && (line[pathAt] == '\0' || line[pathAt] == '\n');
    if (anonymous && std::strncmp(perms, "rw-p", 4) == 0 && start == guardEnd &&
        (end - start == stackSize || end - start == stackSize - guardSize)) {
      ++count;
    }
    bool guard = anonymous && std::strncmp(perms, "---p", 4) == 0 && end - start == guardSize;
    guardEnd = guard ? end : 0;
  }
  std::fclose(maps);
  return count;
}

long ResidentKiB() {
  FILE *statm = std::fopen("/proc/self/statm", "r");
  if (statm == nullptr) return -1;
  long size = 0, resident = -1;
  if (std::fscanf(statm, "%ld %ld", &size, &resident) != 2) resident = -1;
  std::fclose(statm);
  return resident < 0 ? -1 : resident * (sysconf(_SC_PAGESIZE) / 1024);
}
#endif

}  // namespace

ProcessUse MeasureProcessUse() {
#ifdef PARDUNE_ASAN
  // The sanitizer keeps freed memory aside for a while to catch its use; let
  // it go first, so that what stays resident is what the program holds.
  __sanitizer_purge_allocator();
#endif
  ProcessUse use;
#ifdef _WIN32
  use.threads = CountThreads();
  use.handles = CountHandles();
#else
  use.threads = CountEntries("/proc/self/task");
  // Less the one that reads the folder.
  use.handles = CountEntries("/proc/self/fd") - 1;
#endif
  use.stacks = CountStacks();
  use.residentKiB = ResidentKiB();
#ifdef PARDUNE_ASAN
  use.heapKiB = static_cast<long>(__sanitizer_get_current_allocated_bytes() / 1024);
#endif
  return use;
}

ProcessUse MeasureSettled(const ProcessUse &before, int spare, double seconds) {
  ProcessUse use = MeasureProcessUse();
  for (int waited = 0; waited < seconds * 1000; waited += 10) {
    if (use.threads <= before.threads + spare && use.handles <= before.handles) break;
    Sleep(10);
    use = MeasureProcessUse();
  }
  return use;
}

long MemoryGrowthKiB(const ProcessUse &before, const ProcessUse &after) {
#ifdef PARDUNE_ASAN
  return after.heapKiB - before.heapKiB;
#else
  return after.residentKiB - before.residentKiB;
#endif
}

std::string Describe(const ProcessUse &use) {
  return "threads " + std::to_string(use.threads) + ", handles " + std::to_string(use.handles) +
         ", stacks " + std::to_string(use.stacks) + ", resident " +
         std::to_string(use.residentKiB) + " KiB" +
         (use.heapKiB >= 0 ? ", heap " + std::to_string(use.heapKiB) + " KiB" : "");
}

bool UnderWine() {
#ifdef _WIN32
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}
