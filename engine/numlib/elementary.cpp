// Inverse circular and hyperbolic routines, and the work a circular function
// of a huge angle costs. Each routine clears ErrorCode on entry; outside its
// domain, or on any fault inside (an overflow of x², of 1/x...), it sets
// ErrorCode 5 and returns 0. Circular results are in radians.
#include <cmath>

#include "engine/errors.h"
#include "engine/eval/evaluate.h"
#include "engine/numlib/numlib.h"
#include "engine/state.h"

namespace tarvo {

namespace {

// Angles from which the library's circular functions take the slow path,
// and what that costs more, in work units (see ChargeWork).
constexpr double kHugeAngle = 1e8;
constexpr long kHugeAngleUnits = 55;

// The routine's result, or 5 when a fault inside left it infinite or NaN.
double Checked(Engine& engine, double r) {
  if (!std::isfinite(r)) return Fail(engine, ErrorNumber::kOutOfRange);
  return r;
}

// 1/x as the routines use it: 0 or an overflowing quotient is a fault.
bool Reciprocal(double x, double& out) {
  if (x == 0.0) return false;
  out = 1.0 / x;
  return std::isfinite(out);
}

double Sign(double x) { return x > 0 ? 1.0 : (x < 0 ? -1.0 : 0.0); }

// arctan(x / √(1 − x²)) for |x| < 1; both inverse sines and cosines use it.
double ArcSinInside(double x) { return std::atan(x / std::sqrt(1 - x * x)); }

}  // namespace

bool ChargeAngleReduction(Engine& engine, double radians, int functions) {
  return !(std::fabs(radians) >= kHugeAngle) || ChargeWork(engine, kHugeAngleUnits * functions);
}

// |x| <= 1; ±1 give exactly ±pi/2.
double ArcSin(Engine& engine, double x) {
  engine.ErrorCode = ErrorNumber::kNone;
  const double a = std::fabs(x);
  if (a == 1.0) return Sign(x) * engine.Pi / 2;
  if (!(a < 1.0)) return Fail(engine, ErrorNumber::kOutOfRange);
  return Checked(engine, ArcSinInside(x));
}

// |x| <= 1; 1 gives 0 and -1 gives pi exactly.
double ArcCos(Engine& engine, double x) {
  engine.ErrorCode = ErrorNumber::kNone;
  const double a = std::fabs(x);
  if (a == 1.0) return (1 - x) * engine.Pi / 2;
  if (!(a < 1.0)) return Fail(engine, ErrorNumber::kOutOfRange);
  return Checked(engine, engine.Pi / 2 - ArcSinInside(x));
}

// |x| >= 1 (0 included in the refusal).
double ArcCosec(Engine& engine, double x) {
  engine.ErrorCode = ErrorNumber::kNone;
  double r = 0.0;
  if (!(std::fabs(x) >= 1.0) || !Reciprocal(x, r)) return Fail(engine, ErrorNumber::kOutOfRange);
  return ArcSin(engine, r);
}

// |x| >= 1.
double ArcSec(Engine& engine, double x) {
  engine.ErrorCode = ErrorNumber::kNone;
  double r = 0.0;
  if (!(std::fabs(x) >= 1.0) || !Reciprocal(x, r)) return Fail(engine, ErrorNumber::kOutOfRange);
  return ArcCos(engine, r);
}

// Every x; 0 gives pi/2, negative x a result in (-pi/2, 0) (not the
// principal value in (pi/2, pi)). A subnormal x overflows 1/x: 5.
double ArcCotan(Engine& engine, double x) {
  engine.ErrorCode = ErrorNumber::kNone;
  if (x == 0.0) return engine.Pi / 2;
  double r = 0.0;
  if (!Reciprocal(x, r)) return Fail(engine, ErrorNumber::kOutOfRange);
  return Checked(engine, std::atan(r));
}

// Every x; |x| above about 1.3E154 overflows x² and gives 5.
double ArgSinh(Engine& engine, double x) {
  engine.ErrorCode = ErrorNumber::kNone;
  const double square = x * x;
  if (!std::isfinite(square)) return Fail(engine, ErrorNumber::kOutOfRange);
  return Checked(engine, Sign(x) * std::log(std::fabs(x) + std::sqrt(square + 1)));
}

// x >= 1; x above about 1.3E154 overflows x² and gives 5.
double ArgCosh(Engine& engine, double x) {
  engine.ErrorCode = ErrorNumber::kNone;
  if (!(x >= 1.0)) return Fail(engine, ErrorNumber::kOutOfRange);
  const double square = x * x;
  if (!std::isfinite(square)) return Fail(engine, ErrorNumber::kOutOfRange);
  return Checked(engine, std::log(x + std::sqrt(square - 1)));
}

// |x| < 1 (±1 refused).
double ArgTanh(Engine& engine, double x) {
  engine.ErrorCode = ErrorNumber::kNone;
  if (!(std::fabs(x) < 1.0)) return Fail(engine, ErrorNumber::kOutOfRange);
  return Checked(engine, std::log((1 + x) / (1 - x)) / 2);
}

// x != 0.
double ArgCosech(Engine& engine, double x) {
  engine.ErrorCode = ErrorNumber::kNone;
  double r = 0.0;
  if (!Reciprocal(x, r)) return Fail(engine, ErrorNumber::kOutOfRange);
  return ArgSinh(engine, r);
}

// 0 < x <= 1.
double ArgSech(Engine& engine, double x) {
  engine.ErrorCode = ErrorNumber::kNone;
  double r = 0.0;
  if (!(x > 0.0 && x <= 1.0) || !Reciprocal(x, r)) return Fail(engine, ErrorNumber::kOutOfRange);
  return ArgCosh(engine, r);
}

// |x| > 1.
double ArgCotanh(Engine& engine, double x) {
  engine.ErrorCode = ErrorNumber::kNone;
  double r = 0.0;
  if (!(std::fabs(x) > 1.0) || !Reciprocal(x, r)) return Fail(engine, ErrorNumber::kOutOfRange);
  return ArgTanh(engine, r);
}

}  // namespace tarvo
