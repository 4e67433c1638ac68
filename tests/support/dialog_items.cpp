#include "support/dialog_items.hpp"

#include <cstring>

namespace test_support {

FarDialogItem MakeItem(int type, int x1, int y1, int x2, int y2, DWORD flags, const char *text,
                       int selected, int focus, int defaultButton) {
  FarDialogItem item;
  std::memset(&item, 0, sizeof item);
  item.Type = type;
  item.X1 = x1;
  item.Y1 = y1;
  item.X2 = x2;
  item.Y2 = y2;
  item.Flags = flags;
  item.Selected = selected;
  item.Focus = focus;
  item.DefaultButton = defaultButton;
  std::strncpy(item.Data, text, sizeof item.Data - 1);
  return item;
}

std::vector<FarDialogItem> TesterLayout(const TesterTexts &texts, int extra) {
  const DWORD separator = DIF_SEPARATOR | DIF_BOXCOLOR;
  std::vector<FarDialogItem> items;
  items.push_back(MakeItem(DI_DOUBLEBOX, 3, 1, 73 + extra, 21, 0, "Regular expression tester"));
  items.push_back(MakeItem(DI_TEXT, 13, 2, 0, 0, 0, "* Pos: 5:3(of 10)"));
  items.push_back(MakeItem(DI_TEXT, 0, 3, 0, 3, separator, ""));
  const char *left[] = {"&Paste", "&Copy", "&Load", "&Unmark"};
  for (int i = 0; i < 4; ++i)
    items.push_back(MakeItem(DI_BUTTON, 5, 4 + i, 0, 0, DIF_NOBRACKETS, left[i]));
  items.push_back(MakeItem(DI_TEXT, 5, 2, 0, 0, 0, "Text"));
  for (int i = 0; i < 6; ++i)
    items.push_back(MakeItem(DI_EDIT, 13, 4 + i, 72 + extra, 4 + i, DIF_EDITOR, texts.text[i], 0,
                             i == texts.focus));
  items.push_back(MakeItem(DI_TEXT, -1, 10, -1, 10, separator, texts.match));
  items.push_back(MakeItem(DI_TEXT, 13, 11, 0, 0, 0, "  Pos: 1:1(of 1)"));
  items.push_back(MakeItem(DI_TEXT, 1, 12, 1, 12, separator, ""));
  const char *right[] = {"P&aste", "Cop&y", "Unmar&k", "&Find", "Ne&xt"};
  const int rows[] = {13, 14, 15, 17, 18};
  for (int i = 0; i < 5; ++i)
    items.push_back(MakeItem(DI_BUTTON, 5, rows[i], 0, 0, DIF_NOBRACKETS, right[i]));
  items.push_back(MakeItem(DI_TEXT, 5, 11, 0, 0, 0, "RegExp"));
  for (int i = 0; i < 6; ++i)
    items.push_back(
        MakeItem(DI_EDIT, 13, 13 + i, 72 + extra, 13 + i, DIF_EDITOR, texts.expression[i]));
  items.push_back(MakeItem(DI_TEXT, -1, 19, -1, 19, separator, ""));
  items.push_back(MakeItem(DI_BUTTON, 0, 20, 0, 0, DIF_CENTERGROUP, "&Options"));
  items.push_back(MakeItem(DI_BUTTON, 0, 20, 0, 0, DIF_CENTERGROUP, "Clo&se"));
  return items;
}

}  // namespace test_support
