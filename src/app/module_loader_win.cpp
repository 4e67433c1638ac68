#include "app/module_loader.hpp"
#include "app/program.hpp"

#include <windows.h>

namespace app {
namespace {

constexpr const char *kModuleName = "Pardune.kmx";

std::string LastError() {
  DWORD code = GetLastError();
  char text[512] = {};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, text, sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == '.')) --n;
  return n ? std::string(text, n) : "error " + std::to_string(code);
}

}  // namespace

std::string ProgramDirectory() {
  char path[MAX_PATH + 1] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return ".";
  std::string self(path, n);
  size_t slash = self.find_last_of("\\/");
  return slash == std::string::npos ? "." : self.substr(0, slash);
}

bool FindModule(const std::string &programDir, std::string *path, std::string *error) {
  std::string beside = programDir + "\\" + kModuleName;
  DWORD attributes = GetFileAttributesA(beside.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    *error = std::string("cannot find the module ") + kModuleName + " in " + programDir;
    return false;
  }
  char full[MAX_PATH + 1] = {};
  DWORD n = GetFullPathNameA(beside.c_str(), MAX_PATH, full, nullptr);
  *path = n > 0 && n < MAX_PATH ? std::string(full, n) : beside;
  return true;
}

bool LoadModule(const std::string &path, LoadedModule *module, std::string *error) {
  HMODULE handle = LoadLibraryA(path.c_str());
  if (!handle) {
    *error = "cannot load the module " + path + ": " + LastError();
    return false;
  }
  LoadedModule loaded;
  loaded.handle = handle;
  loaded.path = path;
  auto symbol = [handle](const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(handle, name));
  };
  loaded.Start = reinterpret_cast<PardunePluginStart>(symbol("Start"));
  loaded.GetInfo = reinterpret_cast<PardunePluginGetInfo>(symbol("GetInfo"));
  loaded.Run = reinterpret_cast<PardunePluginRun>(symbol("Run"));
  loaded.Exit = reinterpret_cast<PardunePluginExit>(symbol("Exit"));
  const std::string missing = MissingExports(loaded);
  if (!missing.empty()) {
    FreeLibrary(handle);
    *error = path + " is not a Pardune module (missing export" + missing + ")";
    return false;
  }
  *module = loaded;
  return true;
}

void UnloadModule(LoadedModule *module) {
  if (module->handle) FreeLibrary(static_cast<HMODULE>(module->handle));
  *module = LoadedModule{};
}

}  // namespace app
