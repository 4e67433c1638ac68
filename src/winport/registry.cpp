// Registry calls over the registry file. A handle carries the key's path and
// the access it was opened with, and every call looks the key up again, so a
// change made by another program is seen at once.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "regstore.hpp"

using winport::RegDocument;
using winport::RegKey;
using winport::RegLine;
using winport::RegValue;

namespace {

struct KeyHandle {
  std::string path;
  REGSAM access = 0;
};

// Closed handles are kept for the next key opened.
struct HandlePool {
  std::vector<KeyHandle *> open;  // a few at a time
  std::vector<KeyHandle *> closed;
  ~HandlePool() {
    for (KeyHandle *handle : closed) delete handle;
  }
};

std::mutex handleLock;
HandlePool pool;

bool IsOpen(KeyHandle *handle) {
  return std::find(pool.open.begin(), pool.open.end(), handle) != pool.open.end();
}

const char *HiveName(HKEY key) {
  if (key == HKEY_CLASSES_ROOT) return "HKEY_CLASSES_ROOT";
  if (key == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
  if (key == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
  if (key == reinterpret_cast<HKEY>(ULONG_PTR(0x80000003u))) return "HKEY_USERS";
  if (key == reinterpret_cast<HKEY>(ULONG_PTR(0x80000005u))) return "HKEY_CURRENT_CONFIG";
  return nullptr;
}

// The path and access behind a handle; false for a handle that is not open.
bool Resolve(HKEY key, std::string &path, REGSAM &access, bool &hive) {
  if (const char *name = HiveName(key)) {
    path = name;
    access = KEY_ALL_ACCESS;
    hive = true;
    return true;
  }
  std::lock_guard<std::mutex> guard(handleLock);
  auto *handle = reinterpret_cast<KeyHandle *>(key);
  if (!IsOpen(handle)) return false;
  path = handle->path;
  access = handle->access;
  hive = false;
  return true;
}

// path + "\" + subKey with empty components dropped; false for names that the
// file could not hold.
bool JoinPath(const std::string &base, const char *subKey, std::string &out) {
  out = base;
  if (!subKey) return true;
  for (const char *p = subKey; *p; ++p)
    if (*p == '\r' || *p == '\n') return false;
  const char *at = subKey;
  while (*at) {
    const char *end = std::strchr(at, '\\');
    if (!end) end = at + std::strlen(at);
    if (end > at) {
      out += '\\';
      out.append(at, size_t(end - at));
    }
    at = *end ? end + 1 : end;
  }
  return true;
}

HKEY NewHandle(const std::string &path, REGSAM access) {
  std::lock_guard<std::mutex> guard(handleLock);
  KeyHandle *handle;
  if (pool.closed.empty()) {
    handle = new KeyHandle;
  } else {
    handle = pool.closed.back();
    pool.closed.pop_back();
  }
  handle->path = path;
  handle->access = (access & MAXIMUM_ALLOWED) ? KEY_ALL_ACCESS : access;
  pool.open.push_back(handle);
  return reinterpret_cast<HKEY>(handle);
}

bool KeyAlive(const RegDocument &doc, const std::string &path, bool hive) {
  return hive || doc.KeyExists(path);
}

// A section for the key, created when it exists only as a parent.
RegKey &SectionOf(RegDocument &doc, const std::string &path) {
  if (RegKey *key = doc.FindKey(path)) return *key;
  return doc.InsertKey(path);
}

// True when the file holds the value as it is: setting it again changes
// nothing, and saving the options unchanged writes nothing.
bool Holds(const std::string &path, const RegValue &value) {
  auto doc = winport::CurrentRegistry();
  const RegKey *section = doc->FindKey(path);
  const RegLine *line = section ? winport::FindValue(*section, value.name) : nullptr;
  return line && line->value.type == value.type && line->value.data == value.data;
}

}  // namespace

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  // Settings are read a value at a time, each through a key opened for it:
  // the paths reuse the room of the call before.
  thread_local std::string base, path;
  REGSAM baseAccess;
  bool hive;
  if (!Resolve(key, base, baseAccess, hive)) return ERROR_INVALID_HANDLE;
  if (!JoinPath(base, subKey, path)) return ERROR_INVALID_PARAMETER;
  if (path == base && hive) {
    *result = key;
    return ERROR_SUCCESS;
  }
  auto doc = winport::CurrentRegistry();
  if (!doc->KeyExists(path)) {
    return path == base && !hive ? ERROR_KEY_DELETED : ERROR_FILE_NOT_FOUND;
  }
  *result = NewHandle(path, access);
  return ERROR_SUCCESS;
}

LONG WINAPI RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result) {
  return RegOpenKeyExA(key, subKey, 0, MAXIMUM_ALLOWED, result);
}

LONG WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM access,
                            LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::string base, path;
  REGSAM baseAccess;
  bool hive;
  if (!Resolve(key, base, baseAccess, hive)) return ERROR_INVALID_HANDLE;
  if (!JoinPath(base, subKey, path)) return ERROR_INVALID_PARAMETER;

  bool created = false;
  auto now = winport::CurrentRegistry();
  if (!(hive && path == base) && !now->KeyExists(path)) {
    if (!KeyAlive(*now, base, hive)) return ERROR_KEY_DELETED;
    if (!(baseAccess & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
    LONG rc = winport::ChangeRegistry([&](RegDocument &doc, bool &changed) -> LONG {
      if (!KeyAlive(doc, base, hive)) return ERROR_KEY_DELETED;
      if (doc.KeyExists(path)) return ERROR_SUCCESS;  // created meanwhile
      // Each missing level gets a section, as regedit exports them.
      for (size_t at = base.size(); at != std::string::npos;) {
        at = path.find('\\', at + 1);
        std::string level = path.substr(0, at);
        if (!doc.KeyExists(level)) doc.InsertKey(level);
      }
      created = changed = true;
      return ERROR_SUCCESS;
    });
    if (rc != ERROR_SUCCESS) return rc;
  }
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  if (hive && path == base) {
    *result = key;
    return ERROR_SUCCESS;
  }
  *result = NewHandle(path, access);
  return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize) {
  if (reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
  thread_local std::string path;
  REGSAM access;
  bool hive;
  if (!Resolve(key, path, access, hive)) return ERROR_INVALID_HANDLE;
  if (!(access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  auto doc = winport::CurrentRegistry();
  if (!KeyAlive(*doc, path, hive)) return ERROR_KEY_DELETED;
  const RegKey *section = doc->FindKey(path);
  const RegLine *line =
      section ? winport::FindValue(*section, valueName ? valueName : "") : nullptr;
  if (!line) return ERROR_FILE_NOT_FOUND;

  const RegValue &value = line->value;
  DWORD size = DWORD(value.data.size());
  if (type) *type = value.type;
  if (data) {
    if (*dataSize < size) {
      *dataSize = size;
      return ERROR_MORE_DATA;
    }
    if (size) std::memcpy(data, value.data.data(), size);
  }
  if (dataSize) *dataSize = size;
  return ERROR_SUCCESS;
}

LONG WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE *data,
                           DWORD dataSize) {
  std::string path;
  REGSAM access;
  bool hive;
  if (!Resolve(key, path, access, hive)) return ERROR_INVALID_HANDLE;
  if (!(access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  if (!data && dataSize) return ERROR_INVALID_PARAMETER;
  RegValue value;
  value.name = valueName ? valueName : "";
  if (value.name.find_first_of("\r\n") != std::string::npos) return ERROR_INVALID_PARAMETER;
  value.type = type;
  if (dataSize) value.data.assign(data, data + dataSize);
  if (Holds(path, value)) return ERROR_SUCCESS;
  return winport::ChangeRegistry([&](RegDocument &doc, bool &changed) -> LONG {
    if (!KeyAlive(doc, path, hive)) return ERROR_KEY_DELETED;
    changed = winport::SetValue(SectionOf(doc, path), value);
    return ERROR_SUCCESS;
  });
}

LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR valueName) {
  std::string path;
  REGSAM access;
  bool hive;
  if (!Resolve(key, path, access, hive)) return ERROR_INVALID_HANDLE;
  if (!(access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  std::string name = valueName ? valueName : "";
  return winport::ChangeRegistry([&](RegDocument &doc, bool &changed) -> LONG {
    if (!KeyAlive(doc, path, hive)) return ERROR_KEY_DELETED;
    RegKey *section = doc.FindKey(path);
    if (!section || !winport::RemoveValue(*section, name)) return ERROR_FILE_NOT_FOUND;
    changed = true;
    return ERROR_SUCCESS;
  });
}

LONG WINAPI RegDeleteKeyA(HKEY key, LPCSTR subKey) {
  std::string base, path;
  REGSAM access;
  bool hive;
  if (!Resolve(key, base, access, hive)) return ERROR_INVALID_HANDLE;
  if (!subKey) return ERROR_INVALID_PARAMETER;
  if (!JoinPath(base, subKey, path)) return ERROR_INVALID_PARAMETER;
  if (hive && path == base) return ERROR_ACCESS_DENIED;
  return winport::ChangeRegistry([&](RegDocument &doc, bool &changed) -> LONG {
    if (!doc.KeyExists(path)) return path == base ? ERROR_KEY_DELETED : ERROR_FILE_NOT_FOUND;
    if (doc.HasSubKeys(path)) return ERROR_ACCESS_DENIED;
    // The parent must not vanish with its last child.
    std::string parent = path.substr(0, path.rfind('\\'));
    if (parent.find('\\') != std::string::npos) SectionOf(doc, parent);
    doc.RemoveKey(path);
    changed = true;
    return ERROR_SUCCESS;
  });
}

LONG WINAPI RegCloseKey(HKEY key) {
  if (HiveName(key)) return ERROR_SUCCESS;
  auto *handle = reinterpret_cast<KeyHandle *>(key);
  std::lock_guard<std::mutex> guard(handleLock);
  auto open = std::find(pool.open.begin(), pool.open.end(), handle);
  if (open == pool.open.end()) return ERROR_INVALID_HANDLE;
  *open = pool.open.back();
  pool.open.pop_back();
  pool.closed.push_back(handle);
  return ERROR_SUCCESS;
}
