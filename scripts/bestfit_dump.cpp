// Prints, as C++ initialisers, how Windows narrows each character of the
// Basic Multilingual Plane that a code page lacks (its "best fit"): the
// source of src/winport/bestfit_table.inc. Built and run under wine by
// scripts/make-bestfit-table.sh.
#include <windows.h>

#include <cstdio>

int main() {
  const UINT pages[] = {437, 866, 1252, 1251};
  std::printf(
      "// How Windows narrows a character that a code page lacks: {character, byte}\n"
      "// by character, for code pages 437, 866, 1252 and 1251. Made by\n"
      "// scripts/make-bestfit-table.sh from the conversion functions under wine;\n"
      "// tests/winport/codepage_test.cpp holds both to it.\n");
  for (UINT page : pages) {
    std::printf("const BestFit kBestFit%u[] = {\n", page);
    int column = 0;
    for (unsigned c = 1; c < 0x10000; ++c) {
      if (c >= 0xD800 && c <= 0xDFFF) continue;
      WCHAR wide = WCHAR(c), back = 0;
      char byte = 0;
      BOOL usedDefault = FALSE;
      if (WideCharToMultiByte(page, 0, &wide, 1, &byte, 1, nullptr, &usedDefault) != 1 ||
          usedDefault)
        continue;
      MultiByteToWideChar(page, 0, &byte, 1, &back, 1);
      if (back == wide) continue;
      std::printf("%s{0x%04X, 0x%02X},", column == 0 ? "    " : " ", c, unsigned(byte & 0xFF));
      if (++column == 6) {
        std::printf("\n");
        column = 0;
      }
    }
    std::printf("%s};\n", column ? "\n" : "");
  }
  return 0;
}
