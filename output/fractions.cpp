// The fractions format: plain fractions, multiples of pi and rationalised
// square roots, found by a tolerant continued division.
#include <cmath>
#include <string>

#include "engine/errors.h"
#include "engine/number_text.h"
#include "engine/numlib/numlib.h"
#include "engine/state.h"
#include "output/formats.h"

namespace tarvo {
namespace {

bool IsWhole(double v) { return FracPart(v) == 0; }

// Leading zero before a point: ".5" -> "0.5".
std::string WithLeadingZero(std::string t) {
  if (!t.empty() && t[0] == '.') t = "0" + t;
  return t;
}

}  // namespace

// Domain: any x and place <= -1; f = 10^(-1-place), result floor(x*f+0.5)/f
// (halves upward). Clears ErrorCode; a non-finite step (overflow, NaN) sets 1
// and returns 0.
double RoundAtPlace(Engine& engine, double x, int place) {
  engine.ErrorCode = kNoError;
  const double f = std::pow(10.0, -1 - place);
  const double r = std::floor(x * f + 0.5) / f;
  if (!std::isfinite(r) || !std::isfinite(x * f)) {
    engine.ErrorCode = kErrUnknown;
    return 0.0;
  }
  return r;
}

// Domain: 1E-4 <= |x| <= 1E6 is searched; outside it, and when nothing lies
// within 1E-6 of x with |num| + den <= 200000, the answer is x over 1. The
// numerator carries the sign; the denominator is positive. Clears ErrorCode;
// a fault in RoundAtPlace (1) or Gcd (5, or 1) returns at once with num and
// den as far as they were set (the sign not yet applied).
void ToFraction(Engine& engine, double x, double& num, double& den) {
  engine.ErrorCode = kNoError;
  if (!(std::fabs(x) <= 1e6) || std::fabs(x) < 0.0001) {
    num = x;
    den = 1;
    return;
  }
  const double s = x > 0 ? 1.0 : (x < 0 ? -1.0 : 0.0);
  const double a = std::fabs(x);

  // Euclid on (a, 1) over the reals, stopping once the remainder rounds to
  // zero at four decimals; q is then the common measure of a and 1. The
  // remainders at least halve every two steps, so 100 rounds is far more
  // than the tolerance ever needs; the cap only guards against rounding.
  double p = a;
  double q = 1;
  double r = a - std::floor(a);
  for (int round = 0; round < 100 && RoundAtPlace(engine, r, -5) != 0; ++round) {
    if (engine.ErrorCode != kNoError) return;
    p = q;
    q = r;
    r = p - std::floor(p / q) * q;
  }
  num = RoundAtPlace(engine, a / q, -1);
  if (engine.ErrorCode != kNoError) return;
  den = RoundAtPlace(engine, 1 / q, -1);
  if (engine.ErrorCode != kNoError) return;

  if (std::fabs(num) + den > 200000) {
    num = x;
    den = 1;
    return;
  }
  double g = Gcd(engine, num, den);
  if (engine.ErrorCode != kNoError) return;
  num /= g;
  den /= g;
  if (std::fabs(std::fabs(num / den) - a) < 1e-6) {
    num *= s;
    return;
  }

  // The continued division can land a step off; try the neighbours.
  for (int i = -5; i <= 5; ++i) {
    for (int j = -5; j <= 5; ++j) {
      const double n = num + i;
      const double d = den + j;
      if (d == 0 || !(std::fabs(n / d - a) < 1e-6)) continue;
      g = Gcd(engine, n, d);
      if (engine.ErrorCode != kNoError) return;
      num = n / g;
      den = d / g;
      // Two negative neighbours also give a positive quotient; keep the
      // denominator positive so the sign lives in the numerator alone.
      if (den < 0) {
        num = -num;
        den = -den;
      }
      num *= s;
      return;
    }
  }
  num = x;
  den = 1;
}

// Domain: finite x. Tries, in this order, a multiple of pi ("2pi/3"), a
// rationalised square root ("3sqr2/4") and a plain fraction ("5/2"); whole
// values and magnitudes of 1E14 and above are written plainly. A value with
// no close form falls back to its decimals. Faults of the searches are not
// reported (they run on an engine of their own, so the calculation's error
// code is left alone): the text is built from whatever they returned.
std::string FormatFraction(double x) {
  const double a = std::fabs(x);
  std::string s = WithLeadingZero(NumberText(a));
  std::string dt;
  if (std::isfinite(a) && !IsWhole(a) && a < 1e14) {
    double fn = 0, fd = 1, pn = 0, pd = 1, rn = 0, rd = 1;
    Engine searches;
    ToFraction(searches, a, fn, fd);
    ToFraction(searches, a / searches.Pi, pn, pd);
    ToFraction(searches, a * a, rn, rd);
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
