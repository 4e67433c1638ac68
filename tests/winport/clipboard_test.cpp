// The module's copy and paste against the platform's clipboard.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "clipboard_support.hpp"
#include "host/clipboard.hpp"

using cliptest::Formats;
using cliptest::Place;
using cliptest::ReadBlock;
using cliptest::ReadWide;

namespace {

struct Pasted {
  char *text = nullptr;
  int size = 0;
  bool ok = false;
  Pasted() { ok = ClipboardGet(&text, &size); }
  ~Pasted() { std::free(text); }
  std::string Text() const { return text ? std::string(text) : std::string(); }
};

std::string Z(const std::string &s) {
  return s + std::string(1, '\0');
}

// The OEM code pages to check: both on Linux, the current one on Windows.
std::vector<UINT> CodePages() {
#ifdef _WIN32
  UINT cp = GetOEMCP();
  if (cp == 437 || cp == 866) return {cp};
  return {};
#else
  return {437, 866};
#endif
}

void UseCodePage(UINT cp) {
#ifdef _WIN32
  (void)cp;
#else
  ASSERT_TRUE(WinportSetOemCodePage(cp));
#endif
}

struct Conversion {
  UINT oemCodePage;
  unsigned char oem;
  WCHAR wide;
  int ansi;  // -1: none in the ANSI code page; any other non-zero byte will do
  const char *what;
};

const Conversion kConversions[] = {
    {437, 0xC4, 0x2500, -1, "box horizontal"},    {437, 0xBA, 0x2551, -1, "box double vertical"},
    {437, 0xC9, 0x2554, -1, "box double corner"}, {437, 0x82, 0x00E9, 0xE9, "e acute"},
    {437, 0x81, 0x00FC, 0xFC, "u diaeresis"},     {437, 0xA4, 0x00F1, 0xF1, "n tilde"},
    {866, 0xC4, 0x2500, -1, "box horizontal"},    {866, 0xCD, 0x2550, -1, "box double horizontal"},
    {866, 0x80, 0x0410, 0xC0, "capital A"},       {866, 0xA0, 0x0430, 0xE0, "small a"},
    {866, 0xF1, 0x0451, 0xB8, "small io"},
};

class ClipboardCodePages : public ::testing::Test {
 protected:
  void SetUp() override {
    if (CodePages().empty()) GTEST_SKIP() << "OEM code page is neither 437 nor 866";
  }
  void TearDown() override { UseCodePage(CodePages().empty() ? 437 : CodePages()[0]); }
};

}  // namespace

TEST(ClipboardPut, PlacesOemAnsiAndUnicodeInThisOrder) {
  ASSERT_TRUE(ClipboardPut("abc", 3));
  std::vector<UINT> formats = Formats();
  ASSERT_GE(formats.size(), 3u);
  EXPECT_EQ(formats[0], UINT(CF_OEMTEXT));
  EXPECT_EQ(formats[1], UINT(CF_TEXT));
  EXPECT_EQ(formats[2], UINT(CF_UNICODETEXT));

  std::string oem, ansi;
  std::vector<WCHAR> wide;
  ASSERT_TRUE(ReadBlock(CF_OEMTEXT, &oem));
  ASSERT_TRUE(ReadBlock(CF_TEXT, &ansi));
  ASSERT_TRUE(ReadWide(CF_UNICODETEXT, &wide));
  EXPECT_EQ(oem.substr(0, 4), Z("abc"));
  EXPECT_EQ(ansi.substr(0, 4), Z("abc"));
  EXPECT_EQ(wide, (std::vector<WCHAR>{'a', 'b', 'c'}));
}

TEST_F(ClipboardCodePages, AnsiAndUnicodeFormsAreConversions) {
  for (UINT cp : CodePages()) {
    UseCodePage(cp);
    for (const Conversion &c : kConversions) {
      if (c.oemCodePage != cp) continue;
      SCOPED_TRACE(std::to_string(cp) + " " + c.what);
      std::string text = std::string("x") + char(c.oem) + "y";
      ASSERT_TRUE(ClipboardPut(text.c_str(), 3));

      std::string oem, ansi;
      std::vector<WCHAR> wide;
      ASSERT_TRUE(ReadBlock(CF_OEMTEXT, &oem));
      EXPECT_EQ(oem.substr(0, 4), Z(text));
      ASSERT_TRUE(ReadBlock(CF_TEXT, &ansi));
      ASSERT_GE(ansi.size(), 4u);
      EXPECT_EQ(ansi[0], 'x');
      EXPECT_EQ(ansi[2], 'y');
      EXPECT_EQ(ansi[3], '\0');
      if (c.ansi >= 0) {
        EXPECT_EQ(static_cast<unsigned char>(ansi[1]), c.ansi);
      } else {
        EXPECT_NE(static_cast<unsigned char>(ansi[1]), c.oem);
        EXPECT_NE(ansi[1], '\0');
      }
      ASSERT_TRUE(ReadWide(CF_UNICODETEXT, &wide));
      EXPECT_EQ(wide, (std::vector<WCHAR>{'x', c.wide, 'y'}));
    }
  }
}

// Another program's text: the OEM form Windows makes of it, with its
// look-alike where the code page lacks a character.
TEST_F(ClipboardCodePages, PasteOfAnotherProgramsTextGetsItsOemForm) {
  struct BestFit {
    UINT oemCodePage;
    WCHAR wide;
    char oem;
  };
  const BestFit bestFits[] = {{437, 0x0101, 'a'}, {866, 0x00E9, 'e'}};
  auto wideBlock = [](WCHAR ch) {
    WCHAR chars[4] = {'<', ch, '>', 0};
    return std::string(reinterpret_cast<const char *>(chars), sizeof chars);
  };
  for (UINT cp : CodePages()) {
    UseCodePage(cp);
    for (const Conversion &c : kConversions) {
      if (c.oemCodePage != cp) continue;
      SCOPED_TRACE(std::to_string(cp) + " " + c.what);
      const std::string oem = std::string("<") + char(c.oem) + ">";
      if (c.ansi >= 0) {
        ASSERT_TRUE(Place({{CF_TEXT, Z(std::string("<") + char(c.ansi) + ">")}}));
        EXPECT_EQ(Pasted().Text(), oem);
      }
      ASSERT_TRUE(Place({{CF_UNICODETEXT, wideBlock(c.wide)}}));
      EXPECT_EQ(Pasted().Text(), oem);
    }
    for (const BestFit &b : bestFits) {
      if (b.oemCodePage != cp) continue;
      ASSERT_TRUE(Place({{CF_UNICODETEXT, wideBlock(b.wide)}}));
      EXPECT_EQ(Pasted().Text(), std::string("<") + b.oem + ">") << cp;
    }
  }
}

TEST(ClipboardGet, SizeIsTheWholeGlobalBlock) {
  ASSERT_TRUE(ClipboardPut("hello", 5));
  std::string block;
  ASSERT_TRUE(ReadBlock(CF_OEMTEXT, &block));
  Pasted pasted;
  ASSERT_TRUE(pasted.ok);
  EXPECT_EQ(size_t(pasted.size), block.size());
  EXPECT_GE(pasted.size, 6);
  EXPECT_EQ(pasted.text[pasted.size], '\0');
  EXPECT_EQ(pasted.Text(), "hello");
}

TEST(ClipboardGet, KeepsTheBytesAfterTheTerminator) {
  const std::string block("ab\0xyz\0", 7);
  ASSERT_TRUE(Place({{CF_OEMTEXT, block}}));
  Pasted pasted;
  ASSERT_TRUE(pasted.ok);
  ASSERT_GE(pasted.size, 7);
  EXPECT_EQ(std::string(pasted.text, 7), block);
  EXPECT_EQ(pasted.Text(), "ab");
}

TEST(ClipboardGet, NullOutputsAreRefused) {
  char *text = reinterpret_cast<char *>(1);
  EXPECT_FALSE(ClipboardGet(nullptr, nullptr));
  int size = 5;
  EXPECT_FALSE(ClipboardGet(&text, nullptr));
  EXPECT_EQ(text, nullptr);
  EXPECT_FALSE(ClipboardGet(nullptr, &size));
  EXPECT_EQ(size, 0);
}

TEST(ClipboardRules, CallsNeedAnOpenClipboard) {
  ASSERT_TRUE(ClipboardPut("keep", 4));
  EXPECT_FALSE(CloseClipboard());
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
  EXPECT_FALSE(EmptyClipboard());
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(SetClipboardData(CF_TEXT, block), nullptr);
  GlobalFree(block);
  Pasted pasted;
  EXPECT_EQ(pasted.Text(), "keep");
}

TEST(ClipboardRules, OpenAndCloseInPairs) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(CloseClipboard());
  EXPECT_FALSE(CloseClipboard());
}

TEST(ClipboardRules, AnotherThreadHoldingItOpenMakesEverythingFail) {
  ASSERT_TRUE(ClipboardPut("keep", 4));
  cliptest::WhileHeldOpen([] {
    EXPECT_FALSE(OpenClipboard(nullptr));
    EXPECT_FALSE(ClipboardPut("new", 3));
    char *text = nullptr;
    int size = 7;
    EXPECT_FALSE(ClipboardGet(&text, &size));
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(size, 0);
  });
  Pasted pasted;
  ASSERT_TRUE(pasted.ok);
  EXPECT_EQ(pasted.Text(), "keep");
}

TEST(ClipboardRules, ClosedOnOneThreadOpensOnAnother) {
  ASSERT_TRUE(ClipboardPut("one", 3));
  bool putThere = false;
  cliptest::OnOtherThread([&putThere] { putThere = ClipboardPut("two", 3); });
  EXPECT_TRUE(putThere);
  Pasted pasted;
  EXPECT_EQ(pasted.Text(), "two");
}

TEST(ClipboardRules, EveryCopyChangesTheSequenceNumber) {
  ASSERT_TRUE(ClipboardPut("a", 1));
  DWORD before = GetClipboardSequenceNumber();
  ASSERT_TRUE(ClipboardPut("b", 1));
  EXPECT_NE(GetClipboardSequenceNumber(), before);
}

TEST(ClipboardPut, EmptyCopyLeavesTheClipboardUntouched) {
  ASSERT_TRUE(ClipboardPut("keep", 4));
  DWORD sequence = GetClipboardSequenceNumber();
  EXPECT_FALSE(ClipboardPut("", 0));
  EXPECT_FALSE(ClipboardPut(nullptr, 3));
  EXPECT_FALSE(ClipboardPut("xy", -1));
  EXPECT_EQ(GetClipboardSequenceNumber(), sequence);
  Pasted pasted;
  EXPECT_EQ(pasted.Text(), "keep");
}

TEST(ClipboardBadInput, TenMegabytesRoundTrip) {
  const int length = 10 * 1024 * 1024;
  std::string text(length, ' ');
  for (int i = 0; i < length; ++i) text[i] = char(32 + i % 95);
  ASSERT_TRUE(ClipboardPut(text.c_str(), length));

  std::string oem;
  ASSERT_TRUE(ReadBlock(CF_OEMTEXT, &oem));
  EXPECT_TRUE(oem.compare(0, text.size() + 1, Z(text)) == 0);
  std::vector<WCHAR> wide;
  ASSERT_TRUE(ReadWide(CF_UNICODETEXT, &wide));
  EXPECT_EQ(wide.size(), size_t(length));
  Pasted pasted;
  ASSERT_TRUE(pasted.ok);
  EXPECT_GE(pasted.size, length + 1);
  EXPECT_TRUE(pasted.Text() == text);
}

TEST(ClipboardBadInput, NulBytesInsideTheText) {
  const char text[] = "ab\0cd";
  ASSERT_TRUE(ClipboardPut(text, 5));
  std::string oem;
  ASSERT_TRUE(ReadBlock(CF_OEMTEXT, &oem));
  EXPECT_EQ(oem.substr(0, 6), std::string(text, 6));
  Pasted pasted;
  ASSERT_TRUE(pasted.ok);
  EXPECT_EQ(pasted.Text(), "ab");
}

TEST(ClipboardBadInput, NoTextFormatAtAll) {
  ASSERT_TRUE(Place({}));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  Pasted pasted;
  EXPECT_FALSE(pasted.ok);
  EXPECT_EQ(pasted.text, nullptr);
  EXPECT_EQ(pasted.size, 0);
}

// A copy pastes back exactly what was copied, whatever ANSI makes of it.
TEST_F(ClipboardCodePages, EveryByteGetsSomeAnsiAndUnicodeCharacterAndPastesBack) {
  for (UINT cp : CodePages()) {
    UseCodePage(cp);
    SCOPED_TRACE(cp);
    std::string text;
    for (int b = 1; b < 256; ++b) text += char(b);
    ASSERT_TRUE(ClipboardPut(text.c_str(), int(text.size())));
    std::vector<WCHAR> wide;
    ASSERT_TRUE(ReadWide(CF_UNICODETEXT, &wide));
    EXPECT_EQ(wide.size(), text.size());
    Pasted pasted;
    ASSERT_TRUE(pasted.ok);
    EXPECT_EQ(pasted.Text(), text);
  }
}
