// SOLVE: the real roots of any equation in x on [A, B]. The interval is
// scanned in steps of h; each strict sign change between neighbouring
// samples is bisected 57 times, and a single sample that is exactly 0
// between samples of opposite sign is a root where it lies. Roots go to a,
// b, c, d, f, ..., w (e is skipped; x, y, z are never used).
#include <cmath>

#include "engine/errors.h"
#include "engine/eval/evaluate.h"
#include "engine/solvers/solver_support.h"
#include "engine/solvers/solvers.h"
#include "engine/state.h"

namespace tarvo {
namespace {

using solver::EvaluateAt;

constexpr double kMaxSteps = 10000;
// A scan loop never needs more passes than the step limit allows (plus the
// two ends); the cap only matters when x + h == x, where rounding would
// otherwise hold the scan in place for ever.
constexpr long kMaxPasses = 10002;
constexpr int kBisections = 57;
constexpr int kPoleTestStep = 20;

// The midpoint without overflowing when both ends are near the top of the
// double range.
double Midpoint(double lo, double hi) {
  const double m = (lo + hi) / 2;
  return std::isfinite(m) ? m : lo / 2 + hi / 2;
}

enum class Bracket { kRoot, kDropped };

// Bisects [lo, hi] whose left end has the value fPrev and right end f1.
// Midpoints where the equation fails drop the bracket, and so does a
// midpoint value above the mean of the end values at the 20th step: the sign
// change was a pole or a jump, not a root. The 20th step misses a pole when
// a sample lands next to it (that sample's huge value lifts the mean), so
// the final point must pass the same test.
Bracket Bisect(Engine& engine, const std::string& fn, double fPrev, double f1, double& lo, double& hi) {
  const double tau = (std::fabs(fPrev) + std::fabs(f1)) / 2;
  for (int step = 1; step <= kBisections; ++step) {
    const double m = Midpoint(lo, hi);
    const double fm = EvaluateAt(engine, fn, m);
    if (engine.ErrorCode != ErrorNumber::kNone) {
      engine.ErrorCode = ErrorNumber::kNone;
      return Bracket::kDropped;
    }
    if (step == kPoleTestStep && std::fabs(fm) > tau) return Bracket::kDropped;
    if (fPrev * fm < 0) {
      hi = m;
    } else {
      lo = m;
    }
  }
  const double fr = EvaluateAt(engine, fn, Midpoint(lo, hi));
  if (engine.ErrorCode != ErrorNumber::kNone) {
    engine.ErrorCode = ErrorNumber::kNone;
    return Bracket::kDropped;
  }
  return std::fabs(fr) > tau ? Bracket::kDropped : Bracket::kRoot;
}

// Stores the root of [lo, hi] in the letter after `letter` (e skipped);
// false when that letter is past w. A root within about 5E-8 of a whole
// number is snapped to it, except that a tiny root on a tiny interval keeps
// its digits.
bool StoreRoot(Engine& engine, char& letter, double lo, double hi, double a, double b) {
  ++letter;
  if (letter == 'e') letter = 'f';
  if (letter > 'w') return false;
  const double root = Midpoint(lo, hi);
  double value = SnapToInteger(engine, root);
  if (value == 0 && std::fabs(lo + hi) > (std::fabs(a) + std::fabs(b)) * 1e-8) value = root;
  SetVariable(engine, letter, value);
  return true;
}

}  // namespace

// Errors: 5 for h <= 0, B <= A, more than 10000 steps, or an equation that
// is undefined or exactly 0 at every sample; 3 for an empty equation; the
// equation's own error when it fails at a scan point (failures at bisection
// midpoints only drop that bracket); 33 when no root was found; 34 when a
// root was found after w was filled (the roots stored stay). Returns the
// last root stored. Bounds and step must be finite: an infinite one is out
// of range (5) rather than a scan that never advances.
double SolveOnInterval(Engine& engine, std::string_view equation, double a, double b, double h) {
  engine.ErrorCode = ErrorNumber::kNone;
  if (!(h > 0) || !(b > a)) return Fail(engine, ErrorNumber::kOutOfRange);
  if (!std::isfinite(h) || !std::isfinite(a) || !std::isfinite(b)) return Fail(engine, ErrorNumber::kOutOfRange);
  const double steps = (b - a) / h;
  if (!std::isfinite(steps)) return Fail(engine, ErrorNumber::kUnknown);  // b - a overflows
  if (steps > kMaxSteps) return Fail(engine, ErrorNumber::kOutOfRange);
  if (equation.empty()) return Fail(engine, ErrorNumber::kSyntax);

  const std::string fn = solver::Terminated(equation);
  ClearVariables(engine);

  // The first sample where the equation is defined and not exactly 0.
  double x0 = a;
  double fPrev = 0;
  bool started = false;
  for (long pass = 0; x0 <= b && pass < kMaxPasses; ++pass, x0 += h) {
    engine.ErrorCode = ErrorNumber::kNone;
    fPrev = EvaluateAt(engine, fn, x0);
    if (engine.ErrorCode == ErrorNumber::kNone && fPrev != 0) {
      started = true;
      break;
    }
  }
  if (!started) return Fail(engine, ErrorNumber::kOutOfRange);

  char letter = 'a' - 1;
  // Exactly-0 samples since the last non-zero one, the first of them, and
  // the value before them: one zero between opposite signs is a root, a run
  // of zeros is not (the equation vanishes along it).
  int zeroRun = 0;
  double zeroX = 0;
  double fBeforeZeros = fPrev;
  const double end = b + h / 100;  // lets B itself be sampled despite rounding
  double x1 = x0 + h;
  for (long pass = 0; x1 <= end && pass < kMaxPasses; ++pass, x1 += h) {
    const double f1 = EvaluateAt(engine, fn, x1);
    if (engine.ErrorCode != ErrorNumber::kNone) return 0.0;
    if (f1 == 0) {
      if (zeroRun++ == 0) zeroX = x1;
    } else {
      const bool zeroRoot = zeroRun == 1 && fBeforeZeros * f1 < 0;
      zeroRun = 0;
      fBeforeZeros = f1;
      if (zeroRoot && !StoreRoot(engine, letter, zeroX, zeroX, a, b)) {
        solver::ClearSample(engine, solver::kX);
        return Fail(engine, ErrorNumber::kMoreValues);
      }
    }
    if (fPrev * f1 < 0) {
      double lo = x1 - h;
      double hi = x1;
      if (Bisect(engine, fn, fPrev, f1, lo, hi) == Bracket::kRoot && !StoreRoot(engine, letter, lo, hi, a, b)) {
        solver::ClearSample(engine, solver::kX);
        return Fail(engine, ErrorNumber::kMoreValues);
      }
    }
    fPrev = f1;
  }

  solver::ClearSample(engine, solver::kX);
  if (letter < 'a') return Fail(engine, ErrorNumber::kNoSolution);
  engine.ErrorCode = ErrorNumber::kNone;
  return engine.VariableStore[static_cast<size_t>(letter - 'a')];
}

}  // namespace tarvo
