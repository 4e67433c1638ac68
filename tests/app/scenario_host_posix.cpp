// Linux: pardune reads its settings from a REGEDIT4 file that winport keeps.
#include <gtest/gtest.h>

#include <cstdio>

#include "run_program.hpp"
#include "scenario_host.hpp"

const char kScenarioEngine[] = "pcre2";
const char kScenarioPlatform[] = "Linux";
const char kLogLineEnd[] = "\n";

namespace {

std::string RegistryFile(const Settings &settings) {
  std::string file = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Far\\Plugins\\Pardune]\n";
  for (const auto &[name, value] : settings) {
    char hex[16];
    snprintf(hex, sizeof hex, "%08lx", static_cast<unsigned long>(value));
    file += "\"" + name + "\"=dword:" + hex + "\n";
  }
  return file;
}

}  // namespace

std::string MakeScratchFolder() {
  return MakeTempDir();
}

void RemoveScratchFolder(const std::string &dir) {
  RemoveTree(dir);
}

ScenarioRun RunScenarioIn(const std::string &dir, const std::string &script,
                          const Settings &settings, const std::string &args) {
  const std::string bin = PARDUNE_BIN_DIR;
  for (const char *file : {"pardune", "libwinport.so", "Pardune.kmx", "Pardune.lng", "Pardune.hlf"})
    EXPECT_TRUE(CopyFile(bin + "/" + file, dir + "/" + file)) << file;
  RunProgram("/bin/sh", {"-c", "cp '" SCENARIO_DIR "'/files/* '" + dir + "'"});
  WriteFile(dir + "/s.scn", script);
  WriteFile(dir + "/r.reg", RegistryFile(settings));
  ProgramResult r = RunProgram(
      "/bin/sh",
      {"-c", "cd '" + dir + "' && LC_ALL=C.UTF-8 XDG_RUNTIME_DIR=. PARDUNE_REGISTRY=r.reg " +
                 "./pardune --script s.scn " + args});
  ScenarioRun run;
  run.status = r.status;
  run.out = r.out;
  run.err = r.err;
  run.log = ReadFile(dir + "/RegExp_bug.txt");
  return run;
}
