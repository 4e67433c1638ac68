// Finds Pardune.kmx, loads it and resolves its four exports.
#pragma once

#include <kestrum/kestrum.hpp>

#include <string>

namespace app {

struct LoadedModule {
  void *handle = nullptr;
  std::string path;
  PardunePluginStart Start = nullptr;
  PardunePluginGetInfo GetInfo = nullptr;
  PardunePluginRun Run = nullptr;
  PardunePluginExit Exit = nullptr;
};

// The directory of the running program (no trailing slash).
std::string ProgramDirectory();

// Pardune.kmx beside the program, else (Linux) in ../lib/pardune.
bool FindModule(const std::string &programDir, std::string *path, std::string *error);

// Loads the module; false, nothing loaded and a reason when it is not a module.
bool LoadModule(const std::string &path, LoadedModule *module, std::string *error);
void UnloadModule(LoadedModule *module);

// Unloads the module it is given when it goes out of scope, on every path out.
class ModuleOwner {
 public:
  explicit ModuleOwner(LoadedModule *module) : module_(module) {}
  ~ModuleOwner() { UnloadModule(module_); }
  ModuleOwner(const ModuleOwner &) = delete;
  ModuleOwner &operator=(const ModuleOwner &) = delete;

 private:
  LoadedModule *module_;
};

}  // namespace app
