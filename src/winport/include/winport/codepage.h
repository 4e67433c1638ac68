// OEM and ANSI code pages (437/1252 or 866/1251) and their conversions.
#pragma once

#include "winport/types.h"

#define CP_ACP 0u
#define CP_OEMCP 1u
#define CP_UTF8 65001u

#define MB_USEGLYPHCHARS 0x4u
#define MB_ERR_INVALID_CHARS 0x8u
#define WC_ERR_INVALID_CHARS 0x80u
#define WC_NO_BEST_FIT_CHARS 0x400u

WINPORT_API UINT WINAPI GetOEMCP();
WINPORT_API UINT WINAPI GetACP();
WINPORT_API BOOL WINAPI OemToCharA(LPCSTR source, LPSTR destination);
WINPORT_API BOOL WINAPI CharToOemA(LPCSTR source, LPSTR destination);
WINPORT_API int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source,
                                           int sourceLength, LPWSTR destination,
                                           int destinationLength);
WINPORT_API int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR source,
                                           int sourceLength, LPSTR destination,
                                           int destinationLength, LPCSTR defaultChar,
                                           LPBOOL usedDefaultChar);

// Chooses the OEM code page (437 or 866) for the process; false for others.
WINPORT_API BOOL WinportSetOemCodePage(UINT codePage);
