#include "app/console_size.hpp"

#include <windows.h>

namespace app {

bool SetConsoleSize(int columns, int rows) {
  WinportSetConsoleSize(columns, rows);
  return true;
}

}  // namespace app
