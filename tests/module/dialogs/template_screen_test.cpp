// A compact template expanded and shown by the file manager stand-in, headless:
// the screen it draws, and the states the expansion handed over.
#include <gtest/gtest.h>

#include "dialogs/compact_template.hpp"
#include "farhost/farhost.hpp"
#include "module/module_state.hpp"
#include "support/golden.hpp"
#include "support/queue_backend.hpp"

namespace {

using test_support::Key;
using test_support::Readable;

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
  test_support::QueueBackend backend;
  FarDialogItem items[kItems + 1];
};

TEST_F(TemplateScreen, Drawn) {
  EXPECT_EQ(-1, Show());
  test_support::ExpectGolden(DIALOGS_GOLDEN_DIR, "template_dialog",
                             Readable(backend.finalText) + "\n" + backend.finalAttributes);
}

TEST_F(TemplateScreen, DefaultButtonAndStatesReachTheHost) {
  backend.events = {Key(KEY_SPACE),
                    Key(KEY_ENTER)};  // toggle the focused box, then the default button
  EXPECT_EQ(7, Show());
  EXPECT_EQ(1, items[1].Selected);
  EXPECT_EQ(1, items[2].Selected);
  EXPECT_EQ(1, items[3].Selected);
}

}  // namespace
