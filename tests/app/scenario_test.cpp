// The tester scenarios (tests/scenarios): each script runs from a scratch
// copy of the program, and what it prints is compared with its golden
// output. The goldens are shared: Linux and Windows print the same, except
// for scenarios that name the engine whose syntax they depend on.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "scenario_host.hpp"

namespace {

const std::string kScenarios = SCENARIO_DIR;
const char *const kEngines[] = {"pcre2", "stdregex"};

std::string ReadText(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> AllScenarioNames() {
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
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("#! " + key + ":", 0) == 0) {
      std::string value = line.substr(key.size() + 4);
      size_t start = value.find_first_not_of(' ');
      return start == std::string::npos ? "" : value.substr(start);
    }
  }
  return "";
}

std::string ScenarioScript(const std::string &name) {
  return ReadText(kScenarios + "/" + name + ".scn");
}

// The scenarios that run here: those without an engine line, and those
// that name this platform's engine.
std::vector<std::string> ScenarioNames() {
  std::vector<std::string> names;
  for (const std::string &name : AllScenarioNames()) {
    std::string engine = Header(ScenarioScript(name), "engine");
    if (engine.empty() || engine == kScenarioEngine) names.push_back(name);
  }
  return names;
}

Settings ParseSettings(const std::string &text) {
  Settings settings;
  std::istringstream in(text);
  for (std::string pair; in >> pair;) {
    size_t eq = pair.find('=');
    settings.emplace_back(pair.substr(0, eq),
                          uint32_t(std::strtoul(pair.c_str() + eq + 1, nullptr, 0)));
  }
  return settings;
}

std::string Replaced(std::string text, const std::string &from, const std::string &to) {
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
  return text;
}

// The hang log with the golden's line ends (LF): every line written must end
// with this platform's line end, which then becomes LF.
std::string LogAsGolden(const std::string &log) {
  const std::string end = kLogLineEnd;
  std::string lines;
  size_t start = 0;
  for (int line = 1; start < log.size(); ++line) {
    const size_t lf = log.find('\n', start);
    const bool ended = lf != std::string::npos && lf + 1 >= start + end.size() &&
                       log.compare(lf + 1 - end.size(), end.size(), end) == 0;
    if (!ended) {
      ADD_FAILURE() << "RegExp_bug.txt: line " << line << " does not end with "
                    << (end == "\n" ? "LF" : "CR LF");
      return log;
    }
    lines += log.substr(start, lf + 1 - end.size() - start) + "\n";
    start = lf + 1;
  }
  return lines;
}

// What the scenario prints, with the program's complaints, status and log.
std::string RunScenario(const std::string &name, const std::string &dir) {
  const std::string script = ScenarioScript(name);
  ScenarioRun r =
      RunScenarioIn(dir, script, ParseSettings(Header(script, "settings")), Header(script, "args"));
  std::string out = r.out;
  if (!r.err.empty()) out += "--- stderr ---\n" + Replaced(r.err, dir, "$DIR");
  if (r.status != 0) out += "--- exit " + std::to_string(r.status) + " ---\n";
  if (!r.log.empty()) out += "--- RegExp_bug.txt ---\n" + LogAsGolden(r.log);
  return out;
}

class Scenario : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    dir_ = MakeScratchFolder();
    ASSERT_FALSE(dir_.empty());
  }
  void TearDown() override { RemoveScratchFolder(dir_); }
  std::string dir_;
};

TEST_P(Scenario, PrintsItsGolden) {
  const std::string name = GetParam();
  const std::string actual = RunScenario(name, dir_);
  const std::string goldenPath = kScenarios + "/golden/" + name + ".out";
  const char *update = std::getenv("PARDUNE_UPDATE_GOLDEN");
  if (update && *update == '1') {
    std::ofstream(goldenPath, std::ios::binary) << actual;
    return;
  }
  const std::string expected = ReadText(goldenPath);
  ASSERT_FALSE(expected.empty()) << "no golden " << goldenPath;
  if (expected == actual) return;
  std::istringstream e(expected), a(actual);
  std::string eLine, aLine;
  for (int row = 1;; ++row) {
    bool eMore = bool(std::getline(e, eLine)), aMore = bool(std::getline(a, aLine));
    if (!eMore && !aMore) break;
    if (eLine != aLine || eMore != aMore) {
      ADD_FAILURE() << name << " on " << kScenarioPlatform << ": output line " << row
                    << " differs\nexpected: " << eLine << "\nactual:   " << aLine;
      break;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Tester, Scenario, testing::ValuesIn(ScenarioNames()),
                         [](const testing::TestParamInfo<std::string> &info) {
                           return Replaced(info.param, "-", "_");
                         });

// A scenario that names no known engine would never run anywhere, and one
// without a golden cannot pass.
TEST(ScenarioList, EachScenarioHasAGoldenAndAKnownEngine) {
  const std::vector<std::string> names = AllScenarioNames();
  ASSERT_FALSE(names.empty()) << kScenarios;
  for (const std::string &name : names) {
    std::string engine = Header(ScenarioScript(name), "engine");
    EXPECT_TRUE(engine.empty() ||
                std::find(std::begin(kEngines), std::end(kEngines), engine) != std::end(kEngines))
        << name << ": unknown engine '" << engine << "'";
    EXPECT_FALSE(ReadText(kScenarios + "/golden/" + name + ".out").empty()) << name;
  }
}

}  // namespace
