// Helpers for the evaluator's tests: evaluate a readable token string in an
// angle unit and check table rows of {tokens, value or error}.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "engine/errors.h"
#include "engine/eval/evaluate.h"
#include "engine/state.h"
#include "tests/base/test_support.h"

namespace tarvo::test {

struct Outcome {
  double value;
  ErrorNumber error;
};

// A fresh calculation: ErrorCode cleared, radians or degrees, then Evaluate.
inline Outcome Calc(Engine& engine, std::string_view readable, bool degrees = false) {
  engine.ErrorCode = ErrorNumber::kNone;
  engine.AngleFactor = degrees ? 180 / engine.Pi : 1.0;
  const double v = Evaluate(engine, Tok(readable));
  return {v, engine.ErrorCode};
}

// A token string and either its value (no error) or its error (value 0).
struct Row {
  std::string tokens;
  double expected;
  ErrorNumber error = ErrorNumber::kNone;
};

inline void CheckRows(Engine& engine, std::initializer_list<Row> rows) {
  for (const Row& row : rows) {
    const Outcome out = Calc(engine, row.tokens);
    EXPECT_EQ(row.error, out.error) << row.tokens;
    EXPECT_DOUBLE_EQ(row.error == ErrorNumber::kNone ? row.expected : 0.0, out.value) << row.tokens;
  }
}

}  // namespace tarvo::test
