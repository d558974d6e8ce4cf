// The conversions between polar and rectangular coordinates ("rec", "pol").
#include <cmath>

#include "engine/errors.h"
#include "engine/eval/evaluate.h"
#include "engine/numlib/checked_arith.h"
#include "engine/numlib/numlib.h"
#include "engine/state.h"

namespace tarvo {

// Polar (distance r >= 0, else 5; angle in the current unit) to rectangular.
// Writes x and y, returns x. A coordinate that is negligible against the
// distance becomes exactly 0, so that rec(2, 90) in degrees gives x = 0;
// note the test divides by the squared distance. Any fault: 1.
double PolarToRectangular(Engine& engine, double r, double theta) {
  engine.ErrorCode = ErrorNumber::kNone;
  if (r < 0) return Fail(engine, ErrorNumber::kOutOfRange);
  CheckedArith f;
  const double u = f.Div(theta, engine.AngleFactor);
  if (!ChargeAngleReduction(engine, u, 2)) return 0.0;
  double x = f.Mul(r, f.Check(std::cos(u)));
  double y = f.Mul(r, f.Check(std::sin(u)));
  const double s = f.Add(f.Mul(x, x), f.Mul(y, y));
  if (!f.Failed() && s != 0) {
    if (f.Div(std::fabs(x), s) < 1e-15) x = 0.0;
    if (f.Div(std::fabs(y), s) < 1e-15) y = 0.0;
  }
  if (f.Failed()) return Fail(engine, ErrorNumber::kUnknown);
  SetVariable(engine, 'x', x);
  SetVariable(engine, 'y', y);
  return x;
}

// Rectangular to polar: writes r and a (the angle in the current unit) and
// returns r. Left of the y axis the angle lies in (90, 270) degrees, so
// pol(-1, -1) gives 225, not -135. Any fault (a square beyond the double
// range, y/x overflowing): 1.
double RectangularToPolar(Engine& engine, double x, double y) {
  engine.ErrorCode = ErrorNumber::kNone;
  CheckedArith f;
  const double r = f.Sqrt(f.Add(f.Mul(x, x), f.Mul(y, y)));
  const double pi = engine.Pi;
  double angle;
  if (x == 0) {
    angle = (y > 0 ? 1.0 : (y < 0 ? -1.0 : 0.0)) * pi / 2;
  } else if (x > 0) {
    angle = std::atan(f.Div(y, x));
  } else {
    angle = pi + std::atan(f.Div(y, x));
  }
  angle = f.Mul(angle, engine.AngleFactor);
  if (f.Failed()) return Fail(engine, ErrorNumber::kUnknown);
  SetVariable(engine, 'r', r);
  SetVariable(engine, 'a', angle);
  return r;
}

}  // namespace tarvo
