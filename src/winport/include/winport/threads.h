// Threads, timed waits, exit codes and forced termination.
#pragma once

#include "winport/types.h"

typedef DWORD(WINAPI *LPTHREAD_START_ROUTINE)(LPVOID parameter);

#define WAIT_OBJECT_0 0u
#define WAIT_TIMEOUT 258u
#define WAIT_FAILED 0xFFFFFFFFu
#define STILL_ACTIVE 259u
#define CREATE_SUSPENDED 0x4u

WINPORT_API HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize,
                                       LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                                       LPDWORD threadId);
WINPORT_API DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds);
WINPORT_API BOOL WINAPI GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
WINPORT_API BOOL WINAPI TerminateThread(HANDLE thread, DWORD exitCode);
WINPORT_API BOOL WINAPI CloseHandle(HANDLE handle);
WINPORT_API void WINAPI Sleep(DWORD milliseconds);

// Stopped threads that did not end when they should have (their exit waits
// for a lock that the stopped code left held): left to end on their own.
WINPORT_API int WinportStrandedThreads(void);
