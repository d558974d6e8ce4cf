// The fractions format: plain fractions, multiples of pi and rationalised
// square roots, found by a tolerant continued division.
#include <cmath>
#include <cstdint>
#include <numbers>
#include <numeric>
#include <string>

#include "engine/number_text.h"
#include "output/formats.h"

namespace tarvo {
namespace {

bool IsWhole(double v) { return FracPart(v) == 0; }

// Leading zero before a point: ".5" -> "0.5".
std::string WithLeadingZero(std::string t) {
  if (!t.empty() && t[0] == '.') t = "0" + t;
  return t;
}

// The greatest common divisor of two whole numbers of at most about 200000
// in magnitude (exact in 64 bits), never negative.
double WholeGcd(double a, double b) {
  return static_cast<double>(std::gcd(static_cast<std::int64_t>(a), static_cast<std::int64_t>(b)));
}

}  // namespace

// Domain: any x and place <= -1; f = 10^(-1-place), result floor(x*f+0.5)/f
// (halves upward). Nothing when a step is not finite (overflow, NaN).
std::optional<double> RoundAtPlace(double x, int place) {
  const double f = std::pow(10.0, -1 - place);
  const double r = std::floor(x * f + 0.5) / f;
  if (!std::isfinite(r) || !std::isfinite(x * f)) return std::nullopt;
  return r;
}

// Domain: 1E-4 <= |x| <= 1E6 is searched; outside it, and when nothing lies
// within 1E-6 of x with |num| + den <= 200000, the answer is x over 1. The
// numerator carries the sign; the denominator is positive. Nothing when a
// rounding step fails, which the search's bounds keep from happening.
std::optional<Fraction> ToFraction(double x) {
  const Fraction itself{x, 1};
  if (!(std::fabs(x) <= 1e6) || std::fabs(x) < 0.0001) return itself;
  const double s = x > 0 ? 1.0 : (x < 0 ? -1.0 : 0.0);
  const double a = std::fabs(x);

  // Euclid on (a, 1) over the reals, stopping once the remainder rounds to
  // zero at four decimals; q is then the common measure of a and 1. The
  // remainders at least halve every two steps, so 100 rounds is far more
  // than the tolerance ever needs; the cap only guards against rounding.
  double p = a;
  double q = 1;
  double r = a - std::floor(a);
  for (int round = 0; round < 100; ++round) {
    const std::optional<double> rounded = RoundAtPlace(r, -5);
    if (!rounded) return std::nullopt;
    if (*rounded == 0) break;
    p = q;
    q = r;
    r = p - std::floor(p / q) * q;
  }
  const std::optional<double> roundedNum = RoundAtPlace(a / q, -1);
  const std::optional<double> roundedDen = RoundAtPlace(1 / q, -1);
  if (!roundedNum || !roundedDen) return std::nullopt;
  double num = *roundedNum;
  double den = *roundedDen;

  if (std::fabs(num) + den > 200000) return itself;
  double g = WholeGcd(num, den);
  num /= g;
  den /= g;
  if (std::fabs(std::fabs(num / den) - a) < 1e-6) return Fraction{num * s, den};

  // The continued division can land a step off; try the neighbours.
  for (int i = -5; i <= 5; ++i) {
    for (int j = -5; j <= 5; ++j) {
      const double n = num + i;
      const double d = den + j;
      if (d == 0 || !(std::fabs(n / d - a) < 1e-6)) continue;
      g = WholeGcd(n, d);
      Fraction f{n / g, d / g};
      // Two negative neighbours also give a positive quotient; keep the
      // denominator positive so the sign lives in the numerator alone.
      if (f.denominator < 0) f = {-f.numerator, -f.denominator};
      return Fraction{f.numerator * s, f.denominator};
    }
  }
  return itself;
}

// Domain: finite x. Tries, in this order, a multiple of pi ("2pi/3"), a
// rationalised square root ("3sqr2/4") and a plain fraction ("5/2"); whole
// values and magnitudes of 1E14 and above are written plainly. A value with
// no close form falls back to its decimals; a search that fails finds no
// form (its value over 1).
std::string FormatFraction(double x) {
  const double a = std::fabs(x);
  std::string s = WithLeadingZero(NumberText(a));
  std::string dt;
  if (std::isfinite(a) && !IsWhole(a) && a < 1e14) {
    auto search = [](double v) { return ToFraction(v).value_or(Fraction{v, 1}); };
    const auto [fn, fd] = search(a);
    const auto [pn, pd] = search(a / std::numbers::pi);
    const auto [rn, rd] = search(a * a);
    if (pn + pd < 180 && IsWhole(pn) && pn != 0) {
      s = (pn != 1 ? NumberText(pn) : "") + "pi";
      if (pd != 1) dt = "/" + NumberText(pd);
    } else if (rn != 0 && IsWhole(rn) && rn + rd < 5000 &&
               (!IsWhole(std::sqrt(rn)) || !IsWhole(std::sqrt(rd)))) {
      if (IsWhole(std::sqrt(rd))) {
        s = "sqr" + NumberText(rn);
        if (rd != 1) dt = "/" + NumberText(std::sqrt(rd));
      } else {
        // Take each square factor i^2 of the denominator once, keeping i
        // below the line: 1/sqr48 becomes sqr12/24.
        double big = rd;
        double low = rd;
        for (int i = 2; i <= 60; ++i) {
          if (IsWhole(big / (i * i)) && IsWhole(low / i)) {
            big /= i * i;
            low /= i;
          }
        }
        if (IsWhole(std::sqrt(rn))) {
          s = (rn != 1 ? NumberText(std::sqrt(rn)) : "") + "sqr" + NumberText(big);
        } else {
          s = "sqr" + NumberText(big * rn);
        }
        if (low != 1) dt = "/" + NumberText(low);
      }
    } else {
      s = fn == 0 ? "0" : NumberText(fn);
      if (fd != 1) dt = "/" + NumberText(fd);
    }
  }
  std::string t = x == 0 ? "0" : s + dt;
  t = WithLeadingZero(t);
  if (x < 0) t = "-" + t;
  return t;
}

}  // namespace tarvo
