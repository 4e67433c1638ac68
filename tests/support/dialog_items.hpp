// Dialog items for the file manager stand-in, and the tester's 32-item layout.
#pragma once

#include <far170/plugin.hpp>

#include <vector>

namespace test_support {

FarDialogItem MakeItem(int type, int x1, int y1, int x2, int y2, DWORD flags = 0,
                       const char *text = "", int selected = 0, int focus = 0,
                       int defaultButton = 0);

// What the tester's layout shows in its fields.
struct TesterTexts {
  const char *text[6];        // the examined text's rows
  const char *expression[6];  // the expression's rows
  const char *match;          // the status in the middle separator
  int focus;                  // the text row that has the focus, or -1
};

// The tester's layout with bare buttons and editor fields; `extra` columns
// are added to the frame and the fields.
std::vector<FarDialogItem> TesterLayout(const TesterTexts &texts, int extra = 0);

}  // namespace test_support
