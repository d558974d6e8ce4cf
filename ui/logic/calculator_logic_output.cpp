// The output keys of the main window, their FIX and SCI menus, and the
// display of a new answer in the chosen format.
#include <optional>
#include <string>
#include <vector>

#include "engine/number_text.h"
#include "engine/state.h"
#include "output/formats.h"
#include "ui/logic/calculator_logic.h"

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

void CalculatorLogic::ShowNewAnswer() { ShowNewAnswer(std::string()); }

// `normalText` empty: not built yet (a built one always has its blank).
void CalculatorLogic::ShowNewAnswer(std::string normalText) {
  c_.ClearDisplay();
  c_.SetUpperMessage("");
  c_.SetLowerMessage("");
  // A toggle key finds OUT_NORMAL and switches its own mode on again, so a
  // toggle format stays in force from one answer to the next. Each test sees
  // what the one before did (a hexadecimal answer out of range ends normal).
  std::int32_t& mode = engine_.OutputMode;
  if (mode == OUT_DMS) {
    mode = OUT_NORMAL;
    SexagesimalFormatKey();
  }
  if (mode == OUT_HEX) {
    mode = OUT_NORMAL;
    HexadecimalFormatKey();
  }
  if (mode == OUT_BIN) {
    mode = OUT_NORMAL;
    BinaryFormatKey();
  }
  if (mode == OUT_FRAC) {
    mode = OUT_NORMAL;
    FractionFormatKey();
  }
  if (mode == OUT_DATE) {
    mode = OUT_NORMAL;
    DateFormatKey();
  }
  if (mode == OUT_FIX) c_.DrawResultText(" " + FormatFixed(engine_.LastAnswer, FixDecimals));
  if (mode == OUT_SCI) c_.DrawResultText(" " + FormatScientific(engine_.LastAnswer, SciDigits));
  if (mode == OUT_NORMAL) NormalFormatKey(std::move(normalText));
}

void CalculatorLogic::NormalFormatKey() { NormalFormatKey(std::string()); }

void CalculatorLogic::NormalFormatKey(std::string normalText) {
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
  c_.SetUpperMessage(kCaption);
  c_.SetLowerMessage("");
}

void CalculatorLogic::FixedFormatKey() {
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
  if (choice >= 0 && choice <= 9) ChooseFixedDecimals(choice);
  else if (choice == 11) ChooseFixedNormal();

  if (engine_.OutputMode == OUT_NORMAL) {
    NormalFormatKey();
    return;
  }
  // Closed without a choice in another format: the display stays as it was.
  if (engine_.OutputMode != OUT_FIX) return;
  c_.ClearDisplay();
  c_.SetUpperMessage(FixCaption(FixDecimals));
  c_.SetLowerMessage("");
  LightOutputKey(kKeyFix);
  c_.DrawResultText(" " + FormatFixed(engine_.LastAnswer, FixDecimals));
}

void CalculatorLogic::ScientificFormatKey() {
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
  if (choice >= 0 && choice <= 11) ChooseScientificDigits(choice + 1);
  else if (choice == 13) ChooseScientificNormal();

  if (engine_.OutputMode == OUT_NORMAL) {
    NormalFormatKey();
    return;
  }
  if (engine_.OutputMode != OUT_SCI) return;
  c_.ClearDisplay();
  c_.SetUpperMessage(SciCaption(SciDigits));
  c_.SetLowerMessage("");
  LightOutputKey(kKeySci);
  c_.DrawResultText(" " + FormatScientific(engine_.LastAnswer, SciDigits));
}

void CalculatorLogic::FractionFormatKey() { ToggleKey(OUT_FRAC, kKeyFrac); }
void CalculatorLogic::SexagesimalFormatKey() { ToggleKey(OUT_DMS, kKeyDms); }
void CalculatorLogic::BinaryFormatKey() { ToggleKey(OUT_BIN, kKeyBin); }
void CalculatorLogic::HexadecimalFormatKey() { ToggleKey(OUT_HEX, kKeyHex); }
void CalculatorLogic::DateFormatKey() { ToggleKey(OUT_DATE, kKeyDate); }

void CalculatorLogic::ChooseFixedDecimals(int index) {
  if (index < 0 || index > 9) return;
  FixDecimals = index;
  engine_.OutputMode = OUT_FIX;
  UncheckAllFormatMenus();
  FixChecked[index] = true;
}

void CalculatorLogic::ChooseScientificDigits(int index) {
  if (index < 1 || index > 12) return;
  SciDigits = index;
  engine_.OutputMode = OUT_SCI;
  UncheckAllFormatMenus();
  SciChecked[index] = true;
}

void CalculatorLogic::ChooseFixedNormal() {
  engine_.OutputMode = OUT_NORMAL;
  FixChecked.fill(false);
  SciChecked.fill(false);
  FixNormalChecked = true;
  SciNormalChecked = true;
}

void CalculatorLogic::ChooseScientificNormal() { ChooseFixedNormal(); }

// The common procedure of the five toggle keys: a lit key turns its format
// off; otherwise its format is switched on and the answer drawn in it.
void CalculatorLogic::ToggleKey(int mode, int key) {
  c_.FocusEntry();
  UncheckAllFormatMenus();
  ArcShift = false;
  HypShift = false;
  if (engine_.OutputMode == mode) {
    engine_.OutputMode = OUT_NORMAL;
    NormalFormatKey();
    return;
  }
  engine_.OutputMode = mode;
  c_.ClearDisplay();
  std::string upperMessage;
  std::string lowerMessage;
  switch (mode) {
    case OUT_FRAC:
      upperMessage = " Fractions / \xCB fractions / rationalized roots output format";
      break;
    case OUT_DMS:
      upperMessage = " Sexagesimal output format: Degrees, minutes and seconds of arc";
      break;
    case OUT_BIN:
      upperMessage = " Binary (base 2) output format";
      break;
    case OUT_HEX:
      upperMessage = " Hexadecimal (base 16) output format";
      break;
    case OUT_DATE:
      upperMessage = " Date output format for a given Julian day";
      lowerMessage = " Example: JULD(3, 12, 2007) = 2454171.5 = Monday, March 12th, 2007";
      break;
  }
  c_.SetUpperMessage(upperMessage);
  c_.SetLowerMessage(lowerMessage);
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
    NormalFormatKey();
    return;
  }
  c_.DrawResultText(" " + *text);
}

void CalculatorLogic::LightOutputKey(int key) {
  for (int k = kFirstOutputKey; k <= kLastOutputKey; ++k) c_.SetKeyLit(k, k == key);
}

void CalculatorLogic::UncheckAllFormatMenus() {
  FixChecked.fill(false);
  SciChecked.fill(false);
  FixNormalChecked = false;
  SciNormalChecked = false;
}

}  // namespace tarvo
