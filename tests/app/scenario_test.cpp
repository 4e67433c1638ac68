// The tester scenarios (tests/scenarios): each script runs in pardune from a
// scratch copy of the program, and what it prints is compared with its
// golden output.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "run_program.hpp"

namespace {

const std::string kBin = PARDUNE_BIN_DIR;
const std::string kScenarios = SCENARIO_DIR;

std::vector<std::string> ScenarioNames() {
  std::vector<std::string> names;
  if (DIR *dir = opendir(kScenarios.c_str())) {
    while (dirent *entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".scn") == 0)
        names.push_back(name.substr(0, name.size() - 4));
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The value of a "#! key: value" header line, or "".
std::string Header(const std::string &script, const std::string &key) {
  std::istringstream in(script);
  for (std::string line; std::getline(in, line);)
    if (line.rfind("#! " + key + ":", 0) == 0) return line.substr(key.size() + 4);
  return "";
}

std::string RegistryFile(const std::string &settings) {
  std::string file = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Far\\Plugins\\Pardune]\n";
  std::istringstream in(settings);
  for (std::string pair; in >> pair;) {
    size_t eq = pair.find('=');
    char value[16];
    snprintf(value, sizeof value, "%08lx", std::strtoul(pair.c_str() + eq + 1, nullptr, 0));
    file += "\"" + pair.substr(0, eq) + "\"=dword:" + value + "\n";
  }
  return file;
}

std::string Replaced(std::string text, const std::string &from, const std::string &to) {
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
  return text;
}

// What the scenario prints, with the program's complaints, status and log.
std::string RunScenario(const std::string &name, const std::string &dir) {
  const std::string script = ReadFile(kScenarios + "/" + name + ".scn");
  for (const char *file : {"pardune", "libwinport.so", "Pardune.kmx", "Pardune.lng", "Pardune.hlf"})
    EXPECT_TRUE(CopyFile(kBin + "/" + file, dir + "/" + file)) << file;
  RunProgram("/bin/sh", {"-c", "cp '" + kScenarios + "'/files/* '" + dir + "'"});
  WriteFile(dir + "/s.scn", script);
  WriteFile(dir + "/r.reg", RegistryFile(Header(script, "settings")));
  ProgramResult r =
      RunProgram("/bin/sh", {"-c", "cd '" + dir + "' && XDG_RUNTIME_DIR=. PARDUNE_REGISTRY=r.reg " +
                                       "./pardune --script s.scn " + Header(script, "args")});
  std::string out = r.out;
  if (!r.err.empty()) out += "--- stderr ---\n" + Replaced(r.err, dir, "$DIR");
  if (r.status != 0) out += "--- exit " + std::to_string(r.status) + " ---\n";
  std::string log = ReadFile(dir + "/RegExp_bug.txt");
  if (!log.empty()) out += "--- RegExp_bug.txt ---\n" + log;
  return out;
}

class Scenario : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override { dir_ = MakeTempDir(); }
  void TearDown() override { RemoveTree(dir_); }
  std::string dir_;
};

TEST_P(Scenario, PrintsItsGolden) {
  const std::string name = GetParam();
  const std::string actual = RunScenario(name, dir_);
  const std::string goldenPath = kScenarios + "/golden/" + name + ".out";
  const char *update = std::getenv("PARDUNE_UPDATE_GOLDEN");
  if (update && *update == '1') {
    WriteFile(goldenPath, actual);
    return;
  }
  const std::string expected = ReadFile(goldenPath);
  ASSERT_FALSE(expected.empty()) << "no golden " << goldenPath;
  if (expected == actual) return;
  std::istringstream e(expected), a(actual);
  std::string eLine, aLine;
  for (int row = 1;; ++row) {
    bool eMore = bool(std::getline(e, eLine)), aMore = bool(std::getline(a, aLine));
    if (!eMore && !aMore) break;
    if (eLine != aLine || eMore != aMore) {
      ADD_FAILURE() << name << ": output line " << row << " differs\nexpected: " << eLine
                    << "\nactual:   " << aLine;
      break;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Tester, Scenario, testing::ValuesIn(ScenarioNames()),
                         [](const testing::TestParamInfo<std::string> &info) {
                           return Replaced(info.param, "-", "_");
                         });

}  // namespace
