// Combinatorics and number theory: "fact", "ncr", "npr", "gcm", "lcm",
// "prim". Arguments are doubles that must hold whole numbers; the fixed
// magnitude limits keep every product inside the double range.
#include <cmath>

#include "engine/errors.h"
#include "engine/eval/evaluate.h"
#include "engine/numlib/checked_arith.h"
#include "engine/numlib/numlib.h"
#include "engine/state.h"

namespace tarvo {
namespace {

// Work units (see ChargeWork): four factors of a factorial, a step of the
// divisor loops, a trial division of the primality test.
constexpr long kFourFactorsUnits = 5;
constexpr long kDivisorStepUnits = 15;
constexpr long kTrialDivisionUnits = 3;

bool OutsideDivisorLimits(double a, double b) {
  return std::fabs(a) > 1e9 || std::fabs(b) > 1e9 || !IsWhole(a) || !IsWhole(b);
}

}  // namespace

// n! for whole 0 <= n <= 170. Negative or fractional n: 5; n > 170: 6 (the
// product would overflow). The tiny offset before rounding guards against an
// n that is whole but was computed a hair below.
double Factorial(Engine& engine, double n) {
  engine.ErrorCode = ErrorNumber::kNone;
  if (n < 0) return Fail(engine, ErrorNumber::kOutOfRange);
  if (!IsWhole(n)) return Fail(engine, ErrorNumber::kOutOfRange);
  if (n > 170) return Fail(engine, ErrorNumber::kOverflow);
  const double k = std::nearbyint(n + 1e-6);
  if (!ChargeWork(engine, static_cast<long>(k) * kFourFactorsUnits / 4)) return 0.0;
  double product = 1.0;
  for (double i = 1; i <= k; ++i) product *= i;
  return product;
}

namespace {

// n!/(n-r)! and, for combinations, /r!. 0 < n <= 170, 0 <= r <= 170, both
// whole, else 5; r > n fails with 5 through the factorial of n - r.
double Arrangements(Engine& engine, double n, double r, bool divideByRFactorial) {
  engine.ErrorCode = ErrorNumber::kNone;
  if (!(n > 0) || n > 170 || !(r >= 0) || r > 170) return Fail(engine, ErrorNumber::kOutOfRange);
  if (!IsWhole(r) || !IsWhole(n)) return Fail(engine, ErrorNumber::kOutOfRange);
  const double nf = Factorial(engine, n);
  if (engine.ErrorCode != ErrorNumber::kNone) return 0.0;
  const double nrf = Factorial(engine, n - r);
  if (engine.ErrorCode != ErrorNumber::kNone) return 0.0;
  if (!divideByRFactorial) return nf / nrf;
  const double rf = Factorial(engine, r);
  if (engine.ErrorCode != ErrorNumber::kNone) return 0.0;
  return nf / nrf / rf;
}

}  // namespace

double Combinations(Engine& engine, double n, double r) { return Arrangements(engine, n, r, true); }

double Permutations(Engine& engine, double n, double r) { return Arrangements(engine, n, r, false); }

// Greatest common divisor of whole numbers up to 1E9 in magnitude, else 5.
// A zero argument returns the other one with its sign (gcm(0, -6) = -6);
// otherwise the result is positive. Also used by the fractions format.
double Gcd(Engine& engine, double a, double b) {
  engine.ErrorCode = ErrorNumber::kNone;
  if (OutsideDivisorLimits(a, b)) return Fail(engine, ErrorNumber::kOutOfRange);
  if (a == 0) return b;
  if (b == 0) return a;
  double p = std::fabs(a);
  double q = std::fabs(b);
  double r = p - std::floor(p / q) * q;
  while (r != 0) {
    if (!ChargeWork(engine, kDivisorStepUnits)) return 0.0;
    p = q;
    q = r;
    r = p - std::floor(p / q) * q;
  }
  return q;
}

// Least common multiple, same limits as Gcd (5). lcm(0, b) is 0; b = 0
// divides by zero inside the divisor loop, reported as 1. The result is
// positive.
double LeastCommonMultiple(Engine& engine, double a, double b) {
  engine.ErrorCode = ErrorNumber::kNone;
  if (OutsideDivisorLimits(a, b)) return Fail(engine, ErrorNumber::kOutOfRange);
  CheckedArith f;
  const double product = std::fabs(a) * std::fabs(b);
  double p = std::fabs(a);
  double q = std::fabs(b);
  double r = p - std::floor(f.Div(p, q)) * q;
  while (!f.Failed() && r != 0) {
    if (!ChargeWork(engine, kDivisorStepUnits)) return 0.0;
    p = q;
    q = r;
    r = p - std::floor(f.Div(p, q)) * q;
  }
  if (f.Failed()) return Fail(engine, ErrorNumber::kUnknown);
  return product / q;
}

// 1 for a prime, 0 otherwise; 0 < n <= 1E9 and whole, else 5. Unlike the
// other routines it never clears ErrorCode.
double IsPrime(Engine& engine, double n) {
  if (n > 1e9) return Fail(engine, ErrorNumber::kOutOfRange);
  if (n <= 0) return Fail(engine, ErrorNumber::kOutOfRange);
  if (!IsWhole(n)) return Fail(engine, ErrorNumber::kOutOfRange);
  if (n == 1) return 0.0;
  if (n == 2 || n == 3 || n == 5 || n == 7) return 1.0;
  if (std::fmod(n, 2.0) == 0) return 0.0;
  const double limit = std::floor(std::sqrt(n));
  for (double d = 3; d <= limit; d += 2) {
    if (!ChargeWork(engine, kTrialDivisionUnits)) return 0.0;
    if (std::floor(n / d) * d == n) return 0.0;
  }
  return 1.0;
}

}  // namespace tarvo
