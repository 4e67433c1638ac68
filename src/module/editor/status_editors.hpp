// The tester's two editors: each writes its cursor position into its position
// line. Their items are the tester's (tester/tester_items.hpp).
#pragma once

#include "editor/line_editor.hpp"
#include "tester/tester_items.hpp"

class StatusLineEditor : public LineEditor {
 public:
  StatusLineEditor(int statusItem, int firstItem, int lastItem, int capacity);
  void SetModified(bool flag) override;
  void UpdateStatus();

  int statusItem;
};

enum { kTextCapacity = 100, kExpressionCapacity = 20 };

class ExaminedTextEditor final : public StatusLineEditor {
 public:
  ExaminedTextEditor()
      : StatusLineEditor(kTextPositionLine, kTextFirstRow, kTextLastRow, kTextCapacity) {}
};

class ExpressionEditor final : public StatusLineEditor {
 public:
  ExpressionEditor()
      : StatusLineEditor(kExpressionPositionLine, kExpressionFirstRow, kExpressionLastRow,
                         kExpressionCapacity) {}
  bool HandleMessage(DialogHandle *dialog, int message, int param1, LONG_PTR param2,
                     LONG_PTR *result) override;
};
