#include "app/clipboard_text.hpp"

#include <windows.h>

#include <cstring>
#include <vector>

namespace app {
namespace {

bool PutBlock(UINT format, const void *data, size_t bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!block) return false;
  void *target = GlobalLock(block);
  if (!target) {
    GlobalFree(block);
    return false;
  }
  std::memcpy(target, data, bytes);
  GlobalUnlock(block);
  if (!SetClipboardData(format, block)) {
    GlobalFree(block);
    return false;
  }
  return true;
}

std::string Narrow(UINT codePage, const std::vector<WCHAR> &wide) {
  int size =
      WideCharToMultiByte(codePage, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(size > 0 ? size : 0), '\0');
  if (size > 0)
    WideCharToMultiByte(codePage, 0, wide.data(), int(wide.size()), &out[0], size, nullptr,
                        nullptr);
  return out;
}

}  // namespace

bool PutClipboardText(const std::string &utf8) {
  // Windows text on the clipboard ends its lines with CR LF.
  std::string text;
  for (char c : utf8) {
    if (c == '\n') text += '\r';
    text += c;
  }
  int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), int(text.size()) + 1, nullptr, 0);
  if (length <= 0) return false;
  std::vector<WCHAR> wide(static_cast<size_t>(length), 0);
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), int(text.size()) + 1, wide.data(), length);
  std::string ansi = Narrow(CP_ACP, wide);
  std::string oem = Narrow(CP_OEMCP, wide);
  if (!OpenClipboard(nullptr)) return false;
  bool ok =
      EmptyClipboard() && PutBlock(CF_UNICODETEXT, wide.data(), wide.size() * sizeof(WCHAR)) &&
      PutBlock(CF_TEXT, ansi.data(), ansi.size()) && PutBlock(CF_OEMTEXT, oem.data(), oem.size());
  CloseClipboard();
  return ok;
}

size_t Utf8Prefix(const char *text, size_t size, size_t characters) {
  size_t at = 0;
  for (size_t counted = 0; at < size; ++at) {
    const bool continuation = (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
    if (!continuation && counted++ == characters) break;
  }
  return at;
}

bool BoundPasteText(std::string *utf8) {
  const size_t end = Utf8Prefix(utf8->data(), utf8->size(), kLargestPaste);
  if (end == utf8->size()) return false;
  utf8->resize(end);
  return true;
}

}  // namespace app
