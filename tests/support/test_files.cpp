#include "support/test_files.hpp"

#include <windows.h>

std::string BesideTestProgram(const std::string &name) {
  char path[4096] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path - 1);
  std::string self(path, length);
  return self.substr(0, self.rfind(kPathSeparator) + 1) + name;
}
