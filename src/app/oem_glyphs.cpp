#include "app/oem_glyphs.hpp"

namespace app {
namespace {

const char16_t kControlGlyphs[33] = u" ☺☻♥♦♣♠•◘○◙♂♀♪♫☼►◄↕‼¶§▬↨↑↓→←∟↔▲▼";

const char16_t kHigh437[129] =
    u"ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜ¢£¥₧ƒáíóúñÑªº¿⌐¬½¼¡«»"
    u"░▒▓│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀"
    u"αßΓπΣσµτΦΘΩδ∞φε∩≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00A0";

const char16_t kHigh866[129] =
    u"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмноп"
    u"░▒▓│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀"
    u"рстуфхцчшщъыьэюяЁёЄєЇїЎў°∙·√№¤■\u00A0";

static_assert(sizeof(kControlGlyphs) / sizeof(char16_t) == 33, "32 control glyphs");
static_assert(sizeof(kHigh437) / sizeof(char16_t) == 129, "128 glyphs for 437");
static_assert(sizeof(kHigh866) / sizeof(char16_t) == 129, "128 glyphs for 866");

const char16_t *HighHalf(int codePage) {
  return codePage == 866 ? kHigh866 : kHigh437;
}

}  // namespace

bool IsSupportedCodePage(int codePage) {
  return codePage == 437 || codePage == 866;
}

char32_t OemToUnicode(unsigned char byte, int codePage) {
  if (byte < 0x20) return kControlGlyphs[byte];
  if (byte == 0x7F) return U'⌂';
  if (byte < 0x80) return byte;
  return HighHalf(codePage)[byte - 0x80];
}

int UnicodeToOem(char32_t ch, int codePage) {
  if (ch >= 0x20 && ch < 0x7F) return int(ch);
  const char16_t *high = HighHalf(codePage);
  for (int i = 0; i < 128; ++i)
    if (high[i] == ch) return 0x80 + i;
  return -1;
}

void AppendUtf8(std::string &out, char32_t ch) {
  if (ch < 0x80) {
    out += char(ch);
  } else if (ch < 0x800) {
    out += char(0xC0 | (ch >> 6));
    out += char(0x80 | (ch & 0x3F));
  } else if (ch < 0x10000) {
    out += char(0xE0 | (ch >> 12));
    out += char(0x80 | ((ch >> 6) & 0x3F));
    out += char(0x80 | (ch & 0x3F));
  } else {
    out += char(0xF0 | (ch >> 18));
    out += char(0x80 | ((ch >> 12) & 0x3F));
    out += char(0x80 | ((ch >> 6) & 0x3F));
    out += char(0x80 | (ch & 0x3F));
  }
}

std::string OemToUtf8(std::string_view oem, int codePage) {
  std::string out;
  out.reserve(oem.size());
  for (unsigned char byte : oem) AppendUtf8(out, OemToUnicode(byte, codePage));
  return out;
}

size_t DecodeUtf8(std::string_view text, char32_t &ch) {
  if (text.empty()) return 0;
  unsigned char lead = text[0];
  size_t length;
  char32_t value;
  if (lead < 0x80) {
    ch = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
  } else {
    ch = 0xFFFD;
    return 1;
  }
  for (size_t i = 1; i < length; ++i) {
    if (i >= text.size()) return 0;
    unsigned char next = text[i];
    if ((next & 0xC0) != 0x80) {
      ch = 0xFFFD;
      return 1;
    }
    value = (value << 6) | (next & 0x3F);
  }
  bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
  if (overlong || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    ch = 0xFFFD;
    return 1;
  }
  ch = value;
  return length;
}

}  // namespace app
