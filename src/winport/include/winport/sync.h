// Critical sections (recursive, like Windows').
#pragma once

#include <pthread.h>

#include "winport/types.h"

struct CRITICAL_SECTION {
  pthread_mutex_t mutex;
};
typedef CRITICAL_SECTION *LPCRITICAL_SECTION;

WINPORT_API void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION section);
WINPORT_API void WINAPI EnterCriticalSection(LPCRITICAL_SECTION section);
WINPORT_API void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION section);
WINPORT_API void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION section);
