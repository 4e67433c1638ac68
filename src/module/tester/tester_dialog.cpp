// The tester's dialog procedure and its buttons.
#include "tester/tester_dialog.hpp"

#include "dialogs/options_dialog.hpp"
#include "host/host_services.hpp"
#include "tester/match_state.hpp"

TesterDialog *Tester = nullptr;
int GroupRegions[kGroupColorCount];
int DispatchDepth = 0;
bool HotkeyToggle = false;

namespace {

const char kHelpTopic[] = "MainDialog";

bool Within(int item, int first, int last) {
  return item >= first && item <= last;
}

bool IsTextButton(int item) {
  return Within(item, kTextPasteButton, kTextUnmarkButton);
}

bool IsExpressionButton(int item) {
  return Within(item, kExpressionPasteButton, kNextButton);
}

LONG_PTR Handle(HANDLE handle, int message, int param1, LONG_PTR param2) {
  TesterDialog &tester = *Tester;
  DialogHandle &dialog = tester.dialog;
  switch (message) {
    case DN_HELP:
      ShowHelp(kHelpTopic);
      return 0;
    case DN_CLOSE:
      if (param1 != kCloseButton) return 0;
      if ((tester.text.modified || tester.expression.modified) && !Confirm(kCloseQuestion))
        return 0;
      break;
    case DN_KEY:
      if (param2 != KEY_TAB && param2 != (KEY_SHIFT | KEY_TAB)) break;
      if (Within(param1, kTextFirstRow, kTextLastRow)) {
        dialog.SetFocus(kExpressionFirstRow + tester.expression.cursorRow);
        return 1;
      }
      if (Within(param1, kExpressionFirstRow, kExpressionLastRow)) {
        dialog.SetFocus(kTextFirstRow + tester.text.cursorRow);
        return 1;
      }
      break;
    case DN_BTNCLICK:
      return OnButton(param1);
    case DN_GOTFOCUS:
      if (IsTextButton(param1)) dialog.SetFocus(kTextFirstRow);
      if (IsExpressionButton(param1)) dialog.SetFocus(kExpressionFirstRow);
      break;
    case DN_HOTKEY:
      HotkeyToggle = !HotkeyToggle;
      // The host offers a declined press a second time: the action runs
      // on one of the two offers only.
      if (IsTextButton(param1) || IsExpressionButton(param1)) {
        if (HotkeyToggle) OnButton(param1);
        return 0;
      }
      break;
    case DN_INITDIALOG:
      dialog.SetFocus(kTextFirstRow);
      for (int &region : GroupRegions) region = tester.text.AddRegion();
      break;
    case kCursorMovedMessage:
      if (param2 == reinterpret_cast<LONG_PTR>(&tester.text)) tester.text.UpdateStatus();
      if (param2 == reinterpret_cast<LONG_PTR>(&tester.expression))
        tester.expression.UpdateStatus();
      break;
    case kTextModifiedMessage:
      if (param2 == reinterpret_cast<LONG_PTR>(&tester.expression) && Settings.OnFly)
        ApplyExpression();
      if (param2 == reinterpret_cast<LONG_PTR>(&tester.text)) TheMatchState.Restart = true;
      break;
    default:
      break;
  }
  return PassToHost(handle, message, param1, param2);
}

LONG_PTR Dispatch(HANDLE handle, int message, int param1, LONG_PTR param2) {
  if (!Tester) return PassToHost(handle, message, param1, param2);
  TesterDialog &tester = *Tester;
  tester.dialog.handle = handle;
  LONG_PTR result = 0;
  if (tester.text.HandleMessage(&tester.dialog, message, param1, param2, &result)) return result;
  if (tester.expression.HandleMessage(&tester.dialog, message, param1, param2, &result))
    return result;
  return Handle(handle, message, param1, param2);
}

}  // namespace

LONG_PTR WINAPI TesterDialogProc(HANDLE handle, int message, int param1, LONG_PTR param2) {
  ++DispatchDepth;
  LONG_PTR result = Dispatch(handle, message, param1, param2);
  // Redraws held back during the call happen once, at the outermost return.
  if (--DispatchDepth == 0 && Tester) Tester->dialog.UnlockAll();
  return result;
}

int OnButton(int item) {
  TesterDialog &tester = *Tester;
  ExaminedTextEditor &text = tester.text;
  ExpressionEditor &expression = tester.expression;
  switch (item) {
    case kTextPasteButton:
      if (text.modified && !Confirm(kPasteTextQuestion)) break;
      text.PasteAll();
      text.SetModified(false);
      break;
    case kTextCopyButton:
      text.CopyAll();
      break;
    case kTextLoadButton:
      if (text.modified && !Confirm(kLoadTextQuestion)) break;
      text.LoadFromHostEditor(0);
      text.SetModified(false);
      TheMatchState.Restart = true;  // a new text: the next search starts afresh
      break;
    case kTextUnmarkButton:
      text.SetModified(false);
      break;
    case kExpressionPasteButton:
      if (expression.modified && !Confirm(kPasteExpressionQuestion)) break;
      expression.PasteAll();
      break;
    case kExpressionCopyButton:
      expression.CopyAll();
      break;
    case kExpressionUnmarkButton:
      expression.SetModified(false);
      break;
    case kFindButton:
      ApplyExpression();
      break;
    case kNextButton:
      NextMatch();
      break;
    case kOptionsButton:
      tester.dialog.ShowDialog(false);
      expression.drawn = false;
      text.drawn = false;
      ShowOptionsDialog();
      tester.dialog.ShowDialog(true);
      break;
    default:
      break;
  }
  return item == kCloseButton ? 0 : 1;
}
