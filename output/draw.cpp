// Result rendering: exponents raised, pi as the Greek letter, square roots
// with a bar over the radicand.
#include <charconv>
#include <optional>
#include <string>
#include <string_view>

#include "engine/bytes.h"
#include "engine/number_text.h"
#include "output/draw.h"

namespace tarvo {
namespace {

// Vertical pen positions and sizes of the display's typography.
constexpr double kBaseY = 3;
constexpr double kRaisedY = 0;
constexpr double kPiY = -1;
constexpr double kRootY = 2;
constexpr double kTextSize = 11;
constexpr double kExponentSize = 9;
constexpr double kGlyphSize = 14;
constexpr const char* kMiddleDotTen = "\xB7" "10";
constexpr const char* kSymbolPi = "p";
constexpr const char* kSymbolRadical = "\xD6";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The whole number an exponent text spells ("+20", "-05"); nothing when it
// is not a plain signed number.
std::optional<double> ExponentValue(std::string_view e) {
  if (!e.empty() && e[0] == '+') e.remove_prefix(1);
  if (e.empty() || e[0] == '+') return std::nullopt;
  double v = 0;
  const auto res = std::from_chars(e.data(), e.data() + e.size(), v);
  if (res.ec != std::errc() || res.ptr != e.data() + e.size()) return std::nullopt;
  return v;
}

// The zero a leading point lacks: ".5" -> "0.5", "-.5" -> "-0.5".
std::string ZeroBeforePoint(std::string b) {
  if (!b.empty() && b[0] == '.') return "0" + b;
  if (b.size() >= 2 && b[0] == '-' && b[1] == '.') return "-0." + b.substr(2);
  return b;
}

void UseGlyphFont(DrawSurface& s, double y) {
  s.SetFontName(kSymbolFont);
  s.SetFontSize(kGlyphSize);
  s.SetFontBold(false);
  s.SetCurrentY(y);
}

void UseTextFont(DrawSurface& s, const std::string& name) {
  s.SetFontName(name);
  s.SetFontSize(kTextSize);
  s.SetFontBold(true);
  s.SetCurrentY(kBaseY);
}

}  // namespace

void DrawResult(const std::string& text, DrawSurface& surface) {
  surface.SetCurrentY(kBaseY);
  surface.SetFontSize(kTextSize);
  const std::string fontName = surface.FontName();

  // Hexadecimal and binary digits may hold an "E" that is no exponent.
  const std::string t = Trim(text);
  const bool baseOutput = t.starts_with('&') || t.starts_with("-&");

  if (const size_t p = text.find('E'); !baseOutput && p != std::string::npos) {
    surface.Print(" " + text.substr(0, p) + kMiddleDotTen);
    surface.SetCurrentY(kRaisedY);
    surface.SetFontSize(kExponentSize);
    const std::string_view e = std::string_view(text).substr(p + 1);
    if (!e.empty() && IsDigit(e.back())) {
      const auto v = ExponentValue(e);
      if (!v) return;  // what was drawn stays
      surface.Print(NumberText(*v));
      surface.SetCurrentY(kBaseY);
      surface.SetFontSize(kTextSize);
      return;
    }
    // The exponent, then one mark after it (a seconds sign).
    const std::string_view exponent = e.substr(0, e.empty() ? 0 : e.size() - 1);
    const auto v = ExponentValue(exponent);
    if (!v) return;
    surface.Print(NumberText(*v));
    surface.SetCurrentY(kBaseY);
    surface.SetCurrentX(surface.CurrentX() + 1);
    surface.SetFontSize(kTextSize);
    surface.Print(std::string(e.substr(exponent.size())));
    return;
  }

  if (const size_t p = text.find("pi"); p != std::string::npos) {
    surface.Print(" " + text.substr(0, p));
    UseGlyphFont(surface, kPiY);
    surface.SetCurrentX(surface.CurrentX() + 1);
    surface.Print(kSymbolPi);
    UseTextFont(surface, fontName);
    surface.Print(text.substr(p + 2));
    return;
  }

  const size_t p = text.find("sqr");
  if (p == std::string::npos) {
    const std::string lead = text.starts_with(' ') ? " " : "";
    surface.Print(lead + ZeroBeforePoint(t));
    return;
  }

  surface.Print(" " + text.substr(0, p));
  UseGlyphFont(surface, kRootY);
  surface.Print(kSymbolRadical);
  const double x0 = surface.CurrentX();
  UseTextFont(surface, fontName);
  const std::string r = text.substr(p + 3);
  surface.Print(r);
  const double x1 = surface.CurrentX();
  // The bar covers the radicand only: r up to its "/", without a trailing
  // non-digit.
  std::string_view radicand = std::string_view(r).substr(0, r.find('/'));
  if (!radicand.empty() && !IsDigit(radicand.back())) radicand.remove_suffix(1);
  surface.Line(x0, kRootY, x0 + surface.TextWidth(std::string(radicand)), kRootY);
  surface.SetCurrentX(x1);
}

void PlainResultText(std::string_view text, std::string& out) {
  const size_t first = text.find_first_not_of(' ');
  out.clear();
  if (first == std::string_view::npos) return;
  std::string_view t = text.substr(first, text.find_last_not_of(' ') - first + 1);
  if (t[0] == '.') {
    out += '0';
  } else if (t.size() >= 2 && t[0] == '-' && t[1] == '.') {
    out += "-0";
    t.remove_prefix(1);
  }
  out += t;
}

std::string PlainResultText(const std::string& text) {
  std::string out;
  PlainResultText(text, out);
  return out;
}

}  // namespace tarvo
