// Probability and statistics: "nor", "znor", "bin", "mie", "rie". The normal
// distribution uses the calculator's own series and tail fit rather than the
// library's erf, so that results match the calculator digit for digit.
#include <cmath>

#include "engine/errors.h"
#include "engine/eval/evaluate.h"
#include "engine/numlib/checked_arith.h"
#include "engine/numlib/numlib.h"
#include "engine/state.h"

namespace tarvo {
namespace {

// Work units (see ChargeWork): a term of the normal series (a power and two
// divisions), the tail fit (five powers and an exponential), and a grid
// point of the inverse besides its lower probability.
constexpr long kSeriesTermUnits = 15;
constexpr long kTailUnits = 60;
constexpr long kGridPointUnits = 2;

}  // namespace

// P(Z < z) for a standard normal Z. Below 4.71 in magnitude a power series of
// at most 70 terms (accurate to about 1E-9), beyond that a fitted tail
// formula, clamped to exactly 0 and 1 past 30. Any fault (a NaN argument): 1.
// The series stops when a term changes the sum by less than 1E-9; the sum
// before the first term is the constant sqrt(pi/2), not 0, or a z within
// 1E-9 of -sqrt(pi/2) (where the partial sum passes through 0) would stop
// after one term and give nearly 0 instead of 0.105.
double NormalLower(Engine& engine, double z) {
  engine.ErrorCode = ErrorNumber::kNone;
  if (z > 30) return 1.0;
  if (z < -30) return 0.0;
  const double pi = engine.Pi;
  double result;
  if (std::fabs(z) < 4.71) {
    double s = std::sqrt(pi / 2);
    double d = 1.0;
    double previous = s;
    for (int n = 0; n <= 69; ++n) {
      if (!ChargeWork(engine, kSeriesTermUnits)) return 0.0;
      if (n > 0) d = -2.0 * n * d;
      s = s + std::pow(z, 2 * n + 1) / (2 * n + 1) / d;
      if (std::fabs(s - previous) < 1e-9) break;
      previous = s;
    }
    result = s / std::sqrt(pi + pi);
  } else {
    if (!ChargeWork(engine, kTailUnits)) return 0.0;
    const double t = std::fabs(z);
    const double p = 1.0899066 + 0.44174655 * t + 0.46147054 * std::pow(t, 2) +
                     0.0021140571 * std::pow(t, 3) - 0.000060722893 * std::pow(t, 4) +
                     0.0000006897702 * std::pow(t, 5);
    const double q = 1.0 / std::exp(p);
    result = z <= 0 ? q : 1.0 - q;
  }
  if (!std::isfinite(result)) return Fail(engine, ErrorNumber::kUnknown);
  return result;
}

// The z with P(Z < z) = p, 0 < p < 1 (else 5), found on grids of steps 0.08
// down to 0.000008: the result is the first point of the finest grid whose
// lower probability reaches p, so it errs upward by less than 8E-6. Tiny p
// gives -30, p from 0.999999999999999 on gives 9. A pass's grid need not
// land on its end (from -29.9999 in steps of 0.08 the last point is -0.0799,
// short of 0), so when no grid point reaches p the end itself, whose lower
// probability does, is taken and the next pass refines below it.
double NormalInverse(Engine& engine, double p) {
  engine.ErrorCode = ErrorNumber::kNone;
  if (!(p > 0 && p < 1)) return Fail(engine, ErrorNumber::kOutOfRange);
  if (p <= 2e-197) return -30.0;
  if (p >= 0.999999999999999) return 9.0;
  if (p == 0.5) return 0.0;
  double h = 0.08;
  double start = p > 0.5 ? 0.0 : -29.9999;
  double end = p > 0.5 ? 9.0 : 0.0;
  double found = 0.0;
  do {
    found = end;
    for (double z = start; z <= end; z += h) {
      if (!ChargeWork(engine, kGridPointUnits)) return 0.0;
      const double lower = NormalLower(engine, z);
      if (engine.ErrorCode != ErrorNumber::kNone) return 0.0;
      if (lower >= p) {
        found = z;
        break;
      }
    }
    start = found - h;
    end = found + h / 2;
    h = h / 10;
  } while (h > 1e-6);
  return found;
}

// Probability of exactly r successes in n trials of probability p. n whole
// and > 0, r whole with 0 <= r <= n, 0 <= p <= 1, else 5; n above 170 fails
// with 5 through Combinations. 0^0 counts as 1.
double BinomialProbability(Engine& engine, double n, double p, double r) {
  engine.ErrorCode = ErrorNumber::kNone;
  if (!IsWhole(r) || !(n > 0) || !IsWhole(n) || !(p >= 0 && p <= 1) || !(r >= 0 && r <= n)) {
    return Fail(engine, ErrorNumber::kOutOfRange);
  }
  const double c = Combinations(engine, n, r);
  if (engine.ErrorCode != ErrorNumber::kNone) return 0.0;
  CheckedArith f;
  const double result = f.Mul(f.Mul(f.Pow(p, r), c), f.Pow(1 - p, n - r));
  if (f.Failed()) return Fail(engine, ErrorNumber::kUnknown);
  return result;
}

namespace {

// z of the two-sided interval of the given confidence level.
double IntervalZ(Engine& engine, double level) {
  const double alpha = 1 - level;
  const double q = 1 - alpha / 2;
  return NormalInverse(engine, q);
}

// a := lower, b := upper, both defined; returns the lower end.
double StoreInterval(Engine& engine, double lower, double upper) {
  SetVariable(engine, 'a', lower);
  SetVariable(engine, 'b', upper);
  return lower;
}

}  // namespace

// Confidence interval of a mean: n whole and > 0, sd >= 0, 0 < level < 1,
// else 5 and a, b untouched. Writes a (lower) and b (upper); returns a. A
// fault (a margin beyond the double range): 1.
double MeanIntervalEstimation(Engine& engine, double n, double mean, double sd, double level) {
  engine.ErrorCode = ErrorNumber::kNone;
  if (!(n > 0) || !IsWhole(n) || !(sd >= 0) || !(level > 0 && level < 1)) {
    return Fail(engine, ErrorNumber::kOutOfRange);
  }
  const double z = IntervalZ(engine, level);
  if (engine.ErrorCode != ErrorNumber::kNone) return 0.0;
  CheckedArith f;
  const double e = f.Div(f.Mul(z, sd), f.Sqrt(n));
  const double lower = f.Sub(mean, e);
  const double upper = f.Add(e, mean);
  if (f.Failed()) return Fail(engine, ErrorNumber::kUnknown);
  return StoreInterval(engine, lower, upper);
}

// Confidence interval of a rate (a proportion): n whole and > 0,
// 0 <= rate <= 1, 0 < level < 1, else 5. Writes a and b; returns a.
double RateIntervalEstimation(Engine& engine, double n, double rate, double level) {
  engine.ErrorCode = ErrorNumber::kNone;
  if (!(n > 0) || !IsWhole(n) || !(rate >= 0 && rate <= 1) || !(level > 0 && level < 1)) {
    return Fail(engine, ErrorNumber::kOutOfRange);
  }
  const double z = IntervalZ(engine, level);
  if (engine.ErrorCode != ErrorNumber::kNone) return 0.0;
  CheckedArith f;
  const double e = f.Mul(f.Sqrt(f.Div(f.Mul(1 - rate, rate), n)), z);
  const double lower = f.Sub(rate, e);
  const double upper = f.Add(e, rate);
  if (f.Failed()) return Fail(engine, ErrorNumber::kUnknown);
  return StoreInterval(engine, lower, upper);
}

}  // namespace tarvo
