// Module file names and the last error, held to what Windows does.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

namespace {

#ifdef _WIN32
const char kSeparator = '\\';
HMODULE OwnModule() {
  return GetModuleHandleA(nullptr);
}
#else
const char kSeparator = '/';
HMODULE OwnModule() {
  return WinportModuleOf(reinterpret_cast<const void *>(&OwnModule));
}
#endif

std::string ProgramName() {
  char path[4096] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  return std::string(path, length);
}

TEST(GetModuleFileName, TheProgramItself) {
  std::string path = ProgramName();
  ASSERT_FALSE(path.empty());
  EXPECT_NE(path.find("winport_base_test"), std::string::npos) << path;
#ifdef _WIN32
  EXPECT_EQ(path[1], ':') << path;
#else
  EXPECT_EQ(path[0], '/') << path;
#endif
  char byHandle[4096] = {};
  DWORD length = GetModuleFileNameA(OwnModule(), byHandle, sizeof byHandle);
  EXPECT_EQ(std::string(byHandle, length), path);
}

TEST(GetModuleFileName, ATooSmallBufferGetsTheStartOfTheName) {
  std::string path = ProgramName();
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  SetLastError(0);
  DWORD length = GetModuleFileNameA(nullptr, buffer, 8);
  EXPECT_EQ(length, 8u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::string(buffer, 7), path.substr(0, 7));
  EXPECT_EQ(buffer[8], '#');

  // One byte short of the name and its NUL.
  std::string exact(path.size() + 8, '#');
  EXPECT_EQ(GetModuleFileNameA(nullptr, &exact[0], static_cast<DWORD>(path.size())),
            static_cast<DWORD>(path.size()));
  // And exactly enough.
  EXPECT_EQ(GetModuleFileNameA(nullptr, &exact[0], static_cast<DWORD>(path.size() + 1)),
            static_cast<DWORD>(path.size()));
  EXPECT_STREQ(exact.c_str(), path.c_str());
}

TEST(GetModuleFileName, AnUnknownHandleFails) {
  char buffer[64] = "unchanged";
  SetLastError(0);
  HMODULE bogus = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x10));
  EXPECT_EQ(GetModuleFileNameA(bogus, buffer, sizeof buffer), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST(GetModuleFileName, DirectoryPartIsThePrograms) {
  std::string path = ProgramName();
  size_t cut = path.rfind(kSeparator);
  ASSERT_NE(cut, std::string::npos);
  EXPECT_GT(cut, 0u);
}

#ifndef _WIN32
TEST(WinportModuleOf, AddressesInsideTheProgramGiveItsBase) {
  HMODULE a = WinportModuleOf(reinterpret_cast<const void *>(&ProgramName));
  HMODULE b = WinportModuleOf(reinterpret_cast<const void *>(&OwnModule));
  EXPECT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(WinportModuleOf(nullptr), nullptr);
  // winport's own functions lie in libwinport.so.
  HMODULE winport = WinportModuleOf(reinterpret_cast<const void *>(&GetModuleFileNameA));
  ASSERT_NE(winport, nullptr);
  EXPECT_NE(winport, a);
  char path[4096] = {};
  DWORD length = GetModuleFileNameA(winport, path, sizeof path);
  EXPECT_NE(std::string(path, length).find("libwinport.so"), std::string::npos) << path;
  EXPECT_EQ(path[0], '/');
}
#endif

DWORD WINAPI SetOwnError(LPVOID parameter) {
  SetLastError(4242);
  *static_cast<DWORD *>(parameter) = GetLastError();
  return 0;
}

TEST(LastError, BelongsToEachThread) {
  SetLastError(17);
  DWORD seen = 0;
  HANDLE thread = CreateThread(nullptr, 0, SetOwnError, &seen, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
  CloseHandle(thread);
  EXPECT_EQ(seen, 4242u);
  EXPECT_EQ(GetLastError(), 17u);
}

}  // namespace
