// The OEM and ANSI code pages (437 with 1252, or 866 with 1251) and UTF-8.
// The single-byte tables are built once from iconv; everything after that is
// plain table look-ups, safe from any thread.
#include <iconv.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "winport/codepage.h"
#include "winport/module.h"

namespace {

struct CodePage {
  UINT id = 0;
  const char *iconvName = nullptr;
  WCHAR toWide[256] = {};
  std::vector<std::pair<WCHAR, unsigned char>> exact;    // sorted by character
  std::vector<std::pair<WCHAR, unsigned char>> bestFit;  // near look-alikes
};

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

// A look-alike for a character the code page lacks: lines and corners of the
// box-drawing block become - | +, shades and blocks #, and other characters
// what iconv's transliteration gives when that is one character.
int BestFitByte(iconv_t translit, WCHAR ch) {
  if (ch >= 0x2500 && ch <= 0x257F) {
    static const WCHAR horizontal[] = {0x2500, 0x2501, 0x2504, 0x2505, 0x2508,
                                       0x2509, 0x254C, 0x254D, 0x2550, 0x2574,
                                       0x2576, 0x2578, 0x257A, 0x257C, 0x257E};
    static const WCHAR vertical[] = {0x2502, 0x2503, 0x2506, 0x2507, 0x250A, 0x250B, 0x254E, 0x254F,
                                     0x2551, 0x2575, 0x2577, 0x2579, 0x257B, 0x257D, 0x257F};
    if (std::find(std::begin(horizontal), std::end(horizontal), ch) != std::end(horizontal))
      return ch == 0x2550 ? '=' : '-';
    if (std::find(std::begin(vertical), std::end(vertical), ch) != std::end(vertical)) return '|';
    return '+';
  }
  if (ch >= 0x2580 && ch <= 0x259F) return '#';
  if (translit == reinterpret_cast<iconv_t>(-1)) return -1;
  // Transliterate from UTF-16LE; only a single printable byte counts.
  unsigned char in[2] = {static_cast<unsigned char>(ch & 0xFF),
                         static_cast<unsigned char>(ch >> 8)};
  char out[8] = {};
  char *inPtr = reinterpret_cast<char *>(in);
  char *outPtr = out;
  size_t inLeft = 2, outLeft = sizeof out;
  iconv(translit, nullptr, nullptr, nullptr, nullptr);
  if (iconv(translit, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) return -1;
  if (sizeof out - outLeft != 1 || out[0] == '?' || static_cast<unsigned char>(out[0]) < 0x20)
    return -1;
  return static_cast<unsigned char>(out[0]);
}

void BuildPage(CodePage &page, UINT id, const char *iconvName) {
  page.id = id;
  page.iconvName = iconvName;
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

void BuildBestFit(CodePage &page) {
  std::string target = std::string(page.iconvName) + "//TRANSLIT";
  iconv_t translit = iconv_open(target.c_str(), "UTF-16LE");
  // Candidates: every character of the four code pages, Latin-1 and Latin
  // Extended-A, general punctuation and the box-drawing block.
  std::vector<WCHAR> candidates;
  for (const CodePage &other : pages)
    for (WCHAR ch : other.toWide) candidates.push_back(ch);
  for (WCHAR ch = 0xA0; ch <= 0x17F; ++ch) candidates.push_back(ch);
  for (WCHAR ch = 0x2000; ch <= 0x206F; ++ch) candidates.push_back(ch);
  for (WCHAR ch = 0x2500; ch <= 0x259F; ++ch) candidates.push_back(ch);
  std::sort(candidates.begin(), candidates.end());
  candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
  for (WCHAR ch : candidates) {
    unsigned char byte;
    if (Find(page.exact, ch, byte)) continue;
    int fit = BestFitByte(translit, ch);
    if (fit >= 0) page.bestFit.emplace_back(ch, static_cast<unsigned char>(fit));
  }
  if (translit != reinterpret_cast<iconv_t>(-1)) iconv_close(translit);
}

void BuildPages() {
  BuildPage(pages[0], 437, "IBM437");
  BuildPage(pages[1], 866, "IBM866");
  BuildPage(pages[2], 1252, "CP1252");
  BuildPage(pages[3], 1251, "CP1251");
  for (CodePage &page : pages) BuildBestFit(page);
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
  if (bestFit && Find(page.bestFit, ch, byte)) return byte;
  return -1;
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

// One byte from one code page to another, through UTF-16, with look-alikes.
void Translate(UINT from, UINT to, const char *source, char *destination) {
  const CodePage *in = Page(from);
  const CodePage *out = Page(to);
  for (;; ++source, ++destination) {
    unsigned char byte = static_cast<unsigned char>(*source);
    if (byte == 0) {
      *destination = '\0';
      return;
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
  if (!source || !destination) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  UINT oem = oemCodePage.load();
  Translate(oem, AnsiPartner(oem), source, destination);
  return TRUE;
}

WINPORT_API BOOL WINAPI CharToOemA(LPCSTR source, LPSTR destination) {
  if (!source || !destination) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  UINT oem = oemCodePage.load();
  Translate(AnsiPartner(oem), oem, source, destination);
  return TRUE;
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
    for (size_t i = 0; i < length; ++i) wide.push_back(page->toWide[bytes[i]]);
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
