#include "kestrum/char_tables.hpp"

#include <locale.h>
#include <wctype.h>

#include <cstring>

namespace kestrum {

namespace {

// Layout of pcre2's tables: lower case, flipped case, ten class bitmaps and a
// type byte per character.
enum : size_t { kLower = 0, kFlip = 256, kBits = 512, kTypes = 832 };
enum : size_t {
  kBitSpace = 0,
  kBitXdigit = 32,
  kBitDigit = 64,
  kBitUpper = 96,
  kBitLower = 128,
  kBitWord = 160,
  kBitGraph = 192,
  kBitPrint = 224,
  kBitPunct = 256,
  kBitCntrl = 288,
};
enum : unsigned char {
  kSpace = 0x01,
  kLetter = 0x02,
  kLowerLetter = 0x04,
  kDigit = 0x08,
  kWord = 0x10
};

// Unicode classification, whatever locale the program has chosen.
locale_t UnicodeLocale() {
  static locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return locale;
}

struct Classes {
  bool space, xdigit, digit, upper, lower, alpha, graph, print, punct, cntrl;
};

Classes Classify(wint_t u) {
  locale_t l = UnicodeLocale();
  if (u < 128 || l == static_cast<locale_t>(nullptr)) {
    bool ascii = u < 128;
    auto in = [&](wint_t a, wint_t b) { return ascii && u >= a && u <= b; };
    bool upper = in('A', 'Z'), lower = in('a', 'z'), digit = in('0', '9');
    bool graph = in(0x21, 0x7E);
    return {in(9, 13) || u == ' ',
            digit || in('A', 'F') || in('a', 'f'),
            digit,
            upper,
            lower,
            upper || lower,
            graph,
            graph || u == ' ',
            graph && !(upper || lower || digit),
            in(0, 31) || u == 0x7F};
  }
  return {iswspace_l(u, l) != 0,
          false,
          false,
          iswupper_l(u, l) != 0,
          iswlower_l(u, l) != 0,
          iswalpha_l(u, l) != 0,
          iswgraph_l(u, l) != 0,
          iswprint_l(u, l) != 0,
          iswpunct_l(u, l) != 0,
          iswcntrl_l(u, l) != 0};
}

wint_t ToLower(wint_t u) {
  locale_t l = UnicodeLocale();
  if (u < 128 || l == static_cast<locale_t>(nullptr)) return u >= 'A' && u <= 'Z' ? u + 32 : u;
  return towlower_l(u, l);
}

wint_t ToUpper(wint_t u) {
  locale_t l = UnicodeLocale();
  if (u < 128 || l == static_cast<locale_t>(nullptr)) return u >= 'a' && u <= 'z' ? u - 32 : u;
  return towupper_l(u, l);
}

void SetBit(unsigned char *tables, size_t map, int c) {
  tables[kBits + map + c / 8] |= static_cast<unsigned char>(1u << (c % 8));
}

}  // namespace

void BuildCharTables(const WCHAR unicode[256], unsigned char tables[kCharTablesSize]) {
  std::memset(tables, 0, kCharTablesSize);
  wint_t chars[256];
  for (int c = 0; c < 256; ++c) chars[c] = c < 128 ? static_cast<wint_t>(c) : unicode[c];
  auto byteOf = [&](wint_t u, int fallback) {
    for (int b = 0; b < 256; ++b)
      if (chars[b] == u) return b;
    return fallback;
  };
  for (int c = 0; c < 256; ++c) {
    Classes k = Classify(chars[c]);
    int lower = k.upper ? byteOf(ToLower(chars[c]), c) : c;
    int flip = k.upper ? lower : k.lower ? byteOf(ToUpper(chars[c]), c) : c;
    tables[kLower + c] = static_cast<unsigned char>(lower);
    tables[kFlip + c] = static_cast<unsigned char>(flip);
    bool word = k.alpha || k.digit || c == '_';
    if (k.space) SetBit(tables, kBitSpace, c);
    if (k.xdigit) SetBit(tables, kBitXdigit, c);
    if (k.digit) SetBit(tables, kBitDigit, c);
    if (k.upper) SetBit(tables, kBitUpper, c);
    if (k.lower) SetBit(tables, kBitLower, c);
    if (word) SetBit(tables, kBitWord, c);
    if (k.graph) SetBit(tables, kBitGraph, c);
    if (k.print) SetBit(tables, kBitPrint, c);
    if (k.punct) SetBit(tables, kBitPunct, c);
    if (k.cntrl) SetBit(tables, kBitCntrl, c);
    unsigned char type = 0;
    if (k.space) type |= kSpace;
    if (k.alpha) type |= kLetter;
    if (k.lower) type |= kLowerLetter;
    if (k.digit) type |= kDigit;
    if (word) type |= kWord;
    tables[kTypes + c] = type;
  }
  // Caseless matching needs pairs: a flip that does not come back is none.
  for (int c = 0; c < 256; ++c) {
    if (tables[kFlip + tables[kFlip + c]] != c) tables[kFlip + c] = static_cast<unsigned char>(c);
  }
}

void BuildOemCharTables(unsigned char tables[kCharTablesSize]) {
  char bytes[256];
  for (int b = 0; b < 256; ++b) bytes[b] = static_cast<char>(b);
  WCHAR unicode[256] = {};
  if (MultiByteToWideChar(CP_OEMCP, 0, bytes, 256, unicode, 256) != 256) {
    // Unknown upper half: no letters there, nothing else changes.
    for (int b = 128; b < 256; ++b) unicode[b] = 0xFFFF;
  }
  // Every engine builds them: the last code page's tables are kept.
  thread_local WCHAR lastUnicode[256];
  thread_local unsigned char lastTables[kCharTablesSize];
  thread_local bool built = false;
  if (!built || std::memcmp(lastUnicode, unicode, sizeof unicode) != 0) {
    BuildCharTables(unicode, lastTables);
    std::memcpy(lastUnicode, unicode, sizeof unicode);
    built = true;
  }
  std::memcpy(tables, lastTables, kCharTablesSize);
}

}  // namespace kestrum
