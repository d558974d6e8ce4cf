// EQ2D and EQ3D: quadratic and cubic equations in x. The equation is a black
// box: its coefficients are recovered from samples at x = 0, 1, 2 (and -1),
// a sample at an odd point checks the degree, and closed formulas give the
// roots in a, b (c) with a complex pair's imaginary part in i.
#include <cmath>

#include "engine/errors.h"
#include "engine/eval/evaluate.h"
#include "engine/numlib/checked_arith.h"
#include "engine/numlib/numlib.h"
#include "engine/solvers/solver_support.h"
#include "engine/solvers/solvers.h"
#include "engine/state.h"

namespace tarvo {
namespace {

using solver::EvaluateAt;

// A point no user's polynomial is likely to be special at.
constexpr double kDegreeTestPoint = -2.4273219483;

bool Stopped(Engine& engine) { return engine.ErrorCode != ErrorNumber::kNone; }

// The equation's values at the sample points, in their order; false at the
// first evaluation that fails (its error stays in ErrorCode).
template <size_t N>
bool Sample(Engine& engine, const std::string& fx, const double (&at)[N], double (&values)[N]) {
  for (size_t k = 0; k < N; ++k) {
    values[k] = EvaluateAt(engine, fx, at[k]);
    if (Stopped(engine)) return false;
  }
  return true;
}

// True when the model value p and the equation's value at the test point
// differ by more than 0.1 percent of their joint size (exactly 0.1 percent
// passes). Both 0 is 0/0, a fault.
bool FailsDegreeCheck(CheckedArith& f, double p, double ft) {
  const double ratio = f.Div(std::fabs(f.Sub(p, ft)), f.Add(std::fabs(p), std::fabs(ft)));
  return !f.Failed() && ratio > 0.001;
}

// The roots as the variable list is to show them once the entry is done.
double ShowAndReturn(Engine& engine, double a) {
  engine.Requests.variableLists.push_back(VariablesShown(engine));
  return a;
}

}  // namespace

// EQ2D. Clears every variable, then: a and b the roots (a the one with +sqrt);
// a complex pair is a = b = the real part (snapped) with i its imaginary
// part, complex marker 2. Errors: the equation's own error; 27 for a
// vanishing x^2 term or an equation that is not quadratic; 1 for a fault in
// the solver's arithmetic (both degree-test values 0 included). Returns a.
double SolveQuadratic(Engine& engine, std::string_view equation) {
  ClearVariables(engine);
  engine.ErrorCode = ErrorNumber::kNone;
  engine.ComplexMarker = 0;
  const std::string fx = solver::Terminated(equation);

  double samples[3];
  if (!Sample(engine, fx, {0, 1, 2}, samples)) return 0.0;
  const auto [f0, f1, f2] = samples;

  CheckedArith f;
  const double c = f0;
  const double b = f.Div(f.Sub(f.Sub(f.Mul(4, f1), f.Mul(3, f0)), f2), 2);
  const double a = f.Sub(f.Sub(f1, b), f0);
  if (f.Failed()) return Fail(engine, ErrorNumber::kUnknown);
  if (a == 0) return Fail(engine, ErrorNumber::kEquationInvalid);

  const double t = kDegreeTestPoint;
  const double ft = EvaluateAt(engine, fx, t);
  if (Stopped(engine)) return 0.0;
  const double p = f.Add(f.Add(f.Mul(f.Mul(a, t), t), f.Mul(b, t)), c);
  const bool notQuadratic = FailsDegreeCheck(f, p, ft);
  if (f.Failed()) return Fail(engine, ErrorNumber::kUnknown);
  if (notQuadratic) return Fail(engine, ErrorNumber::kEquationInvalid);

  const double disc = f.Sub(f.Mul(b, b), f.Mul(f.Mul(4, a), c));
  if (f.Failed()) return Fail(engine, ErrorNumber::kUnknown);
  double root1;
  double root2;
  if (disc < 0) {
    const double re = SnapToInteger(engine, f.Div(f.Div(-b, 2), a));
    const double im = std::fabs(f.Div(f.Div(f.Sqrt(-disc), 2), a));
    if (f.Failed()) return Fail(engine, ErrorNumber::kUnknown);
    root1 = root2 = re;
    SetVariable(engine, 'i', im);
    engine.ComplexMarker = 2;
  } else {
    const double s = f.Sqrt(disc);
    root1 = f.Div(f.Div(f.Add(-b, s), 2), a);
    root2 = f.Div(f.Div(f.Sub(-b, s), 2), a);
    if (f.Failed()) return Fail(engine, ErrorNumber::kUnknown);
  }
  SetVariable(engine, 'a', root1);
  SetVariable(engine, 'b', root2);
  solver::ClearSample(engine, solver::kX);
  return ShowAndReturn(engine, root1);
}

// EQ3D. Clears every variable, then writes the roots to a, b, c. Three real
// roots come from the trigonometric method, unsnapped; one real root and a
// pair from Cardano's method: a real, b = c the pair's real part, i its
// imaginary part (complex marker 3), with noise below 1E-8 of the scale
// zeroed and values above 0.9 in magnitude snapped. Errors as in EQ2D.
// Returns a.
double SolveCubic(Engine& engine, std::string_view equation) {
  engine.ErrorCode = ErrorNumber::kNone;
  ClearVariables(engine);
  engine.ComplexMarker = 0;
  const std::string fx = solver::Terminated(equation);

  double samples[4];
  if (!Sample(engine, fx, {0, 1, 2, -1}, samples)) return 0.0;
  const auto [f0, f1, f2, fm] = samples;

  CheckedArith f;
  const double d0 = f0;
  const double b = f.Div(f.Sub(f.Add(f1, fm), f.Mul(2, f0)), 2);
  const double a = f.Div(f.Sub(f.Sub(f.Add(f.Mul(2, fm), f2), f.Mul(3, f0)), f.Mul(6, b)), 6);
  const double c = f.Sub(f.Sub(f.Sub(f1, a), b), f0);
  if (f.Failed()) return Fail(engine, ErrorNumber::kUnknown);
  if (a == 0) return Fail(engine, ErrorNumber::kEquationInvalid);

  const double t = kDegreeTestPoint;
  const double ft = EvaluateAt(engine, fx, t);
  if (Stopped(engine)) return 0.0;
  const double p = f.Add(f.Add(f.Add(f.Mul(a, f.Mul(f.Mul(t, t), t)), f.Mul(b, f.Mul(t, t))), f.Mul(c, t)), d0);
  const bool notCubic = FailsDegreeCheck(f, p, ft);
  if (f.Failed()) return Fail(engine, ErrorNumber::kUnknown);
  if (notCubic) return Fail(engine, ErrorNumber::kEquationInvalid);

  const double a1 = f.Div(b, a);
  const double a2 = f.Div(c, a);
  const double a3 = f.Div(d0, a);
  const double q = f.Div(f.Sub(f.Mul(a1, a1), f.Mul(3, a2)), 9);
  const double r = f.Div(f.Sub(f.Add(f.Mul(2, f.Pow(a1, 3)), f.Mul(27, a3)), f.Mul(f.Mul(9, a1), a2)), 54);
  const double q3 = f.Mul(f.Mul(q, q), q);
  const double delta = f.Sub(f.Mul(r, r), q3);
  if (f.Failed()) return Fail(engine, ErrorNumber::kUnknown);

  const double shift = f.Div(a1, 3);
  double ra;
  double rb;
  double rc;
  double im = 0.0;
  if (delta < 0) {
    const double cosine = f.Div(r, f.Sqrt(q3));
    if (f.Failed()) return Fail(engine, ErrorNumber::kUnknown);
    const double theta = ArcCos(engine, cosine) / 3;
    if (Stopped(engine)) return 0.0;
    const double pi = engine.Pi;
    const double k = f.Mul(-2, f.Sqrt(q));
    ra = f.Sub(f.Mul(k, std::cos(theta)), shift);
    rb = f.Sub(f.Mul(k, std::cos(theta + (pi + pi) / 3)), shift);
    rc = f.Sub(f.Mul(k, std::cos(theta + pi * 4 / 3)), shift);
    if (f.Failed()) return Fail(engine, ErrorNumber::kUnknown);
    if (a3 == 0 && std::fabs(rc) < 1e-10) rc = 0.0;
  } else {
    const double sd = f.Sqrt(delta);
    const double u = f.Sub(sd, r);
    const double v = f.Sub(-sd, r);
    const double s = std::copysign(1.0, u) * (u == 0 ? 0.0 : f.Pow(std::fabs(u), 1.0 / 3));
    const double tt = std::copysign(1.0, v) * (v == 0 ? 0.0 : f.Pow(std::fabs(v), 1.0 / 3));
    ra = f.Sub(f.Add(s, tt), shift);
    rb = f.Sub(f.Div(-f.Add(s, tt), 2), shift);
    rc = rb;
    im = std::fabs(f.Mul(std::sqrt(3.0) / 2, f.Sub(s, tt)));
    const double scale = f.Add(f.Add(std::fabs(tt), std::fabs(s)), std::fabs(a1));
    if (f.Failed()) return Fail(engine, ErrorNumber::kUnknown);
    if (scale != 0) {
      for (double* root : {&ra, &rb, &rc}) {
        if (std::fabs(*root) < scale * 1e-8) *root = 0.0;
      }
    }
    if (std::fabs(im) < std::fabs(rb) * 1e-8) im = 0.0;
    for (double* value : {&ra, &rb, &rc, &im}) {
      if (std::fabs(*value) > 0.9) *value = SnapToInteger(engine, *value);
    }
  }
  SetVariable(engine, 'a', ra);
  SetVariable(engine, 'b', rb);
  SetVariable(engine, 'c', rc);
  solver::ClearSample(engine, solver::kX);
  if (im != 0) {
    SetVariable(engine, 'i', im);
    engine.ComplexMarker = 3;
  } else {
    solver::ClearSample(engine, 'i' - 'a');  // even when the equation itself read i
  }
  return ShowAndReturn(engine, ra);
}

}  // namespace tarvo
