// The steps that pardune and pardune-script.exe take alike: checking the
// command line's files, reading the script, loading the module with its
// language, and running it the way the host plug-in does.
#pragma once

#include <string>
#include <vector>

#include "app/module_loader.hpp"
#include "app/options.hpp"
#include "app/script.hpp"
#include "farhost/host_editor.hpp"

namespace app {

constexpr int kBadInput = 2;
constexpr int kFailed = 3;

// Prints "pardune: MESSAGE" on stderr and gives kBadInput.
int Fail(const std::string &message);
// A failure of the program itself, such as running out of memory: prints
// "pardune: WHAT" on stderr (once the terminal is restored) and gives kFailed.
int Failed(const char *what);

// --help and --version: prints the text and gives true when one was asked for.
bool ShowUsageOrVersion(const Options &options);

// The names of the four exports that `module` lacks, each after a blank.
std::string MissingExports(const LoadedModule &module);

// FILE must be a readable regular file.
bool CheckFile(const std::string &path, std::string *error);

// Reads and parses the script named by --script.
bool LoadScript(const Options &options, std::vector<ScriptCommand> *commands, std::string *error);

// The editor's cursor and block from --cursor and --block.
bool ParseEditorOptions(const Options &options, farhost::HostEditorOptions *editor,
                        std::string *error);

// Finds and loads Pardune.kmx beside the program, checks the language (from
// --lang or $PARDUNE_LANG) and hands it to Kestrum; its file's faults are
// named on stderr. On failure nothing stays loaded.
bool OpenModule(const Options &options, LoadedModule *module, std::string *error);

// Opens FILE, when there is one, as the current editor of a screen of
// columns x rows (less its title and key bar lines).
bool OpenEditor(const Options &options, farhost::HostEditorOptions editor, int columns, int rows,
                std::string *error);

// Start, GetInfo, Run and Exit with the file manager's record and Kestrum's
// table, as the host plug-in calls them: the result of Run.
int RunModule(const LoadedModule &module);

}  // namespace app
