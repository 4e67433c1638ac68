// A clipboard of the test process's own, so test programs running side by
// side do not meet on the shared one (one PARDUNE_PRIVATE_CLIPBOARD per test
// program), and the clipboard's text as the editors read it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "host/clipboard.hpp"

// The clipboard's text as the editors read it, or "(unreadable)".
inline std::string ClipboardText() {
  char *got = nullptr;
  int size = 0;
  if (!ClipboardGet(&got, &size)) return "(unreadable)";
  std::string out(got);
  free(got);
  return out;
}

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
