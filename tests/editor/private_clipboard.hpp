// A clipboard of the test process's own, so test programs running side by
// side do not meet on the shared one. Include once per test program.
#pragma once

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>

#include <cstdlib>
#include <string>

struct PrivateClipboard : ::testing::Environment {
  explicit PrivateClipboard(const char *name)
      : path(std::string("/tmp/pardune-") + name + "-clipboard-" + std::to_string(getpid())) {}
  void SetUp() override { setenv("PARDUNE_CLIPBOARD", path.c_str(), 1); }
  void TearDown() override { unlink(path.c_str()); }
  std::string path;
};
#define PARDUNE_PRIVATE_CLIPBOARD(name)                       \
  static ::testing::Environment *const clipboardEnvironment = \
      ::testing::AddGlobalTestEnvironment(new PrivateClipboard(name))
#else
#define PARDUNE_PRIVATE_CLIPBOARD(name) static_assert(true, "")
#endif
