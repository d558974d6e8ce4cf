// The output keys of the main window, their FIX and SCI menus, and the
// display of a new answer in the chosen format.
#include <optional>
#include <string>
#include <vector>

#include "engine/number_text.h"
#include "engine/state.h"
#include "output/formats.h"
#include "ui/logic/form_main.h"

namespace tarvo {
namespace {

constexpr int kFirstOutputKey = kKeyNor;
constexpr int kLastOutputKey = kKeyDate;

std::string FixCaption(int n) {
  return " Output format with " + NumberText(n) + " decimal" + (n != 1 ? "s" : "");
}

std::string SciCaption(int n) {
  return " Scientific notation output with " + NumberText(n) + " digit" + (n > 1 ? "s" : "");
}

}  // namespace

std::string NormalAnswerText(double x) { return " " + NumberText(x); }

void FormMain::ShowNewAnswer() { ShowNewAnswer(std::string()); }

// `normalText` empty: not built yet (a built one always has its blank).
void FormMain::ShowNewAnswer(std::string normalText) {
  c_.ClearDisplay();
  c_.SetLabel3("");
  c_.SetLabel7("");
  // A toggle key finds OUT_NORMAL and switches its own mode on again, so a
  // toggle format stays in force from one answer to the next. Each test sees
  // what the one before did (a hexadecimal answer out of range ends normal).
  std::int32_t& mode = engine_.OutputMode;
  if (mode == OUT_DMS) {
    mode = OUT_NORMAL;
    DMS_KEY();
  }
  if (mode == OUT_HEX) {
    mode = OUT_NORMAL;
    HEX_KEY();
  }
  if (mode == OUT_BIN) {
    mode = OUT_NORMAL;
    BIN_KEY();
  }
  if (mode == OUT_FRAC) {
    mode = OUT_NORMAL;
    FRAC_KEY();
  }
  if (mode == OUT_DATE) {
    mode = OUT_NORMAL;
    DATE_KEY();
  }
  if (mode == OUT_FIX) c_.DrawResultText(" " + FormatFixed(engine_.LastAnswer, FixDecimals));
  if (mode == OUT_SCI) c_.DrawResultText(" " + FormatScientific(engine_.LastAnswer, SciDigits));
  if (mode == OUT_NORMAL) NOR_KEY(std::move(normalText));
}

void FormMain::NOR_KEY() { NOR_KEY(std::string()); }

void FormMain::NOR_KEY(std::string normalText) {
  engine_.OutputMode = OUT_NORMAL;
  FixChecked.fill(false);
  SciChecked.fill(false);
  FixNormalChecked = true;
  SciNormalChecked = true;
  c_.ClearDisplay();
  if (normalText.empty()) normalText = NormalAnswerText(engine_.LastAnswer);
  c_.DrawResultText(normalText);
  LightOutputKey(kKeyNor);
  ArcShift = false;
  HypShift = false;
  static const std::string kCaption(" Normal output format");  // built once, not per answer
  c_.SetLabel3(kCaption);
  c_.SetLabel7("");
}

void FormMain::FIX_KEY() {
  c_.FocusEntry();
  ArcShift = false;
  HypShift = false;
  std::vector<MenuEntry> menu;
  for (int i = 0; i <= 9; ++i) {
    menu.push_back({NumberText(i) + (i == 1 ? " decimal" : " decimals"), FixChecked[i], false});
  }
  menu.push_back({"", false, true});
  menu.push_back({"Normal", FixNormalChecked, false});
  const int choice = c_.PopupMenu(menu);
  if (choice >= 0 && choice <= 9) M_FIX_Click(choice);
  else if (choice == 11) M_FIX_Normal_Click();

  if (engine_.OutputMode == OUT_NORMAL) {
    NOR_KEY();
    return;
  }
  // Closed without a choice in another format: the display stays as it was.
  if (engine_.OutputMode != OUT_FIX) return;
  c_.ClearDisplay();
  c_.SetLabel3(FixCaption(FixDecimals));
  c_.SetLabel7("");
  LightOutputKey(kKeyFix);
  c_.DrawResultText(" " + FormatFixed(engine_.LastAnswer, FixDecimals));
}

void FormMain::SCI_KEY() {
  c_.FocusEntry();
  ArcShift = false;
  HypShift = false;
  std::vector<MenuEntry> menu;
  for (int i = 1; i <= 12; ++i) {
    menu.push_back({NumberText(i) + (i == 1 ? " digit" : " digits"), SciChecked[i], false});
  }
  menu.push_back({"", false, true});
  menu.push_back({"Normal", SciNormalChecked, false});
  const int choice = c_.PopupMenu(menu);
  if (choice >= 0 && choice <= 11) M_SCI_DIG_Click(choice + 1);
  else if (choice == 13) M_SCI_Normal_Click();

  if (engine_.OutputMode == OUT_NORMAL) {
    NOR_KEY();
    return;
  }
  if (engine_.OutputMode != OUT_SCI) return;
  c_.ClearDisplay();
  c_.SetLabel3(SciCaption(SciDigits));
  c_.SetLabel7("");
  LightOutputKey(kKeySci);
  c_.DrawResultText(" " + FormatScientific(engine_.LastAnswer, SciDigits));
}

void FormMain::FRAC_KEY() { ToggleKey(OUT_FRAC, kKeyFrac); }
void FormMain::DMS_KEY() { ToggleKey(OUT_DMS, kKeyDms); }
void FormMain::BIN_KEY() { ToggleKey(OUT_BIN, kKeyBin); }
void FormMain::HEX_KEY() { ToggleKey(OUT_HEX, kKeyHex); }
void FormMain::DATE_KEY() { ToggleKey(OUT_DATE, kKeyDate); }

void FormMain::M_FIX_Click(int index) {
  if (index < 0 || index > 9) return;
  FixDecimals = index;
  engine_.OutputMode = OUT_FIX;
  UncheckAllFormatMenus();
  FixChecked[index] = true;
}

void FormMain::M_SCI_DIG_Click(int index) {
  if (index < 1 || index > 12) return;
  SciDigits = index;
  engine_.OutputMode = OUT_SCI;
  UncheckAllFormatMenus();
  SciChecked[index] = true;
}

void FormMain::M_FIX_Normal_Click() {
  engine_.OutputMode = OUT_NORMAL;
  FixChecked.fill(false);
  SciChecked.fill(false);
  FixNormalChecked = true;
  SciNormalChecked = true;
}

void FormMain::M_SCI_Normal_Click() { M_FIX_Normal_Click(); }

// The common procedure of the five toggle keys: a lit key turns its format
// off; otherwise its format is switched on and the answer drawn in it.
void FormMain::ToggleKey(int mode, int key) {
  c_.FocusEntry();
  UncheckAllFormatMenus();
  ArcShift = false;
  HypShift = false;
  if (engine_.OutputMode == mode) {
    engine_.OutputMode = OUT_NORMAL;
    NOR_KEY();
    return;
  }
  engine_.OutputMode = mode;
  c_.ClearDisplay();
  std::string label3;
  std::string label7;
  switch (mode) {
    case OUT_FRAC:
      label3 = " Fractions / \xCB fractions / rationalized roots output format";
      break;
    case OUT_DMS:
      label3 = " Sexagesimal output format: Degrees, minutes and seconds of arc";
      break;
    case OUT_BIN:
      label3 = " Binary (base 2) output format";
      break;
    case OUT_HEX:
      label3 = " Hexadecimal (base 16) output format";
      break;
    case OUT_DATE:
      label3 = " Date output format for a given Julian day";
      label7 = " Example: JULD(3, 12, 2007) = 2454171.5 = Monday, March 12th, 2007";
      break;
  }
  c_.SetLabel3(label3);
  c_.SetLabel7(label7);
  LightOutputKey(key);

  const double answer = engine_.LastAnswer;
  std::optional<std::string> text;
  switch (mode) {
    case OUT_FRAC: text = FormatFraction(answer); break;
    case OUT_DMS: text = FormatDms(answer); break;
    case OUT_BIN: text = BinaryKeyText(answer); break;
    case OUT_HEX: text = HexKeyText(answer); break;
    case OUT_DATE: text = DateKeyText(answer); break;
  }
  // Beyond the hexadecimal and binary limits the answer shows, and the
  // format ends, in the normal format.
  if (!text) {
    NOR_KEY();
    return;
  }
  c_.DrawResultText(" " + *text);
}

void FormMain::LightOutputKey(int key) {
  for (int k = kFirstOutputKey; k <= kLastOutputKey; ++k) c_.SetKeyLit(k, k == key);
}

void FormMain::UncheckAllFormatMenus() {
  FixChecked.fill(false);
  SciChecked.fill(false);
  FixNormalChecked = false;
  SciNormalChecked = false;
}

}  // namespace tarvo
