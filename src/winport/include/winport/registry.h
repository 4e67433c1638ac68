// The registry, kept in a REGEDIT4 text file: $PARDUNE_REGISTRY, else
// $XDG_CONFIG_HOME/pardune/registry.reg (~/.config when unset). The file is
// read again before every change and replaced whole, under a lock.
#pragma once

#include "winport/types.h"

#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)0x80000002u)

#define KEY_QUERY_VALUE 0x0001u
#define KEY_SET_VALUE 0x0002u
#define KEY_CREATE_SUB_KEY 0x0004u
#define KEY_ENUMERATE_SUB_KEYS 0x0008u
#define KEY_NOTIFY 0x0010u
#define KEY_CREATE_LINK 0x0020u
#define STANDARD_RIGHTS_READ 0x00020000u
#define STANDARD_RIGHTS_WRITE 0x00020000u
#define KEY_READ 0x20019u
#define KEY_WRITE 0x20006u
#define KEY_ALL_ACCESS 0xF003Fu
#define MAXIMUM_ALLOWED 0x02000000u

#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_MULTI_SZ 7u
#define REG_QWORD 11u

#define REG_OPTION_NON_VOLATILE 0u
#define REG_OPTION_VOLATILE 1u
#define REG_CREATED_NEW_KEY 1u
#define REG_OPENED_EXISTING_KEY 2u

#define ERROR_BADKEY 1010L
#define ERROR_CANTWRITE 1013L
#define ERROR_KEY_DELETED 1018L

WINPORT_API LONG WINAPI RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result);
WINPORT_API LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access,
                                      PHKEY result);
WINPORT_API LONG WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass,
                                        DWORD options, REGSAM access,
                                        LPSECURITY_ATTRIBUTES attributes, PHKEY result,
                                        LPDWORD disposition);
WINPORT_API LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                                         LPBYTE data, LPDWORD dataSize);
WINPORT_API LONG WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type,
                                       const BYTE *data, DWORD dataSize);
WINPORT_API LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR valueName);
WINPORT_API LONG WINAPI RegDeleteKeyA(HKEY key, LPCSTR subKey);
WINPORT_API LONG WINAPI RegCloseKey(HKEY key);
