// The evaluator's inside: the argument lists that multi-argument calls build,
// the application of a function token to its operand, and the checks that
// turn a faulty floating-point result into the calculator's error numbers.
// Private to the engine (and its tests).
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

// Replaces `value` (the operand of the function token `code`) by the
// function's result, as its row says (engine/eval/functions.h): a list
// function's list number is checked (a fault, 1) and its argument count (24)
// before the function applies. Failure: ErrorCode set, `value` of no interest.
void Apply(Engine& engine, int code, double& value, const ArgumentLists& lists);

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
