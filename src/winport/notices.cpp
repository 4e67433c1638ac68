// The process-wide list of notices for the user, each text once.
#include <cstring>
#include <deque>
#include <mutex>
#include <string>

#include "winport/notices.h"

namespace {

constexpr size_t kMostNotices = 32;
constexpr size_t kLongestNotice = 2048;

std::mutex noticeLock;
std::deque<std::string> notices;  // not yet taken
std::deque<std::string> said;     // every text added, to keep repeats out

}  // namespace

WINPORT_API void WinportAddNotice(const char *text) {
  if (!text) return;
  std::string notice(text, strnlen(text, kLongestNotice));
  while (!notice.empty() && (notice.back() == '\n' || notice.back() == '\r')) notice.pop_back();
  if (notice.empty()) return;
  std::lock_guard<std::mutex> guard(noticeLock);
  for (const std::string &old : said)
    if (old == notice) return;
  if (said.size() == kMostNotices) return;
  said.push_back(notice);
  notices.push_back(notice);
}

void WINAPI OutputDebugStringA(LPCSTR text) {
  WinportAddNotice(text);
}

WINPORT_API BOOL WinportTakeNotice(char *buffer, size_t size) {
  std::lock_guard<std::mutex> guard(noticeLock);
  if (notices.empty() || !buffer || size == 0) return FALSE;
  const std::string &notice = notices.front();
  size_t length = notice.size() < size - 1 ? notice.size() : size - 1;
  std::memcpy(buffer, notice.data(), length);
  buffer[length] = '\0';
  notices.pop_front();
  return TRUE;
}
