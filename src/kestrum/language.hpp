// Kestrum's language data: `key=text` files beside a module, UTF-8 on disk,
// held in the OEM code page once loaded.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace kestrum {

enum { kMaxLanguageLine = 4096, kMaxLanguageFile = 4 << 20 };

struct LanguageProblem {
  int line;            // 1-based; 0 for the file as a whole
  std::string reason;  // what was wrong; the line was skipped unless it says kept
};

struct LanguageData {
  std::string file;                          // the file the texts came from; empty if none
  std::map<std::string, std::string> texts;  // key to text
  std::vector<LanguageProblem> problems;
};

// Parses the contents of a language file. Lines are `key=text`; blank lines
// and lines that start with # are skipped; the text may be quoted to keep
// spaces at its ends. Texts stay in UTF-8.
// Escapes: \n \t \r \b \a \f \v \e \\ \" \' \xH[H]; \0, \x00 dropped; others kept.
LanguageData ParseLanguage(const std::string &contents);

// Reads and parses a file and converts its texts to the OEM code page
// (malformed UTF-8 and what the code page lacks become '?').
// False when the file can't be read or is too large.
bool LoadLanguageFile(const std::string &path, LanguageData &data);

// The language file for a module: <stem>.lng, or <stem>.<lang>.lng for a
// language other than English. An empty or unusable lang means English.
std::string LanguageFilePath(const std::string &modulePath, const std::string &lang);

}  // namespace kestrum
