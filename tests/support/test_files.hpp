// Files that lie beside the test programs (the module, its language file).
#pragma once

#include <string>

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// The full path of `name` in the folder of the running test program.
std::string BesideTestProgram(const std::string &name);
