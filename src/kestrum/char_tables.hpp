// pcre2's character tables (case mapping, classes, character types) made for
// an 8-bit code page, so that caseless matching, \w, \b and [[:alpha:]] know
// the code page's own letters.
#pragma once

#include <windows.h>

namespace kestrum {

enum : size_t { kCharTablesSize = 1088 };

// unicode[b] is the character that byte b stands for.
void BuildCharTables(const WCHAR unicode[256], unsigned char tables[kCharTablesSize]);
// The tables of the process's OEM code page.
void BuildOemCharTables(unsigned char tables[kCharTablesSize]);

}  // namespace kestrum
