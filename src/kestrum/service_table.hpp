// The stand-in's service table, as Kestrum hands it to a module's Start.
#pragma once

#include <string>
#include <vector>

#include "kestrum/kestrum.hpp"

// The process-wide table: slots 2 (Register) and 3 (LookupMessage), and the
// engine's slots 19 to 23.
EngineTable *KestrumServiceTable();

// The language for modules registered from now on: "en" or empty for
// English, else the suffix of the language file. nullptr goes back to
// $PARDUNE_LANG, which is English when unset.
void KestrumSetLanguage(const char *lang);

// What Register kept in a record: the module's path, and the language file
// it loaded (empty when none could be read).
std::string KestrumRecordModule(const SubPluginRecord &record);
std::string KestrumRecordLanguageFile(const SubPluginRecord &record);
// What was wrong in that language file, one "file:line: reason" each.
std::vector<std::string> KestrumRecordLanguageProblems(const SubPluginRecord &record);
