// Module file names, the module entry's handle, and the thread's last error.
#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "winport/module.h"

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

// The running program's own file.
std::string ProgramPath() {
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return std::string();
  return std::string(path, static_cast<size_t>(length));
}

// The file mapped at `base` as /proc/self/maps names it: always absolute.
std::string MappedPath(uintptr_t base) {
  FILE *maps = std::fopen("/proc/self/maps", "r");
  if (!maps) return std::string();
  std::string found;
  char line[4096 + 128];
  while (std::fgets(line, sizeof line, maps)) {
    unsigned long start = 0;
    int pathStart = 0;
    if (std::sscanf(line, "%lx-%*x %*s %*x %*s %*u %n", &start, &pathStart) < 1) continue;
    if (start != base || pathStart <= 0 || line[pathStart] != '/') continue;
    found = line + pathStart;
    while (!found.empty() && (found.back() == '\n' || found.back() == '\r')) found.pop_back();
    break;
  }
  std::fclose(maps);
  return found;
}

struct PhdrSearch {
  uintptr_t base;
  bool found;
  bool isProgram;
};

// Whether `base` is the load base of a loaded object, and whether that object
// is the program itself (the first one listed).
int FindObject(struct dl_phdr_info *info, size_t, void *data) {
  auto *search = static_cast<PhdrSearch *>(data);
  const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  uintptr_t lowest = UINTPTR_MAX;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr) &phdr = info->dlpi_phdr[i];
    if (phdr.p_type != PT_LOAD) continue;
    uintptr_t start = (info->dlpi_addr + phdr.p_vaddr) & ~(page - 1);
    if (start < lowest) lowest = start;
  }
  if (lowest != search->base) return 0;
  search->found = true;
  search->isProgram = info->dlpi_name == nullptr || info->dlpi_name[0] == '\0';
  return 1;
}

}  // namespace

WINPORT_API DWORD WINAPI GetLastError() {
  return lastError;
}

WINPORT_API void WINAPI SetLastError(DWORD error) {
  lastError = error;
}

WINPORT_API HMODULE WinportModuleOf(const void *address) {
  Dl_info info;
  if (!address || !dladdr(address, &info) || !info.dli_fbase) return nullptr;
  return static_cast<HMODULE>(info.dli_fbase);
}

WINPORT_API DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  std::string path;
  if (!module) {
    path = ProgramPath();
  } else {
    PhdrSearch search{reinterpret_cast<uintptr_t>(module), false, false};
    dl_iterate_phdr(FindObject, &search);
    if (!search.found) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    if (search.isProgram) {
      path = ProgramPath();
    } else {
      Dl_info info;
      if (dladdr(module, &info) && info.dli_fname && info.dli_fname[0] == '/')
        path = info.dli_fname;
      else
        path = MappedPath(search.base);
    }
  }
  if (path.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  if (!fileName || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  // Like Windows: a name that does not fit is cut to size - 1 characters and
  // terminated, the result is size, and the last error tells why.
  if (path.size() >= size) {
    std::memcpy(fileName, path.data(), size - 1);
    fileName[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(fileName, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}
