// Code-page conversions, held to what Windows does.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

WCHAR ToWide(UINT codePage, unsigned char byte) {
  char in = static_cast<char>(byte);
  WCHAR out = 0;
  EXPECT_EQ(MultiByteToWideChar(codePage, 0, &in, 1, &out, 1), 1) << codePage << " " << int(byte);
  return out;
}

TEST(MultiByteToWideChar, SingleByteTables) {
  struct Case {
    UINT codePage;
    unsigned char byte;
    WCHAR wide;
  };
  const Case cases[] = {
      {437, 0x41, 0x0041},  {437, 0x82, 0x00E9},  {437, 0xC4, 0x2500},  {437, 0xCD, 0x2550},
      {437, 0xB0, 0x2591},  {437, 0xE1, 0x00DF},  {437, 0xFF, 0x00A0},  {437, 0x01, 0x0001},
      {866, 0x80, 0x0410},  {866, 0xE0, 0x0440},  {866, 0xF0, 0x0401},  {866, 0xFC, 0x2116},
      {866, 0xC4, 0x2500},  {1252, 0x80, 0x20AC}, {1252, 0xE9, 0x00E9}, {1252, 0x81, 0x0081},
      {1252, 0x9F, 0x0178}, {1251, 0xC0, 0x0410}, {1251, 0xB9, 0x2116}, {1251, 0xA8, 0x0401},
  };
  for (const Case &c : cases)
    EXPECT_EQ(ToWide(c.codePage, c.byte), c.wide) << c.codePage << " byte " << int(c.byte);
}

TEST(WideCharToMultiByte, EveryByteComesBack) {
  for (UINT codePage : {437u, 866u, 1251u, 1252u}) {
    for (int b = 1; b < 256; ++b) {
      WCHAR wide = ToWide(codePage, static_cast<unsigned char>(b));
      char back = 0;
      BOOL usedDefault = TRUE;
      ASSERT_EQ(WideCharToMultiByte(codePage, 0, &wide, 1, &back, 1, nullptr, &usedDefault), 1);
      EXPECT_EQ(static_cast<unsigned char>(back), b) << codePage << " byte " << b;
      EXPECT_FALSE(usedDefault);
    }
  }
}

TEST(WideCharToMultiByte, UnmappableCharactersGetTheDefault) {
  const WCHAR text[] = {'a', 0x4E2D, 'b'};
  char out[4] = {};
  BOOL usedDefault = FALSE;
  EXPECT_EQ(WideCharToMultiByte(437, 0, text, 3, out, 3, nullptr, &usedDefault), 3);
  EXPECT_EQ(std::string(out, 3), "a?b");
  EXPECT_TRUE(usedDefault);
  EXPECT_EQ(WideCharToMultiByte(437, 0, text, 3, out, 3, "*", nullptr), 3);
  EXPECT_EQ(std::string(out, 3), "a*b");
}

TEST(Conversions, CurrentCodePagesFollowTheNumberedOnes) {
  const UINT oem = GetOEMCP();
  const UINT ansi = GetACP();
  for (int b = 0x80; b < 0x100; ++b) {
    EXPECT_EQ(ToWide(CP_OEMCP, static_cast<unsigned char>(b)),
              ToWide(oem, static_cast<unsigned char>(b)));
    EXPECT_EQ(ToWide(CP_ACP, static_cast<unsigned char>(b)),
              ToWide(ansi, static_cast<unsigned char>(b)));
  }
}

TEST(Conversions, Sizes) {
  WCHAR wide[16];
  // -1: the text and its NUL.
  EXPECT_EQ(MultiByteToWideChar(437, 0, "abc", -1, nullptr, 0), 4);
  EXPECT_EQ(MultiByteToWideChar(437, 0, "abc", -1, wide, 16), 4);
  EXPECT_EQ(wide[3], 0);
  EXPECT_EQ(MultiByteToWideChar(437, 0, "abc", 3, nullptr, 0), 3);
  // Too small: nothing, and why.
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(437, 0, "abc", -1, wide, 2), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  // Nothing to convert, or no such code page: a bad parameter.
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(437, 0, "abc", 0, wide, 16), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(437, 0, nullptr, 3, wide, 16), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(12345, 0, "abc", 3, wide, 16), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  const WCHAR text[] = {'x', 'y', 0};
  char narrow[8];
  EXPECT_EQ(WideCharToMultiByte(1252, 0, text, -1, nullptr, 0, nullptr, nullptr), 3);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, text, -1, narrow, 8, nullptr, nullptr), 3);
  EXPECT_STREQ(narrow, "xy");
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, text, -1, narrow, 1, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(Utf8, RoundTrip) {
  const char text[] = "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80";
  WCHAR wide[16];
  int count = MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 16);
  ASSERT_EQ(count, 10);  // c a f é space € space, a surrogate pair, NUL
  EXPECT_EQ(wide[3], 0x00E9);
  EXPECT_EQ(wide[5], 0x20AC);
  EXPECT_EQ(wide[7], 0xD83D);
  EXPECT_EQ(wide[8], 0xDE00);
  char back[32];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide, -1, back, sizeof back, nullptr, nullptr),
            static_cast<int>(sizeof text));
  EXPECT_STREQ(back, text);
}

TEST(Utf8, Malformed) {
  const char *bad[] = {"a\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF", "\x80"};
  for (const char *text : bad) {
    WCHAR wide[16];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide, 16), 0) << text;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    int count = MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 16);
    ASSERT_GT(count, 0);
    bool replaced = false;
    for (int i = 0; i < count; ++i) replaced = replaced || wide[i] == 0xFFFD;
    EXPECT_TRUE(replaced) << text;
  }
}

TEST(MultiByteToWideChar, GlyphsForTheControlBytesOfTheOemPages) {
  const char bytes[] = {0, 1, 0x1F, 0x7F, 'A', '\x80'};
  WCHAR wide[6];
  ASSERT_EQ(MultiByteToWideChar(437, MB_USEGLYPHCHARS, bytes, 6, wide, 6), 6);
  EXPECT_EQ(std::u16string(wide, wide + 6), std::u16string(u"\0☺▼⌂AÇ", 6));
  ASSERT_EQ(MultiByteToWideChar(866, MB_USEGLYPHCHARS, bytes, 6, wide, 6), 6);
  EXPECT_EQ(std::u16string(wide, wide + 6), std::u16string(u"\0☺▼⌂AА", 6));
  ASSERT_EQ(MultiByteToWideChar(1252, MB_USEGLYPHCHARS, bytes, 4, wide, 4), 4);
  EXPECT_EQ(std::u16string(wide, wide + 4), std::u16string(u"\0\x01\x1F\x7F", 4));
}

TEST(WideCharToMultiByte, EachUnitOfASurrogatePairGetsADefault) {
  const WCHAR pair[] = {0xD83D, 0xDE00};
  char out[4] = {};
  EXPECT_EQ(WideCharToMultiByte(437, 0, pair, 2, out, 4, nullptr, nullptr), 2);
  EXPECT_EQ(std::string(out, 2), "??");
}

TEST(OemToChar, Code437And1252) {
  if (GetOEMCP() != 437) GTEST_SKIP() << "OEM code page " << GetOEMCP();
  char out[8];
  EXPECT_TRUE(OemToCharA("caf\x82", out));
  EXPECT_STREQ(out, "caf\xE9");
  EXPECT_TRUE(CharToOemA("caf\xE9", out));
  EXPECT_STREQ(out, "caf\x82");
  char inPlace[] = "\x82\x81";
  EXPECT_TRUE(OemToCharA(inPlace, inPlace));
  EXPECT_STREQ(inPlace, "\xE9\xFC");
}

// Windows' look-alikes: box drawing becomes - and a broken bar, a letter
// with an accent the other page lacks its plain letter, € nothing.
TEST(OemToChar, LookAlikesForWhatTheOtherPageLacks) {
  if (GetOEMCP() != 437) GTEST_SKIP() << "OEM code page " << GetOEMCP();
  char out[8];
  OemToCharA("\xC4\xB3\xC5\xCD", out);  // ─ │ ┼ ═
  EXPECT_STREQ(out, "-\xA6+-");
  OemToCharA("\xE9\xFC", out);  // Θ ⁿ
  EXPECT_STREQ(out, "Tn");
  CharToOemA("\xC0\xE3", out);  // À ã
  EXPECT_STREQ(out, "Aa");
  CharToOemA("\x80", out);  // € has no OEM 437 character
  EXPECT_STREQ(out, "?");
  const WCHAR line = 0x2500;
  char narrow = 0;
  EXPECT_EQ(WideCharToMultiByte(1252, 0, &line, 1, &narrow, 1, nullptr, nullptr), 1);
  EXPECT_EQ(narrow, '-');
  BOOL usedDefault = FALSE;
  EXPECT_EQ(
      WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, &line, 1, &narrow, 1, nullptr, &usedDefault),
      1);
  EXPECT_EQ(narrow, '?');
  EXPECT_TRUE(usedDefault);
}

struct BestFit {
  WCHAR ch;
  unsigned char byte;
};
#include "bestfit_table.inc"

// Every character of the plane narrows as Windows narrows it: its own byte,
// else the table's look-alike, else the default character.
TEST(WideCharToMultiByte, LookAlikesOfThePlane) {
  struct Page {
    UINT id;
    const BestFit *fits;
    size_t count;
  };
  const Page pages[] = {{437, kBestFit437, std::size(kBestFit437)},
                        {866, kBestFit866, std::size(kBestFit866)},
                        {1252, kBestFit1252, std::size(kBestFit1252)},
                        {1251, kBestFit1251, std::size(kBestFit1251)}};
  for (const Page &page : pages) {
    std::vector<int> expected(0x10000, -1);
    for (int b = 1; b < 256; ++b) expected[ToWide(page.id, static_cast<unsigned char>(b))] = b;
    for (size_t i = 0; i < page.count; ++i) {
      ASSERT_EQ(expected[page.fits[i].ch], -1)
          << page.id << " has U+" << std::hex << page.fits[i].ch;
      expected[page.fits[i].ch] = page.fits[i].byte;
    }
    int wrong = 0;
    for (unsigned c = 1; c < 0x10000 && wrong < 10; ++c) {
      if (c >= 0xD800 && c <= 0xDFFF) continue;
      const WCHAR wide = static_cast<WCHAR>(c);
      char byte = 0;
      BOOL usedDefault = FALSE;
      ASSERT_EQ(WideCharToMultiByte(page.id, 0, &wide, 1, &byte, 1, nullptr, &usedDefault), 1);
      const int got = usedDefault ? -1 : static_cast<unsigned char>(byte);
      if (got != expected[c]) {
        ++wrong;
        ADD_FAILURE() << page.id << ": U+" << std::hex << c << " gives " << got << ", not "
                      << expected[c];
      }
    }
  }
}

#ifndef _WIN32
// Windows documents this; wine does not hold to it.
TEST(Utf8, NoDefaultCharacter) {
  const WCHAR one[] = {'a'};
  char out[4];
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, one, 1, out, 4, "?", nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(WinportSetOemCodePage, Switches866And437) {
  EXPECT_FALSE(WinportSetOemCodePage(1252));
  EXPECT_EQ(GetOEMCP(), 437u);
  EXPECT_EQ(GetACP(), 1252u);
  ASSERT_TRUE(WinportSetOemCodePage(866));
  EXPECT_EQ(GetOEMCP(), 866u);
  EXPECT_EQ(GetACP(), 1251u);
  EXPECT_EQ(ToWide(CP_OEMCP, 0x80), 0x0410);
  char out[4];
  OemToCharA("\x80\xF0", out);
  EXPECT_STREQ(out, "\xC0\xA8");
  CharToOemA("\xC0\xA8", out);
  EXPECT_STREQ(out, "\x80\xF0");
  ASSERT_TRUE(WinportSetOemCodePage(437));
  EXPECT_EQ(ToWide(CP_OEMCP, 0x80), 0x00C7);
}

TEST(Conversions, UndefinedBytesMapToTheirControlCharacters) {
  EXPECT_EQ(ToWide(1251, 0x98), 0x0098);
  EXPECT_EQ(ToWide(1252, 0x8D), 0x008D);
}
#endif

}  // namespace
