// Movable global blocks: handles, lock counts and sizes.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

TEST(GlobalMemory, MovableBlockCountsItsLocks) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, 10);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 10u);
  char *first = static_cast<char *>(GlobalLock(block));
  ASSERT_NE(first, nullptr);
  EXPECT_NE(static_cast<void *>(first), block);
  std::memcpy(first, "123456789", 10);
  char *second = static_cast<char *>(GlobalLock(block));
  EXPECT_EQ(first, second);
  EXPECT_TRUE(GlobalUnlock(block));  // still locked once
  SetLastError(12345);
  EXPECT_FALSE(GlobalUnlock(block));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
  EXPECT_FALSE(GlobalUnlock(block));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_LOCKED));
  char *again = static_cast<char *>(GlobalLock(block));
  ASSERT_NE(again, nullptr);
  EXPECT_STREQ(again, "123456789");
  GlobalUnlock(block);
  EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemory, ZeroInitAndFixedBlocks) {
  HGLOBAL zeroed = GlobalAlloc(GHND, 64);
  ASSERT_NE(zeroed, nullptr);
  const char *bytes = static_cast<const char *>(GlobalLock(zeroed));
  ASSERT_NE(bytes, nullptr);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(bytes[i], 0) << i;
  GlobalUnlock(zeroed);
  EXPECT_EQ(GlobalFree(zeroed), nullptr);

  HGLOBAL fixed = GlobalAlloc(GMEM_FIXED, 8);
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(GlobalLock(fixed), fixed);  // a fixed block is its own address
  EXPECT_EQ(GlobalSize(fixed), 8u);
  EXPECT_EQ(GlobalFree(fixed), nullptr);
}

TEST(GlobalMemory, EmptyMovableBlockCannotBeLocked) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 0);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalLock(block), nullptr);
  EXPECT_EQ(GlobalSize(block), 0u);
  EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemory, ImpossibleSizeFails) {
  EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, SIZE_T(-1) - 4096), nullptr);
}
