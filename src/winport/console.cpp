// The console's size: whatever the host that draws the screen registered.
#include <atomic>

#include "winport/console.h"
#include "winport/module.h"

namespace {

std::atomic<int> registeredSize{0};  // columns in the low 16 bits, rows above

// Distinct, non-null values that stand for the three standard handles.
HANDLE StandardHandle(DWORD which) {
  return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x1000u + (~which & 0xFu)));
}

}  // namespace

WINPORT_API void WinportSetConsoleSize(int columns, int rows) {
  if (columns <= 0 || rows <= 0 || columns > 0x7FFF || rows > 0x7FFF) columns = rows = 0;
  registeredSize.store(columns | (rows << 16));
}

HANDLE WINAPI GetStdHandle(DWORD which) {
  if (which != STD_INPUT_HANDLE && which != STD_OUTPUT_HANDLE && which != STD_ERROR_HANDLE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_HANDLE_VALUE;
  }
  return StandardHandle(which);
}

BOOL WINAPI GetConsoleScreenBufferInfo(HANDLE console, PCONSOLE_SCREEN_BUFFER_INFO info) {
  int size = registeredSize.load();
  bool output =
      console == StandardHandle(STD_OUTPUT_HANDLE) || console == StandardHandle(STD_ERROR_HANDLE);
  if (!info || !output || size == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  SHORT columns = static_cast<SHORT>(size & 0xFFFF);
  SHORT rows = static_cast<SHORT>(size >> 16);
  *info = CONSOLE_SCREEN_BUFFER_INFO{};
  info->dwSize = COORD{columns, rows};
  info->wAttributes = 0x07;
  info->srWindow = SMALL_RECT{0, 0, static_cast<SHORT>(columns - 1), static_cast<SHORT>(rows - 1)};
  info->dwMaximumWindowSize = info->dwSize;
  return TRUE;
}
