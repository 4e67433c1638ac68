// Module file names and the module entry.
#pragma once

#include "winport/types.h"

WINPORT_API DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
WINPORT_API DWORD WINAPI GetLastError();
WINPORT_API void WINAPI SetLastError(DWORD error);

// The module handle of the shared object that holds `address` (its load base).
WINPORT_API HMODULE WinportModuleOf(const void *address);
