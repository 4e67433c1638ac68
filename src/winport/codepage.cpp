// The OEM and ANSI code pages (437 with 1252, or 866 with 1251) and UTF-8.
// The single-byte tables are built once from iconv, and a character a code
// page lacks becomes Windows' own look-alike for it (bestfit_table.inc);
// everything after that is plain table look-ups, safe from any thread.
// UTF-8 is decoded as Windows does: a malformed sequence is one U+FFFD for
// its longest valid start, or a failure with MB_ERR_INVALID_CHARS.
#include <iconv.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <iterator>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "winport/codepage.h"
#include "winport/module.h"

namespace {

struct BestFit {
  WCHAR ch;
  unsigned char byte;
};

#include "bestfit_table.inc"

struct CodePage {
  UINT id = 0;
  WCHAR toWide[256] = {};
  std::vector<std::pair<WCHAR, unsigned char>> exact;  // sorted by character
  const BestFit *bestFit = nullptr;                    // Windows' look-alikes
  size_t bestFits = 0;
};

// The pictures a console shows for the control bytes of the OEM code pages
// (MB_USEGLYPHCHARS): 0x01-0x1F, and 0x7F.
const char16_t kControlGlyphs[33] = u"\0☺☻♥♦♣♠•◘○◙♂♀♪♫☼►◄↕‼¶§▬↨↑↓→←∟↔▲▼";
const char16_t kDeleteGlyph = u'⌂';
static_assert(sizeof kControlGlyphs / sizeof(char16_t) == 33, "32 control glyphs");

CodePage pages[4];
std::once_flag pagesBuilt;
std::atomic<UINT> oemCodePage{437};

// One byte of the code page as UTF-16, or 0 when iconv has none for it.
WCHAR DecodeByte(iconv_t cd, unsigned char byte) {
  char in[1] = {static_cast<char>(byte)};
  unsigned char out[4] = {};
  char *inPtr = in;
  char *outPtr = reinterpret_cast<char *>(out);
  size_t inLeft = 1, outLeft = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) return 0;
  if (sizeof out - outLeft != 2) return 0;
  return static_cast<WCHAR>(out[0] | (out[1] << 8));
}

void BuildPage(CodePage &page, UINT id, const char *iconvName, const BestFit *bestFit,
               size_t bestFits) {
  page.id = id;
  page.bestFit = bestFit;
  page.bestFits = bestFits;
  iconv_t cd = iconv_open("UTF-16LE", iconvName);
  for (int b = 0; b < 256; ++b) {
    WCHAR ch =
        cd == reinterpret_cast<iconv_t>(-1) ? 0 : DecodeByte(cd, static_cast<unsigned char>(b));
    // Bytes the code page leaves undefined map to the control character of
    // the same value, as Windows maps them.
    if (ch == 0 && b != 0) ch = static_cast<WCHAR>(b);
    if (b < 0x80 && cd == reinterpret_cast<iconv_t>(-1)) ch = static_cast<WCHAR>(b);
    page.toWide[b] = ch;
  }
  if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  for (int b = 255; b >= 0; --b)
    page.exact.emplace_back(page.toWide[b], static_cast<unsigned char>(b));
  // A character defined twice keeps its lowest byte.
  std::stable_sort(page.exact.begin(), page.exact.end(),
                   [](const auto &a, const auto &b) { return a.first < b.first; });
  page.exact.erase(std::unique(page.exact.begin(), page.exact.end(),
                               [](const auto &a, const auto &b) { return a.first == b.first; }),
                   page.exact.end());
}

bool Find(const std::vector<std::pair<WCHAR, unsigned char>> &table, WCHAR ch,
          unsigned char &byte) {
  auto it = std::lower_bound(table.begin(), table.end(), ch,
                             [](const auto &entry, WCHAR value) { return entry.first < value; });
  if (it == table.end() || it->first != ch) return false;
  byte = it->second;
  return true;
}

void BuildPages() {
  BuildPage(pages[0], 437, "IBM437", kBestFit437, std::size(kBestFit437));
  BuildPage(pages[1], 866, "IBM866", kBestFit866, std::size(kBestFit866));
  BuildPage(pages[2], 1252, "CP1252", kBestFit1252, std::size(kBestFit1252));
  BuildPage(pages[3], 1251, "CP1251", kBestFit1251, std::size(kBestFit1251));
}

const CodePage *Page(UINT id) {
  std::call_once(pagesBuilt, BuildPages);
  for (const CodePage &page : pages)
    if (page.id == id) return &page;
  return nullptr;
}

UINT AnsiPartner(UINT oem) {
  return oem == 866 ? 1251 : 1252;
}

// The code page a conversion call names; 0 for one we do not know.
UINT Resolve(UINT codePage) {
  switch (codePage) {
    case CP_ACP:
      return AnsiPartner(oemCodePage.load());
    case CP_OEMCP:
      return oemCodePage.load();
    case 437:
    case 866:
    case 1251:
    case 1252:
    case CP_UTF8:
      return codePage;
    default:
      return 0;
  }
}

// A character as a byte of `page`: exact, else a look-alike when allowed,
// else -1.
int Narrow(const CodePage &page, WCHAR ch, bool bestFit) {
  unsigned char byte;
  if (Find(page.exact, ch, byte)) return byte;
  if (!bestFit) return -1;
  const BestFit *end = page.bestFit + page.bestFits;
  const BestFit *fit = std::lower_bound(page.bestFit, end, ch,
                                        [](const BestFit &entry, WCHAR c) { return entry.ch < c; });
  return fit != end && fit->ch == ch ? fit->byte : -1;
}

// UTF-8 to UTF-16; malformed sequences become U+FFFD, or fail when `strict`.
bool DecodeUtf8(const unsigned char *s, size_t n, std::vector<WCHAR> &out, bool strict) {
  size_t i = 0;
  while (i < n) {
    unsigned char c = s[i];
    if (c < 0x80) {
      out.push_back(c);
      ++i;
      continue;
    }
    int need = 0;
    uint32_t cp = 0, min = 0;
    if (c >= 0xC2 && c <= 0xDF)
      need = 1, cp = c & 0x1F, min = 0x80;
    else if (c >= 0xE0 && c <= 0xEF)
      need = 2, cp = c & 0x0F, min = 0x800;
    else if (c >= 0xF0 && c <= 0xF4)
      need = 3, cp = c & 0x07, min = 0x10000;
    size_t j = i + 1;
    bool good = need > 0;
    for (int k = 0; good && k < need; ++k, ++j) {
      if (j >= n || (s[j] & 0xC0) != 0x80) {
        good = false;
        break;
      }
      cp = (cp << 6) | (s[j] & 0x3F);
      // Reject overlong forms, surrogates and values past U+10FFFF as early
      // as the second byte shows them, so the next byte starts afresh.
      if (k == 0 && need >= 2) {
        uint32_t top = cp << (6 * (need - 1));
        if (top < min || (top >= 0xD800 && top <= 0xDFFF) || top > 0x10FFFF) {
          good = false;
          break;
        }
      }
    }
    if (!good || cp < min) {
      if (strict) return false;
      out.push_back(0xFFFD);
      i = std::max(j, i + 1);
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<WCHAR>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<WCHAR>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<WCHAR>(cp));
    }
    i = j;
  }
  return true;
}

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD, or fails when `strict`.
bool EncodeUtf8(const WCHAR *s, size_t n, std::string &out, bool strict) {
  for (size_t i = 0; i < n; ++i) {
    uint32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      if (strict) return false;
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return true;
}

// Copies a converted result out the Windows way: the size alone when the
// destination size is 0, nothing and an error when it does not fit.
template <typename T>
int Deliver(const T *data, size_t count, T *destination, int destinationLength) {
  if (count > 0x7FFFFFFF) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (destinationLength == 0) return static_cast<int>(count);
  if (count > static_cast<size_t>(destinationLength)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (count) std::memcpy(destination, data, count * sizeof(T));
  return static_cast<int>(count);
}

// A text from one code page to another, through UTF-16, with look-alikes.
BOOL Translate(UINT from, UINT to, const char *source, char *destination) {
  if (!source || !destination) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const CodePage *in = Page(from);
  const CodePage *out = Page(to);
  for (;; ++source, ++destination) {
    unsigned char byte = static_cast<unsigned char>(*source);
    if (byte == 0) {
      *destination = '\0';
      return TRUE;
    }
    int mapped = Narrow(*out, in->toWide[byte], true);
    *destination = static_cast<char>(mapped < 0 ? '?' : mapped);
  }
}

}  // namespace

WINPORT_API UINT WINAPI GetOEMCP() {
  return oemCodePage.load();
}

WINPORT_API UINT WINAPI GetACP() {
  return AnsiPartner(oemCodePage.load());
}

WINPORT_API BOOL WinportSetOemCodePage(UINT codePage) {
  if (codePage != 437 && codePage != 866) return FALSE;
  oemCodePage.store(codePage);
  return TRUE;
}

WINPORT_API BOOL WINAPI OemToCharA(LPCSTR source, LPSTR destination) {
  const UINT oem = oemCodePage.load();
  return Translate(oem, AnsiPartner(oem), source, destination);
}

WINPORT_API BOOL WINAPI CharToOemA(LPCSTR source, LPSTR destination) {
  const UINT oem = oemCodePage.load();
  return Translate(AnsiPartner(oem), oem, source, destination);
}

WINPORT_API int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source,
                                           int sourceLength, LPWSTR destination,
                                           int destinationLength) {
  UINT id = Resolve(codePage);
  if (!id || !source || sourceLength == 0 || sourceLength < -1 || destinationLength < 0 ||
      (!destination && destinationLength != 0) ||
      (destination &&
       static_cast<const void *>(destination) == static_cast<const void *>(source))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t length = sourceLength == -1 ? std::strlen(source) + 1 : static_cast<size_t>(sourceLength);
  const auto *bytes = reinterpret_cast<const unsigned char *>(source);
  std::vector<WCHAR> wide;
  wide.reserve(length);
  if (id == CP_UTF8) {
    if (!DecodeUtf8(bytes, length, wide, (flags & MB_ERR_INVALID_CHARS) != 0)) {
      SetLastError(ERROR_NO_UNICODE_TRANSLATION);
      return 0;
    }
  } else {
    const CodePage *page = Page(id);
    const bool glyphs = (flags & MB_USEGLYPHCHARS) && (id == 437 || id == 866);
    for (size_t i = 0; i < length; ++i) {
      const unsigned char byte = bytes[i];
      if (glyphs && byte == 0x7F)
        wide.push_back(kDeleteGlyph);
      else if (glyphs && byte < 0x20)
        wide.push_back(kControlGlyphs[byte]);
      else
        wide.push_back(page->toWide[byte]);
    }
  }
  return Deliver(wide.data(), wide.size(), destination, destinationLength);
}

WINPORT_API int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR source,
                                           int sourceLength, LPSTR destination,
                                           int destinationLength, LPCSTR defaultChar,
                                           LPBOOL usedDefaultChar) {
  UINT id = Resolve(codePage);
  if (!id || !source || sourceLength == 0 || sourceLength < -1 || destinationLength < 0 ||
      (!destination && destinationLength != 0) ||
      (id == CP_UTF8 && (defaultChar || usedDefaultChar))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t length = 0;
  if (sourceLength == -1) {
    while (source[length]) ++length;
    ++length;
  } else {
    length = static_cast<size_t>(sourceLength);
  }
  std::string narrow;
  narrow.reserve(length);
  if (id == CP_UTF8) {
    if (!EncodeUtf8(source, length, narrow, (flags & WC_ERR_INVALID_CHARS) != 0)) {
      SetLastError(ERROR_NO_UNICODE_TRANSLATION);
      return 0;
    }
  } else {
    const CodePage *page = Page(id);
    const bool bestFit = (flags & WC_NO_BEST_FIT_CHARS) == 0;
    const char fallback = defaultChar ? *defaultChar : '?';
    bool used = false;
    for (size_t i = 0; i < length; ++i) {
      int byte = Narrow(*page, source[i], bestFit);
      if (byte < 0) {
        used = true;
        narrow.push_back(fallback);  // one for each UTF-16 unit, as Windows does
      } else {
        narrow.push_back(static_cast<char>(byte));
      }
    }
    if (usedDefaultChar) *usedDefaultChar = used ? TRUE : FALSE;
  }
  return Deliver(narrow.data(), narrow.size(), destination, destinationLength);
}
