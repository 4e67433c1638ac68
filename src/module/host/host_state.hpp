// The process-wide host state that Start builds and process detach releases.
#pragma once

#include "far170/plugin.hpp"
#include "kestrum/kestrum.hpp"

struct HostState {
  HINSTANCE InstanceHandle = nullptr;
  PluginStartupInfo *HostInfo = nullptr;  // owned copy of the startup record
  ::EngineTable *EngineTable = nullptr;   // owned copy of the service table
  SubPluginRecord SubPlugin = {};         // filled by Kestrum's Register
  char *SettingsKeyPath = nullptr;        // 1025-byte buffer
  char *ModuleDirectory = nullptr;        // 262-byte buffer
};

extern HostState Host;

// The module entry: process attach/detach, thread attach/detach.
BOOL ModuleEntry(HINSTANCE instance, DWORD reason);

// The directory part of a module path: cut at the platform's last path
// separator; a name without one stays whole.
void CutToDirectory(char *path);

// The plug-in exports: by the .def file on Windows, by visibility elsewhere.
#ifdef _WIN32
#define PARDUNE_EXPORT
#else
#define PARDUNE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
PARDUNE_EXPORT void WINAPI Start(const PluginStartupInfo *info, const ::EngineTable *table);
PARDUNE_EXPORT void WINAPI GetInfo(SubPluginInfo *info);
PARDUNE_EXPORT int WINAPI Run(int a, int b, int c);
PARDUNE_EXPORT void WINAPI Exit();
}
