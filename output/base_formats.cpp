// Hexadecimal, binary and sexagesimal output.
#include <cmath>
#include <string>

#include "engine/number_text.h"
#include "output/formats.h"

namespace tarvo {
namespace {

constexpr double kHexLimit = 1e14;
constexpr double kBinaryLimit = 1e11;
constexpr double kDmsLimit = 1e14;

}  // namespace

// Domain: 0 <= magnitude, finite. Each place takes the digit at position
// round(r + 1) (halves to even) of the digit table, so a fraction touches
// only the lowest digit (10.5 gives "B", 9.5 gives "9"); a remainder above
// 15.5 points past "F", so its place is "0" and one carries into the place
// above (15.7 gives "10", 255.7 gives "100").
std::string FormatHex(double magnitude) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  double a = std::fabs(magnitude);
  if (!std::isfinite(a)) return NumberText(magnitude);
  std::string t;
  double q = 0;
  do {
    q = std::floor(a / 16);
    const double r = a - 16 * q;
    const double pos = std::nearbyint(r + 1);
    if (pos > 16) {
      t.insert(t.begin(), '0');
      q += 1;
    } else if (pos >= 1) {
      t.insert(t.begin(), kDigits[static_cast<int>(pos) - 1]);
    }
    a = q;
  } while (q != 0);
  return t;
}

// Domain: a whole, non-negative, finite magnitude (a fraction is floored).
std::string FormatBinary(double magnitude) {
  double a = std::floor(std::fabs(magnitude));
  if (!std::isfinite(a)) return NumberText(magnitude);
  std::string t;
  double q = 0;
  do {
    q = std::floor(a / 2);
    t.insert(t.begin(), a - 2 * q != 0 ? '1' : '0');
    a = q;
  } while (q != 0);
  return t;
}

std::optional<std::string> HexKeyText(double x) {
  const double a = std::fabs(x);
  if (!(a < kHexLimit)) return std::nullopt;
  return std::string(x < 0 ? "-" : "") + "&h " + FormatHex(a);
}

// Fractions get a fixed number of bits below the point: 31 up to 5000, 24
// up to 500000, 16 beyond, so that the digits fit the display; bits below
// that resolution are cut, not rounded. Magnitudes below 1 are lifted by one
// to keep their leading zero bits, and that one is written back as "0".
std::optional<std::string> BinaryKeyText(double x) {
  double a = std::fabs(x);
  if (!(a < kBinaryLimit)) return std::nullopt;
  const bool oneAdded = a < 1;
  if (oneAdded) a += 1;
  int bits = 0;
  if (FracPart(x) != 0) {
    const double ax = std::fabs(x);
    bits = ax > 500000 ? 16 : (ax > 5000 ? 24 : 31);
    a *= std::ldexp(1.0, bits);
  }
  a = std::floor(a);
  std::string t = FormatBinary(a);
  if (bits > 0) {
    const auto fraction = static_cast<size_t>(bits);
    t.insert(t.size() > fraction ? t.size() - fraction : 0, 1, '.');
  }
  while (!t.empty() && t.back() == '0' && t.find('.') != std::string::npos) t.pop_back();
  if (oneAdded && !t.empty()) t[0] = '0';
  return std::string(x < 0 ? "-" : "") + "&b " + t;
}

// Domain: finite x; above 1E14 the plain number. Seconds are rounded to four
// decimals, and 60 rounded seconds carry into the minutes (and 60 minutes
// then into the degrees). Seconds below 1 keep NumberText's form ".5".
std::string FormatDms(double x) {
  const double a = std::fabs(x);
  if (!(a <= kDmsLimit)) return NumberText(x);
  double d = std::floor(a);
  const double m = (a - d) * 60;
  double mins = std::floor(m);
  double secs = std::floor((m - mins) * 10000 * 60 + 0.5) / 10000;
  if (secs >= 60) {
    secs -= 60;
    mins += 1;
    if (mins >= 60) {
      mins -= 60;
      d += 1;
    }
  }
  return std::string(x < 0 ? "-" : "") + NumberText(d) + "\xB0 " + NumberText(mins) + "' " +
         NumberText(secs) + "\"";
}

}  // namespace tarvo
