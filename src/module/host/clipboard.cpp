#include "host/clipboard.hpp"

#include <windows.h>

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

enum class Placed { Yes, Skipped, LockFailed };

// One global block of `bytes`, filled by `fill`, handed over as `format`.
template <typename Fill>
Placed PlaceBlock(UINT format, SIZE_T bytes, Fill fill) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes);
  if (!block) return Placed::Skipped;
  void *data = GlobalLock(block);
  if (!data) {
    GlobalFree(block);
    return Placed::LockFailed;
  }
  fill(data);
  GlobalUnlock(block);
  SetClipboardData(format, block);
  return Placed::Yes;
}

}  // namespace

bool ClipboardPut(const char *text, int length) {
  if (!text || length <= 0) return false;
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();

  const SIZE_T n = SIZE_T(length);
  auto copyText = [text, n](void *data) {
    char *out = static_cast<char *>(data);
    std::memcpy(out, text, n);
    out[n] = '\0';
  };
  bool placed = false;

  Placed r = PlaceBlock(CF_OEMTEXT, n + 1, copyText);
  if (r == Placed::LockFailed) {
    CloseClipboard();
    return placed;
  }
  placed = placed || r == Placed::Yes;

  r = PlaceBlock(CF_TEXT, n + 1, [&copyText](void *data) {
    copyText(data);
    char *ansi = static_cast<char *>(data);
    OemToCharA(ansi, ansi);
  });
  if (r == Placed::LockFailed) {
    CloseClipboard();
    return placed;
  }
  placed = placed || r == Placed::Yes;

  if (n > (SIZE_T(-1) - 2) / 2) {
    CloseClipboard();
    return placed;
  }
  r = PlaceBlock(CF_UNICODETEXT, 2 * n + 2, [text, length](void *data) {
    WCHAR *wide = static_cast<WCHAR *>(data);
    int got = MultiByteToWideChar(CP_OEMCP, 0, text, length, wide, length + 1);
    wide[got > 0 ? got : 0] = 0;
  });
  placed = placed || r == Placed::Yes;

  CloseClipboard();
  return placed;
}

bool ClipboardGet(char **text, int *size) {
  if (text) *text = nullptr;
  if (size) *size = 0;
  if (!text || !size) return false;
  if (!OpenClipboard(nullptr)) return false;

  // The editors hold OEM text. Windows makes the OEM form of any text another
  // program placed (best-fit characters where the code page lacks one), and
  // our own copy placed it as it stood, so a copy pastes back unchanged.
  HANDLE block = GetClipboardData(CF_OEMTEXT);
  SIZE_T bytes = block ? GlobalSize(block) : 0;
  if (bytes == 0 || bytes > SIZE_T(INT_MAX) - 1) {
    CloseClipboard();
    return false;
  }
  const void *data = GlobalLock(block);
  char *copy = data ? static_cast<char *>(std::malloc(bytes + 1)) : nullptr;
  if (!copy) {
    if (data) GlobalUnlock(block);
    CloseClipboard();
    return false;
  }
  std::memcpy(copy, data, bytes);
  copy[bytes] = '\0';
  GlobalUnlock(block);
  CloseClipboard();
  *text = copy;
  *size = int(bytes);
  return true;
}
