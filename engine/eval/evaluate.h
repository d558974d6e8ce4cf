// The evaluator: one token string in, one double out.
#pragma once

#include <cstdint>
#include <string_view>

namespace tarvo {

class Engine;

// Value of a token string (which ends with ":"). Returns 0 at once, ErrorCode
// kept, when entered with a non-zero ErrorCode. Re-entrant: every call has its
// own stacks and argument lists (the solvers call it from inside a call).
// Every fault ends in an error number: 6 overflow (also a "\" or MOD operand
// beyond 32 bits), 11 division by zero, 1 any other fault (NaN, stack or list
// beyond its fixed size, list or slot number out of range), 3 a malformed
// string (including one that ends without its ":", a ")" with no "(" open, or
// a ":" inside an open group), plus the numbers of the functions it applies.
// The outermost evaluation of an entry starts with a fresh work budget that
// every evaluation inside it shares; once spent, every evaluation and
// routine still running fails at once and the outermost one ends with 41.
double Evaluate(Engine& engine, std::string_view tokens);

// Takes `units` of work from the running entry's budget: false, with
// ErrorCode 41 (or 1 once the solvers nested too deep), when the entry has
// no more; the caller stops its loop and returns. Free outside any
// evaluation (the output formats call some routines). A unit is meant as
// about a nanosecond of a release build: each step is charged, by counting
// and never by the clock, what it costs relative to the others, so an entry
// ends the same way on every machine. bench/ spends the whole budget on
// each kind of work (Limit/spent_on_...: its budget_s counter is how long
// the budget lasts there) to keep the charges honest.
bool ChargeWork(Engine& engine, long units);

// Variables ---------------------------------------------------------------

// Every value of a..z becomes 0 and undefined; then e := exp(1), defined.
void ClearVariables(Engine& engine);

// Stores value in the one-letter variable `target` (already lower-cased):
// 20 when target is not a..z, 19 for e; otherwise stores and marks defined.
void AssignVariable(Engine& engine, char target, double value);

// A routine's write of a result variable: value and defined-flag -1.
void SetVariable(Engine& engine, char letter, double value);

}  // namespace tarvo
