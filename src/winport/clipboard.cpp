// The clipboard: a store of formats with Windows' open/empty/set/close rules,
// kept in a file so that every run of the program shares it.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "clipboard_file.hpp"

namespace {

using winport::ClipboardContent;
using winport::ClipboardEntry;
using winport::FileStamp;

struct Format {
  UINT format;
  HGLOBAL data;
};

struct Store {
  std::mutex mutex;
  std::vector<Format> placed;       // in the order they were set
  std::vector<Format> synthesized;  // made on request from a placed text format
  bool open = false;
  std::thread::id owner;
  bool emptied = false;  // emptied during the current open
  bool changed = false;  // to be written at close
  DWORD sequence = 0;
  bool pathKnown = false;
  std::string path;
  FileStamp stamp;
};

Store &TheStore() {
  static Store *store = new Store;  // blocks handed out stay valid to the end
  return *store;
}

const std::string &PathOf(Store &store) {
  if (!store.pathKnown) {
    store.path = winport::ClipboardFilePath();
    store.pathKnown = true;
  }
  return store.path;
}

bool IsText(UINT format) {
  return format == CF_TEXT || format == CF_OEMTEXT || format == CF_UNICODETEXT;
}

void FreeAll(std::vector<Format> &formats) {
  for (const Format &f : formats) GlobalFree(f.data);
  formats.clear();
}

HGLOBAL Find(const std::vector<Format> &formats, UINT format) {
  for (const Format &f : formats)
    if (f.format == format) return f.data;
  return nullptr;
}

HGLOBAL BlockOf(const void *bytes, size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
  if (!block) return nullptr;
  if (size > 0) {
    void *p = GlobalLock(block);
    if (!p) {
      GlobalFree(block);
      return nullptr;
    }
    std::memcpy(p, bytes, size);
    GlobalUnlock(block);
  }
  return block;
}

std::string BytesOf(HGLOBAL block) {
  SIZE_T size = GlobalSize(block);
  const void *p = size ? GlobalLock(block) : nullptr;
  if (!p) return std::string();
  std::string bytes(static_cast<const char *>(p), size);
  GlobalUnlock(block);
  return bytes;
}

// Re-reads the file when another run (or another copy) changed it.
void Refresh(Store &store) {
  if (store.open) return;
  const std::string &path = PathOf(store);
  if (path.empty()) return;
  FileStamp now = winport::StampOf(path);
  if (!now.exists || now == store.stamp) return;
  ClipboardContent content;
  if (!winport::ReadClipboardFile(path, &content)) return;
  store.stamp = now;
  std::vector<Format> formats;
  for (const ClipboardEntry &entry : content.entries) {
    HGLOBAL block = BlockOf(entry.bytes.data(), entry.bytes.size());
    if (block) formats.push_back({entry.format, block});
  }
  FreeAll(store.placed);
  FreeAll(store.synthesized);
  store.placed = std::move(formats);
  store.sequence = std::max<DWORD>(store.sequence + 1, content.sequence);
}

void Persist(Store &store) {
  const std::string &path = PathOf(store);
  if (path.empty()) return;
  ClipboardContent content;
  content.sequence = store.sequence;
  for (const Format &f : store.placed) content.entries.push_back({f.format, BytesOf(f.data)});
  if (winport::WriteClipboardFile(path, content)) store.stamp = winport::StampOf(path);
}

bool OpenedHere(const Store &store) {
  return store.open && store.owner == std::this_thread::get_id();
}

// The first text format that was placed: the one the others are made from.
const Format *TextSource(const Store &store) {
  for (const Format &f : store.placed)
    if (IsText(f.format)) return &f;
  return nullptr;
}

std::vector<WCHAR> WideFrom(const Format &source) {
  std::string bytes = BytesOf(source.data);
  std::vector<WCHAR> wide;
  if (source.format == CF_UNICODETEXT) {
    wide.resize(bytes.size() / 2);
    if (!wide.empty()) std::memcpy(wide.data(), bytes.data(), wide.size() * 2);
    wide.resize(std::find(wide.begin(), wide.end(), WCHAR(0)) - wide.begin());
    return wide;
  }
  bytes.resize(std::strlen(bytes.c_str()));
  if (bytes.empty()) return wide;
  wide.resize(bytes.size());
  UINT codePage = source.format == CF_OEMTEXT ? CP_OEMCP : CP_ACP;
  int n = MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), wide.data(),
                              int(wide.size()));
  wide.resize(n > 0 ? size_t(n) : 0);
  return wide;
}

HGLOBAL Synthesize(const Format &source, UINT format) {
  std::vector<WCHAR> wide = WideFrom(source);
  if (format == CF_UNICODETEXT) {
    wide.push_back(0);
    return BlockOf(wide.data(), wide.size() * 2);
  }
  std::string narrow(wide.size() * 4 + 1, '\0');
  int n = 0;
  if (!wide.empty()) {
    UINT codePage = format == CF_OEMTEXT ? CP_OEMCP : CP_ACP;
    n = WideCharToMultiByte(codePage, 0, wide.data(), int(wide.size()), &narrow[0],
                            int(narrow.size()) - 1, nullptr, nullptr);
  }
  narrow.resize(n > 0 ? size_t(n) : 0);
  return BlockOf(narrow.c_str(), narrow.size() + 1);
}

// The formats in enumeration order: placed ones, then the ones that can be made.
std::vector<UINT> Formats(const Store &store) {
  std::vector<UINT> formats;
  for (const Format &f : store.placed) formats.push_back(f.format);
  if (TextSource(store))
    for (UINT f : {CF_TEXT, CF_OEMTEXT, CF_UNICODETEXT})
      if (std::find(formats.begin(), formats.end(), f) == formats.end()) formats.push_back(f);
  return formats;
}

}  // namespace

WINPORT_API BOOL WINAPI OpenClipboard(HWND) {
  Store &store = TheStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  if (store.open) {
    if (OpenedHere(store)) return TRUE;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  Refresh(store);
  store.open = true;
  store.owner = std::this_thread::get_id();
  store.emptied = false;
  store.changed = false;
  return TRUE;
}

WINPORT_API BOOL WINAPI CloseClipboard() {
  Store &store = TheStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  if (!OpenedHere(store)) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return FALSE;
  }
  if (store.changed) Persist(store);
  store.open = false;
  store.owner = std::thread::id();
  store.emptied = false;
  store.changed = false;
  return TRUE;
}

WINPORT_API BOOL WINAPI EmptyClipboard() {
  Store &store = TheStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  if (!OpenedHere(store)) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return FALSE;
  }
  FreeAll(store.placed);
  FreeAll(store.synthesized);
  store.emptied = true;
  store.changed = true;
  ++store.sequence;
  return TRUE;
}

WINPORT_API HANDLE WINAPI SetClipboardData(UINT format, HANDLE data) {
  Store &store = TheStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  if (!OpenedHere(store)) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return nullptr;
  }
  if (!store.emptied || !data || format == 0) {
    // Without an EmptyClipboard we do not own the clipboard; no delayed rendering.
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  auto same = [format](const Format &f) { return f.format == format; };
  auto it = std::find_if(store.placed.begin(), store.placed.end(), same);
  if (it != store.placed.end()) {
    if (it->data != data) GlobalFree(it->data);
    it->data = data;
  } else {
    store.placed.push_back({format, data});
  }
  FreeAll(store.synthesized);
  store.changed = true;
  ++store.sequence;
  return data;
}

WINPORT_API HANDLE WINAPI GetClipboardData(UINT format) {
  Store &store = TheStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  if (!OpenedHere(store)) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return nullptr;
  }
  if (HGLOBAL data = Find(store.placed, format)) return data;
  if (HGLOBAL data = Find(store.synthesized, format)) return data;
  const Format *source = IsText(format) ? TextSource(store) : nullptr;
  HGLOBAL data = source ? Synthesize(*source, format) : nullptr;
  if (data)
    store.synthesized.push_back({format, data});
  else
    SetLastError(ERROR_INVALID_PARAMETER);
  return data;
}

WINPORT_API BOOL WINAPI IsClipboardFormatAvailable(UINT format) {
  Store &store = TheStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  Refresh(store);
  std::vector<UINT> formats = Formats(store);
  return std::find(formats.begin(), formats.end(), format) != formats.end();
}

WINPORT_API UINT WINAPI EnumClipboardFormats(UINT format) {
  Store &store = TheStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  if (!OpenedHere(store)) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return 0;
  }
  std::vector<UINT> formats = Formats(store);
  auto it = format == 0 ? formats.begin() : std::find(formats.begin(), formats.end(), format);
  if (format != 0 && it != formats.end()) ++it;
  SetLastError(ERROR_SUCCESS);
  return it == formats.end() ? 0 : *it;
}

WINPORT_API int WINAPI CountClipboardFormats() {
  Store &store = TheStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  Refresh(store);
  return int(Formats(store).size());
}

WINPORT_API DWORD WINAPI GetClipboardSequenceNumber() {
  Store &store = TheStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  Refresh(store);
  return store.sequence;
}
