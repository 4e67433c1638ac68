// The console size answers with what the host registered, and fails without.
#include <gtest/gtest.h>
#include <windows.h>

TEST(Console, SizeIsWhatTheHostRegistered) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);

  WinportSetConsoleSize(0, 0);
  EXPECT_FALSE(GetConsoleScreenBufferInfo(out, &info));

  WinportSetConsoleSize(132, 43);
  ASSERT_TRUE(GetConsoleScreenBufferInfo(out, &info));
  EXPECT_EQ(info.dwSize.X, 132);
  EXPECT_EQ(info.dwSize.Y, 43);
  EXPECT_EQ(info.srWindow.Right, 131);
  EXPECT_EQ(info.srWindow.Bottom, 42);

  // Nonsense sizes withdraw the registration rather than wrap.
  WinportSetConsoleSize(70000, 10);
  EXPECT_FALSE(GetConsoleScreenBufferInfo(out, &info));
  WinportSetConsoleSize(80, 25);
}

TEST(Console, OnlyOutputHandlesHaveAScreen) {
  WinportSetConsoleSize(80, 25);
  CONSOLE_SCREEN_BUFFER_INFO info{};
  EXPECT_FALSE(GetConsoleScreenBufferInfo(GetStdHandle(STD_INPUT_HANDLE), &info));
  EXPECT_TRUE(GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info));
  EXPECT_FALSE(GetConsoleScreenBufferInfo(nullptr, &info));
  EXPECT_FALSE(GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), nullptr));
  EXPECT_EQ(GetStdHandle(12345), INVALID_HANDLE_VALUE);
}
