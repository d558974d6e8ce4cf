// The keypad's keys, its pages, the shift keys and the keys that open menus
// and windows.
#include "engine/eval/evaluate.h"
#include "engine/state.h"
#include "ui/logic/calculator_logic.h"
#include "ui/logic/keypad.h"
#include "ui/logic/menus.h"

namespace tarvo {
namespace {

// The output key that shows a format, and the key of an angle unit.
Key OutputKeyOf(std::int32_t mode) {
  switch (mode) {
    case OUT_FIX: return Key::FixedFormat;
    case OUT_SCI: return Key::ScientificFormat;
    case OUT_FRAC: return Key::FractionFormat;
    case OUT_DMS: return Key::SexagesimalFormat;
    case OUT_BIN: return Key::BinaryFormat;
    case OUT_HEX: return Key::HexadecimalFormat;
    case OUT_DATE: return Key::DateFormat;
    default: return Key::NormalFormat;
  }
}

Key AngleUnitKeyOf(AngleUnit unit) {
  switch (unit) {
    case AngleUnit::kRadian: return Key::Radians;
    case AngleUnit::kGradient: return Key::Gradients;
    default: return Key::Degrees;
  }
}

}  // namespace

void CalculatorLogic::ClickKey(Key key) {
  if (!IsKey(key)) return;
  const KeyDef& row = KeyRow(key);
  if (row.fromResult != FromResult::kStartsAnew) {
    if (c_.SelectionStart() != static_cast<int>(c_.EntryText().size())) resultShown_ = false;
    if (resultShown_) {
      resultShown_ = false;
      ClearEntryKey();
      LastAnswerKey();
    }
  }
  switch (row.role) {
    case KeyRole::kText: InsertAtCaret(std::string(row.text), row.help); break;
    case KeyRole::kDel: DeleteKey(); break;
    case KeyRole::kAc: ClearEntryKey(); break;
    case KeyRole::kAns: LastAnswerKey(); break;
    case KeyRole::kTrig:
      // The text depends on the shifts, which writing it clears.
      InsertAtCaret(shifts_.TrigonometricText(row.text), shifts_.TrigonometricHelp(row.text));
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
  }
  // Keys that edit the line start a new entry after a result.
  switch (row.role) {
    case KeyRole::kText:
    case KeyRole::kDel:
    case KeyRole::kAc:
    case KeyRole::kAns:
    case KeyRole::kTrig: resultShown_ = false; break;
    default: break;
  }
  RestShiftKeys();
}

void CalculatorLogic::HoldKey(Key key) {
  if (IsKey(key)) c_.MoveKey(key, KeyRow(key).left + 1, KeyRow(key).top + 1);
}

void CalculatorLogic::ReleaseKey(Key key) {
  if (IsKey(key)) c_.MoveKey(key, KeyRow(key).left, KeyRow(key).top);
}

void CalculatorLogic::OutputKey(Key key) {
  // Every output key but NOR hands the focus back to the entry line before
  // it opens a menu or switches a format.
  if (key != Key::NormalFormat) c_.FocusEntry();
  shifts_.Clear();
  std::optional<AnswerView> view;
  switch (key) {
    case Key::NormalFormat: view = format_.Normal(); break;
    case Key::FixedFormat: view = format_.ChooseFromFixedMenu(c_.PopupMenu(format_.FixedMenu())); break;
    case Key::ScientificFormat: view = format_.ChooseFromScientificMenu(c_.PopupMenu(format_.ScientificMenu())); break;
    case Key::FractionFormat: view = format_.Toggle(OUT_FRAC); break;
    case Key::SexagesimalFormat: view = format_.Toggle(OUT_DMS); break;
    case Key::BinaryFormat: view = format_.Toggle(OUT_BIN); break;
    case Key::HexadecimalFormat: view = format_.Toggle(OUT_HEX); break;
    default: view = format_.Toggle(OUT_DATE); break;
  }
  if (view) ShowAnswer(*view);
}

// Lights `lit` and puts out the other keys of its role.
void CalculatorLogic::LightOneKeyOf(KeyRole role, Key lit) {
  for (const KeyDef& row : KeyTable())
    if (row.role == role) c_.SetKeyLit(row.key, row.key == lit);
}

void CalculatorLogic::LightOutputKey(std::int32_t mode) { LightOneKeyOf(KeyRole::kOutput, OutputKeyOf(mode)); }

void CalculatorLogic::AngleUnitKey(Key key) {
  const AngleUnit unit =
      key == Key::Radians ? AngleUnit::kRadian : key == Key::Gradients ? AngleUnit::kGradient : AngleUnit::kDegree;
  LightAngleUnitKey(unit);
  InsertAtCaret("", calculator_.SetAngleUnit(unit));
}

void CalculatorLogic::LightAngleUnitKey(AngleUnit unit) { LightOneKeyOf(KeyRole::kAngleUnit, AngleUnitKeyOf(unit)); }

void CalculatorLogic::TurnKeypadPage() {
  keypadPage_ = keypadPage_ != 0 ? 0 : 1;
  c_.SetPagePicture(keypadPage_);
  const KeyPage shown = keypadPage_ == 0 ? KeyPage::kFirst : KeyPage::kSecond;
  for (const KeyDef& row : KeyTable())
    if (row.page != KeyPage::kBoth) c_.SetKeyVisible(row.key, row.page == shown);
}

void CalculatorLogic::PressPageSelector() {
  c_.SetPageSelectorPressed(true);
  shifts_.Clear();
  RestShiftKeys();
}

void CalculatorLogic::ReleasePageSelector() { c_.SetPageSelectorPressed(false); }

void CalculatorLogic::ShiftKey(bool arc) {
  bool& shift = arc ? shifts_.arc : shifts_.hyp;
  const KeyDef& row = KeyRow(arc ? Key::InverseShift : Key::HyperbolicShift);
  shift = !shift;
  // A pending shift shows as its key held down and lit.
  c_.MoveKey(row.key, row.left + (shift ? 1 : 0), row.top + (shift ? 1 : 0));
  c_.SetKeyLit(row.key, shift);
  c_.SetUpperMessage(std::string(shifts_.Message()));
  c_.SetLowerMessage("");
  c_.SetShiftIndicatorVisible(shifts_.Pending());
}

void CalculatorLogic::RestShiftKeys() {
  for (const auto& [pending, key] : {std::pair{shifts_.arc, Key::InverseShift}, {shifts_.hyp, Key::HyperbolicShift}}) {
    if (pending) continue;
    ReleaseKey(key);
    c_.SetKeyLit(key, false);
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
  help_.Run(c_.PopupMenu(HelpMenuEntries(c_.TapeWindowShown(), looks_.InForce(), looks_.FollowsDesktop())));
}

}  // namespace tarvo
