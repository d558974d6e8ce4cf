// The keypad's keys, its pages, the shift keys and the keys that open menus
// and windows.
#include "ui/logic/calculator_logic.h"
#include "ui/logic/keypad.h"
#include "ui/logic/menus.h"

namespace tarvo {
namespace {

// The format an output key shows: the one whose row names the key.
const FormatRow* FormatOfKey(Key key) {
  for (const FormatRow& row : FormatTable())
    if (KeyRow(key).role == KeyRole::kOutput && row.key == KeyRow(key).caption) return &row;
  return nullptr;
}

// The output key that shows a format, and the key of an angle unit.
Key OutputKeyOf(OutputMode mode) {
  for (const KeyDef& row : KeyTable())
    if (row.role == KeyRole::kOutput && row.caption == FormatOf(mode).key) return row.key;
  return Key::NormalFormat;
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
  const FormatRow* format = FormatOfKey(key);
  if (format == nullptr) return;
  // Every output key but the normal format's hands the focus back to the
  // entry line before it opens a menu or switches a format.
  if (format->kind != FormatKind::kNormal) c_.FocusEntry();
  shifts_.Clear();
  std::optional<AnswerView> view;
  if (format->kind == FormatKind::kCounted)
    view = calculator_.ChooseFromFormatMenu(format->mode, c_.PopupMenu(calculator_.FormatMenu(format->mode)));
  else
    view = calculator_.ShowFormat(format->mode);
  if (view) ShowAnswer(*view);
}

// Lights `lit` and puts out the other keys of its role.
void CalculatorLogic::LightOneKeyOf(KeyRole role, Key lit) {
  for (const KeyDef& row : KeyTable())
    if (row.role == role) c_.SetKeyLit(row.key, row.key == lit);
}

void CalculatorLogic::LightOutputKey(OutputMode mode) { LightOneKeyOf(KeyRole::kOutput, OutputKeyOf(mode)); }

void CalculatorLogic::AngleUnitKey(Key key) {
  const AngleUnit unit =
      key == Key::Radians ? AngleUnit::kRadian : key == Key::Gradients ? AngleUnit::kGradient : AngleUnit::kDegree;
  const std::string_view help = calculator_.SetAngleUnit(unit);
  LightAngleUnitKey(calculator_.AngleUnitInForce());
  InsertAtCaret("", help);
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
  calculator_.ClearVariables();
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
