// The module's four entry points as one test program reaches them: linked in,
// or from the built Pardune.kmx.
#pragma once

#include "kestrum/kestrum.hpp"

struct ModuleApi {
  PardunePluginStart start = nullptr;
  PardunePluginGetInfo getInfo = nullptr;
  PardunePluginRun run = nullptr;
  PardunePluginExit exit = nullptr;
  // Brings the module back to the state just after loading.
  void (*reload)() = nullptr;
};

// Defined by each test program.
ModuleApi &TheModule();
