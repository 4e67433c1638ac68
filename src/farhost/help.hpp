// Help files (.hlf): UTF-8 text of topics, each starting with a line "@Name",
// its first line "$ #Title#"; "#" toggles bold, "~text~@Topic@" is a link.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace farhost {

struct HelpLine {
  std::string text;          // OEM
  std::vector<short> style;  // per character: 0 plain, 1 bold, 2 + n link n
};

struct HelpLink {
  std::string target;
};

struct HelpTopicText {
  std::string name;
  std::string title;  // OEM
  std::vector<HelpLine> lines;
  std::vector<HelpLink> links;
};

struct HelpFile {
  std::string path;
  std::vector<HelpTopicText> topics;
  const HelpTopicText *Find(const std::string &name) const;  // case-insensitive
};

// Parses the UTF-8 text of a help file; the texts are converted to OEM.
HelpFile ParseHelp(const std::string &utf8);
// The one .hlf file in a folder (the first by name when there are more), or "".
std::string FindHelpFile(const std::string &folder);

// The service: Flags FHELP_CUSTOMPATH = moduleName is the folder of the help
// file, else the module's own file. "<folder>Topic" names a folder itself.
BOOL WINAPI ShowHelp(const char *moduleName, const char *topic, DWORD flags);
// A topic from a dialog's help request, in the help file of the module.
void ShowHelpTopic(const char *topic);
// The module whose help file dialogs use (set with the startup record).
void SetHelpModule(const std::string &modulePath);

}  // namespace farhost
