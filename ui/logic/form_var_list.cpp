#include "ui/logic/form_var_list.h"

#include "engine/eval/evaluate.h"
#include "engine/state.h"
#include "ui/logic/varlist.h"

namespace tarvo {

int VarListButtonLeft(VarListButton b) {
  switch (b) {
    case VarListButton::kCopy: return 228;
    case VarListButton::kClear: return 289;
    case VarListButton::kExit: return 348;
  }
  return 0;
}

void FormVarList::FillList() {
  c_.ClearList();
  rows_ = VariableListRows(engine_, listMode_);
  for (const std::string& row : rows_) c_.AddRow(row);
  c_.SetButtonEnabled(VarListButton::kCopy, !rows_.empty());
  c_.SetButtonEnabled(VarListButton::kClear, !rows_.empty());
}

void FormVarList::Form_KeyDown(int keyCode) {
  if (keyCode == kVarListKeyEscape) c_.CloseWindow();
}

// The complex pair belongs to the solver's call that opened the list; once
// the list has been seen, a and b (or b and c) are plain numbers again.
void FormVarList::Form_Unload() { engine_.ComplexMarker = 0; }

void FormVarList::Label2_Click() {
  if (rows_.empty()) return;
  c_.SetClipboardText(VariableListClipboardText(rows_));
}

void FormVarList::Label1_Click() {
  if (listMode_ == 1) ClearVariables(engine_);
  FillList();
}

void FormVarList::Label6_Click() { c_.CloseWindow(); }

void FormVarList::Button_MouseDown(VarListButton b) {
  c_.SetButtonLook(b, kVarListButtonPressedColor, VarListButtonLeft(b) + 1, kVarListButtonPressedTop);
}

void FormVarList::Button_MouseUp(VarListButton b) {
  c_.SetButtonLook(b, kVarListButtonColor, VarListButtonLeft(b), kVarListButtonTop);
}

}  // namespace tarvo
