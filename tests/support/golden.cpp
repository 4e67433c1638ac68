#include "support/golden.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace test_support {

std::string Readable(const std::string &oem) {
  static const struct {
    unsigned char oem;
    const char *utf8;
  } glyphs[] = {
      {0xC4, "─"}, {0xB3, "│"}, {0xDA, "┌"}, {0xBF, "┐"}, {0xC0, "└"}, {0xD9, "┘"}, {0xC3, "├"},
      {0xB4, "┤"}, {0xCD, "═"}, {0xBA, "║"}, {0xC9, "╔"}, {0xBB, "╗"}, {0xC8, "╚"}, {0xBC, "╝"},
      {0xC7, "╟"}, {0xB6, "╢"}, {0xB0, "░"}, {0xB2, "▓"}, {0xDB, "█"}, {0x07, "•"},
  };
  std::string out;
  for (unsigned char c : oem) {
    const char *glyph = nullptr;
    for (const auto &g : glyphs)
      if (g.oem == c) glyph = g.utf8;
    if (glyph) {
      out += glyph;
    } else if (c == '\n' || (c >= 0x20 && c < 0x7F)) {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

std::string ScreenDump(const std::string &text, const std::string &attributes) {
  return Readable(text) + "-- attributes --\n" + attributes;
}

void ExpectGolden(const std::string &dir, const std::string &name, const std::string &actual) {
  std::string path = dir + "/" + name + ".txt";
  const char *update = std::getenv("PARDUNE_UPDATE_GOLDEN");
  if (update && *update == '1') {
    std::ofstream out(path, std::ios::binary);
    out << actual;
    ASSERT_TRUE(out.good()) << "cannot write " << path;
    return;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in.is_open()) << "no golden " << path << " (PARDUNE_UPDATE_GOLDEN=1 writes it)";
  std::stringstream expected;
  expected << in.rdbuf();
  EXPECT_EQ(expected.str(), actual) << "golden " << name;
}

}  // namespace test_support
