#include "clipboard_support.hpp"

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

namespace cliptest {
namespace {
void Pause() {
#ifdef _WIN32
  Sleep(1);
#else
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
#endif
}
}  // namespace

bool ReadBlock(UINT format, std::string *bytes) {
  bytes->clear();
  if (!OpenClipboard(nullptr)) return false;
  HANDLE block = GetClipboardData(format);
  bool found = block != nullptr;
  if (found) {
    SIZE_T size = GlobalSize(block);
    const char *data = size ? static_cast<const char *>(GlobalLock(block)) : nullptr;
    if (data) {
      bytes->assign(data, size);
      GlobalUnlock(block);
    }
  }
  CloseClipboard();
  return found;
}

bool ReadWide(UINT format, std::vector<WCHAR> *text) {
  std::string bytes;
  text->clear();
  if (!ReadBlock(format, &bytes)) return false;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    WCHAR c;
    std::memcpy(&c, bytes.data() + i, 2);
    if (c == 0) break;
    text->push_back(c);
  }
  return true;
}

std::vector<UINT> Formats() {
  std::vector<UINT> formats;
  if (!OpenClipboard(nullptr)) return formats;
  for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) formats.push_back(f);
  CloseClipboard();
  return formats;
}

bool Place(const std::vector<std::pair<UINT, std::string>> &blocks) {
  if (!OpenClipboard(nullptr)) return false;
  bool ok = EmptyClipboard() != FALSE;
  for (const auto &b : blocks) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, b.second.size());
    void *data = block ? GlobalLock(block) : nullptr;
    if (!data) {
      ok = false;
      continue;
    }
    std::memcpy(data, b.second.data(), b.second.size());
    GlobalUnlock(block);
    if (!SetClipboardData(b.first, block)) {
      GlobalFree(block);
      ok = false;
    }
  }
  CloseClipboard();
  return ok;
}

#ifdef _WIN32
namespace {
DWORD WINAPI RunBody(LPVOID parameter) {
  (*static_cast<const std::function<void()> *>(parameter))();
  return 0;
}
}  // namespace

void OnOtherThread(const std::function<void()> &body) {
  HANDLE thread =
      CreateThread(nullptr, 0, RunBody, const_cast<std::function<void()> *>(&body), 0, nullptr);
  if (!thread) return;
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}
#else
void OnOtherThread(const std::function<void()> &body) {
  std::thread(body).join();
}
#endif

void WhileHeldOpen(const std::function<void()> &body) {
  std::atomic<int> state{0};  // 1 opened, 2 body done
  std::function<void()> holder = [&state] {
#ifdef _WIN32
    // Windows refuses an open from another thread; wine only from another
    // window, so the holder opens it for a window of its own.
    HWND owner =
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
#else
    HWND owner = nullptr;
#endif
    bool opened = OpenClipboard(owner) != FALSE;
    state = opened ? 1 : 3;
    while (opened && state != 2) Pause();
    if (opened) CloseClipboard();
#ifdef _WIN32
    if (owner) DestroyWindow(owner);
#endif
  };
#ifdef _WIN32
  HANDLE thread = CreateThread(nullptr, 0, RunBody, &holder, 0, nullptr);
  while (state == 0) Pause();
  body();
  state = 2;
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
#else
  std::thread thread(holder);
  while (state == 0) Pause();
  body();
  state = 2;
  thread.join();
#endif
}

}  // namespace cliptest
