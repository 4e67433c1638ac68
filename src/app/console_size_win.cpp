#include "app/console_size.hpp"

#include <windows.h>

namespace app {
namespace {

HANDLE Buffer() {
  static HANDLE buffer = [] {
    HANDLE made =
        CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, CONSOLE_TEXTMODE_BUFFER, nullptr);
    if (made != INVALID_HANDLE_VALUE) SetStdHandle(STD_OUTPUT_HANDLE, made);
    return made;
  }();
  return buffer;
}

}  // namespace

bool SetConsoleSize(int columns, int rows) {
  HANDLE buffer = Buffer();
  if (buffer == INVALID_HANDLE_VALUE) return false;
  // The window must fit in the buffer at every step: shrink it first.
  SMALL_RECT corner = {0, 0, 0, 0};
  SetConsoleWindowInfo(buffer, TRUE, &corner);
  COORD size = {SHORT(columns), SHORT(rows)};
  if (!SetConsoleScreenBufferSize(buffer, size)) return false;
  SMALL_RECT whole = {0, 0, SHORT(columns - 1), SHORT(rows - 1)};
  SetConsoleWindowInfo(buffer, TRUE, &whole);  // may be wider than the display allows
  CONSOLE_SCREEN_BUFFER_INFO info;
  return GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info) &&
         info.dwSize.X == columns && info.dwSize.Y == rows;
}

}  // namespace app
