// The functions of the expression language: what each applies, and the
// table that holds every fact of each in one row. Value functions take the
// operand itself; list functions an argument list (the dispatcher has
// checked its number and its count); text functions the number of an
// equation-text slot. A text or list function checks its slot numbers (a
// fault, 1) before its own values, then calls its routine.
#include "engine/eval/functions.h"

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

namespace tarvo {
namespace {

// Tangent-type results beyond this are reported as a division by zero, and
// circular results below the zero thresholds print as exactly 0.
constexpr double kHugeTrig = 1e15;
constexpr double kTinyTrig = 1e-12;
constexpr double kTinyCotan = 1e-15;

// An equation text copied out of its slot, per byte.
constexpr long kTextBytesPerUnit = 8;

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

// The platform's arc tangent, which has no domain to check.
double PlatformArcTan(Engine&, double x) { return std::atan(x); }

// The appliers, one per function (see FunctionApplier). -----------------

void NoOperation(Engine& engine, double&, const ArgumentList&) { Fail(engine, ErrorNumber::kInternal); }

void Negated(Engine&, double& x, const ArgumentList&) { x = -x; }
void RandomNumber(Engine& engine, double& x, const ArgumentList&) { x = static_cast<double>(engine.Random.Next()); }
void WholePart(Engine&, double& x, const ArgumentList&) { x = std::floor(x); }
void AbsoluteValue(Engine&, double& x, const ArgumentList&) { x = std::fabs(x); }
void LastAnswerValue(Engine& engine, double& x, const ArgumentList&) { x = engine.LastAnswer; }
void PiValue(Engine& engine, double& x, const ArgumentList&) { x = engine.Pi; }

void SquareRootOf(Engine& engine, double& x, const ArgumentList&) {
  if (x < 0) Fail(engine, ErrorNumber::kOutOfRange);
  else x = std::sqrt(x);
}

void ExponentialOf(Engine& engine, double& x, const ArgumentList&) {
  x = std::exp(x);
  ResultOk(engine, x);
}

void NaturalLogOf(Engine& engine, double& x, const ArgumentList&) {
  if (x <= 0) Fail(engine, ErrorNumber::kOutOfRange);
  else x = std::log(x);
}

void CommonLogOf(Engine& engine, double& x, const ArgumentList&) {
  if (x <= 0) Fail(engine, ErrorNumber::kOutOfRange);
  else x = std::log(x) / std::log(10.0);
}

void CubeRootOf(Engine&, double& x, const ArgumentList&) {
  const double sign = x > 0 ? 1.0 : (x < 0 ? -1.0 : 0.0);
  x = sign * std::pow(std::fabs(x), 1.0 / 3);
}

// A routine of the numeric library on the operand.
template <double (*Routine)(Engine&, double)>
void RoutineOf(Engine& engine, double& x, const ArgumentList&) {
  x = Routine(engine, x);
}

// An inverse circular routine, its result in the current angle unit.
template <double (*Routine)(Engine&, double)>
void InverseCircular(Engine& engine, double& x, const ArgumentList&) {
  InAngleUnit(engine, Routine(engine, x), x);
}

template <Token kFunction>
void CircularOf(Engine& engine, double& x, const ArgumentList&) {
  Circular(engine, kFunction, x);
}

template <Token kFunction>
void HyperbolicOf(Engine& engine, double& x, const ArgumentList&) {
  Hyperbolic(engine, kFunction, x);
}

// The power prefix the normaliser writes before a function token: the
// operand to the power n.
template <int n>
void PowerOf(Engine& engine, double& x, const ArgumentList&) {
  x = std::pow(x, n);
  ResultOk(engine, x);
}

// eq2d(equation), eq3d(equation): the operand is the equation's slot.
template <double (*Solve)(Engine&, std::string_view)>
void EquationOf(Engine& engine, double& x, const ArgumentList&) {
  std::string text;
  if (!TextOf(engine, x, text)) return;
  x = Solve(engine, text);
}

// lcm and gcm fold the list from the left; the first failing call ends it.
template <double (*Step)(Engine&, double, double)>
void Folded(Engine& engine, double& x, const ArgumentList& list) {
  double r = list.Arguments[0];
  for (int i = 1; i <= list.LastIndex; ++i) {
    r = Step(engine, r, list.Arguments[static_cast<size_t>(i)]);
    if (engine.ErrorCode != ErrorNumber::kNone) return;
  }
  x = r;
}

// A routine of two, three or four arguments, in list order.
template <double (*Routine)(Engine&, double, double)>
void OfTwo(Engine& engine, double& x, const ArgumentList& list) {
  x = Routine(engine, list.Arguments[0], list.Arguments[1]);
}
template <double (*Routine)(Engine&, double, double, double)>
void OfThree(Engine& engine, double& x, const ArgumentList& list) {
  x = Routine(engine, list.Arguments[0], list.Arguments[1], list.Arguments[2]);
}
template <double (*Routine)(Engine&, double, double, double, double)>
void OfFour(Engine& engine, double& x, const ArgumentList& list) {
  const auto& a = list.Arguments;
  x = Routine(engine, a[0], a[1], a[2], a[3]);
}

// juld(month, day, year [, hours [, minutes [, seconds]]]).
void JulianDayOf(Engine& engine, double& x, const ArgumentList& list) {
  const auto& a = list.Arguments;
  const int last = list.LastIndex;
  const double hours = (last >= 3 ? a[3] : 0.0) + (last >= 4 ? a[4] : 0.0) / 60 +
                       (last >= 5 ? a[5] : 0.0) / 3600;
  if (!ResultOk(engine, hours)) return;
  x = JulianDay(engine, a[1], a[0], a[2], hours);
}

// lgb(base, x): ln x / ln base.
void LogToBaseOf(Engine& engine, double& x, const ArgumentList& list) {
  const double base = list.Arguments[0];
  const double value = list.Arguments[1];
  if (base <= 0 || base == 1 || value <= 0) {
    Fail(engine, ErrorNumber::kOutOfRange);
    return;
  }
  CheckedDivide(engine, std::log(value), std::log(base), x);
}

// The 3x3 determinant of rows (a0 a1 a2), (a3 a4 a5), (a6 a7 a8), rule of Sarrus.
void DeterminantOf(Engine& engine, double& x, const ArgumentList& list) {
  const auto& a = list.Arguments;
  std::array<double, 6> t{};
  if (!Product3(engine, a[2], a[3], a[7], t[0]) || !Product3(engine, a[0], a[4], a[8], t[1]) ||
      !Product3(engine, a[1], a[5], a[6], t[2]) || !Product3(engine, a[1], a[3], a[8], t[3]) ||
      !Product3(engine, a[2], a[4], a[6], t[4]) || !Product3(engine, a[0], a[5], a[7], t[5]))
    return;
  const double plus = t[0] + t[1] + t[2];
  const double minus = t[3] + t[4] + t[5];
  if (!ResultOk(engine, plus) || !ResultOk(engine, minus)) return;
  x = plus - minus;
  ResultOk(engine, x);
}

// solve(text, a, b [, h]): the step is h, or |b - a| / 127 when it is left out.
void SolveOn(Engine& engine, double& x, const ArgumentList& list) {
  std::string text;
  if (!TextOf(engine, list.Arguments[0], text)) return;
  const auto& a = list.Arguments;
  double step = 0.0;
  if (list.LastIndex == 3) {
    step = a[3];
  } else {
    const double width = a[2] - a[1];
    if (!ResultOk(engine, width)) return;
    step = std::fabs(width) / 127;
  }
  x = SolveOnInterval(engine, text, a[1], a[2], step);
}

// s2x2(equation, equation).
void System2(Engine& engine, double& x, const ArgumentList& list) {
  std::string t0, t1;
  if (!TextOf(engine, list.Arguments[0], t0) || !TextOf(engine, list.Arguments[1], t1)) return;
  x = SolveLinear2x2(engine, t0, t1);
}

// s3x3(equation, equation, equation).
void System3(Engine& engine, double& x, const ArgumentList& list) {
  std::string t0, t1, t2;
  if (!TextOf(engine, list.Arguments[0], t0) || !TextOf(engine, list.Arguments[1], t1) ||
      !TextOf(engine, list.Arguments[2], t2))
    return;
  x = SolveLinear3x3(engine, t0, t1, t2);
}

// The table. -------------------------------------------------------------

constexpr Written W = Written::kWord;
constexpr Written C = Written::kCall;
constexpr Operand V = ValueOperand();
constexpr Operand N = NoOperand();
constexpr Operand T = TextOperand();
constexpr Operand R = ReservedOperand();
constexpr Operand L(int min, int max) { return ListOperand(min, max); }
constexpr EquationTexts kNoTexts = EquationTexts::kNone;
constexpr EquationTexts kFirstText = EquationTexts::kFirst;
constexpr EquationTexts kEveryText = EquationTexts::kEvery;

// Costs shared by families.
constexpr long kReservedUnits = 1;
constexpr long kSolverUnits = 60;

// Order rule: a name that occurs inside another name stands after it
// ("argsinh" before "sinh" before "sin"), because names are replaced in
// table order; other names keep the order whose replacements the language
// was written with, since overlapping names ("cosinh") are read by it.
//
// name, token, written, operand, equation texts, cost, how it applies
constexpr std::array<FunctionRow, kFunctionCount> kFunctions = {{
    {"#vnl", Token::ReservedVnl, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"#neg", Token::Negate, W, V, kNoTexts, 2, Negated},
    {"rnd", Token::Random, W, N, kNoTexts, 5, RandomNumber},
    {"ran#", Token::Random, W, N, kNoTexts, 5, RandomNumber},
    {"int", Token::Floor, W, V, kNoTexts, 2, WholePart},
    {"#frac", Token::ReservedFraction, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"sqr", Token::SquareRoot, W, V, kNoTexts, 3, SquareRootOf},
    {"abs", Token::Absolute, W, V, kNoTexts, 2, AbsoluteValue},
    {"#sgn", Token::ReservedSign, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"ans", Token::LastAnswer, W, N, kNoTexts, 1, LastAnswerValue},
    {"pi", Token::Pi, W, N, kNoTexts, 1, PiValue},
    {"#not", Token::ReservedNot, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"#ndtf", Token::ReservedNdtf, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"#ddtf", Token::ReservedDdtf, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"exp", Token::Exponential, W, V, kNoTexts, 7, ExponentialOf},
    {"ln", Token::NaturalLog, W, V, kNoTexts, 8, NaturalLogOf},
    {"log", Token::CommonLog, W, V, kNoTexts, 12, CommonLogOf},
    {"argcosech", Token::InverseHyperbolicCosecant, W, V, kNoTexts, 9, RoutineOf<ArgCosech>},
    {"argsech", Token::InverseHyperbolicSecant, W, V, kNoTexts, 9, RoutineOf<ArgSech>},
    {"argcotanh", Token::InverseHyperbolicCotangent, W, V, kNoTexts, 9, RoutineOf<ArgCotanh>},
    {"argsinh", Token::InverseHyperbolicSine, W, V, kNoTexts, 9, RoutineOf<ArgSinh>},
    {"#argsenh", Token::InverseHyperbolicSine, W, V, kNoTexts, 9, RoutineOf<ArgSinh>},
    {"#hypasn", Token::InverseHyperbolicSine, W, V, kNoTexts, 9, RoutineOf<ArgSinh>},
    {"argcosh", Token::InverseHyperbolicCosine, W, V, kNoTexts, 9, RoutineOf<ArgCosh>},
    {"#hypacs", Token::InverseHyperbolicCosine, W, V, kNoTexts, 9, RoutineOf<ArgCosh>},
    {"argtanh", Token::InverseHyperbolicTangent, W, V, kNoTexts, 9, RoutineOf<ArgTanh>},
    {"#hypatn", Token::InverseHyperbolicTangent, W, V, kNoTexts, 9, RoutineOf<ArgTanh>},
    {"cosech", Token::HyperbolicCosecant, W, V, kNoTexts, 16, HyperbolicOf<Token::HyperbolicCosecant>},
    {"sech", Token::HyperbolicSecant, W, V, kNoTexts, 16, HyperbolicOf<Token::HyperbolicSecant>},
    {"cotanh", Token::HyperbolicCotangent, W, V, kNoTexts, 16, HyperbolicOf<Token::HyperbolicCotangent>},
    {"sinh", Token::HyperbolicSine, W, V, kNoTexts, 16, HyperbolicOf<Token::HyperbolicSine>},
    {"#senh", Token::HyperbolicSine, W, V, kNoTexts, 16, HyperbolicOf<Token::HyperbolicSine>},
    {"#hypsin", Token::HyperbolicSine, W, V, kNoTexts, 16, HyperbolicOf<Token::HyperbolicSine>},
    {"cosh", Token::HyperbolicCosine, W, V, kNoTexts, 16, HyperbolicOf<Token::HyperbolicCosine>},
    {"#hypcos", Token::HyperbolicCosine, W, V, kNoTexts, 16, HyperbolicOf<Token::HyperbolicCosine>},
    {"tanh", Token::HyperbolicTangent, W, V, kNoTexts, 16, HyperbolicOf<Token::HyperbolicTangent>},
    {"#hyptan", Token::HyperbolicTangent, W, V, kNoTexts, 16, HyperbolicOf<Token::HyperbolicTangent>},
    {"arccosec", Token::ArcCosecant, W, V, kNoTexts, 21, InverseCircular<ArcCosec>},
    {"arcsec", Token::ArcSecant, W, V, kNoTexts, 21, InverseCircular<ArcSec>},
    {"arccotan", Token::ArcCotangent, W, V, kNoTexts, 19, InverseCircular<ArcCotan>},
    {"#arcsen", Token::ArcSine, W, V, kNoTexts, 19, InverseCircular<ArcSin>},
    {"arcsin", Token::ArcSine, W, V, kNoTexts, 19, InverseCircular<ArcSin>},
    {"arccos", Token::ArcCosine, W, V, kNoTexts, 19, InverseCircular<ArcCos>},
    {"arctan", Token::ArcTangent, W, V, kNoTexts, 6, InverseCircular<PlatformArcTan>},
    {"cosec", Token::Cosecant, W, V, kNoTexts, 12, CircularOf<Token::Cosecant>},
    {"sec", Token::Secant, W, V, kNoTexts, 12, CircularOf<Token::Secant>},
    {"cotan", Token::Cotangent, W, V, kNoTexts, 22, CircularOf<Token::Cotangent>},
    {"#sen", Token::Sine, W, V, kNoTexts, 10, CircularOf<Token::Sine>},
    {"sin", Token::Sine, W, V, kNoTexts, 10, CircularOf<Token::Sine>},
    {"cos", Token::Cosine, W, V, kNoTexts, 10, CircularOf<Token::Cosine>},
    {"tan", Token::Tangent, W, V, kNoTexts, 12, CircularOf<Token::Tangent>},
    {"#asn", Token::ArcSine, W, V, kNoTexts, 19, InverseCircular<ArcSin>},
    {"#acs", Token::ArcCosine, W, V, kNoTexts, 19, InverseCircular<ArcCos>},
    {"#atn", Token::ArcTangent, W, V, kNoTexts, 6, InverseCircular<PlatformArcTan>},
    {"#fix", Token::ReservedTruncate, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"fact", Token::Factorial, W, V, kNoTexts, 6, RoutineOf<Factorial>},
    {"cur", Token::CubeRoot, W, V, kNoTexts, 15, CubeRootOf},
    {"znor", Token::NormalInverse, W, V, kNoTexts, 4, RoutineOf<NormalInverse>},
    {"nor", Token::NormalLower, W, V, kNoTexts, 4, RoutineOf<NormalLower>},
    {"#NUY", Token::ReservedNuy, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"prim", Token::IsPrime, W, V, kNoTexts, 10, RoutineOf<IsPrime>},
    {"#moab", Token::AbsoluteBars, W, V, kNoTexts, 2, AbsoluteValue},
    {"#ecsg", Token::QuadraticEquation, W, T, kEveryText, kSolverUnits, EquationOf<SolveQuadratic>},
    {"#ectg", Token::CubicEquation, W, T, kEveryText, kSolverUnits, EquationOf<SolveCubic>},
    {"#modu", Token::ReservedModulus, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"#der", Token::ReservedDerivative, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"#itg", Token::ReservedIntegral, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"#nter", Token::ReservedInflection, W, R, kFirstText, kReservedUnits, NoOperation},
    {"#GAU", Token::ReservedGauss, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"#DET", Token::ReservedMatrixDeterminant, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"#inv", Token::ReservedMatrixInverse, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"#RANG", Token::ReservedMatrixRank, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"#TRA", Token::ReservedMatrixTranspose, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"#ADJ", Token::ReservedMatrixAdjugate, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"#Trim$", Token::ReservedTrimText, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"#LEN", Token::ReservedTextLength, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"#CHR$", Token::PowerOf2, W, V, kNoTexts, 14, PowerOf<2>},
    {"#STR$", Token::PowerOf3, W, V, kNoTexts, 14, PowerOf<3>},
    {"#UCASE$", Token::PowerOf4, W, V, kNoTexts, 14, PowerOf<4>},
    {"#LCASE$", Token::PowerOf5, W, V, kNoTexts, 14, PowerOf<5>},
    {"#ASC", Token::PowerOf6, W, V, kNoTexts, 14, PowerOf<6>},
    {"#VALF", Token::PowerOf7, W, V, kNoTexts, 14, PowerOf<7>},
    {"#VAL", Token::PowerOf8, W, V, kNoTexts, 14, PowerOf<8>},
    {"#hex$", Token::PowerOf9, W, V, kNoTexts, 14, PowerOf<9>},
    {"#space$", Token::ReservedSpaces, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"#dms$", Token::ReservedAngleText, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"#vla", Token::ReservedVariableList, W, R, kNoTexts, kReservedUnits, NoOperation},
    {"mie", Token::MeanInterval, C, L(4, 4), kNoTexts, 20, OfFour<MeanIntervalEstimation>},
    {"rie", Token::RateInterval, C, L(3, 3), kNoTexts, 20, OfThree<RateIntervalEstimation>},
    {"ncr", Token::Combinations, C, L(2, 2), kNoTexts, 30, OfTwo<Combinations>},
    {"npr", Token::Permutations, C, L(2, 2), kNoTexts, 30, OfTwo<Permutations>},
    {"pol", Token::RectangularToPolar, C, L(2, 2), kNoTexts, 35, OfTwo<RectangularToPolar>},
    {"rec", Token::PolarToRectangular, C, L(2, 2), kNoTexts, 40, OfTwo<PolarToRectangular>},
    {"juld", Token::JulianDay, C, L(3, 6), kNoTexts, 60, JulianDayOf},
    {"bin", Token::Binomial, C, L(3, 3), kNoTexts, 30, OfThree<BinomialProbability>},
    {"#simp", Token::ReservedSimpson, C, R, kFirstText, kReservedUnits, NoOperation},
    {"#ddx", Token::ReservedDerivativeAt, C, R, kFirstText, kReservedUnits, NoOperation},
    {"lcm", Token::LeastCommonMultiple, C, L(2, 10), kNoTexts, 10, Folded<LeastCommonMultiple>},
    {"#dsdxs", Token::ReservedSecondDerivativeAt, C, R, kFirstText, kReservedUnits, NoOperation},
    {"gcm", Token::GreatestCommonDivisor, C, L(2, 10), kNoTexts, 10, Folded<Gcd>},
    {"solve", Token::SolveOnInterval, C, L(3, 4), kFirstText, kSolverUnits, SolveOn},
    {"#sdxd", Token::LinearSystem2, C, L(2, 2), kEveryText, kSolverUnits, System2},
    {"#stxt", Token::LinearSystem3, C, L(3, 3), kEveryText, kSolverUnits, System3},
    {"#max", Token::ReservedMaximum, C, R, kFirstText, kReservedUnits, NoOperation},
    {"#min", Token::ReservedMinimum, C, R, kFirstText, kReservedUnits, NoOperation},
    {"#inf", Token::ReservedInflection, C, R, kFirstText, kReservedUnits, NoOperation},
    {"#retg", Token::ReservedRectangleRule, C, R, kFirstText, kReservedUnits, NoOperation},
    {"#reno", Token::ReservedReno, C, R, kFirstText, kReservedUnits, NoOperation},
    {"#tvm", Token::ReservedMoneyValue, C, R, kFirstText, kReservedUnits, NoOperation},
    {"#eva", Token::ReservedEvaluateText, C, R, kFirstText, kReservedUnits, NoOperation},
    {"lgb", Token::LogToBase, C, L(2, 2), kNoTexts, 20, LogToBaseOf},
    {"#dettxt", Token::Determinant3, C, L(9, 9), kNoTexts, 40, DeterminantOf},
    {"#graph", Token::ReservedGraph, C, R, kFirstText, kReservedUnits, NoOperation},
    {"#sumat", Token::ReservedSum, C, R, kFirstText, kReservedUnits, NoOperation},
}};

static_assert(CoversFunctionCodes(kFunctions));
static_assert(KeepsOrderRule(kFunctions));
static_assert(OneFunctionPerToken(kFunctions));
static_assert(RowsFitTogether(kFunctions));
static_assert(NamesCanBeTyped(kFunctions));

// Each code's first row, as an index into the table (kNoRow: none).
constexpr unsigned char kNoRow = 255;
static_assert(kFunctionCount < kNoRow);
constexpr std::array<unsigned char, 256> kRowOfCode = [] {
  std::array<unsigned char, 256> rows{};
  rows.fill(kNoRow);
  for (size_t i = kFunctions.size(); i-- > 0;)
    rows[static_cast<size_t>(CodeOf(kFunctions[i].token))] = static_cast<unsigned char>(i);
  return rows;
}();

}  // namespace

std::span<const FunctionRow> FunctionTable() { return kFunctions; }

const FunctionRow* FunctionOf(int code) {
  if (code < 0 || code > 255) return nullptr;
  const unsigned char row = kRowOfCode[static_cast<size_t>(code)];
  return row == kNoRow ? nullptr : &kFunctions[row];
}

}  // namespace tarvo
