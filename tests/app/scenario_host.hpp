// Where a tester scenario runs: `pardune --script` on Linux, and
// pardune-script.exe around the real Pardune.kmx on Windows (under wine).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The engine of this platform's Kestrum stand-in, as "#! engine:" names it.
extern const char kScenarioEngine[];
// Where the scenarios run, for messages.
extern const char kScenarioPlatform[];
// The line end of the hang log: a text-mode write on Windows gives CR LF.
extern const char kLogLineEnd[];

using Settings = std::vector<std::pair<std::string, uint32_t>>;

struct ScenarioRun {
  int status = -1;
  std::string out;  // the script's output
  std::string err;
  std::string log;  // RegExp_bug.txt beside the module, as written
};

// A fresh scratch folder, and its removal with everything in it.
std::string MakeScratchFolder();
void RemoveScratchFolder(const std::string &dir);

// Copies the program, the module with its language and help files, and the
// scenario files into `dir`; makes `settings` the only values of the
// module's registry key; runs `script` with `args` in `dir`.
ScenarioRun RunScenarioIn(const std::string &dir, const std::string &script,
                          const Settings &settings, const std::string &args);
