// Arithmetic that notices the faults a trapping runtime would have raised.
// IEEE arithmetic silently yields infinities and NaNs; the calculator's
// routines must instead stop with an error number, and the number depends on
// which fault came first (an overflow followed by inf - inf is still an
// overflow). Each operation therefore checks its own result and the first
// fault is kept.
#pragma once

#include <cmath>
#include <cstdint>

#include "engine/errors.h"

namespace tarvo {

class CheckedArith {
 public:
  // The first fault as the evaluator numbers it: 6 overflow, 11 division by
  // zero, 1 an invalid operation; kNone while none happened.
  ErrorNumber Fault() const { return fault_; }
  bool Failed() const { return fault_ != ErrorNumber::kNone; }

  double Add(double a, double b) { return Check(a + b); }
  double Sub(double a, double b) { return Check(a - b); }
  double Mul(double a, double b) { return Check(a * b); }
  double Div(double a, double b) {
    if (b == 0.0) {
      Record(ErrorNumber::kDivisionByZero);
      return 0.0;
    }
    return Check(a / b);
  }
  double Pow(double a, double b) { return Check(std::pow(a, b)); }
  double Sqrt(double a) { return Check(std::sqrt(a)); }
  // Any other result computed from finite operands.
  double Check(double r) {
    if (std::isnan(r)) Record(ErrorNumber::kUnknown);
    else if (std::isinf(r)) Record(ErrorNumber::kOverflow);
    return r;
  }
  // Round to nearest, halves to even, into 32 bits; beyond that range (or a
  // NaN) the conversion overflows.
  std::int32_t ToInt32(double v) {
    const double r = std::nearbyint(v);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) {
      Record(std::isnan(v) ? ErrorNumber::kUnknown : ErrorNumber::kOverflow);
      return 0;
    }
    return static_cast<std::int32_t>(r);
  }

 private:
  // The first fault wins: what follows an overflow (inf - inf) is its echo.
  void Record(ErrorNumber fault) {
    if (fault_ == ErrorNumber::kNone) fault_ = fault;
  }
  ErrorNumber fault_ = ErrorNumber::kNone;
};

inline bool IsWhole(double v) { return v == std::floor(v); }

}  // namespace tarvo
