// What could not be done and must be said once the program's screen is gone:
// a settings file that could not be saved or was kept aside, a log that
// could not be written. winport adds its own; the module hands its over with
// OutputDebugStringA, which on Windows goes to the debugger.
#pragma once

#include "winport/types.h"

WINPORT_API void WINAPI OutputDebugStringA(LPCSTR text);

// Adds one notice; a text already in the list is not added again.
WINPORT_API void WinportAddNotice(const char *text);

// The oldest notice not yet taken, copied into `buffer` (cut to fit); false
// when there is none.
WINPORT_API BOOL WinportTakeNotice(char *buffer, size_t size);
