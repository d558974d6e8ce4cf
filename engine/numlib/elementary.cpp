// Inverse circular and hyperbolic routines. Each clears ErrorCode on entry;
// outside its domain, or on any fault inside (an overflow of x², of 1/x...),
// it sets ErrorCode 5 and returns 0. Circular results are in radians.
#include <cmath>

#include "engine/errors.h"
#include "engine/numlib/numlib.h"
#include "engine/state.h"

namespace tarvo {

namespace {

double OutOfRange() {
  State().ErrorCode = kErrOutOfRange;
  return 0.0;
}

// The routine's result, or 5 when a fault inside left it infinite or NaN.
double Checked(double r) { return std::isfinite(r) ? r : OutOfRange(); }

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

// |x| <= 1; ±1 give exactly ±pi/2.
double ArcSin(double x) {
  State().ErrorCode = 0;
  const double a = std::fabs(x);
  if (a == 1.0) return Sign(x) * State().Pi / 2;
  if (!(a < 1.0)) return OutOfRange();
  return Checked(ArcSinInside(x));
}

// |x| <= 1; 1 gives 0 and -1 gives pi exactly.
double ArcCos(double x) {
  State().ErrorCode = 0;
  const double a = std::fabs(x);
  if (a == 1.0) return (1 - x) * State().Pi / 2;
  if (!(a < 1.0)) return OutOfRange();
  return Checked(State().Pi / 2 - ArcSinInside(x));
}

// |x| >= 1 (0 included in the refusal).
double ArcCosec(double x) {
  State().ErrorCode = 0;
  double r = 0.0;
  if (!(std::fabs(x) >= 1.0) || !Reciprocal(x, r)) return OutOfRange();
  return ArcSin(r);
}

// |x| >= 1.
double ArcSec(double x) {
  State().ErrorCode = 0;
  double r = 0.0;
  if (!(std::fabs(x) >= 1.0) || !Reciprocal(x, r)) return OutOfRange();
  return ArcCos(r);
}

// Every x; 0 gives pi/2, negative x a result in (-pi/2, 0) (not the
// principal value in (pi/2, pi)). A subnormal x overflows 1/x: 5.
double ArcCotan(double x) {
  State().ErrorCode = 0;
  if (x == 0.0) return State().Pi / 2;
  double r = 0.0;
  if (!Reciprocal(x, r)) return OutOfRange();
  return Checked(std::atan(r));
}

// Every x; |x| above about 1.3E154 overflows x² and gives 5.
double ArgSinh(double x) {
  State().ErrorCode = 0;
  const double square = x * x;
  if (!std::isfinite(square)) return OutOfRange();
  return Checked(Sign(x) * std::log(std::fabs(x) + std::sqrt(square + 1)));
}

// x >= 1; x above about 1.3E154 overflows x² and gives 5.
double ArgCosh(double x) {
  State().ErrorCode = 0;
  if (!(x >= 1.0)) return OutOfRange();
  const double square = x * x;
  if (!std::isfinite(square)) return OutOfRange();
  return Checked(std::log(x + std::sqrt(square - 1)));
}

// |x| < 1 (±1 refused).
double ArgTanh(double x) {
  State().ErrorCode = 0;
  if (!(std::fabs(x) < 1.0)) return OutOfRange();
  return Checked(std::log((1 + x) / (1 - x)) / 2);
}

// x != 0.
double ArgCosech(double x) {
  State().ErrorCode = 0;
  double r = 0.0;
  if (!Reciprocal(x, r)) return OutOfRange();
  return ArgSinh(r);
}

// 0 < x <= 1.
double ArgSech(double x) {
  State().ErrorCode = 0;
  double r = 0.0;
  if (!(x > 0.0 && x <= 1.0) || !Reciprocal(x, r)) return OutOfRange();
  return ArgCosh(r);
}

// |x| > 1.
double ArgCotanh(double x) {
  State().ErrorCode = 0;
  double r = 0.0;
  if (!(std::fabs(x) > 1.0) || !Reciprocal(x, r)) return OutOfRange();
  return ArgTanh(r);
}

}  // namespace tarvo
