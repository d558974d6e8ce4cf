// S2X2 and S3X3: systems of linear equations in x, y (z). Each equation is
// sampled at the origin and at the unit points to recover its coefficients,
// checked for linearity at a random point, and the system is solved by
// Cramer's rule. Unlike the polynomial solvers these keep the other
// variables and do not show the list.
#include <array>
#include <cmath>

#include "engine/errors.h"
#include "engine/eval/evaluate.h"
#include "engine/numlib/checked_arith.h"
#include "engine/solvers/solver_support.h"
#include "engine/solvers/solvers.h"
#include "engine/state.h"

namespace tarvo {
namespace {

using solver::EvaluateAt;
using solver::kX;
using solver::kY;
using solver::kZ;

// Whatever the evaluator reported, a sample that fails means the equation is
// not one this solver can use.
bool SampleFailed(Engine& engine) { return engine.ErrorCode != ErrorNumber::kNone; }

// |p - F| / |p| above 1E-8 means the equation is not linear; p = 0 divides by
// zero (a fault, not a verdict).
bool Nonlinear(CheckedArith& f, double p, double value) {
  const double ratio = f.Div(std::fabs(f.Sub(p, value)), std::fabs(p));
  return !f.Failed() && ratio > 1e-8;
}

double NextRandom(Engine& engine) { return static_cast<double>(engine.Random.Next()); }

}  // namespace

// x, y of a1 x + b1 y = r1, a2 x + b2 y = r2. Writes x, y and the (snapped)
// determinant d, defined; returns x. Errors: 27 when a sample fails or an
// equation is not linear; 33 when an equation has no unknown or the
// determinant is negligible (1E-10) against its products.
// A fault in the solver's own arithmetic ends the calculation with the
// evaluator's number for it (6, 11 or 1).
double SolveLinear2x2(Engine& engine, std::string_view eq1, std::string_view eq2) {
  engine.ErrorCode = ErrorNumber::kNone;
  const std::array<std::string, 2> fn = {solver::Terminated(eq1), solver::Terminated(eq2)};
  CheckedArith f;
  std::array<double, 2> r{};
  std::array<double, 2> a{};
  std::array<double, 2> b{};
  for (size_t k = 0; k < 2; ++k) {
    r[k] = -EvaluateAt(engine, fn[k], 0, 0);
    if (SampleFailed(engine)) return Fail(engine, ErrorNumber::kEquationInvalid);
  }
  for (size_t k = 0; k < 2; ++k) {
    a[k] = f.Add(EvaluateAt(engine, fn[k], 1, 0), r[k]);
    if (SampleFailed(engine)) return Fail(engine, ErrorNumber::kEquationInvalid);
    if (f.Failed()) return Fail(engine, f.Fault());
  }
  for (size_t k = 0; k < 2; ++k) {
    b[k] = f.Add(EvaluateAt(engine, fn[k], 0, 1), r[k]);
    if (SampleFailed(engine)) return Fail(engine, ErrorNumber::kEquationInvalid);
    if (f.Failed()) return Fail(engine, f.Fault());
  }
  solver::Undefine(engine, kX);
  solver::Undefine(engine, kY);
  for (size_t k = 0; k < 2; ++k) {
    if (a[k] == 0 && b[k] == 0) return Fail(engine, ErrorNumber::kNoSolution);
  }

  const double xt = NextRandom(engine) + 5;
  const double yt = NextRandom(engine) - 4;
  for (size_t k = 0; k < 2; ++k) {
    const double p = f.Sub(f.Add(f.Mul(a[k], xt), f.Mul(b[k], yt)), r[k]);
    if (f.Failed()) return Fail(engine, f.Fault());
    const double value = EvaluateAt(engine, fn[k], xt, yt);
    if (SampleFailed(engine)) return Fail(engine, ErrorNumber::kEquationInvalid);
    const bool nonlinear = Nonlinear(f, p, value);
    if (f.Failed()) return Fail(engine, f.Fault());
    if (nonlinear) return Fail(engine, ErrorNumber::kEquationInvalid);
  }

  const double ab = f.Mul(a[0], b[1]);
  const double ba = f.Mul(a[1], b[0]);
  const double det = f.Sub(ab, ba);
  if (f.Failed()) return Fail(engine, f.Fault());
  const double dv = SnapToInteger(engine, det);
  const double scale = f.Add(std::fabs(ba), std::fabs(ab));
  if (f.Failed()) return Fail(engine, f.Fault());
  if (scale == 0 || std::fabs(dv / scale) < 1e-10) return Fail(engine, ErrorNumber::kNoSolution);

  const double xn = f.Sub(f.Mul(b[1], r[0]), f.Mul(b[0], r[1]));
  const double yn = f.Sub(f.Mul(a[0], r[1]), f.Mul(a[1], r[0]));
  const double xq = f.Div(xn, dv);
  const double yq = f.Div(yn, dv);
  if (f.Failed()) return Fail(engine, f.Fault());
  const double x = SnapToInteger(engine, xq);
  const double y = SnapToInteger(engine, yq);
  SetVariable(engine, 'x', x);
  SetVariable(engine, 'y', y);
  SetVariable(engine, 'd', dv);
  return x;
}

namespace {

using Row = std::array<double, 3>;

// Determinant of the rows by Sarrus' rule, in the order the stand-alone
// determinant function uses; `scale` gets the sum of the six products'
// magnitudes.
double Sarrus(CheckedArith& f, const Row& r1, const Row& r2, const Row& r3, double* scale) {
  const double products[6] = {
      f.Mul(f.Mul(r1[2], r2[0]), r3[1]), f.Mul(f.Mul(r1[0], r2[1]), r3[2]),
      f.Mul(f.Mul(r1[1], r2[2]), r3[0]), f.Mul(f.Mul(r1[1], r2[0]), r3[2]),
      f.Mul(f.Mul(r1[2], r2[1]), r3[0]), f.Mul(f.Mul(r1[0], r2[2]), r3[1]),
  };
  if (scale != nullptr) {
    double s = 0;
    for (double p : products) s = f.Add(s, std::fabs(p));
    *scale = s;
  }
  return f.Sub(f.Add(f.Add(products[0], products[1]), products[2]),
               f.Add(f.Add(products[3], products[4]), products[5]));
}

}  // namespace

// x, y, z of three linear equations; writes x, y, z and d, returns x. The
// same errors as S2X2.
double SolveLinear3x3(Engine& engine, std::string_view eq1, std::string_view eq2, std::string_view eq3) {
  engine.ErrorCode = ErrorNumber::kNone;
  const std::array<std::string, 3> fn = {solver::Terminated(eq1), solver::Terminated(eq2),
                                         solver::Terminated(eq3)};
  CheckedArith f;
  std::array<double, 3> r{};
  std::array<Row, 3> m{};  // m[k] = (a_k, b_k, c_k)
  for (size_t k = 0; k < 3; ++k) {
    r[k] = -EvaluateAt(engine, fn[k], 0, 0, 0);
    if (SampleFailed(engine)) return Fail(engine, ErrorNumber::kEquationInvalid);
  }
  for (size_t unknown = 0; unknown < 3; ++unknown) {
    const double x = unknown == 0 ? 1 : 0;
    const double y = unknown == 1 ? 1 : 0;
    const double z = unknown == 2 ? 1 : 0;
    for (size_t k = 0; k < 3; ++k) {
      m[k][unknown] = f.Add(EvaluateAt(engine, fn[k], x, y, z), r[k]);
      if (SampleFailed(engine)) return Fail(engine, ErrorNumber::kEquationInvalid);
      if (f.Failed()) return Fail(engine, f.Fault());
    }
  }
  solver::Undefine(engine, kX);
  solver::Undefine(engine, kY);
  solver::Undefine(engine, kZ);
  for (const Row& row : m) {
    if (row[0] == 0 && row[1] == 0 && row[2] == 0) return Fail(engine, ErrorNumber::kNoSolution);
  }

  const double xt = NextRandom(engine) + 5;
  const double yt = NextRandom(engine) - 4;
  const double zt = NextRandom(engine) + 3;
  for (size_t k = 0; k < 3; ++k) {
    const double p =
        f.Sub(f.Add(f.Add(f.Mul(m[k][0], xt), f.Mul(m[k][1], yt)), f.Mul(m[k][2], zt)), r[k]);
    if (f.Failed()) return Fail(engine, f.Fault());
    const double value = EvaluateAt(engine, fn[k], xt, yt, zt);
    if (SampleFailed(engine)) return Fail(engine, ErrorNumber::kEquationInvalid);
    const bool nonlinear = Nonlinear(f, p, value);
    if (f.Failed()) return Fail(engine, f.Fault());
    if (nonlinear) return Fail(engine, ErrorNumber::kEquationInvalid);
  }

  double scale = 0;
  const double det = Sarrus(f, m[0], m[1], m[2], &scale);
  if (f.Failed()) return Fail(engine, f.Fault());
  const double dv = SnapToInteger(engine, det);
  if (scale == 0 || std::fabs(dv / scale) < 1e-10) return Fail(engine, ErrorNumber::kNoSolution);

  // Cramer's rule: column `unknown` replaced by the right-hand sides.
  std::array<double, 3> solution{};
  for (size_t unknown = 0; unknown < 3; ++unknown) {
    std::array<Row, 3> mk = m;
    for (size_t k = 0; k < 3; ++k) mk[k][unknown] = r[k];
    solution[unknown] = f.Div(Sarrus(f, mk[0], mk[1], mk[2], nullptr), dv);
  }
  if (f.Failed()) return Fail(engine, f.Fault());
  const double x = SnapToInteger(engine, solution[0]);
  const double y = SnapToInteger(engine, solution[1]);
  const double z = SnapToInteger(engine, solution[2]);
  SetVariable(engine, 'x', x);
  SetVariable(engine, 'y', y);
  SetVariable(engine, 'z', z);
  SetVariable(engine, 'd', dv);
  return x;
}

}  // namespace tarvo
