// Critical sections: recursive mutexes, as Windows' are re-entrant.
#include "winport/sync.h"

WINPORT_API void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION section) {
  if (!section) return;
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(&section->mutex, &attributes);
  pthread_mutexattr_destroy(&attributes);
}

WINPORT_API void WINAPI EnterCriticalSection(LPCRITICAL_SECTION section) {
  if (section) pthread_mutex_lock(&section->mutex);
}

WINPORT_API void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION section) {
  if (section) pthread_mutex_unlock(&section->mutex);
}

WINPORT_API void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION section) {
  if (section) pthread_mutex_destroy(&section->mutex);
}
