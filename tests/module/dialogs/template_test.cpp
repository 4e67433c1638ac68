// Compact dialog templates: the record's bytes and their expansion into the
// file manager's dialog items.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "dialogs/compact_template.hpp"
#include "module/module_state.hpp"

namespace {

TEST(CompactItemLayout, EighteenPackedBytes) {
  EXPECT_EQ(18u, sizeof(CompactItem));
  EXPECT_EQ(0u, offsetof(CompactItem, Control));
  EXPECT_EQ(2u, offsetof(CompactItem, X1));
  EXPECT_EQ(4u, offsetof(CompactItem, Y1));
  EXPECT_EQ(6u, offsetof(CompactItem, X2));
  EXPECT_EQ(8u, offsetof(CompactItem, Y2));
  EXPECT_EQ(10u, offsetof(CompactItem, Flags));
  EXPECT_EQ(14u, offsetof(CompactItem, Value));
  EXPECT_EQ(36u, sizeof(CompactItem[2]));  // no gaps between records either
}

TEST(CompactItemLayout, LittleEndianBytes) {
  const unsigned char bytes[18] = {0x07, 0x14,               // button, focus + default
                                   0xFF, 0xFF, 0x02, 0x00,   // X1 -1, Y1 2
                                   0x34, 0x12, 0xFE, 0xFF,   // X2 0x1234, Y2 -2
                                   0x00, 0x01, 0x00, 0x80,   // flags
                                   0x2F, 0x00, 0x00, 0x00};  // value 47
  CompactItem item;
  std::memcpy(&item, bytes, sizeof item);
  EXPECT_EQ(0x1407, +item.Control);  // a copy: packed fields bind no references
  EXPECT_EQ(-1, +item.X1);
  EXPECT_EQ(2, +item.Y1);
  EXPECT_EQ(0x1234, +item.X2);
  EXPECT_EQ(-2, +item.Y2);
  EXPECT_EQ(0x80000100u, +item.Flags);
  EXPECT_EQ(47, +item.Value);
}

class Expansion : public ::testing::Test {
 protected:
  Expansion() : state("Software\\ParduneTest\\Unused") {
    state.SetText(5, "&Paste");
    state.SetText(7, std::string(600, 'x') + "tail");
    state.SetText(12, "Text");
  }
  // Records filled with junk first: the expansion must write every field.
  static void Junk(FarDialogItem *items, int count) {
    std::memset(items, 0xCC, sizeof(FarDialogItem) * size_t(count));
  }
  ModuleState state;
};

struct Case {
  const char *name;
  CompactItem item;
  int type, x1, y1, x2, y2, focus, selected;
  DWORD flags;
  int defaultButton;
  const char *data;
};

TEST_F(Expansion, OneRecordTable) {
  const Case cases[] = {
      {"text", {DI_TEXT, 5, 2, 0, 0, 0, 12}, DI_TEXT, 5, 2, 0, 0, 0, 0, 0, 0, "Text"},
      {"centered",
       {DI_TEXT, -1, 3, -1, -1, DIF_SEPARATOR, 12},
       DI_TEXT,
       -1,
       3,
       -1,
       -1,
       0,
       0,
       DIF_SEPARATOR,
       0,
       "Text"},
      {"no text",
       {DI_EDIT, 1, 1, 70, 1, DIF_EDITOR, 0},
       DI_EDIT,
       1,
       1,
       70,
       1,
       0,
       0,
       DIF_EDITOR,
       0,
       ""},
      {"focus",
       {DI_BUTTON | CIF_FOCUS, 2, 9, 0, 0, 0, 5},
       DI_BUTTON,
       2,
       9,
       0,
       0,
       1,
       0,
       0,
       0,
       "&Paste"},
      {"default",
       {DI_BUTTON | CIF_DEFAULT, 2, 9, 0, 0, 0, 5},
       DI_BUTTON,
       2,
       9,
       0,
       0,
       0,
       0,
       0,
       1,
       "&Paste"},
      {"selected",
       {DI_CHECKBOX | CIF_SELECTED, 3, 4, 0, 0, 0, 12},
       DI_CHECKBOX,
       3,
       4,
       0,
       0,
       0,
       1,
       0,
       0,
       "Text"},
      {"disabled",
       {DI_BUTTON | CIF_DISABLE, 2, 9, 0, 0, DIF_NOBRACKETS, 5},
       DI_BUTTON,
       2,
       9,
       0,
       0,
       0,
       0,
       DIF_NOBRACKETS | DIF_DISABLE,
       0,
       "&Paste"},
      {"value",
       {DI_RADIOBUTTON | CIF_VALUE, 3, 4, 0, 0, DIF_GROUP, 0x12345},
       DI_RADIOBUTTON,
       3,
       4,
       0,
       0,
       0,
       0x12345,
       DIF_GROUP,
       0,
       ""},
      {"value beats selected",
       {DI_CHECKBOX | CIF_VALUE | CIF_SELECTED, 3, 4, 0, 0, 0, 2},
       DI_CHECKBOX,
       3,
       4,
       0,
       0,
       0,
       2,
       0,
       0,
       ""},
      {"value zero",
       {DI_CHECKBOX | CIF_VALUE | CIF_SELECTED, 3, 4, 0, 0, 0, 0},
       DI_CHECKBOX,
       3,
       4,
       0,
       0,
       0,
       0,
       0,
       0,
       ""},
      {"negative value",
       {DI_TEXT | CIF_VALUE, 0, 0, 0, 0, 0, -7},
       DI_TEXT,
       0,
       0,
       0,
       0,
       0,
       -7,
       0,
       0,
       ""},
      {"history",
       {DI_EDIT | CIF_HISTORY | CIF_SELECTED, 5, 2, 60, 2, 0, 99},
       DI_EDIT,
       5,
       2,
       60,
       2,
       0,
       99,
       DIF_HISTORY,
       0,
       ""},
      {"everything",
       {DI_BUTTON | CIF_FOCUS | CIF_DEFAULT | CIF_DISABLE | CIF_HISTORY, -1, -1, -1, -1, 0x1234, 3},
       DI_BUTTON,
       -1,
       -1,
       -1,
       -1,
       1,
       3,
       0x1234 | DIF_HISTORY | DIF_DISABLE,
       1,
       ""},
      {"upper bits ignored",
       {DI_VTEXT | 0xC000, 0, 0, 0, 0, 0, 12},
       DI_VTEXT,
       0,
       0,
       0,
       0,
       0,
       0,
       0,
       0,
       "Text"},
      {"extreme coordinates",
       {DI_DOUBLEBOX, -32768, 32767, 0, 0, 0, 12},
       DI_DOUBLEBOX,
       -32768,
       32767,
       0,
       0,
       0,
       0,
       0,
       0,
       "Text"},
      {"unknown id", {DI_TEXT, 0, 0, 0, 0, 0, 44}, DI_TEXT, 0, 0, 0, 0, 0, 0, 0, 0, "44"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    FarDialogItem out;
    Junk(&out, 1);
    ExpandItem(&c.item, &out);
    EXPECT_EQ(c.type, out.Type);
    EXPECT_EQ(c.x1, out.X1);
    EXPECT_EQ(c.y1, out.Y1);
    EXPECT_EQ(c.x2, out.X2);
    EXPECT_EQ(c.y2, out.Y2);
    EXPECT_EQ(c.focus, out.Focus);
    EXPECT_EQ(c.selected, out.Selected);
    // The pointer-wide field holds the 32-bit value zero-extended.
    EXPECT_EQ(LONG_PTR(ULONG_PTR(uint32_t(c.selected))), out.Reserved);
    EXPECT_EQ(c.flags, out.Flags);
    EXPECT_EQ(c.defaultButton, out.DefaultButton);
    EXPECT_STREQ(c.data, out.Data);
    size_t length = std::strlen(out.Data);
    for (size_t i = length; i < sizeof out.Data; ++i) ASSERT_EQ(0, out.Data[i]) << i;
  }
}

TEST_F(Expansion, LongTextCutAt511) {
  const CompactItem item = {DI_TEXT, 0, 0, 0, 0, 0, 7};
  FarDialogItem out;
  Junk(&out, 1);
  ExpandItem(&item, &out);
  EXPECT_EQ(511u, std::strlen(out.Data));
  EXPECT_EQ(std::string(511, 'x'), std::string(out.Data));
  EXPECT_EQ('\0', out.Data[511]);
}

TEST_F(Expansion, TerminatorFirstExpandsNothing) {
  const CompactItem empty[] = {{CIF_END, 0, 0, 0, 0, 0, 0}};
  FarDialogItem out[2];
  Junk(out, 2);
  ExpandTemplate(empty, out);
  const unsigned char *bytes = reinterpret_cast<const unsigned char *>(out);
  for (size_t i = 0; i < sizeof out; ++i) ASSERT_EQ(0xCC, bytes[i]) << i;
}

TEST_F(Expansion, TemplateStopsAtTerminator) {
  // Only the control word of the terminator is read.
  const CompactItem dialog[] = {
      {DI_DOUBLEBOX, 3, 1, 60, 8, 0, 12},
      {DI_BUTTON | CIF_DEFAULT | CIF_FOCUS, 5, 6, 0, 0, DIF_CENTERGROUP, 5},
      {DI_CHECKBOX | CIF_VALUE, 5, 3, 0, 0, 0, 1},
      {CIF_END, 1, 2, 3, 4, 0xFFFFFFFFu, 7},
      {DI_TEXT, 9, 9, 9, 9, 0, 12},
  };
  FarDialogItem out[5];
  Junk(out, 5);
  ExpandTemplate(dialog, out);
  EXPECT_EQ(DI_DOUBLEBOX, out[0].Type);
  EXPECT_STREQ("Text", out[0].Data);
  EXPECT_EQ(60, out[0].X2);
  EXPECT_EQ(DI_BUTTON, out[1].Type);
  EXPECT_EQ(1, out[1].DefaultButton);
  EXPECT_EQ(1, out[1].Focus);
  EXPECT_EQ(DWORD(DIF_CENTERGROUP), out[1].Flags);
  EXPECT_STREQ("&Paste", out[1].Data);
  EXPECT_EQ(DI_CHECKBOX, out[2].Type);
  EXPECT_EQ(1, out[2].Selected);
  const unsigned char *rest = reinterpret_cast<const unsigned char *>(&out[3]);
  for (size_t i = 0; i < 2 * sizeof(FarDialogItem); ++i) ASSERT_EQ(0xCC, rest[i]) << i;
}

TEST_F(Expansion, TextsLookedUpAtEachExpansion) {
  const CompactItem item = {DI_TEXT, 0, 0, 0, 0, 0, 12};
  FarDialogItem out;
  ExpandItem(&item, &out);
  EXPECT_STREQ("Text", out.Data);
  state.SetText(12, "Changed");
  ExpandItem(&item, &out);
  EXPECT_STREQ("Changed", out.Data);
}

}  // namespace
