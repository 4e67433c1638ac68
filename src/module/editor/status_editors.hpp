// The tester's two editors: each writes its position into a status item.
#pragma once

#include "editor/line_editor.hpp"

class StatusLineEditor : public LineEditor {
 public:
  StatusLineEditor(int statusItem, int firstItem, int lastItem, int capacity);
  void SetModified(bool flag) override;
  void UpdateStatus();

  int statusItem;
};

enum {
  kTextStatusItem = 1,
  kTextFirstRow = 8,
  kTextLastRow = 13,
  kTextCapacity = 100,
  kExpressionStatusItem = 15,
  kExpressionFirstRow = 23,
  kExpressionLastRow = 28,
  kExpressionCapacity = 20,
};

class ExaminedTextEditor final : public StatusLineEditor {
 public:
  ExaminedTextEditor()
      : StatusLineEditor(kTextStatusItem, kTextFirstRow, kTextLastRow, kTextCapacity) {}
};

class ExpressionEditor final : public StatusLineEditor {
 public:
  ExpressionEditor()
      : StatusLineEditor(kExpressionStatusItem, kExpressionFirstRow, kExpressionLastRow,
                         kExpressionCapacity) {}
  bool HandleMessage(DialogHandle *dialog, int message, int param1, LONG_PTR param2,
                     LONG_PTR *result) override;
};
