// Helpers for the evaluator's tests: evaluate a readable token string in an
// angle unit and compare results the way the tables state them.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/eval/evaluate.h"
#include "engine/state.h"
#include "tests/base/test_support.h"

namespace tarvo::test {

enum class Unit { Rad, Deg, Gra };

inline double FactorOf(Unit unit) {
  const double pi = EngineState{}.Pi;
  switch (unit) {
    case Unit::Deg: return 180 / pi;
    case Unit::Gra: return 200 / pi;
    default: return 1.0;
  }
}

struct Outcome {
  double value;
  int error;
};

// A fresh calculation: ErrorCode cleared, the angle unit set, then Evaluate.
inline Outcome Calc(Engine& engine, std::string_view readable, Unit unit = Unit::Rad) {
  engine.ErrorCode = 0;
  engine.AngleFactor = FactorOf(unit);
  const double v = Evaluate(engine, Tok(readable));
  return {v, engine.ErrorCode};
}

// How a row's expected value is compared.
enum class Match {
  Exact,  // bit for bit (zeros forced by the engine, whole results)
  Ulps,   // within 4 units in the last place
  Near,   // within 1E-12 relative
};

inline void ExpectValue(double expected, double actual, Match match) {
  switch (match) {
    case Match::Exact: EXPECT_EQ(expected, actual); break;
    case Match::Ulps: EXPECT_DOUBLE_EQ(expected, actual); break;
    case Match::Near:
      EXPECT_NEAR(expected, actual, 1e-12 * std::fmax(1.0, std::fabs(expected)));
      break;
  }
}

// One row of a table: a token string, its angle unit, and either a value
// (error 0) or an error number (value 0).
struct Row {
  const char* name;
  const char* tokens;
  Unit unit;
  double expected;
  int error;
  Match match = Match::Ulps;
};

inline void CheckRow(Engine& engine, const Row& row) {
  SCOPED_TRACE(std::string(row.name) + ": " + row.tokens);
  const Outcome out = Calc(engine, row.tokens, row.unit);
  EXPECT_EQ(row.error, out.error);
  if (row.error == 0) {
    ExpectValue(row.expected, out.value, row.match);
  } else {
    EXPECT_EQ(0.0, out.value);
  }
}

}  // namespace tarvo::test
