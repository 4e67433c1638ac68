// The console screen size, as registered by the host that draws the screen.
#pragma once

#include "winport/types.h"

#define STD_INPUT_HANDLE ((DWORD)-10)
#define STD_OUTPUT_HANDLE ((DWORD)-11)
#define STD_ERROR_HANDLE ((DWORD)-12)

struct CONSOLE_SCREEN_BUFFER_INFO {
  COORD dwSize;
  COORD dwCursorPosition;
  WORD wAttributes;
  SMALL_RECT srWindow;
  COORD dwMaximumWindowSize;
};
typedef CONSOLE_SCREEN_BUFFER_INFO *PCONSOLE_SCREEN_BUFFER_INFO;

WINPORT_API HANDLE WINAPI GetStdHandle(DWORD which);
WINPORT_API BOOL WINAPI GetConsoleScreenBufferInfo(HANDLE console,
                                                   PCONSOLE_SCREEN_BUFFER_INFO info);

// The host registers the size of its screen; 0 x 0 withdraws it.
WINPORT_API void WinportSetConsoleSize(int columns, int rows);
