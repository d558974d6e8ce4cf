// The numeric library's routines called directly, for what typed entries
// cannot show: NaN and infinite arguments, an error left over from before
// (most routines clear it, IsPrime and JulianDay keep it), what a refused
// call leaves in the variables, and the normal-inverse search grid.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
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

TEST_F(Numlib, OddArgumentsAndAStaleError) {
  struct Call {
    const char* name;
    std::function<double(Engine&)> call;
    double expected;
    int error;
  };
  const Call calls[] = {
      {"ArcSin NaN", [](Engine& e) { return ArcSin(e, kNaN); }, 0, kErrOutOfRange},
      {"ArcCos 0", [](Engine& e) { return ArcCos(e, 0); }, M_PI / 2, 0},
      {"ArgSinh 0", [](Engine& e) { return ArgSinh(e, 0); }, 0, 0},
      {"Factorial NaN", [](Engine& e) { return Factorial(e, kNaN); }, 0, kErrOutOfRange},
      {"Factorial 1E300", [](Engine& e) { return Factorial(e, 1e300); }, 0, kErrOverflow},
      {"Factorial 5", [](Engine& e) { return Factorial(e, 5); }, 120, 0},
      {"Combinations NaN n", [](Engine& e) { return Combinations(e, kNaN, 1); }, 0, kErrOutOfRange},
      {"Combinations NaN r", [](Engine& e) { return Combinations(e, 5, kNaN); }, 0, kErrOutOfRange},
      {"Permutations 1 of 1", [](Engine& e) { return Permutations(e, 1, 1); }, 1, 0},
      {"Gcd infinite", [](Engine& e) { return Gcd(e, kInf, 2); }, 0, kErrOutOfRange},
      {"Gcd NaN", [](Engine& e) { return Gcd(e, kNaN, 2); }, 0, kErrOutOfRange},
      {"Gcd 0, 0", [](Engine& e) { return Gcd(e, 0, 0); }, 0, 0},
      {"IsPrime NaN", [](Engine& e) { return IsPrime(e, kNaN); }, 0, kErrOutOfRange},
      {"IsPrime keeps the error", [](Engine& e) { return IsPrime(e, 13); }, 1, kNoticeNoSolution},
      {"NormalLower NaN", [](Engine& e) { return NormalLower(e, kNaN); }, 0, kErrUnknown},
      {"NormalInverse NaN", [](Engine& e) { return NormalInverse(e, kNaN); }, 0, kErrOutOfRange},
      {"Binomial NaN p", [](Engine& e) { return BinomialProbability(e, 4, kNaN, 1); }, 0, kErrOutOfRange},
      {"JulianDay NaN year", [](Engine& e) { return JulianDay(e, 1, 1, kNaN, 0); }, 0, kErrOutOfRange},
      {"JulianDay NaN day", [](Engine& e) { return JulianDay(e, kNaN, 1, 2000, 0); }, 0, kErrUnknown},
      {"JulianDay NaN hours", [](Engine& e) { return JulianDay(e, 1, 1, 2000, kNaN); }, 0, kErrUnknown},
      {"JulianDay infinite hours", [](Engine& e) { return JulianDay(e, 1, 1, 2000, kInf); }, 0, kErrOverflow},
      {"JulianDay keeps the error", [](Engine& e) { return JulianDay(e, 1, 1, 2000, 12); }, 2451545, kNoticeNoSolution},
      {"PolarToRectangular NaN", [](Engine& e) { return PolarToRectangular(e, 1, kNaN); }, 0, kErrUnknown},
      {"PolarToRectangular infinite", [](Engine& e) { return PolarToRectangular(e, 1, kInf); }, 0, kErrUnknown},
      {"RectangularToPolar NaN", [](Engine& e) { return RectangularToPolar(e, kNaN, 1); }, 0, kErrUnknown},
      {"MeanInterval 95%", [](Engine& e) { return MeanIntervalEstimation(e, 100, 50, 10, 0.95); }, 48.040032, 0},
      {"RateInterval 95%", [](Engine& e) { return RateIntervalEstimation(e, 100, 0.5, 0.95); }, 0.4020016, 0},
  };
  for (const Call& c : calls) {
    engine.ErrorCode = kNoticeNoSolution;
    const double got = c.call(engine);
    EXPECT_EQ(c.error, engine.ErrorCode) << c.name;
    EXPECT_NEAR(c.expected, got, 1e-9) << c.name;
  }
}

// A refused call writes no variable; a successful one writes only its own.
TEST_F(Numlib, VariablesWrittenByTheRoutines) {
  const auto refused = [this](const char* name, const std::function<double(Engine&)>& call) {
    engine.Reset();
    engine.VariableStore = {};
    engine.VariableStore[0] = 111;  // a
    engine.VariableStore[23] = 77;  // x
    EXPECT_EQ(0.0, call(engine)) << name;
    EXPECT_NE(0, engine.ErrorCode) << name;
    EXPECT_EQ(111, engine.VariableStore[0]) << name;
    EXPECT_EQ(77, engine.VariableStore[23]) << name;
    EXPECT_EQ(kUndefined, engine.DefinedFlag[0]) << name;
    EXPECT_EQ(kUndefined, engine.DefinedFlag[23]) << name;
  };
  refused("mie level 1", [](Engine& e) { return MeanIntervalEstimation(e, 100, 50, 10, 1); });
  refused("rie rate 1.5", [](Engine& e) { return RateIntervalEstimation(e, 100, 1.5, 0.95); });
  refused("rec negative", [](Engine& e) { return PolarToRectangular(e, -1, 0); });
  refused("pol overflow", [](Engine& e) { return RectangularToPolar(e, 1e200, 1); });
  engine.Reset();
  engine.VariableStore[2] = 5;
  engine.DefinedFlag[2] = kDefined;
  MeanIntervalEstimation(engine, 100, 50, 10, 0.95);
  EXPECT_EQ(5, engine.VariableStore[2]);
  EXPECT_EQ(kDefined, engine.DefinedFlag[2]);
  EXPECT_EQ(kDefined, engine.DefinedFlag[1]);
  EXPECT_EQ(std::exp(1.0), engine.VariableStore[4]);
}

// The inverse stops at the first grid point of step 8E-6 whose probability
// reaches p; across the series both tails add up to 1.
TEST_F(Numlib, NormalInverseAndSymmetry) {
  for (double p : {0.6, 0.8, 0.95, 0.3, 0.01, 0.4682, 0.47, 0.4999, 0.49999999}) {
    const double z = NormalInverse(engine, p);
    EXPECT_GE(NormalLower(engine, z), p) << p;
    EXPECT_LT(NormalLower(engine, z - 0.000008 * 1.01), p) << p;
  }
  for (double z = 0.05; z < 4.71; z += 0.37)
    EXPECT_NEAR(1.0, NormalLower(engine, z) + NormalLower(engine, -z), 2e-9) << z;
}

}  // namespace
}  // namespace tarvo::test
