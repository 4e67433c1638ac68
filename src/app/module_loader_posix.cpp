#include "app/module_loader.hpp"
#include "app/program.hpp"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace app {
namespace {

constexpr const char *kModuleName = "Pardune.kmx";

bool IsRegularFile(const std::string &path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string ProgramDirectory() {
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return ".";
  std::string path(buffer, size_t(n));
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool FindModule(const std::string &programDir, std::string *path, std::string *error) {
  std::string beside = programDir + "/" + kModuleName;
  std::string installed = programDir + "/../lib/pardune/" + kModuleName;
  for (const std::string &candidate : {beside, installed}) {
    if (IsRegularFile(candidate)) {
      char real[PATH_MAX];
      *path = realpath(candidate.c_str(), real) ? std::string(real) : candidate;
      return true;
    }
  }
  *error = std::string("cannot find the module ") + kModuleName + " in " + programDir + " or " +
           programDir + "/../lib/pardune";
  return false;
}

bool LoadModule(const std::string &path, LoadedModule *module, std::string *error) {
  dlerror();
  void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char *why = dlerror();
    *error = "cannot load the module " + path + ": " + (why ? why : "unknown reason");
    return false;
  }
  LoadedModule loaded;
  loaded.handle = handle;
  loaded.path = path;
  loaded.Start = reinterpret_cast<PardunePluginStart>(dlsym(handle, "Start"));
  loaded.GetInfo = reinterpret_cast<PardunePluginGetInfo>(dlsym(handle, "GetInfo"));
  loaded.Run = reinterpret_cast<PardunePluginRun>(dlsym(handle, "Run"));
  loaded.Exit = reinterpret_cast<PardunePluginExit>(dlsym(handle, "Exit"));
  const std::string missing = MissingExports(loaded);
  if (!missing.empty()) {
    dlclose(handle);
    *error = path + " is not a Pardune module (missing export" + missing + ")";
    return false;
  }
  *module = loaded;
  return true;
}

void UnloadModule(LoadedModule *module) {
  if (module->handle) dlclose(module->handle);
  *module = LoadedModule{};
}

}  // namespace app
