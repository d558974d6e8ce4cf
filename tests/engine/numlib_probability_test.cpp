#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/numlib/numlib.h"
#include "engine/state.h"
#include "tests/base/test_support.h"

namespace tarvo {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Row {
  const char* name;
  double x;
  double expected;
  double tolerance;
  int error;
};

using Probability = test::FreshEngine;

TEST_F(Probability, NormalLower) {
  const Row rows[] = {
      {"centre", 0, 0.5, 0, 0},
      {"1.4 by the series", 1.4, 0.919243340768627, 1e-12, 0},
      {"-1.96 by the series", -1.96, 0.0249978951833415, 1e-12, 0},
      {"just inside the series", 4.7099, 0.999998760747121, 1e-12, 0},
      {"first point of the tail fit", 4.71, 0.999998760060801, 1e-12, 0},
      {"negative tail", -4.71, 1.23993919932633e-06, 1e-17, 0},
      {"5 by the tail fit", 5, 0.999999713022985, 1e-14, 0},
      {"30 still by the tail fit", 30, 1, 0, 0},
      {"-30 still by the tail fit", -30, 4.90691327304175e-198, 1e-210, 0},
      {"above 30 is exactly 1", 31, 1, 0, 0},
      {"below -30 is exactly 0", -31, 0, 0, 0},
      // The partial sum crosses 0 after its first term here; the series must
      // not stop on that.
      {"where the first partial sum vanishes", -1.2533141373155, 0.105045702722, 1e-9, 0},
      {"tiny positive", 1e-12, 0.5 + 1e-12 / std::sqrt(2 * M_PI), 1e-15, 0},
      {"nan is a fault", kNaN, 0, 0, 1},
  };
  for (const Row& row : rows) {
    engine.ErrorCode = 33;
    const double got = NormalLower(engine, row.x);
    EXPECT_EQ(engine.ErrorCode, row.error) << row.name;
    EXPECT_NEAR(got, row.expected, row.tolerance) << row.name;
  }
}

TEST_F(Probability, NormalLowerIsSymmetricAcrossTheSeries) {
  for (double z = 0.05; z < 4.71; z += 0.37) {
    EXPECT_NEAR(NormalLower(engine, z) + NormalLower(engine, -z), 1.0, 2e-9) << z;
  }
}

TEST_F(Probability, NormalInverse) {
  const Row rows[] = {
      {"centre is exactly 0", 0.5, 0, 0, 0},
      {"0.92", 0.92, 1.405072, 1e-9, 0},
      {"0.975", 0.975, 1.959968, 1e-9, 0},
      {"0.025 searched from below", 0.025, -1.959956, 1e-9, 0},
      {"1E-4", 0.0001, -3.719012, 1e-9, 0},
      // The first grid below one half ends at -0.0799 (P = 0.468158), short
      // of 0: above that the search goes on from 0.
      {"0.4681 found on the first grid", 0.4681, -0.080044, 1e-9, 0},
      {"0.4682 past the first grid", 0.4682, -0.079792, 1e-9, 0},
      {"0.47", 0.47, -0.075264, 1e-9, 0},
      {"0.4999", 0.4999, -0.000248, 1e-9, 0},
      {"0.5318 mirrors 0.4682", 0.5318, 0.0798, 1e-9, 0},
      {"0.9999", 0.9999, 3.719024, 1e-9, 0},
      {"tiny p is -30", 1e-200, -30, 0, 0},
      {"2E-197 is still -30", 2e-197, -30, 0, 0},
      {"3E-197 is searched", 3e-197, -29.939732, 1e-9, 0},
      {"p near 1 is 9", 0.999999999999999, 9, 0, 0},
      {"zero refused", 0, 0, 0, 5},
      {"one refused", 1, 0, 0, 5},
      {"negative refused", -0.5, 0, 0, 5},
      {"above one refused", 1.5, 0, 0, 5},
      {"nan refused", kNaN, 0, 0, 5},
  };
  for (const Row& row : rows) {
    engine.ErrorCode = 33;
    const double got = NormalInverse(engine, row.x);
    EXPECT_EQ(engine.ErrorCode, row.error) << row.name;
    EXPECT_NEAR(got, row.expected, row.tolerance) << row.name;
  }
}

TEST_F(Probability, NormalInverseReachesPAtTheFinestGridPointOnly) {
  for (double p : {0.6, 0.8, 0.95, 0.3, 0.01, 0.4682, 0.47, 0.4999, 0.49999999}) {
    const double z = NormalInverse(engine, p);
    EXPECT_GE(NormalLower(engine, z), p) << p;
    EXPECT_LT(NormalLower(engine, z - 0.000008 * 1.01), p) << p;
  }
}

struct BinRow {
  const char* name;
  double n, p, r;
  double expected;
  int error;
};

TEST_F(Probability, BinomialProbability) {
  const BinRow rows[] = {
      {"half of ten", 10, 0.5, 5, 0.24609375, 0},
      {"no success with p 0 (0^0 is 1)", 3, 0, 0, 1, 0},
      {"all successes with p 1", 3, 1, 3, 1, 0},
      {"some successes with p 0", 3, 0, 1, 0, 0},
      {"one in six", 6, 1.0 / 6, 1, 0.401877572016461, 0},
      {"r above n", 10, 0.5, 11, 0, 5},
      {"r negative", 10, 0.5, -1, 0, 5},
      {"r fraction", 10, 0.5, 2.5, 0, 5},
      {"n zero", 0, 0.5, 0, 0, 5},
      {"n fraction", 4.5, 0.5, 1, 0, 5},
      {"p above 1", 4, 1.5, 1, 0, 5},
      {"p negative", 4, -0.1, 1, 0, 5},
      {"p nan", 4, kNaN, 1, 0, 5},
      {"n above 170 fails in Combinations", 171, 0.5, 1, 0, 5},
  };
  for (const BinRow& row : rows) {
    engine.ErrorCode = 33;
    const double got = BinomialProbability(engine, row.n, row.p, row.r);
    EXPECT_EQ(engine.ErrorCode, row.error) << row.name;
    EXPECT_NEAR(got, row.expected, 1e-14) << row.name;
  }
}

struct IntervalRow {
  const char* name;
  double n, centre, sd, level;  // sd unused for rates
  double lower, upper;
  int error;
};

TEST_F(Probability, MeanIntervalEstimation) {
  const IntervalRow rows[] = {
      {"95 percent", 100, 50, 10, 0.95, 48.040032, 51.959968, 0},
      {"zero spread", 4, 7, 0, 0.5, 7, 7, 0},
      {"level near 1 uses z = 9", 1, 0, 1, 0.999999999999999, -9, 9, 0},
      {"level 1 refused", 100, 50, 10, 1, 0, 0, 5},
      {"level 0 refused", 100, 50, 10, 0, 0, 0, 5},
      {"negative spread refused", 100, 50, -1, 0.9, 0, 0, 5},
      {"n fraction refused", 10.5, 50, 1, 0.9, 0, 0, 5},
      {"n zero refused", 0, 50, 1, 0.9, 0, 0, 5},
      {"margin beyond the double range is a fault", 1, 0, 1e308, 0.95, 0, 0, 1},
  };
  for (const IntervalRow& row : rows) {
    engine.Reset();
    engine.VariableStore[0] = 111;
    engine.VariableStore[1] = 222;
    engine.ErrorCode = 33;
    const double got = MeanIntervalEstimation(engine, row.n, row.centre, row.sd, row.level);
    EXPECT_EQ(engine.ErrorCode, row.error) << row.name;
    if (row.error == 0) {
      EXPECT_NEAR(got, row.lower, 1e-9) << row.name;
      EXPECT_NEAR(engine.VariableStore[0], row.lower, 1e-9) << row.name;
      EXPECT_NEAR(engine.VariableStore[1], row.upper, 1e-9) << row.name;
      EXPECT_EQ(engine.DefinedFlag[0], kDefined) << row.name;
      EXPECT_EQ(engine.DefinedFlag[1], kDefined) << row.name;
    } else {
      EXPECT_EQ(got, 0) << row.name;
      EXPECT_EQ(engine.VariableStore[0], 111) << row.name;
      EXPECT_EQ(engine.VariableStore[1], 222) << row.name;
      EXPECT_EQ(engine.DefinedFlag[0], kUndefined) << row.name;
    }
  }
}

TEST_F(Probability, RateIntervalEstimation) {
  const IntervalRow rows[] = {
      {"95 percent", 100, 0.5, 0, 0.95, 0.4020016, 0.5979984, 0},
      {"rate 0 has no spread", 100, 0, 0, 0.95, 0, 0, 0},
      {"rate 1 has no spread", 100, 1, 0, 0.95, 1, 1, 0},
      {"rate above 1 refused", 100, 1.5, 0, 0.95, 0, 0, 5},
      {"negative rate refused", 100, -0.1, 0, 0.95, 0, 0, 5},
      {"level 1 refused", 100, 0.5, 0, 1, 0, 0, 5},
      {"n fraction refused", 99.5, 0.5, 0, 0.95, 0, 0, 5},
  };
  for (const IntervalRow& row : rows) {
    engine.Reset();
    engine.VariableStore[0] = 111;
    engine.VariableStore[1] = 222;
    const double got = RateIntervalEstimation(engine, row.n, row.centre, row.level);
    EXPECT_EQ(engine.ErrorCode, row.error) << row.name;
    if (row.error == 0) {
      EXPECT_NEAR(got, row.lower, 1e-9) << row.name;
      EXPECT_NEAR(engine.VariableStore[0], row.lower, 1e-9) << row.name;
      EXPECT_NEAR(engine.VariableStore[1], row.upper, 1e-9) << row.name;
      EXPECT_EQ(engine.DefinedFlag[1], kDefined) << row.name;
    } else {
      EXPECT_EQ(engine.VariableStore[0], 111) << row.name;
      EXPECT_EQ(engine.VariableStore[1], 222) << row.name;
    }
  }
}

TEST_F(Probability, IntervalsLeaveOtherVariablesAlone) {
  engine.VariableStore[2] = 5;
  engine.DefinedFlag[2] = kDefined;
  MeanIntervalEstimation(engine, 100, 50, 10, 0.95);
  EXPECT_EQ(engine.VariableStore[2], 5);
  EXPECT_EQ(engine.DefinedFlag[2], kDefined);
  EXPECT_EQ(engine.VariableStore[4], std::exp(1.0));
}

}  // namespace
}  // namespace tarvo
