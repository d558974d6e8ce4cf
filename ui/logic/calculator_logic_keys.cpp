// The keypad's keys, its pages, the shift keys and the keys that open menus
// and windows.
#include "engine/eval/evaluate.h"
#include "engine/state.h"
#include "ui/logic/calculator_logic.h"
#include "ui/logic/keypad.h"
#include "ui/logic/menus.h"

namespace tarvo {
namespace {

bool IsKey(int key) { return key >= 1 && key <= kKeyCount; }

const KeyDef& Key(int key) { return KeyTable()[static_cast<size_t>(key)]; }

// The output key that shows a format, and the key of an angle unit.
int OutputKeyOf(std::int32_t mode) {
  switch (mode) {
    case OUT_FIX: return kKeyFix;
    case OUT_SCI: return kKeySci;
    case OUT_FRAC: return kKeyFrac;
    case OUT_DMS: return kKeyDms;
    case OUT_BIN: return kKeyBin;
    case OUT_HEX: return kKeyHex;
    case OUT_DATE: return kKeyDate;
    default: return kKeyNor;
  }
}

int AngleUnitKeyOf(AngleUnit unit) {
  switch (unit) {
    case AngleUnit::kRadian: return kKeyRad;
    case AngleUnit::kGradient: return kKeyGra;
    default: return kKeyDeg;
  }
}

}  // namespace

void CalculatorLogic::ClickKey(int key) {
  if (!IsKey(key)) return;
  if (IsContinuingKey(key)) {
    if (c_.SelectionStart() != static_cast<int>(c_.EntryText().size())) resultShown_ = false;
    if (resultShown_) {
      resultShown_ = false;
      ClearEntryKey();
      LastAnswerKey();
    }
  }
  const KeyDef& def = Key(key);
  switch (RoleOfKey(key)) {
    case KeyRole::kText: InsertAtCaret(std::string(def.tag), def.help); break;
    case KeyRole::kDel: DeleteKey(); break;
    case KeyRole::kAc: ClearEntryKey(); break;
    case KeyRole::kAns: LastAnswerKey(); break;
    case KeyRole::kTrig:
      // The text depends on the shifts, which writing it clears.
      InsertAtCaret(shifts_.TrigonometricText(def.tag), shifts_.TrigonometricHelp(def.tag));
      break;
    case KeyRole::kExe: ExecuteKey(); break;
    case KeyRole::kOutput: OutputKey(key); break;
    case KeyRole::kAngleUnit: AngleUnitKey(key); break;
    case KeyRole::kArc: ShiftKey(true); break;
    case KeyRole::kHyp: ShiftKey(false); break;
    case KeyRole::kConst: ConstantsKey(); break;
    case KeyRole::kClearVars: ClearVariablesKey(); break;
    case KeyRole::kVarList: VariableListKey(); break;
    case KeyRole::kHelp: HelpKey(); break;
    case KeyRole::kNone: break;
  }
  // Keys that edit the line start a new entry after a result.
  switch (RoleOfKey(key)) {
    case KeyRole::kText:
    case KeyRole::kDel:
    case KeyRole::kAc:
    case KeyRole::kAns:
    case KeyRole::kTrig: resultShown_ = false; break;
    default: break;
  }
  RestShiftKeys();
}

void CalculatorLogic::HoldKey(int key) {
  if (IsKey(key)) c_.MoveKey(key, Key(key).left + 1, Key(key).top + 1);
}

void CalculatorLogic::ReleaseKey(int key) {
  if (IsKey(key)) c_.MoveKey(key, Key(key).left, Key(key).top);
}

void CalculatorLogic::OutputKey(int key) {
  // Every output key but NOR hands the focus back to the entry line before
  // it opens a menu or switches a format.
  if (key != kKeyNor) c_.FocusEntry();
  shifts_.Clear();
  std::optional<AnswerView> view;
  switch (key) {
    case kKeyNor: view = format_.Normal(); break;
    case kKeyFix: view = format_.ChooseFromFixedMenu(c_.PopupMenu(format_.FixedMenu())); break;
    case kKeySci: view = format_.ChooseFromScientificMenu(c_.PopupMenu(format_.ScientificMenu())); break;
    case kKeyFrac: view = format_.Toggle(OUT_FRAC); break;
    case kKeyDms: view = format_.Toggle(OUT_DMS); break;
    case kKeyBin: view = format_.Toggle(OUT_BIN); break;
    case kKeyHex: view = format_.Toggle(OUT_HEX); break;
    default: view = format_.Toggle(OUT_DATE); break;
  }
  if (view) ShowAnswer(*view);
}

void CalculatorLogic::LightOutputKey(std::int32_t mode) {
  const int lit = OutputKeyOf(mode);
  for (int k = kKeyNor; k <= kKeyDate; ++k) c_.SetKeyLit(k, k == lit);
}

void CalculatorLogic::AngleUnitKey(int key) {
  const AngleUnit unit = key == kKeyRad ? AngleUnit::kRadian : key == kKeyGra ? AngleUnit::kGradient : AngleUnit::kDegree;
  LightAngleUnitKey(unit);
  InsertAtCaret("", calculator_.SetAngleUnit(unit));
}

void CalculatorLogic::LightAngleUnitKey(AngleUnit unit) {
  const int lit = AngleUnitKeyOf(unit);
  for (int k = kKeyDeg; k <= kKeyGra; ++k) c_.SetKeyLit(k, k == lit);
}

void CalculatorLogic::TurnKeypadPage() {
  keypadPage_ = keypadPage_ != 0 ? 0 : 1;
  c_.SetPagePicture(keypadPage_);
  for (int k : kFirstPageKeys) c_.SetKeyVisible(k, keypadPage_ == 0);
  for (int k : kSecondPageKeys) c_.SetKeyVisible(k, keypadPage_ == 1);
}

void CalculatorLogic::PressPageSelector() {
  c_.SetPageSelectorPressed(true);
  shifts_.Clear();
  RestShiftKeys();
}

void CalculatorLogic::ReleasePageSelector() { c_.SetPageSelectorPressed(false); }

void CalculatorLogic::ShiftKey(bool arc) {
  bool& shift = arc ? shifts_.arc : shifts_.hyp;
  const int key = arc ? kKeyArc : kKeyHyp;
  shift = !shift;
  // A pending shift shows as its key held down and lit.
  c_.MoveKey(key, Key(key).left + (shift ? 1 : 0), Key(key).top + (shift ? 1 : 0));
  c_.SetKeyLit(key, shift);
  c_.SetUpperMessage(std::string(shifts_.Message()));
  c_.SetLowerMessage("");
  c_.SetShiftIndicatorVisible(shifts_.Pending());
}

void CalculatorLogic::RestShiftKeys() {
  if (!shifts_.arc) {
    c_.MoveKey(kKeyArc, Key(kKeyArc).left, Key(kKeyArc).top);
    c_.SetKeyLit(kKeyArc, false);
  }
  if (!shifts_.hyp) {
    c_.MoveKey(kKeyHyp, Key(kKeyHyp).left, Key(kKeyHyp).top);
    c_.SetKeyLit(kKeyHyp, false);
  }
  if (!shifts_.Pending()) c_.SetShiftIndicatorVisible(false);
}

void CalculatorLogic::ConstantsKey() {
  shifts_.Clear();
  c_.FocusEntry();
  const int index = c_.PopupMenu(ConstantsMenuEntries()) + 1;
  const Constant* constant = FindConstant(index);
  if (constant == nullptr) return;  // closed without a choice
  InsertAtCaret(std::string(constant->text), ConstantDescription(index));
  resultShown_ = false;
}

void CalculatorLogic::ClearVariablesKey() {
  c_.FocusEntry();
  shifts_.Clear();
  ClearVariables(engine_);
  c_.SetUpperMessage(" Variables were cleared");
  c_.SetLowerMessage("");
}

void CalculatorLogic::VariableListKey() { ShowVariableList(std::nullopt); }

void CalculatorLogic::ShowVariableList(const std::optional<VariableListShow>& shown) {
  shifts_.Clear();
  const bool pinned = pin_.Drop();
  c_.ShowVariableListWindow(shown);
  pin_.Set(pinned);
  c_.FocusEntry();
}

void CalculatorLogic::HelpKey() {
  shifts_.Clear();
  c_.FocusEntry();
  help_.Run(c_.PopupMenu(HelpMenuEntries()));
}

}  // namespace tarvo
