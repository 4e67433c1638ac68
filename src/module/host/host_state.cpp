// The exported entry points and the process-wide host state.
#include "host/host_state.hpp"

#include <cstddef>
#include <cstring>
#include <new>

#include "host/host_services.hpp"
#include "host/messages.hpp"
#include "host/text.hpp"
#include "settings/settings.hpp"
#include "tester/tester.hpp"

HostState Host;

namespace {

enum {
  kKeyPathSize = 1025,
  kKeyPathBound = 1024,
  kDirectorySize = 262,
  kFileNameSize = 261,
  kMinStructSize = 362,
  kMinMajor = 1,
  kMinMinor = 70,
  kMinBuild = 1282,
  kInfoFlags = 4,
};

#ifdef _WIN32
const char kPathSeparator = '\\';
#else
const char kPathSeparator = '/';
#endif

bool VersionAccepted() {
  const PluginStartupInfo *info = Host.HostInfo;
  if (info->StructSize < kMinStructSize) return false;
  DWORD version = 0;
  if (!HostVersion(&version)) return false;
  const int minor = static_cast<int>(version & 0xFF);
  const int major = static_cast<int>((version >> 8) & 0xFF);
  const int build = static_cast<int>(version >> 16);
  if (major < kMinMajor || minor < kMinMinor || build < kMinBuild) return false;
  // The tester needs the dialog services; a record too short to hold them
  // (362 or 363 bytes end before DefDlgProc) is refused like an old host.
  return HostHasDialogs();
}

// How many bytes of our PluginStartupInfo a record of structSize bytes
// holds. The size counts the published layout (4-byte entries after a
// 272-byte head), so a short record is never read past its end, and on a
// wider platform the same size reaches the same fields.
size_t RecordBytes(int structSize) {
  const int kPublishedHead = 272, kPublishedSize = 372, kEntryBytes = 4;
  if (structSize <= 0) return 0;
  if (structSize >= kPublishedSize) return sizeof(PluginStartupInfo);
  if (structSize < kPublishedHead) {
    size_t head = offsetof(PluginStartupInfo, RootKey);
    return static_cast<size_t>(structSize) < head ? static_cast<size_t>(structSize) : head;
  }
  const size_t entries = static_cast<size_t>((structSize - kPublishedHead) / kEntryBytes);
  return offsetof(PluginStartupInfo, Menu) + entries * sizeof(void *);
}

void ReleaseHostState() {
  delete Host.HostInfo;
  Host.HostInfo = nullptr;
  delete Host.EngineTable;
  Host.EngineTable = nullptr;
  delete[] Host.SettingsKeyPath;
  Host.SettingsKeyPath = nullptr;
  delete[] Host.ModuleDirectory;
  Host.ModuleDirectory = nullptr;
  Host.SubPlugin = SubPluginRecord{};
}

}  // namespace

void CutToDirectory(char *path) {
  if (!path) return;
  char *separator = std::strrchr(path, kPathSeparator);
  if (separator) *separator = '\0';
}

BOOL ModuleEntry(HINSTANCE instance, DWORD reason) {
  Host.InstanceHandle = instance;
  if (reason == DLL_PROCESS_DETACH) {
    ReleaseHostState();
    Host.InstanceHandle = nullptr;
  }
  return TRUE;
}

extern "C" {

void WINAPI Start(const PluginStartupInfo *info, const ::EngineTable *table) {
  if (Host.HostInfo) return;  // started once per load

  // Out of memory: no exception reaches the host and nothing half-built
  // stays behind; the module acts as not started.
  Host.HostInfo = new (std::nothrow) PluginStartupInfo();
  if (!Host.HostInfo) return;
  // A record shorter than ours is copied only as far as it goes; the rest
  // stays zero.
  if (info) std::memcpy(Host.HostInfo, info, RecordBytes(info->StructSize));

  Host.SettingsKeyPath = new (std::nothrow) char[kKeyPathSize]();
  if (!Host.SettingsKeyPath) return ReleaseHostState();
  CopyText(Host.SettingsKeyPath, Host.HostInfo->RootKey, kKeyPathBound);
  AppendText(Host.SettingsKeyPath, "\\", kKeyPathBound);
  AppendText(Host.SettingsKeyPath, "Pardune", kKeyPathBound);

  Host.ModuleDirectory = new (std::nothrow) char[kDirectorySize]();
  if (!Host.ModuleDirectory) return ReleaseHostState();
  DWORD length = GetModuleFileNameA(Host.InstanceHandle, Host.ModuleDirectory, kFileNameSize);
  if (length > kFileNameSize) length = kFileNameSize;
  Host.ModuleDirectory[length] = '\0';
  CutToDirectory(Host.ModuleDirectory);

  Host.EngineTable = new (std::nothrow)::EngineTable();
  if (!Host.EngineTable) return ReleaseHostState();
  if (table) std::memcpy(Host.EngineTable, table, sizeof(::EngineTable));

  if (Host.EngineTable->Register)
    Host.EngineTable->Register(Host.HostInfo->ModuleName, &Host.SubPlugin);

  LoadSettings();
}

void WINAPI GetInfo(SubPluginInfo *info) {
  if (!info) return;
  info->StructSize = sizeof(SubPluginInfo);
  info->Flags = kInfoFlags;
  CopyText(info->Name, MessageText(kModuleNameMessage), sizeof info->Name);
}

int WINAPI Run(int, int, int) {
  if (!Host.HostInfo) return 0;
  if (!VersionAccepted()) {
    Warn(kOldHostMessage);
    return 0;
  }
  return RunTester();
}

void WINAPI Exit() {
  delete Host.EngineTable;
  Host.EngineTable = nullptr;
}

}  // extern "C"
