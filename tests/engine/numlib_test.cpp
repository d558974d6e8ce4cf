// The numeric library's routines called directly, for what typed entries
// cannot show: NaN and infinite arguments, an error left over from before
// (most routines clear it, IsPrime and JulianDay keep it), what a refused
// call leaves in the variables.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/errors.h"
#include "engine/numlib/numlib.h"
#include "engine/state.h"
#include "tests/base/test_support.h"

namespace tarvo::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

using Numlib = FreshEngine;

// A routine call as a table entry.
#define CALL(expr) [](Engine& e) { return expr; }

// Each call starts with error 33 left over from before.
TEST_F(Numlib, OddArgumentsAndAStaleError) {
  struct Call {
    double (*call)(Engine&);
    double expected;
    int error;
  };
  const Call calls[] = {
      {CALL(ArcSin(e, kNaN)), 0, 5}, {CALL(ArcCos(e, 0)), M_PI / 2, 0}, {CALL(ArgSinh(e, 0)), 0, 0},
      {CALL(Factorial(e, kNaN)), 0, 5}, {CALL(Factorial(e, 1e300)), 0, 6}, {CALL(Factorial(e, 5)), 120, 0},
      {CALL(Combinations(e, kNaN, 1)), 0, 5}, {CALL(Combinations(e, 5, kNaN)), 0, 5},
      {CALL(Permutations(e, 1, 1)), 1, 0}, {CALL(Gcd(e, kInf, 2)), 0, 5}, {CALL(Gcd(e, kNaN, 2)), 0, 5},
      {CALL(Gcd(e, 0, 0)), 0, 0}, {CALL(IsPrime(e, kNaN)), 0, 5}, {CALL(IsPrime(e, 13)), 1, 33},
      {CALL(NormalLower(e, kNaN)), 0, 1}, {CALL(NormalInverse(e, kNaN)), 0, 5},
      {CALL(BinomialProbability(e, 4, kNaN, 1)), 0, 5}, {CALL(JulianDay(e, 1, 1, kNaN, 0)), 0, 5},
      {CALL(JulianDay(e, kNaN, 1, 2000, 0)), 0, 1}, {CALL(JulianDay(e, 1, 1, 2000, kNaN)), 0, 1},
      {CALL(JulianDay(e, 1, 1, 2000, kInf)), 0, 6}, {CALL(JulianDay(e, 1, 1, 2000, 12)), 2451545, 33},
      {CALL(PolarToRectangular(e, 1, kNaN)), 0, 1}, {CALL(PolarToRectangular(e, 1, kInf)), 0, 1},
      {CALL(RectangularToPolar(e, kNaN, 1)), 0, 1},
      {CALL(MeanIntervalEstimation(e, 100, 50, 10, 0.95)), 48.040032, 0},
      {CALL(RateIntervalEstimation(e, 100, 0.5, 0.95)), 0.4020016, 0},
  };
  for (size_t i = 0; i < std::size(calls); ++i) {
    engine.ErrorCode = kNoticeNoSolution;
    const double got = calls[i].call(engine);
    EXPECT_EQ(calls[i].error, engine.ErrorCode) << "row " << i;
    EXPECT_NEAR(calls[i].expected, got, 1e-9) << "row " << i;
  }
}

// A refused call writes no variable; a successful one writes only its own.
TEST_F(Numlib, VariablesWrittenByTheRoutines) {
  const auto refused = [this](const char* name, double (*call)(Engine&)) {
    engine.Reset();
    engine.VariableStore = {};
    engine.VariableStore[0] = 111;  // a
    engine.VariableStore[23] = 77;  // x
    EXPECT_TRUE(call(engine) == 0 && engine.ErrorCode != 0) << name;
    EXPECT_TRUE(engine.VariableStore[0] == 111 && engine.VariableStore[23] == 77) << name;
    EXPECT_TRUE(engine.DefinedFlag[0] == kUndefined && engine.DefinedFlag[23] == kUndefined) << name;
  };
  refused("mie level 1", CALL(MeanIntervalEstimation(e, 100, 50, 10, 1)));
  refused("rie rate 1.5", CALL(RateIntervalEstimation(e, 100, 1.5, 0.95)));
  refused("rec negative", CALL(PolarToRectangular(e, -1, 0)));
  refused("pol overflow", CALL(RectangularToPolar(e, 1e200, 1)));
  engine.Reset();
  engine.VariableStore[2] = 5;
  engine.DefinedFlag[2] = kDefined;
  MeanIntervalEstimation(engine, 100, 50, 10, 0.95);
  EXPECT_EQ(5, engine.VariableStore[2]);
  EXPECT_EQ(kDefined, engine.DefinedFlag[2]);
  EXPECT_EQ(kDefined, engine.DefinedFlag[1]);
  EXPECT_EQ(std::exp(1.0), engine.VariableStore[4]);
}

}  // namespace
}  // namespace tarvo::test
