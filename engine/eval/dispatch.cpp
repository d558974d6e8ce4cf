// What each function token does with its operand. Value functions take the
// operand itself; list functions take it as the number of an argument list;
// text functions as the number of an equation-text slot. A list or text
// function checks, in this order: the list number (fault 1), the argument
// count (24), the slot numbers (fault 1), its own values, then calls.
#include <array>
#include <cmath>
#include <cstdint>
#include <string>

#include "engine/errors.h"
#include "engine/eval/dispatch.h"
#include "engine/eval/evaluate.h"
#include "engine/numlib/numlib.h"
#include "engine/solvers/solvers.h"
#include "engine/state.h"
#include "engine/tokens.h"

namespace tarvo {
namespace {

// Tangent-type results beyond this are reported as a division by zero, and
// circular results below the zero thresholds print as exactly 0.
constexpr double kHugeTrig = 1e15;
constexpr double kTinyTrig = 1e-12;
constexpr double kTinyCotan = 1e-15;

// An equation text copied out of its slot, per byte.
constexpr long kTextBytesPerUnit = 8;

// The list named by x: its number is x to the nearest whole; outside 1..16 a fault.
const ArgumentList* ListOf(Engine& engine, double x, const ArgumentLists& lists) {
  const double k = std::nearbyint(x);
  if (!(k >= 1 && k <= kArgumentListCount)) {
    Fail(engine, ErrorNumber::kUnknown);
    return nullptr;
  }
  return &lists[static_cast<size_t>(k) - 1];
}

// The list named by x when it holds min..max arguments; nullptr with the
// fault (1) or the count error (24) otherwise.
const ArgumentList* ListWithCount(Engine& engine, double x, const ArgumentLists& lists, int min, int max) {
  const ArgumentList* list = ListOf(engine, x, lists);
  if (list == nullptr) return nullptr;
  const int count = list->LastIndex + 1;
  if (count < min || count > max) {
    Fail(engine, ErrorNumber::kArgumentCount);
    return nullptr;
  }
  return list;
}

// The equation text named by x: slot x to the nearest whole, 0..9, else a fault.
bool TextOf(Engine& engine, double x, std::string& text) {
  const double k = std::nearbyint(x);
  if (!(k >= 0 && k <= kEquationSlots - 1)) return Fail(engine, ErrorNumber::kUnknown);
  const std::string& slot = engine.EquationSlots[static_cast<size_t>(k)];
  if (!ChargeWork(engine, static_cast<long>(slot.size()) / kTextBytesPerUnit)) return false;
  text = slot;
  return true;
}

// Angle argument in radians: x / AngleFactor.
bool Radians(Engine& engine, double x, double& u) { return CheckedDivide(engine, x, engine.AngleFactor, u); }

// sin, cos, tan, cosec, sec, cotan of x in the current angle unit. Results
// below 1E-12 become exactly 0 (for sin and tan only when |x| > 0.1, so that
// sin(1E-13) stays 1E-13); tangent-type results beyond 1E15 fail with 11, so
// tan(90°) fails instead of yielding about 1.6E+16.
bool Circular(Engine& engine, Token code, double& x) {
  double u = 0.0;
  if (!Radians(engine, x, u)) return false;
  if (!ChargeAngleReduction(engine, u, code == Token::Cotangent ? 2 : 1)) return false;
  double r = 0.0;
  switch (code) {
    case Token::Sine:
      r = std::sin(u);
      if (std::fabs(r) < kTinyTrig && std::fabs(x) > 0.1) r = 0.0;
      break;
    case Token::Cosine:
      r = std::cos(u);
      if (std::fabs(r) < kTinyTrig) r = 0.0;
      break;
    case Token::Tangent:
      r = std::tan(u);
      if (std::fabs(r) < kTinyTrig && std::fabs(x) > 0.1) r = 0.0;
      if (std::fabs(r) > kHugeTrig) return Fail(engine, ErrorNumber::kDivisionByZero);
      break;
    case Token::Cosecant:
      if (!CheckedDivide(engine, 1.0, std::sin(u), r)) return false;
      if (std::fabs(r) > kHugeTrig) return Fail(engine, ErrorNumber::kDivisionByZero);
      break;
    case Token::Secant:
      if (!CheckedDivide(engine, 1.0, std::cos(u), r)) return false;
      if (std::fabs(r) > kHugeTrig) return Fail(engine, ErrorNumber::kDivisionByZero);
      break;
    default:  // Token::Cotangent
      if (!CheckedDivide(engine, std::cos(u), std::sin(u), r)) return false;
      if (std::fabs(r) < kTinyCotan) r = 0.0;
      if (std::fabs(r) > kHugeTrig) return Fail(engine, ErrorNumber::kDivisionByZero);
      break;
  }
  x = r;
  return ResultOk(engine, x);
}

// The six hyperbolic functions from E = e^x and F = e^-x. No domain check:
// cosech(0) and cotanh(0) divide by zero (11); |x| beyond about 709.78
// overflows the exponential (6), for every one of them.
bool Hyperbolic(Engine& engine, Token code, double& x) {
  const double e = std::exp(x);
  const double f = std::exp(-x);
  if (!ResultOk(engine, e) || !ResultOk(engine, f)) return false;
  double r = 0.0;
  switch (code) {
    case Token::HyperbolicSine: r = (e - f) / 2; break;
    case Token::HyperbolicCosine: r = (e + f) / 2; break;
    case Token::HyperbolicTangent: return CheckedDivide(engine, e - f, f + e, x);
    case Token::HyperbolicCosecant: return CheckedDivide(engine, 2, e - f, x);
    case Token::HyperbolicSecant: return CheckedDivide(engine, 2, f + e, x);
    default: return CheckedDivide(engine, e + f, e - f, x);  // Token::HyperbolicCotangent
  }
  x = r;
  return ResultOk(engine, x);
}

// An inverse routine's radian result in the current angle unit; the routine
// reports its own errors (5).
bool InAngleUnit(Engine& engine, double radians, double& x) {
  if (engine.ErrorCode != ErrorNumber::kNone) return false;
  x = radians * engine.AngleFactor;
  return ResultOk(engine, x);
}

// a * b * c with the overflow caught at the product where it happens (a
// later factor 0 must not turn it into a NaN).
bool Product3(Engine& engine, double a, double b, double c, double& out) {
  const double ab = a * b;
  if (!ResultOk(engine, ab)) return false;
  out = ab * c;
  return ResultOk(engine, out);
}

// The 3x3 determinant of rows (a0 a1 a2), (a3 a4 a5), (a6 a7 a8), rule of Sarrus.
bool Determinant(Engine& engine, const ArgumentList& list, double& x) {
  const auto& a = list.Arguments;
  std::array<double, 6> t{};
  if (!Product3(engine, a[2], a[3], a[7], t[0]) || !Product3(engine, a[0], a[4], a[8], t[1]) ||
      !Product3(engine, a[1], a[5], a[6], t[2]) || !Product3(engine, a[1], a[3], a[8], t[3]) ||
      !Product3(engine, a[2], a[4], a[6], t[4]) || !Product3(engine, a[0], a[5], a[7], t[5]))
    return false;
  const double plus = t[0] + t[1] + t[2];
  const double minus = t[3] + t[4] + t[5];
  if (!ResultOk(engine, plus) || !ResultOk(engine, minus)) return false;
  x = plus - minus;
  return ResultOk(engine, x);
}

// lcm and gcm fold the list from the left; the first failing call ends it.
bool Fold(Engine& engine, const ArgumentList& list, double (*step)(Engine&, double, double), double& x) {
  double r = list.Arguments[0];
  for (int i = 1; i <= list.LastIndex; ++i) {
    r = step(engine, r, list.Arguments[static_cast<size_t>(i)]);
    if (engine.ErrorCode != ErrorNumber::kNone) return false;
  }
  x = r;
  return true;
}

// juld(month, day, year [, hours [, minutes [, seconds]]]).
bool JulianDayOf(Engine& engine, const ArgumentList& list, double& x) {
  const auto& a = list.Arguments;
  const int last = list.LastIndex;
  const double hours = (last >= 3 ? a[3] : 0.0) + (last >= 4 ? a[4] : 0.0) / 60 +
                       (last >= 5 ? a[5] : 0.0) / 3600;
  if (!ResultOk(engine, hours)) return false;
  x = JulianDay(engine, a[1], a[0], a[2], hours);
  return true;
}

// lgb(base, x): ln x / ln base.
bool LogToBase(Engine& engine, const ArgumentList& list, double& x) {
  const double base = list.Arguments[0];
  const double value = list.Arguments[1];
  if (base <= 0 || base == 1 || value <= 0) return Fail(engine, ErrorNumber::kOutOfRange);
  return CheckedDivide(engine, std::log(value), std::log(base), x);
}

// solve(text, a, b [, h]): the step is h, or |b - a| / 127 when it is left out.
bool SolveOn(Engine& engine, const ArgumentList& list, double& x) {
  std::string text;
  if (!TextOf(engine, list.Arguments[0], text)) return false;
  const auto& a = list.Arguments;
  double step = 0.0;
  if (list.LastIndex == 3) {
    step = a[3];
  } else {
    const double width = a[2] - a[1];
    if (!ResultOk(engine, width)) return false;
    step = std::fabs(width) / 127;
  }
  x = SolveOnInterval(engine, text, a[1], a[2], step);
  return true;
}

bool Texts2(Engine& engine, const ArgumentList& list, double& x) {
  std::string t0, t1;
  if (!TextOf(engine, list.Arguments[0], t0) || !TextOf(engine, list.Arguments[1], t1)) return false;
  x = SolveLinear2x2(engine, t0, t1);
  return true;
}

bool Texts3(Engine& engine, const ArgumentList& list, double& x) {
  std::string t0, t1, t2;
  if (!TextOf(engine, list.Arguments[0], t0) || !TextOf(engine, list.Arguments[1], t1) ||
      !TextOf(engine, list.Arguments[2], t2))
    return false;
  x = SolveLinear3x3(engine, t0, t1, t2);
  return true;
}

// List functions: false when the list or its count is refused, or a step failed.
bool ApplyList(Engine& engine, Token code, double& x, const ArgumentLists& lists) {
  struct Range { int min, max; };
  Range range{};
  switch (code) {
    case Token::LeastCommonMultiple: case Token::GreatestCommonDivisor: range = {2, 10}; break;
    case Token::MeanInterval: range = {4, 4}; break;
    case Token::RateInterval: case Token::Binomial: case Token::LinearSystem3: range = {3, 3}; break;
    case Token::Combinations: case Token::Permutations: case Token::RectangularToPolar:
    case Token::PolarToRectangular: case Token::LogToBase: case Token::LinearSystem2:
      range = {2, 2};
      break;
    case Token::JulianDay: range = {3, 6}; break;
    case Token::SolveOnInterval: range = {3, 4}; break;
    default: range = {9, 9}; break;  // Token::Determinant3
  }
  const ArgumentList* list = ListWithCount(engine, x, lists, range.min, range.max);
  if (list == nullptr) return false;
  const auto& a = list->Arguments;
  switch (code) {
    case Token::LeastCommonMultiple: return Fold(engine, *list, &LeastCommonMultiple, x);
    case Token::GreatestCommonDivisor: return Fold(engine, *list, &Gcd, x);
    case Token::MeanInterval: x = MeanIntervalEstimation(engine, a[0], a[1], a[2], a[3]); return true;
    case Token::RateInterval: x = RateIntervalEstimation(engine, a[0], a[1], a[2]); return true;
    case Token::Combinations: x = Combinations(engine, a[0], a[1]); return true;
    case Token::Permutations: x = Permutations(engine, a[0], a[1]); return true;
    case Token::RectangularToPolar: x = RectangularToPolar(engine, a[0], a[1]); return true;
    case Token::PolarToRectangular: x = PolarToRectangular(engine, a[0], a[1]); return true;
    case Token::JulianDay: return JulianDayOf(engine, *list, x);
    case Token::Binomial: x = BinomialProbability(engine, a[0], a[1], a[2]); return true;
    case Token::LogToBase: return LogToBase(engine, *list, x);
    case Token::SolveOnInterval: return SolveOn(engine, *list, x);
    case Token::LinearSystem2: return Texts2(engine, *list, x);
    case Token::LinearSystem3: return Texts3(engine, *list, x);
    default: return Determinant(engine, *list, x);
  }
}

}  // namespace

void Apply(Engine& engine, int code, double& x, const ArgumentLists& lists) {
  const Token token = static_cast<Token>(code);
  switch (token) {
    case Token::Negate: x = -x; return;
    case Token::Random: x = static_cast<double>(engine.Random.Next()); return;
    case Token::Floor: x = std::floor(x); return;
    case Token::SquareRoot:
      if (x < 0) Fail(engine, ErrorNumber::kOutOfRange);
      else x = std::sqrt(x);
      return;
    case Token::Absolute:
    case Token::AbsoluteBars: x = std::fabs(x); return;
    case Token::ArcSine: InAngleUnit(engine, ArcSin(engine, x), x); return;
    case Token::ArcCosine: InAngleUnit(engine, ArcCos(engine, x), x); return;
    case Token::ArcTangent: InAngleUnit(engine, std::atan(x), x); return;
    case Token::ArcCosecant: InAngleUnit(engine, ArcCosec(engine, x), x); return;
    case Token::ArcSecant: InAngleUnit(engine, ArcSec(engine, x), x); return;
    case Token::ArcCotangent: InAngleUnit(engine, ArcCotan(engine, x), x); return;
    case Token::Exponential:
      x = std::exp(x);
      ResultOk(engine, x);
      return;
    case Token::NaturalLog:
      if (x <= 0) Fail(engine, ErrorNumber::kOutOfRange);
      else x = std::log(x);
      return;
    case Token::CommonLog:
      if (x <= 0) Fail(engine, ErrorNumber::kOutOfRange);
      else x = std::log(x) / std::log(10.0);
      return;
    case Token::InverseHyperbolicCosecant: x = ArgCosech(engine, x); return;
    case Token::InverseHyperbolicSecant: x = ArgSech(engine, x); return;
    case Token::InverseHyperbolicCotangent: x = ArgCotanh(engine, x); return;
    case Token::InverseHyperbolicSine: x = ArgSinh(engine, x); return;
    case Token::InverseHyperbolicCosine: x = ArgCosh(engine, x); return;
    case Token::InverseHyperbolicTangent: x = ArgTanh(engine, x); return;
    case Token::HyperbolicCosecant: case Token::HyperbolicSecant: case Token::HyperbolicCotangent:
    case Token::HyperbolicSine: case Token::HyperbolicCosine: case Token::HyperbolicTangent:
      Hyperbolic(engine, token, x);
      return;
    case Token::Cosecant: case Token::Secant: case Token::Cotangent:
    case Token::Sine: case Token::Cosine: case Token::Tangent:
      Circular(engine, token, x);
      return;
    case Token::Factorial: x = Factorial(engine, x); return;
    case Token::CubeRoot: {
      const double sign = x > 0 ? 1.0 : (x < 0 ? -1.0 : 0.0);
      x = sign * std::pow(std::fabs(x), 1.0 / 3);
      return;
    }
    case Token::NormalInverse: x = NormalInverse(engine, x); return;
    case Token::NormalLower: x = NormalLower(engine, x); return;
    case Token::LastAnswer: x = engine.LastAnswer; return;
    case Token::Pi: x = engine.Pi; return;
    case Token::IsPrime: x = IsPrime(engine, x); return;
    case Token::QuadraticEquation:
    case Token::CubicEquation: {
      std::string text;
      if (!TextOf(engine, x, text)) return;
      x = token == Token::QuadraticEquation ? SolveQuadratic(engine, text) : SolveCubic(engine, text);
      return;
    }
    case Token::LeastCommonMultiple: case Token::GreatestCommonDivisor: case Token::MeanInterval:
    case Token::RateInterval: case Token::Combinations: case Token::Permutations:
    case Token::RectangularToPolar: case Token::PolarToRectangular: case Token::JulianDay:
    case Token::Binomial: case Token::LogToBase: case Token::Determinant3:
    case Token::SolveOnInterval: case Token::LinearSystem2: case Token::LinearSystem3:
      ApplyList(engine, token, x, lists);
      return;
    default:
      if (token >= Token::PowerOf2 && token <= Token::PowerOf9) {
        x = std::pow(x, code - CodeOf(Token::PowerOf2) + 2);
        ResultOk(engine, x);
        return;
      }
      // Reserved spellings (and anything outside 128..226): no operation.
      Fail(engine, ErrorNumber::kInternal);
      return;
  }
}

}  // namespace tarvo
