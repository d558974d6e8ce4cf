// The evaluator's inside: the argument lists that multi-argument calls build,
// the application of a function token to its operand, and the checks that
// turn a faulty floating-point result into the calculator's error numbers.
// Private to engine/eval (and its tests).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "engine/tokens.h"

namespace tarvo {

class Engine;

inline constexpr int kArgumentListCount = 16;  // list numbers 1..16 per evaluation
inline constexpr int kMaxArguments = 10;       // arguments 0..9 per list

struct ArgumentList {
  std::array<double, kMaxArguments> Arguments{};
  std::int32_t LastIndex = 0;  // the argument count is LastIndex + 1
};

// Index k - 1 holds list number k.
using ArgumentLists = std::array<ArgumentList, kArgumentListCount>;

// Replaces `value` (the operand of the function token `code`, 128..226) by the
// function's result. A plain value, a list number or an equation-text slot
// number, as the code requires. Failure: ErrorCode set, `value` of no interest.
void Apply(Engine& engine, int code, double& value, const ArgumentLists& lists);

// What the computation of a function token's result costs in work units
// (see ChargeWork); the evaluator charges it before Apply. Routines with
// loops (factorials, divisor loops, primality, the normal distribution, the
// solvers) charge their steps themselves; the figure here is their fixed
// part, and Apply charges what depends on the operand (a huge angle).
constexpr long FunctionUnits(Token token) {
  switch (token) {
    case Token::LastAnswer: case Token::Pi: return 1;
    case Token::Negate: case Token::Floor: case Token::Absolute: case Token::AbsoluteBars: return 2;
    case Token::SquareRoot: return 3;
    case Token::Random: return 5;
    case Token::Exponential: return 7;
    case Token::NaturalLog: return 8;
    case Token::CommonLog: return 12;
    case Token::ArcTangent: return 6;
    case Token::ArcSine: case Token::ArcCosine: case Token::ArcCotangent: return 19;
    case Token::ArcCosecant: case Token::ArcSecant: return 21;
    case Token::Sine: case Token::Cosine: return 10;
    case Token::Tangent: case Token::Cosecant: case Token::Secant: return 12;
    case Token::Cotangent: return 22;
    case Token::HyperbolicSine: case Token::HyperbolicCosine: case Token::HyperbolicTangent:
    case Token::HyperbolicCosecant: case Token::HyperbolicSecant: case Token::HyperbolicCotangent:
      return 16;
    case Token::InverseHyperbolicSine: case Token::InverseHyperbolicCosine:
    case Token::InverseHyperbolicTangent: case Token::InverseHyperbolicCosecant:
    case Token::InverseHyperbolicSecant: case Token::InverseHyperbolicCotangent:
      return 9;
    case Token::CubeRoot: return 15;
    case Token::Factorial: return 6;
    case Token::IsPrime: return 10;
    case Token::NormalInverse: case Token::NormalLower: return 4;
    case Token::LeastCommonMultiple: case Token::GreatestCommonDivisor: return 10;
    case Token::Combinations: case Token::Permutations: case Token::Binomial: return 30;
    case Token::MeanInterval: case Token::RateInterval: return 20;
    case Token::RectangularToPolar: return 35;
    case Token::PolarToRectangular: return 40;
    case Token::JulianDay: return 60;
    case Token::LogToBase: return 20;
    case Token::Determinant3: return 40;
    case Token::QuadraticEquation: case Token::CubicEquation: case Token::SolveOnInterval:
    case Token::LinearSystem2: case Token::LinearSystem3:
      return 60;
    default: return token >= Token::PowerOf2 && token <= Token::PowerOf9 ? 14 : 1;
  }
}

// How an evaluation applies function tokens. Evaluate uses Apply; tests put a
// wrapper in between to re-enter the evaluator from inside an application.
using ApplyFunction = void (*)(Engine& engine, int code, double& value, const ArgumentLists& lists);

// Evaluate with the given applier (see evaluate.h for the contract).
double EvaluateWith(Engine& engine, std::string_view tokens, ApplyFunction apply);

// Fault checks ---------------------------------------------------------------
// Floating point does not trap: an overflow or an invalid operation quietly
// yields an infinity or a NaN, so each result is checked where it is made.
// Operands are always finite (every stored value passed the check), so an
// infinity is an overflow and a NaN an invalid operation.

// True when r is finite; otherwise sets ErrorCode (6 infinity, 1 NaN).
bool ResultOk(Engine& engine, double r);

// x / y with the division fault: y == 0 sets ErrorCode 11. True on success.
bool CheckedDivide(Engine& engine, double x, double y, double& out);

// A whole number for "\", MOD and the n-th root: nearest, halves to even.
// Outside the 32-bit range it is an overflow (ErrorCode 6, false).
bool ToInt32(Engine& engine, double x, std::int32_t& out);

}  // namespace tarvo
