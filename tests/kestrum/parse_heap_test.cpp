// Parse must be safe to stop by force: it may not touch the process heap.
// The heap functions are replaced in this program to count the calls made
// while a Parse runs.
#include <gtest/gtest.h>

#include <string>

#include "kestrum/engine.hpp"

extern "C" void *__libc_malloc(size_t size);
extern "C" void *__libc_calloc(size_t count, size_t size);
extern "C" void *__libc_realloc(void *block, size_t size);
extern "C" void __libc_free(void *block);

namespace {
thread_local bool tCounting = false;
thread_local int tCalls = 0;
void Count() {
  if (tCounting) ++tCalls;
}
}  // namespace

extern "C" void *malloc(size_t size) {
  Count();
  return __libc_malloc(size);
}
extern "C" void *calloc(size_t count, size_t size) {
  Count();
  return __libc_calloc(count, size);
}
extern "C" void *realloc(void *block, size_t size) {
  Count();
  return __libc_realloc(block, size);
}
extern "C" void free(void *block) {
  if (block != nullptr) Count();
  __libc_free(block);
}

namespace {

using namespace kestrum;

int HeapCallsOfParse(EngineHandle handle, const std::string &text, MatchRecord *match, int *found) {
  const char *p = text.data();
  tCalls = 0;
  tCounting = true;
  *found = EngineParse(handle, p, p, p + text.size() - 1, match, 0, 0);
  tCounting = false;
  return tCalls;
}

TEST(ParseHeap, NoHeapCallWhileMatching) {
  struct Case {
    const char *expression;
    std::string text;
    bool interpreter;
    int end;
  };
  const std::string deep = std::string(50000, 'a') + "c";
  const Case cases[] = {
      {"/(?:a(b)?)*c/", deep, false, 50001},
      {"/(?:a(b)?)*c/", deep, true, 50001},
      {"/(x)?(a+)+d/", std::string(18, 'a') + "d", true, 19},
      {"/\\w+$/m", "one two\nthree", false, 7},
  };
  for (const Case &c : cases) {
    EngineHandle handle = EngineCreate();
    ASSERT_NE(handle, nullptr);
    EngineForceInterpreter(handle, c.interpreter);
    ASSERT_TRUE(EngineSetExpression(handle, c.expression, 0, 0));
    ASSERT_TRUE(EngineSetNoMoves(handle, 0));
    MatchRecord match{};
    int found = 0;
    // Twice: the first match may grow what the second reuses.
    for (int round = 0; round < 2; ++round) {
      EXPECT_EQ(HeapCallsOfParse(handle, c.text, &match, &found), 0) << c.expression;
      EXPECT_NE(found, 0) << c.expression;
      EXPECT_EQ(match.End[0], c.end) << c.expression;
    }
    EngineDestroy(&handle);
  }
}

}  // namespace
