// A registry place of the test's own: a fresh key under
// HKEY_CURRENT_USER\Software\ParduneTest, and on Linux also a fresh registry
// file in a temporary folder. Everything goes away with the object.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#ifndef _WIN32
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#endif

class ScratchRegistry {
 public:
  ScratchRegistry() {
    std::random_device device;
    std::mt19937_64 random(device() ^
                           uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()));
    char name[32];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(random()));
    root_ = std::string("Software\\ParduneTest\\") + name;
#ifndef _WIN32
    char dir[] = "/tmp/pardune-registry-XXXXXX";
    if (mkdtemp(dir)) dir_ = dir;
    file_ = dir_ + "/registry.reg";
    setenv("PARDUNE_REGISTRY", file_.c_str(), 1);
#endif
  }

  ~ScratchRegistry() {
#ifdef _WIN32
    RegDeleteTreeA(HKEY_CURRENT_USER, root_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\ParduneTest");  // fails while others use it
#else
    unsetenv("PARDUNE_REGISTRY");
    if (!dir_.empty()) {
      std::string command = "rm -rf '" + dir_ + "'";
      if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "cannot remove %s\n", dir_.c_str());
    }
#endif
  }

  ScratchRegistry(const ScratchRegistry &) = delete;
  ScratchRegistry &operator=(const ScratchRegistry &) = delete;

  // The test's key below HKEY_CURRENT_USER, without a trailing backslash.
  const std::string &Root() const {
    return root_;
  }
  std::string Key(const std::string &sub) const {
    return root_ + "\\" + sub;
  }

#ifndef _WIN32
  const std::string &Dir() const {
    return dir_;
  }
  const std::string &File() const {
    return file_;
  }
  std::string ReadFile() const {
    return ReadText(file_);
  }
  static std::string ReadText(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void WriteFile(const std::string &text) const {
    std::ofstream out(file_, std::ios::binary | std::ios::trunc);
    out << text;
  }
#endif

 private:
  std::string root_;
#ifndef _WIN32
  std::string dir_;
  std::string file_;
#endif
};
