// winport's clipboard file: shared by every run, written atomically.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "clipboard_support.hpp"
#include "host/clipboard.hpp"

namespace {

// Each test process gets a clipboard file of its own.
std::string &ClipboardPath() {
  static std::string path;
  return path;
}

struct OwnClipboardFile {
  OwnClipboardFile() {
    if (std::getenv("PARDUNE_CLIPBOARD_PATH_TEST")) return;  // chooses its own place
    ClipboardPath() = "/tmp/pardune-clipboard-test-" + std::to_string(getpid());
    setenv("PARDUNE_CLIPBOARD", ClipboardPath().c_str(), 1);
    std::atexit([] { std::remove(ClipboardPath().c_str()); });
  }
} ownClipboardFile;

std::string Paste() {
  char *text = nullptr;
  int size = 0;
  std::string result = ClipboardGet(&text, &size) && text ? text : "<none>";
  std::free(text);
  return result;
}

// Runs `body` in a child process: another run of the program.
void InAnotherRun(void (*body)()) {
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    body();
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
}

}  // namespace

TEST(ClipboardStore, TwoRunsShareTheClipboard) {
  ASSERT_TRUE(ClipboardPut("here", 4));
  DWORD sequence = GetClipboardSequenceNumber();
  InAnotherRun([] { ClipboardPut("from another run", 16); });
  EXPECT_NE(GetClipboardSequenceNumber(), sequence);
  EXPECT_EQ(Paste(), "from another run");
  InAnotherRun([] {
    if (Paste() != "from another run") _exit(1);
    ClipboardPut("back", 4);
  });
  EXPECT_EQ(Paste(), "back");
}

TEST(ClipboardStore, AllFormatsSurviveTheFile) {
  ASSERT_TRUE(ClipboardPut("\x82", 1));
  InAnotherRun([] {
    std::vector<UINT> formats = cliptest::Formats();
    bool ok = formats.size() == 3 && formats[0] == CF_OEMTEXT && formats[1] == CF_TEXT &&
              formats[2] == CF_UNICODETEXT;
    std::string oem;
    ok = ok && cliptest::ReadBlock(CF_OEMTEXT, &oem) && oem == std::string("\x82\0", 2);
    _exit(ok ? 0 : 1);
  });
}

TEST(ClipboardStore, DamagedFileIsIgnored) {
  ASSERT_TRUE(ClipboardPut("kept", 4));
  { std::ofstream(ClipboardPath(), std::ios::trunc) << "not a clipboard"; }
  EXPECT_EQ(Paste(), "kept");
  ASSERT_TRUE(ClipboardPut("new", 3));
  EXPECT_EQ(Paste(), "new");
  std::ifstream in(ClipboardPath());
  std::string head;
  std::getline(in, head);
  EXPECT_EQ(head, "PARDUNE-CLIPBOARD 1");
}

TEST(ClipboardStore, MissingFolderLeavesAnInMemoryClipboard) {
  setenv("PARDUNE_CLIPBOARD", "/nonexistent-folder/clipboard", 1);
  ASSERT_TRUE(ClipboardPut("memory", 6));
  EXPECT_EQ(Paste(), "memory");
  setenv("PARDUNE_CLIPBOARD", ClipboardPath().c_str(), 1);
}

TEST(ClipboardStore, SettingDataNeedsAnEmptyFirst) {
  ASSERT_TRUE(ClipboardPut("keep", 4));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 2);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(SetClipboardData(CF_TEXT, block), nullptr);
  GlobalFree(block);
  EXPECT_TRUE(CloseClipboard());
  EXPECT_EQ(Paste(), "keep");
}

TEST(ClipboardStore, ReplacingAFormatFreesTheOldBlock) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());
  HGLOBAL first = GlobalAlloc(GMEM_MOVEABLE, 2);
  HGLOBAL second = GlobalAlloc(GMEM_MOVEABLE, 2);
  std::memcpy(GlobalLock(first), "1", 2);
  GlobalUnlock(first);
  std::memcpy(GlobalLock(second), "2", 2);
  GlobalUnlock(second);
  EXPECT_EQ(SetClipboardData(CF_TEXT, first), first);
  EXPECT_EQ(SetClipboardData(CF_TEXT, second), second);
  EXPECT_EQ(GlobalSize(first), 0u);  // freed: no longer a block
  EXPECT_EQ(GetClipboardData(CF_TEXT), second);
  EXPECT_TRUE(CloseClipboard());
  EXPECT_EQ(Paste(), "2");
}

// Run by the next test in a process of its own.
TEST(ClipboardStore, DISABLED_CopyForThePathTest) {
  ASSERT_TRUE(ClipboardPut("where", 5));
}

TEST(ClipboardStore, FileGoesToTheCacheFolderWithoutARuntimeFolder) {
  std::string cache = ClipboardPath() + ".cache";
  std::string command =
      "env -u PARDUNE_CLIPBOARD PARDUNE_CLIPBOARD_PATH_TEST=1 "
      "XDG_RUNTIME_DIR=/proc/no-such-folder XDG_CACHE_HOME=" +
      cache +
      " /proc/self/exe --gtest_also_run_disabled_tests "
      "--gtest_filter=ClipboardStore.DISABLED_CopyForThePathTest >/dev/null";
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(n, 0);
  self[n] = '\0';
  command.replace(command.find("/proc/self/exe"), 14, self);
  EXPECT_EQ(std::system(command.c_str()), 0);
  std::ifstream in(cache + "/pardune/clipboard");
  std::string head;
  std::getline(in, head);
  EXPECT_EQ(head, "PARDUNE-CLIPBOARD 1");
  std::system(("rm -rf '" + cache + "'").c_str());
}
