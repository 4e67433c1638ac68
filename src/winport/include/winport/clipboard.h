// The clipboard and movable global memory blocks.
#pragma once

#include "winport/types.h"

#define CF_TEXT 1u
#define CF_OEMTEXT 7u
#define CF_UNICODETEXT 13u

#define GMEM_FIXED 0x0000u
#define GMEM_MOVEABLE 0x0002u
#define GMEM_ZEROINIT 0x0040u
#define GMEM_DDESHARE 0x2000u
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)

#define ERROR_NOT_LOCKED 158L
#define ERROR_CLIPBOARD_NOT_OPEN 1418L

WINPORT_API HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
WINPORT_API LPVOID WINAPI GlobalLock(HGLOBAL block);
WINPORT_API BOOL WINAPI GlobalUnlock(HGLOBAL block);
WINPORT_API HGLOBAL WINAPI GlobalFree(HGLOBAL block);
WINPORT_API SIZE_T WINAPI GlobalSize(HGLOBAL block);

WINPORT_API BOOL WINAPI OpenClipboard(HWND owner);
WINPORT_API BOOL WINAPI CloseClipboard();
WINPORT_API BOOL WINAPI EmptyClipboard();
WINPORT_API HANDLE WINAPI SetClipboardData(UINT format, HANDLE data);
WINPORT_API HANDLE WINAPI GetClipboardData(UINT format);
WINPORT_API BOOL WINAPI IsClipboardFormatAvailable(UINT format);
WINPORT_API UINT WINAPI EnumClipboardFormats(UINT format);
WINPORT_API int WINAPI CountClipboardFormats();
WINPORT_API DWORD WINAPI GetClipboardSequenceNumber();
