// The fixed-decimals and scientific formats.
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "engine/number_text.h"
#include "output/formats.h"

namespace tarvo {
namespace {

// Writes a non-negative value with exactly `decimals` digits after the
// point, padding with zeros; a value below 1 gets its zero back. With no
// decimals the point stays at the end ("3.").
std::string WithDecimals(double a, int decimals) {
  std::string t = NumberText(a);
  size_t point = t.find('.');
  if (point == std::string::npos) {
    point = t.size();
    t += '.';
  }
  if (point == 0) {
    t.insert(0, 1, '0');
    point = 1;
  }
  const std::string after = t.substr(point + 1) + std::string(static_cast<size_t>(decimals), '0');
  t.resize(point + 1);
  t.append(after, 0, static_cast<size_t>(decimals));
  // The display holds 15 characters; a point left last goes too.
  constexpr size_t kDisplayWidth = 15;
  if (point < kDisplayWidth && t.size() > kDisplayWidth) t.resize(point + 1 == kDisplayWidth ? point : kDisplayWidth);
  return t;
}

}  // namespace

// Domain: finite x, decimals 0..9 (clamped). Magnitudes whose text needs an
// exponent (1E15 and above, below 1E-4) come back as plain NumberText. Halves
// round away from zero; the sign survives a value that rounds to zero
// ("-0.00").
std::string FormatFixed(double x, int decimals) {
  if (!std::isfinite(x)) return NumberText(x);
  if (decimals < 0) decimals = 0;
  if (decimals > 9) decimals = 9;
  double a = std::fabs(x);
  auto exponentForm = [](double v) { return NumberText(v).find('E') != std::string::npos; };
  if (exponentForm(a)) return NumberText(x);
  const double m = std::pow(10.0, decimals);
  a = std::floor(m * a + 0.5) / m;
  if (exponentForm(a)) return NumberText(x);
  std::string t = WithDecimals(a, decimals);
  if (x < 0) t = "-" + t;
  return t;
}

// Domain: finite x, digits 1..12 (clamped). The exponent is written without
// sign padding ("1.23E4", "1.2E-4", "5E0"); zero alone keeps two exponent
// digits ("0E00"). The mantissa comes from 10^(frac(log10 |x|)), so the last
// of 12 digits may be off by one for very large exponents.
std::string FormatScientific(double x, int digits) {
  if (!std::isfinite(x)) return NumberText(x);
  if (digits < 1) digits = 1;
  if (digits > 12) digits = 12;
  // The factor lifts exact powers of ten just above the power so that their
  // logarithm does not fall below the whole number. Near the top of the
  // double range it would overflow, and there no lift is needed.
  double a = std::fabs(x) * 1.000000000000001;
  if (!std::isfinite(a)) a = std::fabs(x);
  if (a == 0) {
    return digits >= 2 ? "0." + std::string(static_cast<size_t>(digits - 1), '0') + "E00" : "0E00";
  }
  const double e = std::log(a) / std::log(10.0);
  // |e| < 400 for every finite double, so k fits 32 bits.
  std::int32_t k = static_cast<std::int32_t>(std::floor(e));
  double m = std::pow(10.0, e - k);
  if (m >= 10) {
    m /= 10;
    ++k;
  }
  const double f = std::pow(10.0, digits - 1);
  m = std::floor(m * f + 0.5) / f;
  if (m >= 10) {
    m /= 10;
    ++k;
  }
  std::string t = WithDecimals(m, digits - 1);
  if (digits == 1 && !t.empty() && t.back() == '.') t.pop_back();
  if (x < 0) t = "-" + t;
  return t + "E" + NumberText(k);
}

}  // namespace tarvo
