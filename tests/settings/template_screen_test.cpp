// A compact template expanded and shown by the file manager stand-in, headless:
// the screen it draws, and the states the expansion handed over.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <fstream>
#include <sstream>
#include <string>

#include "dialogs/compact_template.hpp"
#include "farhost/backend.hpp"
#include "farhost/farhost.hpp"
#include "settings/module_state.hpp"

namespace {

// Gives the queued keys, then ends input; the screen is kept as it stood
// when input ran out.
class Headless : public farhost::Backend {
 public:
  void Show(const farhost::Screen &) override {}
  farhost::InputEvent Wait() override {
    farhost::InputEvent event;
    if (!keys.empty()) {
      event.kind = farhost::InputEvent::Key;
      event.key = keys.front();
      keys.pop_front();
      return event;
    }
    if (text.empty()) {
      text = farhost::TheScreen().TextDump();
      attributes = farhost::TheScreen().AttributeDump();
    }
    event.kind = farhost::InputEvent::Quit;
    return event;
  }
  std::deque<DWORD> keys;
  std::string text, attributes;
};

// Box characters of the OEM code page as Unicode; other high bytes as \xNN.
std::string Readable(const std::string &oem) {
  static const struct {
    unsigned char oem;
    const char *utf8;
  } glyphs[] = {{0xC9, "╔"}, {0xBB, "╗"}, {0xC8, "╚"}, {0xBC, "╝"}, {0xCD, "═"}, {0xBA, "║"},
                {0xDA, "┌"}, {0xBF, "┐"}, {0xC0, "└"}, {0xD9, "┘"}, {0xC4, "─"}, {0xB3, "│"},
                {0xC7, "╟"}, {0xB6, "╢"}, {0xC3, "├"}, {0xB4, "┤"}, {0xB0, "░"}, {0xDB, "█"}};
  std::string out;
  for (unsigned char c : oem) {
    const char *glyph = nullptr;
    for (const auto &g : glyphs)
      if (g.oem == c) glyph = g.utf8;
    if (glyph) {
      out += glyph;
    } else if (c >= 0x80 || (c < 0x20 && c != '\n')) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += char(c);
    }
  }
  return out;
}

void ExpectGolden(const std::string &name, const std::string &actual) {
  std::string path = std::string(SETTINGS_GOLDEN_DIR) + "/" + name + ".txt";
  const char *update = std::getenv("PARDUNE_UPDATE_GOLDEN");
  if (update && *update == '1') {
    std::ofstream(path, std::ios::binary) << actual;
    return;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in.good()) << "missing " << path;
  std::stringstream expected;
  expected << in.rdbuf();
  EXPECT_EQ(expected.str(), actual) << name;
}

enum { kTitle = 26, kFirst = 27, kSecond = 28, kNote = 29, kSave = 3, kCancel = 4 };

const CompactItem kDialog[] = {
    {DI_DOUBLEBOX, 3, 1, 40, 9, 0, kTitle},
    {DI_CHECKBOX | CIF_FOCUS, 5, 2, 0, 0, 0, kFirst},
    {DI_CHECKBOX | CIF_SELECTED, 5, 3, 0, 0, 0, kSecond},
    {DI_CHECKBOX | CIF_VALUE | CIF_DISABLE, 5, 4, 0, 0, 0, 1},
    {DI_TEXT, -1, 5, 0, 0, 0, kNote},
    {DI_EDIT | CIF_VALUE, 5, 6, 38, 6, 0, 0},
    {DI_TEXT, 3, 7, 0, 0, DIF_SEPARATOR, 0},
    {DI_BUTTON | CIF_DEFAULT, 0, 8, 0, 0, DIF_CENTERGROUP, kSave},
    {DI_BUTTON, 0, 8, 0, 0, DIF_CENTERGROUP, kCancel},
    {CIF_END, 0, 0, 0, 0, 0, 0},
};
enum { kItems = 9 };

class TemplateScreen : public ::testing::Test {
 protected:
  TemplateScreen() : state("Software\\ParduneTest\\Unused") {
    state.SetText(kTitle, "Options");
    state.SetText(kFirst, "&Evaluate on the fly");
    state.SetText(kSecond, "&Strip spaces");
    state.SetText(kNote, "centred note");
    state.SetText(kSave, "&Save");
    state.SetText(kCancel, "Cancel");
    farhost::TheScreen().Resize(50, 12);
    farhost::TheScreen().Fill(0, 0, 49, 11, ' ', 0x07);
    farhost::SetBackend(&backend);
  }
  ~TemplateScreen() override { farhost::SetBackend(nullptr); }

  int Show() {
    ExpandTemplate(kDialog, items);
    return farhost::DialogEx(0, -1, -1, 44, 11, nullptr, items, kItems, 0, 0, nullptr, 0);
  }

  ModuleState state;
  Headless backend;
  FarDialogItem items[kItems + 1];
};

TEST_F(TemplateScreen, Drawn) {
  EXPECT_EQ(-1, Show());
  ExpectGolden("template_dialog", Readable(backend.text) + "\n" + backend.attributes);
}

TEST_F(TemplateScreen, DefaultButtonAndStatesReachTheHost) {
  backend.keys = {KEY_SPACE, KEY_ENTER};  // toggle the focused box, then the default button
  EXPECT_EQ(7, Show());
  EXPECT_EQ(1, items[1].Selected);
  EXPECT_EQ(1, items[2].Selected);
  EXPECT_EQ(1, items[3].Selected);
}

}  // namespace
