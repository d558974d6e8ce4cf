// TEMPORARY: placeholders until the output formats land; delete with them.
#include "engine/number_text.h"
#include "output/draw.h"
#include "output/formats.h"

namespace tarvo {
std::string FormatFixed(double x, int) { return NumberText(x); }
std::string FormatScientific(double x, int) { return NumberText(x); }
double RoundAtPlace(double x, int) { return x; }
void ToFraction(double x, double& num, double& den) { num = x; den = 1; }
std::string FormatFraction(double x) { return NumberText(x); }
std::string FormatHex(double x) { return NumberText(x); }
std::string FormatBinary(double x) { return NumberText(x); }
std::optional<std::string> HexKeyText(double) { return std::nullopt; }
std::optional<std::string> BinaryKeyText(double) { return std::nullopt; }
std::string FormatDms(double x) { return NumberText(x); }
std::string FormatJulianDate(double x) { return NumberText(x); }
std::string DateKeyText(double x) { return NumberText(x); }
void DrawResult(const std::string&, DrawSurface&) {}
std::string PlainResultText(const std::string& text) { return text; }
}  // namespace tarvo
