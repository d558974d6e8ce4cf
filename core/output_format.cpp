#include "core/output_format.h"

#include "engine/number_text.h"
#include "output/draw.h"
#include "output/formats.h"

namespace tarvo {
namespace {

std::optional<std::string> NormalText(double x, int) { return NumberText(x); }
std::optional<std::string> FixedText(double x, int decimals) { return FormatFixed(x, decimals); }
std::optional<std::string> ScientificText(double x, int digits) { return FormatScientific(x, digits); }
std::optional<std::string> FractionText(double x, int) { return FormatFraction(x); }
std::optional<std::string> SexagesimalText(double x, int) { return FormatDms(x); }
std::optional<std::string> BinaryText(double x, int) { return BinaryKeyText(x); }
std::optional<std::string> HexadecimalText(double x, int) { return HexKeyText(x); }
std::optional<std::string> DateText(double x, int) { return DateKeyText(x); }

using enum OutputMode;
constexpr FormatKind kNormalKind = FormatKind::kNormal;
constexpr FormatKind kToggle = FormatKind::kToggle;
constexpr FormatKind kCounted = FormatKind::kCounted;
constexpr FormatCounts kNoCounts{0, 0, ""};

// mode, key, directive, kind, caption, second caption, counts, formatter
constexpr std::array<FormatRow, kOutputModeCount> kFormats = {{
    {kNormal, "NOR", ":norm", kNormalKind, " Normal output format", "", kNoCounts, NormalText},
    {kFixed, "FIX", ":fix", kCounted, " Output format with ", "", {0, 9, "decimal"}, FixedText},
    {kScientific, "SCI", ":sci", kCounted, " Scientific notation output with ", "", {1, 12, "digit"}, ScientificText},
    {kFraction, "FRAC", ":frac", kToggle, " Fractions / \xCB fractions / rationalized roots output format", "", kNoCounts,
     FractionText},
    {kSexagesimal, "DMS", ":dms", kToggle, " Sexagesimal output format: Degrees, minutes and seconds of arc", "",
     kNoCounts, SexagesimalText},
    {kBinary, "BIN", ":bin", kToggle, " Binary (base 2) output format", "", kNoCounts, BinaryText},
    {kHexadecimal, "HEX", ":hex", kToggle, " Hexadecimal (base 16) output format", "", kNoCounts, HexadecimalText},
    {kDate, "DATE", ":date", kToggle, " Date output format for a given Julian day",
     " Example: JULD(3, 12, 2007) = 2454171.5 = Monday, March 12th, 2007", kNoCounts, DateText},
}};

// The rows stand in the order of their modes, one a mode; the normal format
// is the first, and only the counted ones have counts.
constexpr bool OneRowPerMode() {
  for (size_t i = 0; i < kFormats.size(); ++i) {
    const FormatRow& f = kFormats[i];
    if (static_cast<size_t>(f.mode) != i || f.key.empty() || f.directive.empty()) return false;
    if ((f.kind == kNormalKind) != (f.mode == kNormal)) return false;
    if ((f.kind == kCounted) != (f.counts.first < f.counts.last)) return false;
  }
  return true;
}
static_assert(OneRowPerMode());

// "1 decimal", "2 decimals".
std::string CountText(int n, std::string_view unit) {
  return NumberText(n) + " " + std::string(unit) + (n == 1 ? "" : "s");
}

// The view of a text in a format (without its leading blank).
AnswerView ViewOf(std::string text, const FormatRow& row, std::string upper, std::string lower) {
  AnswerView view;
  view.plain = PlainResultText(text);
  view.text = " " + text;
  view.upperMessage = std::move(upper);
  view.lowerMessage = std::move(lower);
  view.mode = row.mode;
  return view;
}

// A counted format's menu: its menu index of "Normal", after an entry per
// count and a separator.
int NormalEntry(const FormatRow& row) { return row.counts.last - row.counts.first + 2; }

}  // namespace

std::span<const FormatRow> FormatTable() { return kFormats; }

const FormatRow& FormatOf(OutputMode mode) { return kFormats[static_cast<size_t>(mode)]; }

std::string NormalAnswerText(double x) { return " " + NumberText(x); }

AnswerView OutputFormat::ShowAnswer(double answer) {
  const FormatRow& row = FormatOf(mode_);
  switch (row.kind) {
    case kNormalKind: return Normal(answer);
    case kCounted: return Counted(row, false, answer);
    case kToggle: break;
  }
  // A toggle format is switched on again for the new answer.
  mode_ = kNormal;
  return Show(row.mode, answer);
}

AnswerView OutputFormat::Normal(double answer) {
  mode_ = kNormal;
  const FormatRow& row = FormatOf(kNormal);
  AnswerView view;
  view.text = NormalAnswerText(answer);
  PlainResultText(view.text, view.plain);
  view.upperMessage = row.caption;
  view.mode = kNormal;
  return view;
}

AnswerView OutputFormat::Show(OutputMode mode, double answer) {
  const FormatRow& row = FormatOf(mode);
  if (row.kind != kToggle || mode_ == mode) return Normal(answer);
  mode_ = mode;
  std::optional<std::string> text = row.format(answer, 0);
  // Beyond the hexadecimal and binary limits the answer shows, and the
  // format ends, in the normal format.
  if (!text) return Normal(answer);
  return ViewOf(std::move(*text), row, std::string(row.caption), std::string(row.secondCaption));
}

std::vector<MenuEntry> OutputFormat::Menu(OutputMode mode) const {
  const FormatRow& row = FormatOf(mode);
  const int inForce = mode_ == mode ? counts_[static_cast<size_t>(mode)] : -1;
  std::vector<MenuEntry> menu;
  for (int i = row.counts.first; i <= row.counts.last; ++i) menu.push_back({CountText(i, row.counts.unit), i == inForce, false});
  menu.push_back({"", false, true});
  menu.push_back({"Normal", mode_ == kNormal, false});
  return menu;
}

std::optional<AnswerView> OutputFormat::ChooseFromMenu(OutputMode mode, int choice, double answer) {
  const FormatRow& row = FormatOf(mode);
  if (choice >= 0 && choice <= row.counts.last - row.counts.first) {
    counts_[static_cast<size_t>(mode)] = row.counts.first + choice;
    mode_ = mode;
  } else if (choice == NormalEntry(row)) {
    mode_ = kNormal;
  }
  if (mode_ == kNormal) return Normal(answer);
  // Closed without a choice in another format: the display stays as it was.
  if (mode_ != mode) return std::nullopt;
  return Counted(row, true, answer);
}

AnswerView OutputFormat::Counted(const FormatRow& row, bool caption, double answer) const {
  const int count = counts_[static_cast<size_t>(row.mode)];
  return ViewOf(*row.format(answer, count), row,
                caption ? std::string(row.caption) + CountText(count, row.counts.unit) : std::string(), "");
}

}  // namespace tarvo
