#include "kestrum/arena.hpp"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using kestrum::Arena;

TEST(Arena, HandsOutAlignedBlocksWithinItsCapacity) {
  Arena arena(4096);
  ASSERT_TRUE(arena.Valid());
  void *a = arena.Allocate(10);
  void *b = arena.Allocate(100);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % 16, 0u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % 16, 0u);
  EXPECT_GE(static_cast<char *>(b) - static_cast<char *>(a), 16);
  EXPECT_EQ(arena.Allocate(4096), nullptr);
  EXPECT_EQ(arena.Allocate(0), nullptr);
}

TEST(Arena, ReusesTheFirstGapThatFits) {
  Arena arena(1024);
  void *a = arena.Allocate(256);
  void *b = arena.Allocate(256);
  void *c = arena.Allocate(256);
  ASSERT_NE(c, nullptr);
  arena.Free(a);
  // Too big for the gap at the front, fits behind c.
  void *d = arena.Allocate(256 + 16);
  EXPECT_EQ(d, nullptr);  // 1024 - 768 = 256 left behind c, gap in front 256
  void *e = arena.Allocate(200);
  EXPECT_EQ(e, a);
  arena.Free(b);
  arena.Free(c);
  EXPECT_NE(arena.Allocate(700), nullptr);
}

TEST(Arena, GrowingVectorKeepsOldAndNewBlocksApart) {
  // The way the engine's frame vector grows: new block, copy, free the old one.
  Arena arena(size_t{1} << 20);
  size_t size = 4096;
  void *old = arena.Allocate(size);
  while (size * 2 <= (size_t{1} << 19)) {
    void *grown = arena.Allocate(size * 2);
    ASSERT_NE(grown, nullptr) << size;
    arena.Free(old);
    old = grown;
    size *= 2;
  }
  EXPECT_EQ(arena.BlockCount(), 1u);
}

TEST(Arena, ResetForgetsOnlyBlocksMadeAfterKeep) {
  Arena arena(1024);
  void *kept = arena.Allocate(100);
  arena.Keep();
  void *a = arena.Allocate(100);
  arena.Allocate(100);
  EXPECT_EQ(arena.BlockCount(), 3u);
  arena.Reset();
  EXPECT_EQ(arena.BlockCount(), 1u);
  // The kept block is never handed out again, nor freed.
  arena.Free(kept);
  EXPECT_EQ(arena.BlockCount(), 1u);
  void *b = arena.Allocate(100);
  EXPECT_EQ(b, a);
  EXPECT_NE(b, kept);
}

TEST(Arena, RunsOutOfBlocksCleanly) {
  Arena arena(1 << 16);
  int made = 0;
  while (arena.Allocate(16) != nullptr) ++made;
  EXPECT_GT(made, 0);
  EXPECT_LT(made, 100);
}

}  // namespace
