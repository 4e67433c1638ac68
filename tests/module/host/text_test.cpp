// The shared text operations at their bounds.
#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/text.hpp"

namespace {

// A buffer with guard bytes around it, so a write out of bounds shows.
struct Guarded {
  enum { kGuard = 8 };
  char bytes[64 + 2 * kGuard];
  explicit Guarded(char fill = '#') { std::memset(bytes, fill, sizeof bytes); }
  char *data() { return bytes + kGuard; }
  bool GuardsIntact(int size) const {
    for (int i = 0; i < kGuard; ++i)
      if (bytes[i] != '#' || bytes[kGuard + size + i] != '#') return false;
    return true;
  }
};

TEST(CopyText, Bounds) {
  struct Case {
    const char *name;
    const char *source;
    int size;
    const char *expected;
  };
  const Case cases[] = {
      {"cut to size - 1", "abcdefg", 5, "abcd"},
      {"size 1 gives the empty text", "abcdefg", 1, ""},
      {"exact fit", "abcd", 5, "abcd"},
      {"one short", "abcde", 5, "abcd"},
      {"shorter source", "ab", 5, "ab"},
      {"empty source", "", 5, ""},
      {"no source", nullptr, 5, ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Guarded g;
    EXPECT_EQ(CopyText(g.data(), c.source, c.size), g.data());
    EXPECT_STREQ(g.data(), c.expected);
    EXPECT_TRUE(g.GuardsIntact(c.size));
  }
}

TEST(CopyText, FillsTheRestWithZeros) {
  Guarded g;
  CopyText(g.data(), nullptr, 8);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(g.data()[i], '\0') << i;
  EXPECT_TRUE(g.GuardsIntact(8));
  Guarded h;
  CopyText(h.data(), "ab", 6);
  EXPECT_EQ(std::string(h.data(), 6), std::string("ab\0\0\0\0", 6));
}

TEST(CopyText, SizeZeroLeavesTheDestination) {
  char buffer[8] = "keep";
  EXPECT_EQ(CopyText(buffer, "other", 0), buffer);
  EXPECT_STREQ(buffer, "keep");
}

// Only -1 means "no bound"; any other size below 1 leaves no room to write.
TEST(TextOperations, OtherNegativeSizesWriteNothing) {
  for (int size : {-2, -1000, INT_MIN}) {
    SCOPED_TRACE(size);
    char buffer[8] = "keep";
    EXPECT_EQ(CopyText(buffer, "other", size), buffer);
    EXPECT_EQ(AppendText(buffer, "other", size), buffer);
    EXPECT_EQ(DecodeEscapes("other", buffer, size), buffer);
    EXPECT_EQ(FormatBounded(buffer, size, "%s", "other"), 0);
    EXPECT_STREQ(buffer, "keep");
  }
  char buffer[8] = "keep";
  EXPECT_EQ(DecodeEscapes("other", buffer, -1), buffer);  // no unbounded decoding
  EXPECT_STREQ(buffer, "keep");
}

TEST(CopyText, SizeMinusOneCopiesWhole) {
  char buffer[64];
  std::memset(buffer, 'x', sizeof buffer);
  CopyText(buffer, "a longer text than most", -1);
  EXPECT_STREQ(buffer, "a longer text than most");
  CopyText(buffer, nullptr, -1);
  EXPECT_STREQ(buffer, "");
}

TEST(CopyText, NoDestination) {
  EXPECT_EQ(CopyText(nullptr, "abc", 5), nullptr);
  EXPECT_EQ(CopyText(nullptr, "abc", -1), nullptr);
}

TEST(AppendText, Bounds) {
  struct Case {
    const char *name;
    const char *destination;
    const char *source;
    int size;
    const char *expected;
  };
  const Case cases[] = {
      {"cut to size - 1", "ab", "xyz", 4, "abx"},
      {"longer destination is cut", "abcdef", "xyz", 4, "abc"},
      {"full destination", "abc", "xyz", 4, "abc"},
      {"exact fit", "ab", "c", 4, "abc"},
      {"room to spare", "ab", "cd", 10, "abcd"},
      {"empty source", "ab", "", 4, "ab"},
      {"no source", "ab", nullptr, 4, "ab"},
      {"empty destination", "", "xyz", 3, "xy"},
      {"size 1", "ab", "xyz", 1, ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Guarded g;
    std::strcpy(g.data(), c.destination);
    EXPECT_EQ(AppendText(g.data(), c.source, c.size), g.data());
    EXPECT_STREQ(g.data(), c.expected);
    EXPECT_TRUE(
        g.GuardsIntact(std::max<int>(c.size, static_cast<int>(std::strlen(c.destination)) + 1)));
  }
}

TEST(AppendText, UnterminatedDestinationIsReadOnlyWithinItsSize) {
  Guarded g('z');
  std::memset(g.bytes, '#', Guarded::kGuard);
  std::memset(g.data() + 4, '#', Guarded::kGuard);
  AppendText(g.data(), "xyz", 4);  // "zzzz" has no NUL within 4 bytes
  EXPECT_STREQ(g.data(), "zzz");
  EXPECT_TRUE(g.GuardsIntact(4));
}

TEST(AppendText, SizeZeroAndMinusOneAndNoDestination) {
  char buffer[32] = "ab";
  AppendText(buffer, "cd", 0);
  EXPECT_STREQ(buffer, "ab");
  AppendText(buffer, "cdefgh", -1);
  EXPECT_STREQ(buffer, "abcdefgh");
  AppendText(buffer, nullptr, -1);
  EXPECT_STREQ(buffer, "abcdefgh");
  EXPECT_EQ(AppendText(nullptr, "x", 4), nullptr);
}

TEST(DecodeEscapes, EscapeTable) {
  struct Case {
    const char *source;
    std::string expected;
  };
  const Case cases[] = {
      {"a\\tb", "a\tb"},  {"\\\\n", "\\n"},
      {"\\\"", "\""},     {"\\'", "'"},
      {"\\\\", "\\"},     {"\\b", "\b"},
      {"\\n", "\n"},      {"\\r", "\r"},
      {"\\t", "\t"},      {"line1\\nline2", "line1\nline2"},
      {"\\q", "q"},                            // another escape: the character itself
      {"50\\%", "50%"},   {"end\\", "end\\"},  // a backslash at the very end stays
      {"\\", "\\"},       {"", ""},
      {"plain", "plain"}, {"\n", "\n"},  // a real line feed passes
  };
  for (const Case &c : cases) {
    Guarded g;
    DecodeEscapes(c.source, g.data(), 32);
    EXPECT_EQ(std::string(g.data()), c.expected) << c.source;
    EXPECT_TRUE(g.GuardsIntact(32));
  }
}

TEST(DecodeEscapes, Bounds) {
  Guarded g;
  EXPECT_EQ(DecodeEscapes("abcdef", g.data(), 3), g.data());
  EXPECT_STREQ(g.data(), "ab");
  EXPECT_TRUE(g.GuardsIntact(3));

  Guarded h;
  DecodeEscapes("a\\nb", h.data(), 3);  // the escape counts as one character
  EXPECT_STREQ(h.data(), "a\n");
  EXPECT_TRUE(h.GuardsIntact(3));

  Guarded one;
  DecodeEscapes("abc", one.data(), 1);
  EXPECT_STREQ(one.data(), "");
  EXPECT_TRUE(one.GuardsIntact(1));

  char keep[4] = "xyz";
  DecodeEscapes("abc", keep, 0);
  EXPECT_STREQ(keep, "xyz");
  DecodeEscapes(nullptr, keep, 4);
  EXPECT_STREQ(keep, "");
  EXPECT_EQ(DecodeEscapes("abc", nullptr, 4), nullptr);
}

TEST(DecodeEscapes, TrailingBackslashDoesNotReadPastTheEnd) {
  // The source ends right after the backslash; the byte after its NUL would
  // show in the output if the decoder read past it.
  char source[4] = {'a', '\\', '\0', 'X'};
  char out[8];
  DecodeEscapes(source, out, sizeof out);
  EXPECT_STREQ(out, "a\\");
}

TEST(FormatBounded, CutsAndTerminates) {
  Guarded g;
  EXPECT_EQ(FormatBounded(g.data(), 6, "%d-%s", 1234, "abcdef"), 5);
  EXPECT_STREQ(g.data(), "1234-");
  EXPECT_TRUE(g.GuardsIntact(6));

  Guarded exact;
  EXPECT_EQ(FormatBounded(exact.data(), 6, "%s", "abcde"), 5);
  EXPECT_STREQ(exact.data(), "abcde");

  Guarded fits;
  EXPECT_EQ(FormatBounded(fits.data(), 32, "Match at %d:%d", 5, 3), 12);
  EXPECT_STREQ(fits.data(), "Match at 5:3");

  Guarded one;
  EXPECT_EQ(FormatBounded(one.data(), 1, "%s", "abc"), 0);
  EXPECT_STREQ(one.data(), "");
  EXPECT_TRUE(one.GuardsIntact(1));

  char keep[4] = "xyz";
  EXPECT_EQ(FormatBounded(keep, 0, "%s", "abc"), 0);
  EXPECT_STREQ(keep, "xyz");
  EXPECT_EQ(FormatBounded(nullptr, 10, "%s", "abc"), 0);
}

TEST(FormatInto, Formats) {
  char buffer[64];
  EXPECT_EQ(FormatInto(buffer, "%s(%3d 0x%02X %03o)", "Color", 30, 30, 30), 19);
  EXPECT_STREQ(buffer, "Color( 30 0x1E 036)");
  EXPECT_EQ(FormatInto(nullptr, "%d", 1), 0);
}

TEST(FormatText, FormatsIntoTheSharedBuffer) {
  const char *first = FormatText("%s=%d", "x", 42);
  EXPECT_STREQ(first, "x=42");
  const char *second = FormatText("%s", "next");
  EXPECT_EQ(first, second);  // one buffer, overwritten by each call
  EXPECT_STREQ(second, "next");
}

TEST(FormatText, LongResultIsCutBelowTheBufferSize) {
  std::string big(kFormatBufferSize + 500, 'b');
  const char *text = FormatText("%s%s", "head", big.c_str());
  EXPECT_EQ(std::strlen(text), static_cast<size_t>(kFormatBufferSize - 1));
  EXPECT_EQ(std::string(text, 4), "head");
}

struct FormatWorker {
  int id;
  const char *buffer;  // the shared buffer every call must return
  int strays;
};

enum { kRounds = 3000 };

DWORD WINAPI FormatMany(LPVOID parameter) {
  auto *worker = static_cast<FormatWorker *>(parameter);
  for (int i = 0; i < kRounds; ++i) {
    // Another thread may overwrite the text at once: only the formatting
    // itself is guarded, so the text is not compared here.
    if (FormatText("worker %d round %d", worker->id, i) != worker->buffer) ++worker->strays;
  }
  return 0;
}

TEST(FormatText, FromSeveralThreadsAtOnce) {
  const char *buffer = FormatText("%s", "set up");
  enum { kThreads = 4 };
  FormatWorker workers[kThreads];
  HANDLE threads[kThreads];
  for (int i = 0; i < kThreads; ++i) {
    workers[i] = FormatWorker{i, buffer, 0};
    threads[i] = CreateThread(nullptr, 0, FormatMany, &workers[i], 0, nullptr);
    ASSERT_NE(threads[i], nullptr);
  }
  for (HANDLE thread : threads) {
    EXPECT_EQ(WaitForSingleObject(thread, 20000), WAIT_OBJECT_0);
    CloseHandle(thread);
  }
  for (const FormatWorker &w : workers) EXPECT_EQ(w.strays, 0) << w.id;
  // The last formatting ran whole under the lock: the buffer holds one
  // worker's last text, not pieces of two.
  bool whole = false;
  char expected[64];
  for (int i = 0; i < kThreads; ++i) {
    std::snprintf(expected, sizeof expected, "worker %d round %d", i, kRounds - 1);
    whole = whole || std::strcmp(buffer, expected) == 0;
  }
  EXPECT_TRUE(whole) << buffer;
}

TEST(TextLength, CountsCharacters) {
  EXPECT_EQ(TextLength(nullptr), 0);
  EXPECT_EQ(TextLength(""), 0);
  EXPECT_EQ(TextLength("abc"), 3);
}

TEST(Bytes, FillAndCopy) {
  char buffer[8] = "abcdefg";
  EXPECT_EQ(FillBytes(buffer, 'x', 3), buffer);
  EXPECT_STREQ(buffer, "xxxdefg");
  EXPECT_EQ(FillBytes(buffer, 'y', 0), buffer);
  EXPECT_EQ(FillBytes(buffer, 'y', -4), buffer);
  EXPECT_EQ(FillBytes(nullptr, 'y', 4), nullptr);
  EXPECT_STREQ(buffer, "xxxdefg");

  EXPECT_EQ(CopyBytes(buffer, "12", 2), buffer);
  EXPECT_STREQ(buffer, "12xdefg");
  EXPECT_EQ(CopyBytes(buffer + 1, buffer, 3), buffer + 1);  // overlapping
  EXPECT_STREQ(buffer, "112xefg");
  EXPECT_EQ(CopyBytes(buffer, nullptr, 3), buffer);
  EXPECT_EQ(CopyBytes(nullptr, "ab", 2), nullptr);
  EXPECT_EQ(CopyBytes(buffer, "zz", 0), buffer);
  EXPECT_STREQ(buffer, "112xefg");
}

TEST(Arithmetic, MinMaxAbsSwap) {
  EXPECT_EQ(MinInt(3, -4), -4);
  EXPECT_EQ(MaxInt(3, -4), 3);
  EXPECT_EQ(MinInt(INT_MIN, INT_MAX), INT_MIN);
  EXPECT_EQ(AbsInt(-5), 5);
  EXPECT_EQ(AbsInt(5), 5);
  EXPECT_EQ(AbsInt(0), 0);
  EXPECT_EQ(AbsInt(INT_MIN), INT_MAX);
  short a = 1, b = -2;
  SwapShort(&a, &b);
  EXPECT_EQ(a, -2);
  EXPECT_EQ(b, 1);
  SwapShort(&a, nullptr);
  EXPECT_EQ(a, -2);
}

}  // namespace
