// Error numbers and their messages. An error number is the index of its
// message; a message without the word "error" is a notice (shown in green).
#pragma once

#include <string_view>

namespace tarvo {

enum ErrorNumber : int {
  kNoError = 0,
  kErrUnknown = 1,             // every run-time fault but overflow and division by zero
  kErrInternal = 2,            // a token or operator that has no operation
  kErrSyntax = 3,              // malformed number, missing operand, unbalanced call
  kErrTooComplex = 4,          // not raised
  kErrOutOfRange = 5,          // domain error of a function or routine
  kErrOverflow = 6,            // overflow, 0 to a negative power, root of index 0
  kErrParenOpen = 7,           // an opening bar or bracket left open
  kErrParenClosed = 8,         // more ")" than "("
  kErrSubscript = 9,           // not raised
  kErrDeterminantNull = 10,    // not raised
  kErrDivisionByZero = 11,     // division by zero, tangent-type results beyond 1E15
  kErrZeroToZero = 12,         // 0^0
  kErrConstant = 19,           // assignment to e
  kErrUnknownVariable = 20,    // assignment to something that is not a..z
  kErrTooManyVariables = 21,   // not raised
  kErrTooManyEquations = 23,   // more than 9 equation texts, more than 16 argument lists
  kErrArgumentCount = 24,      // a list function with the wrong number of arguments
  kErrEquationInvalid = 27,    // a solver's equation is not of the expected shape
  kNoticeNoSolution = 33,      // no unique solution
  kNoticeMoreValues = 34,      // more roots than variables to hold them
  kNoticeComplex = 35,         // not raised
  kErrCalculationTooLong = 41, // the entry used up its work budget
  kErrEntryTooLong = 42,       // the entry is longer than kMaxEntryLength
};

inline constexpr int kErrorMessageCount = 43;

// The longest entry either front end takes, in characters (one byte each in
// the token string): what the window's entry line holds. A longer entry is
// refused whole, before any work.
inline constexpr int kMaxEntryLength = 32767;

// The message of an error number; the empty text for numbers without one
// (32, 36..40) and for any number outside 0..42.
std::string_view ErrorMessage(int code);

// True when the message of `code` is a notice rather than an error: it is
// not empty and its lower-cased text does not contain "error".
bool IsNotice(int code);

}  // namespace tarvo
