// The tester dialog's item numbers: the template (tester.cpp) is checked to
// hold each record at its number, and the procedure, the match run and the
// two editors (editor/status_editors.hpp) take their items from here. A new
// item goes after kCloseButton, so that the others keep their numbers.
#pragma once

enum { kEditorRows = 6 };  // visible rows of each editor

enum TesterItem {
  kFrame = 0,
  kTextPositionLine = 1,
  kTextSeparator = 2,
  kTextPasteButton = 3,
  kTextCopyButton = 4,
  kTextLoadButton = 5,
  kTextUnmarkButton = 6,
  kTextHeading = 7,
  kTextFirstRow = 8,
  kTextLastRow = kTextFirstRow + kEditorRows - 1,
  kTextStatus = 14,
  kExpressionPositionLine = 15,
  kExpressionSeparator = 16,
  kExpressionPasteButton = 17,
  kExpressionCopyButton = 18,
  kExpressionUnmarkButton = 19,
  kFindButton = 20,
  kNextButton = 21,
  kExpressionHeading = 22,
  kExpressionFirstRow = 23,
  kExpressionLastRow = kExpressionFirstRow + kEditorRows - 1,
  kExpressionStatus = 29,
  kOptionsButton = 30,
  kCloseButton = 31,
  kTesterItemCount = 32,
};
