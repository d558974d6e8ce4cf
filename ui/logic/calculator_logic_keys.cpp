// The keypad, the shift keys and the keys the window sees before its entry
// line.
#include <algorithm>

#include "engine/state.h"
#include "ui/logic/calculator_logic.h"
#include "ui/logic/keypad.h"
#include "ui/logic/links.h"
#include "ui/logic/menus.h"

namespace tarvo {
namespace {

constexpr int kShiftCtrl = 2;  // the Ctrl key alone among the shift keys
constexpr int kControlKey = 17;
constexpr int kEscape = 27;
constexpr int kF1 = 112;

bool IsKey(int key) { return key >= 1 && key <= kKeyCount; }

}  // namespace

void CalculatorLogic::LayOutKeypad() {
  const auto& keys = KeyTable();
  for (int k = 1; k <= kKeyCount; ++k) {
    KeyLeft[static_cast<size_t>(k)] = keys[static_cast<size_t>(k)].left;
    KeyTop[static_cast<size_t>(k)] = keys[static_cast<size_t>(k)].top;
  }
  for (int k = 1; k <= kKeyCount; ++k) {
    c_.MoveKey(k, KeyLeft[static_cast<size_t>(k)], KeyTop[static_cast<size_t>(k)]);
    c_.SetKeyVisible(k, true);
  }
}

void CalculatorLogic::ClickKey(int key) {
  if (!IsKey(key)) return;
  if (IsContinuingKey(key)) {
    if (c_.SelectionStart() != static_cast<int>(c_.EntryText().size())) ResultShown = false;
    if (ResultShown) {
      ResultShown = false;
      ClearEntryKey();
      LastAnswerKey();
    }
  }
  const KeyDef& def = KeyTable()[static_cast<size_t>(key)];
  switch (RoleOfKey(key)) {
    case KeyRole::kText:
      InsertAtCaret(std::string(def.tag), std::string(def.help));
      ResultShown = false;
      break;
    case KeyRole::kDel:
      DeleteKey();
      ResultShown = false;
      break;
    case KeyRole::kAc:
      ClearEntryKey();
      ResultShown = false;
      break;
    case KeyRole::kAns:
      LastAnswerKey();
      ResultShown = false;
      break;
    case KeyRole::kTrig:
      TrigonometricKey(key);
      ResultShown = false;
      break;
    case KeyRole::kExe:
      ExecuteKey();
      break;
    case KeyRole::kOutput:
      switch (key) {
        case kKeyNor: NormalFormatKey(); break;
        case kKeyFix: FixedFormatKey(); break;
        case kKeySci: ScientificFormatKey(); break;
        case kKeyFrac: FractionFormatKey(); break;
        case kKeyDms: SexagesimalFormatKey(); break;
        case kKeyBin: BinaryFormatKey(); break;
        case kKeyHex: HexadecimalFormatKey(); break;
        default: DateFormatKey(); break;
      }
      break;
    case KeyRole::kAngleUnit:
      AngleUnitKey(key);
      break;
    case KeyRole::kArc:
      ArcShiftKey();
      break;
    case KeyRole::kHyp:
      HypShiftKey();
      break;
    case KeyRole::kConst:
      ConstantsKey();
      break;
    case KeyRole::kClearVars:
      ClearVariablesKey();
      break;
    case KeyRole::kVarList:
      VariableListKey();
      break;
    case KeyRole::kHelp:
      HelpKey();
      break;
    case KeyRole::kNone:
      break;
  }
  RestShiftKeys();
}

void CalculatorLogic::HoldKey(int key) {
  if (!IsKey(key)) return;
  c_.MoveKey(key, KeyLeft[static_cast<size_t>(key)] + 1, KeyTop[static_cast<size_t>(key)] + 1);
}

void CalculatorLogic::ReleaseKey(int key) {
  if (!IsKey(key)) return;
  c_.MoveKey(key, KeyLeft[static_cast<size_t>(key)], KeyTop[static_cast<size_t>(key)]);
}

void CalculatorLogic::TurnKeypadPage() {
  KeypadPage = KeypadPage != 0 ? 0 : 1;
  c_.SetPagePicture(KeypadPage);
  for (int k : kFirstPageKeys) c_.SetKeyVisible(k, KeypadPage == 0);
  for (int k : kSecondPageKeys) c_.SetKeyVisible(k, KeypadPage == 1);
}

void CalculatorLogic::PressPageSelector() {
  c_.SetPageSelectorPressed(true);
  ArcShift = HypShift = false;
  RestShiftKeys();
}

void CalculatorLogic::ReleasePageSelector() { c_.SetPageSelectorPressed(false); }

void CalculatorLogic::ToggleAlwaysOnTop() {
  if (AlwaysVisible != 0) {
    AlwaysVisible = 0;
    c_.SetAlwaysOnTop(false);
    InsertAtCaret("", "Always visible mode disabled");
  } else {
    AlwaysVisible = -1;
    c_.SetAlwaysOnTop(true);
    InsertAtCaret("", "Always visible mode enabled. This window is always on top");
  }
}

void CalculatorLogic::ArcShiftKey() {
  c_.SetLowerMessage("");
  const size_t k = kKeyArc;
  if (ArcShift) {
    ArcShift = false;
    c_.MoveKey(kKeyArc, KeyLeft[k], KeyTop[k]);
    c_.SetKeyLit(kKeyArc, false);
    c_.SetUpperMessage(HypShift ? " Hyperbolic function for sinh, cosh and tanh" : "");
  } else {
    ArcShift = true;
    c_.MoveKey(kKeyArc, KeyLeft[k] + 1, KeyTop[k] + 1);
    c_.SetKeyLit(kKeyArc, true);
    c_.SetUpperMessage(HypShift ? " Inverse hyperbolic function for Argsinh, Argcosh and Argtanh"
                          : " Inverse trigonometric function for Arcsin, Arccos and Arctan");
  }
  c_.SetShiftIndicatorVisible(ArcShift || HypShift);
}

void CalculatorLogic::HypShiftKey() {
  c_.SetLowerMessage("");
  const size_t k = kKeyHyp;
  if (HypShift) {
    HypShift = false;
    c_.MoveKey(kKeyHyp, KeyLeft[k], KeyTop[k]);
    c_.SetKeyLit(kKeyHyp, false);
    c_.SetUpperMessage(ArcShift ? " Inverse trigonometric function for Arcsin, Arccos and Arctan" : "");
  } else {
    HypShift = true;
    c_.MoveKey(kKeyHyp, KeyLeft[k] + 1, KeyTop[k] + 1);
    c_.SetKeyLit(kKeyHyp, true);
    c_.SetUpperMessage(ArcShift ? " Inverse hyperbolic function for Argsinh, Argcosh and Argtanh"
                          : " Hyperbolic function for sinh, cosh and tanh");
  }
  c_.SetShiftIndicatorVisible(ArcShift || HypShift);
}

void CalculatorLogic::TrigonometricKey(int key) {
  if (!IsKey(key)) return;
  const std::string n(KeyTable()[static_cast<size_t>(key)].tag);
  if (ArcShift && HypShift) {
    InsertAtCaret("Arg" + n + "h ", "Inverse hyperbolic function arg" + n + "h");
  } else if (ArcShift) {
    InsertAtCaret("Arc" + n + " ", "Inverse trigonometric function arc" + n);
  } else if (HypShift) {
    InsertAtCaret(n + "h ", "Hyperbolic function " + n + "h");
  } else {
    InsertAtCaret(n + " ", "Trigonometric function " + n);
  }
}

void CalculatorLogic::RestShiftKeys() {
  if (!ArcShift) {
    c_.MoveKey(kKeyArc, KeyLeft[kKeyArc], KeyTop[kKeyArc]);
    c_.SetKeyLit(kKeyArc, false);
  }
  if (!HypShift) {
    c_.MoveKey(kKeyHyp, KeyLeft[kKeyHyp], KeyTop[kKeyHyp]);
    c_.SetKeyLit(kKeyHyp, false);
  }
  if (!ArcShift && !HypShift) c_.SetShiftIndicatorVisible(false);
}

std::int16_t CalculatorLogic::DropAlwaysOnTop() {
  const std::int16_t saved = AlwaysVisible;
  AlwaysVisible = -1;
  ToggleAlwaysOnTop();
  return saved;
}

void CalculatorLogic::RestoreAlwaysOnTop(std::int16_t saved) {
  // ToggleAlwaysOnTop toggles, so it is handed the opposite of what is wanted.
  AlwaysVisible = saved != 0 ? 0 : -1;
  ToggleAlwaysOnTop();
}

void CalculatorLogic::ConstantsKey() {
  ArcShift = HypShift = false;
  c_.FocusEntry();
  const int choice = c_.PopupMenu(ConstantsMenuEntries());
  if (choice >= 0) PickConstant(choice + 1);
}

void CalculatorLogic::PickConstant(int index) { InsertConstant(*this, index); }

void CalculatorLogic::VariableListKey() {
  ArcShift = HypShift = false;
  ListMode = 1;
  const std::int16_t saved = DropAlwaysOnTop();
  c_.ShowVariableListWindow();
  RestoreAlwaysOnTop(saved);
  c_.FocusEntry();
}

void CalculatorLogic::HelpKey() {
  ArcShift = HypShift = false;
  c_.FocusEntry();
  switch (c_.PopupMenu(HelpMenuEntries())) {
    case static_cast<int>(HelpChoice::kManual): OpenManual(); break;
    case static_cast<int>(HelpChoice::kHomePage): OpenHomePage(); break;
    case static_cast<int>(HelpChoice::kDonate): OpenDonationPage(); break;
    case static_cast<int>(HelpChoice::kAbout): ShowAbout(); break;
    default: break;  // closed without a choice
  }
}

// The manual's viewer opens as a window of its own, which a calculator kept
// on top would cover; the state is not put back, since the viewer stays.
void CalculatorLogic::OpenManual() {
  DropAlwaysOnTop();
  const ManualLocation manual =
      LocateManual(c_.ProgramDirectory(), [this](const std::string& path) { return c_.FileExists(path); });
  if (!manual.found) c_.ShowWarning("Error", ManualFailureText(manual.path));
  else if (!c_.OpenDocument(manual.path)) c_.ShowWarning("Error", NoPdfViewerText(manual.path));
}

void CalculatorLogic::OpenHomePage() {
  if (!c_.OpenUrl(std::string(kHomePageUrl))) c_.ShowWarning("Tarvo", ConnectFailureText());
}

void CalculatorLogic::OpenDonationPage() {
  if (!c_.OpenUrl(std::string(kDonationUrl))) c_.ShowWarning("Tarvo", ConnectFailureText());
}

void CalculatorLogic::ShowAbout() {
  const std::int16_t saved = DropAlwaysOnTop();
  c_.ShowAboutBox();
  RestoreAlwaysOnTop(saved);
}

// Only the Ctrl key itself turns the page: Ctrl with another key is one of
// the entry line's shortcuts (select all, copy, paste, undo...) and must
// leave the page alone. The window reports the Ctrl key when it is let go
// with nothing pressed in between.
void CalculatorLogic::WindowKeyDown(int keyCode, int shift) {
  if (keyCode == kF1) OpenManual();
  if (keyCode == kControlKey && shift == kShiftCtrl) TurnKeypadPage();
}

int CalculatorLogic::WindowKeyPress(int c) {
  if (c == kEscape) {
    c_.CloseWindow();
    return 0;
  }
  if (c >= '1' && c <= ';') {
    ClickKey(c - '0');
    return 0;
  }
  if (c == '0') {
    ClickKey(10);
    return 0;
  }
  if (c == '.') {
    ClickKey(11);
    return 0;
  }
  return c;
}

void CalculatorLogic::EntryKeyDown(int keyCode, int shift) {
  WindowKeyDown(keyCode, shift);
  EntryLineKeyDown(keyCode);
  RestShiftKeys();
}

int CalculatorLogic::EntryKeyPress(int c) {
  int passed = WindowKeyPress(c);
  if (passed != 0) passed = EntryLineKeyPress(passed);
  RestShiftKeys();
  return passed;
}

}  // namespace tarvo
