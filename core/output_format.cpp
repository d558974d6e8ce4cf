#include "core/output_format.h"

#include "engine/number_text.h"
#include "output/formats.h"
#include "core/processing_cycle.h"

namespace tarvo {
namespace {

constexpr int kFixedNormalEntry = 11;       // after 0..9 decimals and a separator
constexpr int kScientificNormalEntry = 13;  // after 1..12 digits and a separator

std::string FixCaption(int n) {
  return " Output format with " + NumberText(n) + " decimal" + (n != 1 ? "s" : "");
}

std::string SciCaption(int n) {
  return " Scientific notation output with " + NumberText(n) + " digit" + (n > 1 ? "s" : "");
}

// The FIX and SCI menus: an entry per count from `first` to `last` ("1
// decimal", "2 decimals"...), the one in force checked, then a separator and
// "Normal".
std::vector<MenuEntry> CountMenu(int first, int last, std::string_view unit, int inForce, bool normal) {
  std::vector<MenuEntry> menu;
  for (int i = first; i <= last; ++i)
    menu.push_back({NumberText(i) + " " + std::string(unit) + (i == 1 ? "" : "s"), i == inForce, false});
  menu.push_back({"", false, true});
  menu.push_back({"Normal", normal, false});
  return menu;
}

}  // namespace

AnswerView OutputFormat::ShowAnswer(std::string normalText) {
  switch (mode_) {
    case OUT_FIX: return FixedView(false);
    case OUT_SCI: return ScientificView(false);
    case OUT_NORMAL: return Normal(std::move(normalText));
    default: {
      // A toggle format is switched on again for the new answer.
      const std::int32_t mode = mode_;
      mode_ = OUT_NORMAL;
      return Toggle(mode);
    }
  }
}

AnswerView OutputFormat::Normal(std::string normalText) {
  mode_ = OUT_NORMAL;
  if (normalText.empty()) normalText = NormalAnswerText(state_.LastAnswer);
  return {std::move(normalText), " Normal output format", "", OUT_NORMAL};
}

AnswerView OutputFormat::Toggle(std::int32_t mode) {
  if (mode_ == mode) return Normal();
  mode_ = mode;
  const double answer = state_.LastAnswer;
  std::optional<std::string> text;
  AnswerView view;
  view.mode = mode;
  switch (mode) {
    case OUT_FRAC:
      view.upperMessage = " Fractions / \xCB fractions / rationalized roots output format";
      text = FormatFraction(answer);
      break;
    case OUT_DMS:
      view.upperMessage = " Sexagesimal output format: Degrees, minutes and seconds of arc";
      text = FormatDms(answer);
      break;
    case OUT_BIN:
      view.upperMessage = " Binary (base 2) output format";
      text = BinaryKeyText(answer);
      break;
    case OUT_HEX:
      view.upperMessage = " Hexadecimal (base 16) output format";
      text = HexKeyText(answer);
      break;
    case OUT_DATE:
      view.upperMessage = " Date output format for a given Julian day";
      view.lowerMessage = " Example: JULD(3, 12, 2007) = 2454171.5 = Monday, March 12th, 2007";
      text = DateKeyText(answer);
      break;
    default:
      break;
  }
  // Beyond the hexadecimal and binary limits the answer shows, and the
  // format ends, in the normal format.
  if (!text) return Normal();
  view.text = " " + *text;
  return view;
}

std::vector<MenuEntry> OutputFormat::FixedMenu() const {
  return CountMenu(0, 9, "decimal", mode_ == OUT_FIX ? fixDecimals_ : -1, mode_ == OUT_NORMAL);
}

std::vector<MenuEntry> OutputFormat::ScientificMenu() const {
  return CountMenu(1, 12, "digit", mode_ == OUT_SCI ? sciDigits_ : -1, mode_ == OUT_NORMAL);
}

std::optional<AnswerView> OutputFormat::ChooseFromFixedMenu(int choice) {
  if (choice >= 0 && choice <= 9) {
    fixDecimals_ = choice;
    mode_ = OUT_FIX;
  } else if (choice == kFixedNormalEntry) {
    mode_ = OUT_NORMAL;
  }
  if (mode_ == OUT_NORMAL) return Normal();
  // Closed without a choice in another format: the display stays as it was.
  if (mode_ != OUT_FIX) return std::nullopt;
  return FixedView(true);
}

std::optional<AnswerView> OutputFormat::ChooseFromScientificMenu(int choice) {
  if (choice >= 0 && choice <= 11) {
    sciDigits_ = choice + 1;
    mode_ = OUT_SCI;
  } else if (choice == kScientificNormalEntry) {
    mode_ = OUT_NORMAL;
  }
  if (mode_ == OUT_NORMAL) return Normal();
  if (mode_ != OUT_SCI) return std::nullopt;
  return ScientificView(true);
}

AnswerView OutputFormat::FixedView(bool caption) const {
  return {" " + FormatFixed(state_.LastAnswer, fixDecimals_), caption ? FixCaption(fixDecimals_) : "", "",
          OUT_FIX};
}

AnswerView OutputFormat::ScientificView(bool caption) const {
  return {" " + FormatScientific(state_.LastAnswer, sciDigits_), caption ? SciCaption(sciDigits_) : "",
          "", OUT_SCI};
}

}  // namespace tarvo
