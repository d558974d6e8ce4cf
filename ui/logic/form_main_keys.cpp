// The keypad, the shift keys and the keys the window sees before its entry
// line.
#include <algorithm>

#include "engine/state.h"
#include "ui/logic/form_main.h"
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

void FormMain::SetCapImag() {
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

void FormMain::Image1_Click(int key) {
  if (!IsKey(key)) return;
  if (IsContinuingKey(key)) {
    if (c_.SelectionStart() != static_cast<int>(c_.EntryText().size())) ResultShown = false;
    if (ResultShown) {
      ResultShown = false;
      AC_KEY();
      ANS_KEY();
    }
  }
  const KeyDef& def = KeyTable()[static_cast<size_t>(key)];
  switch (RoleOfKey(key)) {
    case KeyRole::kText:
      EscribirCaracter(std::string(def.tag), std::string(def.help));
      ResultShown = false;
      break;
    case KeyRole::kDel:
      DEL_KEY();
      ResultShown = false;
      break;
    case KeyRole::kAc:
      AC_KEY();
      ResultShown = false;
      break;
    case KeyRole::kAns:
      ANS_KEY();
      ResultShown = false;
      break;
    case KeyRole::kTrig:
      TRIG_KEY(key);
      ResultShown = false;
      break;
    case KeyRole::kExe:
      EXE_KEY();
      break;
    case KeyRole::kOutput:
      switch (key) {
        case kKeyNor: NOR_KEY(); break;
        case kKeyFix: FIX_KEY(); break;
        case kKeySci: SCI_KEY(); break;
        case kKeyFrac: FRAC_KEY(); break;
        case kKeyDms: DMS_KEY(); break;
        case kKeyBin: BIN_KEY(); break;
        case kKeyHex: HEX_KEY(); break;
        default: DATE_KEY(); break;
      }
      break;
    case KeyRole::kAngleUnit:
      DEG_RAD_GRA_KEY(key);
      break;
    case KeyRole::kArc:
      ARC_KEY();
      break;
    case KeyRole::kHyp:
      HIP_KEY();
      break;
    case KeyRole::kConst:
      CONST_KEY();
      break;
    case KeyRole::kClearVars:
      CLEAR_VARS_KEY();
      break;
    case KeyRole::kVarList:
      VARLIST_KEY();
      break;
    case KeyRole::kHelp:
      AYUDA_KEY();
      break;
    case KeyRole::kNone:
      break;
  }
  RestShiftKeys();
}

void FormMain::Image1_MouseDown(int key) {
  if (!IsKey(key)) return;
  c_.MoveKey(key, KeyLeft[static_cast<size_t>(key)] + 1, KeyTop[static_cast<size_t>(key)] + 1);
}

void FormMain::Image1_MouseUp(int key) {
  if (!IsKey(key)) return;
  c_.MoveKey(key, KeyLeft[static_cast<size_t>(key)], KeyTop[static_cast<size_t>(key)]);
}

void FormMain::ImageSEL_TEC_Click() {
  KeypadPage = KeypadPage != 0 ? 0 : 1;
  c_.SetPagePicture(KeypadPage);
  for (int k : kFirstPageKeys) c_.SetKeyVisible(k, KeypadPage == 0);
  for (int k : kSecondPageKeys) c_.SetKeyVisible(k, KeypadPage == 1);
}

void FormMain::ImageSEL_TEC_MouseDown() {
  c_.SetPageSelectorPressed(true);
  ArcShift = HypShift = false;
  RestShiftKeys();
}

void FormMain::ImageSEL_TEC_MouseUp() { c_.SetPageSelectorPressed(false); }

void FormMain::imgVIS_Click() {
  if (AlwaysVisible != 0) {
    AlwaysVisible = 0;
    c_.SetAlwaysOnTop(false);
    EscribirCaracter("", "Always visible mode disabled");
  } else {
    AlwaysVisible = -1;
    c_.SetAlwaysOnTop(true);
    EscribirCaracter("", "Always visible mode enabled. This window is always on top");
  }
}

void FormMain::ARC_KEY() {
  c_.SetLabel7("");
  const size_t k = kKeyArc;
  if (ArcShift) {
    ArcShift = false;
    c_.MoveKey(kKeyArc, KeyLeft[k], KeyTop[k]);
    c_.SetKeyLit(kKeyArc, false);
    c_.SetLabel3(HypShift ? " Hyperbolic function for sinh, cosh and tanh" : "");
  } else {
    ArcShift = true;
    c_.MoveKey(kKeyArc, KeyLeft[k] + 1, KeyTop[k] + 1);
    c_.SetKeyLit(kKeyArc, true);
    c_.SetLabel3(HypShift ? " Inverse hyperbolic function for Argsinh, Argcosh and Argtanh"
                          : " Inverse trigonometric function for Arcsin, Arccos and Arctan");
  }
  c_.SetShiftIndicatorVisible(ArcShift || HypShift);
}

void FormMain::HIP_KEY() {
  c_.SetLabel7("");
  const size_t k = kKeyHyp;
  if (HypShift) {
    HypShift = false;
    c_.MoveKey(kKeyHyp, KeyLeft[k], KeyTop[k]);
    c_.SetKeyLit(kKeyHyp, false);
    c_.SetLabel3(ArcShift ? " Inverse trigonometric function for Arcsin, Arccos and Arctan" : "");
  } else {
    HypShift = true;
    c_.MoveKey(kKeyHyp, KeyLeft[k] + 1, KeyTop[k] + 1);
    c_.SetKeyLit(kKeyHyp, true);
    c_.SetLabel3(ArcShift ? " Inverse hyperbolic function for Argsinh, Argcosh and Argtanh"
                          : " Hyperbolic function for sinh, cosh and tanh");
  }
  c_.SetShiftIndicatorVisible(ArcShift || HypShift);
}

void FormMain::TRIG_KEY(int key) {
  if (!IsKey(key)) return;
  const std::string n(KeyTable()[static_cast<size_t>(key)].tag);
  if (ArcShift && HypShift) {
    EscribirCaracter("Arg" + n + "h ", "Inverse hyperbolic function arg" + n + "h");
  } else if (ArcShift) {
    EscribirCaracter("Arc" + n + " ", "Inverse trigonometric function arc" + n);
  } else if (HypShift) {
    EscribirCaracter(n + "h ", "Hyperbolic function " + n + "h");
  } else {
    EscribirCaracter(n + " ", "Trigonometric function " + n);
  }
}

void FormMain::RestShiftKeys() {
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

std::int16_t FormMain::DropAlwaysOnTop() {
  const std::int16_t saved = AlwaysVisible;
  AlwaysVisible = -1;
  imgVIS_Click();
  return saved;
}

void FormMain::RestoreAlwaysOnTop(std::int16_t saved) {
  // imgVIS_Click toggles, so it is handed the opposite of what is wanted.
  AlwaysVisible = saved != 0 ? 0 : -1;
  imgVIS_Click();
}

void FormMain::CONST_KEY() {
  ArcShift = HypShift = false;
  c_.FocusEntry();
  const int choice = c_.PopupMenu(ConstantsMenuEntries());
  if (choice >= 0) M_Constante_Click(choice + 1);
}

void FormMain::M_Constante_Click(int index) { InsertConstant(*this, index); }

void FormMain::VARLIST_KEY() {
  ArcShift = HypShift = false;
  ListMode = 1;
  const std::int16_t saved = DropAlwaysOnTop();
  c_.ShowVariableListWindow();
  RestoreAlwaysOnTop(saved);
  c_.FocusEntry();
}

void FormMain::AYUDA_KEY() {
  ArcShift = HypShift = false;
  c_.FocusEntry();
  switch (c_.PopupMenu(HelpMenuEntries())) {
    case static_cast<int>(HelpChoice::kManual): mnu_Ayuda_MAN_Click(); break;
    case static_cast<int>(HelpChoice::kHomePage): mnu_Ayuda_WEB_Click(); break;
    case static_cast<int>(HelpChoice::kDonate): mnu_Ayuda_DONATE_Click(); break;
    case static_cast<int>(HelpChoice::kAbout): mnu_Ayuda_ACE_Click(); break;
    default: break;  // closed without a choice
  }
}

// The manual's viewer opens as a window of its own, which a calculator kept
// on top would cover; the state is not put back, since the viewer stays.
void FormMain::mnu_Ayuda_MAN_Click() {
  DropAlwaysOnTop();
  const ManualLocation manual =
      LocateManual(c_.ProgramDirectory(), [this](const std::string& path) { return c_.FileExists(path); });
  if (!manual.found) c_.ShowWarning("Error", ManualFailureText(manual.path));
  else if (!c_.OpenDocument(manual.path)) c_.ShowWarning("Error", NoPdfViewerText(manual.path));
}

void FormMain::mnu_Ayuda_WEB_Click() {
  if (!c_.OpenUrl(std::string(kHomePageUrl))) c_.ShowWarning("Tarvo", ConnectFailureText());
}

void FormMain::mnu_Ayuda_DONATE_Click() {
  if (!c_.OpenUrl(std::string(kDonationUrl))) c_.ShowWarning("Tarvo", ConnectFailureText());
}

void FormMain::mnu_Ayuda_ACE_Click() {
  const std::int16_t saved = DropAlwaysOnTop();
  c_.ShowAboutBox();
  RestoreAlwaysOnTop(saved);
}

// Only the Ctrl key itself turns the page: Ctrl with another key is one of
// the entry line's shortcuts (select all, copy, paste, undo...) and must
// leave the page alone. The window reports the Ctrl key when it is let go
// with nothing pressed in between.
void FormMain::Form_KeyDown(int keyCode, int shift) {
  if (keyCode == kF1) mnu_Ayuda_MAN_Click();
  if (keyCode == kControlKey && shift == kShiftCtrl) ImageSEL_TEC_Click();
}

int FormMain::Form_KeyPress(int c) {
  if (c == kEscape) {
    c_.CloseWindow();
    return 0;
  }
  if (c >= '1' && c <= ';') {
    Image1_Click(c - '0');
    return 0;
  }
  if (c == '0') {
    Image1_Click(10);
    return 0;
  }
  if (c == '.') {
    Image1_Click(11);
    return 0;
  }
  return c;
}

void FormMain::EntryKeyDown(int keyCode, int shift) {
  Form_KeyDown(keyCode, shift);
  Text1_KeyDown(keyCode);
  RestShiftKeys();
}

int FormMain::EntryKeyPress(int c) {
  int passed = Form_KeyPress(c);
  if (passed != 0) passed = Text1_KeyPress(passed);
  RestShiftKeys();
  return passed;
}

}  // namespace tarvo
