// Error numbers, their messages, and the one way an error is recorded. An
// error number is the index of its message; a message without the word
// "error" is a notice (shown in green).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvo {

struct EngineState;

enum class ErrorNumber : std::int32_t {
  kNone = 0,
  kUnknown = 1,              // every run-time fault but overflow and division by zero
  kInternal = 2,             // a token or operator that has no operation
  kSyntax = 3,               // malformed number, missing operand, unbalanced call
  kTooComplex = 4,           // the entry ran out of memory
  kOutOfRange = 5,           // domain error of a function or routine
  kOverflow = 6,             // overflow, 0 to a negative power, root of index 0
  kParenOpen = 7,            // an opening bar or bracket left open
  kParenClosed = 8,          // more ")" than "("
  kSubscript = 9,            // not raised
  kDeterminantNull = 10,     // not raised
  kDivisionByZero = 11,      // division by zero, tangent-type results beyond 1E15
  kZeroToZero = 12,          // 0^0
  kConstant = 19,            // assignment to e
  kUnknownVariable = 20,     // assignment to something that is not a..z
  kTooManyVariables = 21,    // not raised
  kTooManyEquations = 23,    // more than 9 equation texts, more than 16 argument lists
  kArgumentCount = 24,       // a list function with the wrong number of arguments
  kEquationInvalid = 27,     // a solver's equation is not of the expected shape
  kNoSolution = 33,          // notice: no unique solution
  kMoreValues = 34,          // notice: more roots than variables to hold them
  kComplex = 35,             // notice, not raised
  kCalculationTooLong = 41,  // the entry used up its work budget
  kEntryTooLong = 42,        // the entry is longer than kMaxEntryLength
};

inline constexpr int kErrorMessageCount = 43;

// The longest entry either front end takes, in characters (one byte each in
// the token string): what the window's entry line holds. A longer entry is
// refused whole, before any work.
inline constexpr int kMaxEntryLength = 32767;

// The message of an error number; the empty text for numbers without one.
std::string_view ErrorMessage(ErrorNumber error);

// True when the message of `error` is a notice rather than an error: it is
// not empty and its lower-cased text does not contain "error".
bool IsNotice(ErrorNumber error);

// What Fail returns: the value a routine that fails hands back, whatever
// kind of value it returns (0 for a number, false for a step that reports
// success, the empty text), so that every check is one `return Fail(...)`.
struct FailedValue {
  constexpr operator double() const { return 0.0; }
  constexpr operator bool() const { return false; }
  operator std::string() const { return {}; }
};

// Records `error` as the engine's error code. The latest error recorded is
// the one the entry reports: a routine that fails after an inner one did
// reports its own number (a solver's 27 over the evaluator's 3 of a
// sample). Where the first fault must win instead (a chain of checked
// arithmetic, the reason an entry was abandoned), the caller keeps it and
// records it once.
FailedValue Fail(EngineState& state, ErrorNumber error);

}  // namespace tarvo
