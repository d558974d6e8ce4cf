#include "ui/logic/variable_list_logic.h"

#include "core/variable_rows.h"

namespace tarvo {

int VarListButtonLeft(VarListButton b) {
  switch (b) {
    case VarListButton::kCopy: return 228;
    case VarListButton::kClear: return 289;
    case VarListButton::kExit: return 348;
  }
  return 0;
}

void VariableListLogic::FillList() {
  c_.ClearList();
  rows_ = VariableListRows(shown_ ? *shown_ : calculator_.Variables(), listMode_);
  for (const std::string& row : rows_) c_.AddRow(row);
  c_.SetButtonEnabled(VarListButton::kCopy, !rows_.empty());
  c_.SetButtonEnabled(VarListButton::kClear, !rows_.empty());
}

void VariableListLogic::WindowKeyDown(KeyCode key) {
  if (key == KeyCode::kEscape) c_.CloseWindow();
}

void VariableListLogic::EndSession() { calculator_.ForgetComplexPair(); }

void VariableListLogic::ClickCopy() {
  if (rows_.empty()) return;
  c_.SetClipboardText(VariableListClipboardText(rows_));
}

void VariableListLogic::ClickClear() {
  if (listMode_ == 1) {
    calculator_.ClearVariables();
    shown_.reset();
  }
  FillList();
}

void VariableListLogic::ClickExit() { c_.CloseWindow(); }

void VariableListLogic::PressButton(VarListButton b) {
  c_.SetButtonLook(b, kVarListButtonPressedColor, VarListButtonLeft(b) + 1, kVarListButtonPressedTop);
}

void VariableListLogic::ReleaseButton(VarListButton b) {
  c_.SetButtonLook(b, kVarListButtonColor, VarListButtonLeft(b), kVarListButtonTop);
}

}  // namespace tarvo
