// The hosts' codec: UTF-8 to the OEM code page and back, the console's
// glyphs, and one character at a time for typed input.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "codec/codec.hpp"

namespace {

struct GlyphCase {
  unsigned char byte;
  int codePage;
  char32_t glyph;
};

const GlyphCase kGlyphs[] = {
    {0x00, 437, U' '}, {0x01, 437, U'☺'},      {0x07, 437, U'•'}, {0x0F, 437, U'☼'},
    {0x10, 437, U'►'}, {0x1B, 437, U'←'},      {0x1F, 437, U'▼'}, {0x1F, 866, U'▼'},
    {'A', 437, U'A'},  {0x7F, 437, U'⌂'},      {0x80, 437, U'Ç'}, {0x80, 866, U'А'},
    {0x9F, 866, U'Я'}, {0xA0, 866, U'а'},      {0xE0, 866, U'р'}, {0xF0, 866, U'Ё'},
    {0xFC, 866, U'№'}, {0xB0, 437, U'░'},      {0xBA, 866, U'║'}, {0xC4, 437, U'─'},
    {0xC9, 437, U'╔'}, {0xCD, 866, U'═'},      {0xDB, 437, U'█'}, {0xE1, 437, U'ß'},
    {0xFE, 437, U'■'}, {0xFF, 437, U'\u00A0'}, {0xFA, 866, U'·'},
};

class GlyphTable : public testing::TestWithParam<GlyphCase> {};

TEST_P(GlyphTable, ShowsOemBytesAsUnicode) {
  const GlyphCase &c = GetParam();
  EXPECT_EQ(codec::OemGlyphs(UINT(c.codePage))[c.byte], c.glyph);
}

INSTANTIATE_TEST_SUITE_P(Glyphs, GlyphTable, testing::ValuesIn(kGlyphs));

TEST(Glyphs, PrintableBytesRoundTrip) {
  for (UINT cp : {437u, 866u}) {
    const codec::OemGlyphs glyphs(cp);
    for (int b = 0x20; b < 0xFF; ++b) {
      if (b == 0x7F) continue;
      EXPECT_EQ(codec::OemByte(glyphs[(unsigned char)b], cp), b) << cp << " " << b;
    }
    EXPECT_EQ(codec::OemByte(glyphs[1], cp), -1);  // a control byte's picture types nothing
  }
}

TEST(Glyphs, Utf8Output) {
  EXPECT_EQ(codec::OemGlyphs(437).ToUtf8("\xC9\xCD\xBB Hi\x01"), "╔═╗ Hi☺");
  EXPECT_EQ(codec::OemGlyphs(866).ToUtf8("\x8F\xE0\xA8\xA2\xA5\xE2"), "Привет");
}

TEST(Glyphs, Utf8DecodingRejectsMalformedInput) {
  char32_t ch = 0;
  EXPECT_EQ(codec::DecodeUtf8("\xF0\x9F\x98\x80", &ch), 4u);
  EXPECT_EQ(ch, U'\U0001F600');
  EXPECT_EQ(codec::DecodeUtf8("\xC0\xAF", &ch), 1u);  // overlong
  EXPECT_EQ(ch, char32_t(0xFFFD));
  EXPECT_EQ(codec::DecodeUtf8("\xED\xA0\x80", &ch), 1u);  // surrogate
  EXPECT_EQ(codec::DecodeUtf8("\xE2\x28\xA1", &ch), 1u);  // bad continuation
  EXPECT_EQ(codec::DecodeUtf8("\xE2\x82", &ch), 0u);      // cut: needs more
}

TEST(Utf8ToOem, ConvertsToTheOemCodePage) {
  // The expected bytes come from the platform's own conversion.
  const WCHAR wide[] = {0x00E9, 0x2500, 0x0041};
  char expected[3];
  ASSERT_EQ(WideCharToMultiByte(CP_OEMCP, 0, wide, 3, expected, 3, nullptr, nullptr), 3);
  EXPECT_EQ(codec::Utf8ToOem("\xC3\xA9\xE2\x94\x80"
                             "A"),
            std::string(expected, 3));
  EXPECT_EQ(codec::Utf8ToOem(""), "");
  EXPECT_EQ(codec::Utf8ToOem("plain"), "plain");
  EXPECT_EQ(codec::Utf8ToOem("\xF0\x9F\x98\x80"), "?");  // no OEM character for it
#ifndef _WIN32
  ASSERT_EQ(GetOEMCP(), 437u);
  EXPECT_EQ(codec::Utf8ToOem("\xC3\xA9\xE2\x94\x80\xE2\x95\x90"), "\x82\xC4\xCD");
#endif
}

// Texts are converted a piece at a time; a character never falls apart at a
// cut, and a stray continuation byte after a whole one stays one '?'.
TEST(Utf8ToOem, MalformedWideAndAcrossPieces) {
  EXPECT_EQ(codec::Utf8ToOem("caf\xE9!"), "caf?!");
  // Each malformed part is its longest valid start, on every platform.
  EXPECT_EQ(codec::Utf8ToOem("a\xE2\x94"), "a?");
  EXPECT_EQ(codec::Utf8ToOem("\xE2\x82"
                             "A\xE0\x80\x80\xF0\x9F\x98"),
            "?A????");
  const std::string head(65532, 'x');
  const std::string stray = head + "\xF0\x9F\x98\x80\x80y";
  EXPECT_EQ(codec::Utf8ToOem(stray), head + "??y");
  EXPECT_FALSE(codec::IsUtf8(stray));
  EXPECT_TRUE(codec::IsUtf8(head + "\xF0\x9F\x98\x80y"));
  EXPECT_TRUE(codec::IsUtf8(""));
  std::string cut = std::string(65535, 'x') + "\xE2\x94\x80";
  ASSERT_TRUE(codec::IsUtf8(cut));
  codec::Utf8ToOem(&cut);
  EXPECT_EQ(cut, std::string(65535, 'x') + codec::Utf8ToOem("\xE2\x94\x80"));
  EXPECT_EQ(cut.size(), 65536u);
}

}  // namespace
