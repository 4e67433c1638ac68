// The host state the settings store and the template expansion read, set up
// by hand: the settings key path and a service table whose LookupMessage
// knows a few texts and gives any other key back as itself.
#pragma once

#include <windows.h>

#include <cstring>
#include <map>
#include <string>

#include "host/host_state.hpp"
#include "kestrum/kestrum.hpp"

class ModuleState {
 public:
  explicit ModuleState(const std::string &keyPath) {
    std::memset(&table_, 0, sizeof table_);
    table_.LookupMessage = &ModuleState::Lookup;
    std::strncpy(keyPath_, keyPath.c_str(), sizeof keyPath_ - 1);
    Host.SettingsKeyPath = keyPath_;
    Host.EngineTable = &table_;
    Texts().clear();
  }
  ~ModuleState() {
    Host.SettingsKeyPath = nullptr;
    Host.EngineTable = nullptr;
    Texts().clear();
  }
  ModuleState(const ModuleState &) = delete;
  ModuleState &operator=(const ModuleState &) = delete;

  void SetText(int id, const std::string &text) { Texts()[std::to_string(id)] = text; }

 private:
  static std::map<std::string, std::string> &Texts() {
    static std::map<std::string, std::string> texts;
    return texts;
  }
  static const char *WINAPI Lookup(SubPluginRecord *, const char *key, int, int) {
    auto found = Texts().find(key);
    return found == Texts().end() ? key : found->second.c_str();
  }

  EngineTable table_;
  char keyPath_[1025] = {};
};
