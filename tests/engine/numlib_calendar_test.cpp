#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/numlib/numlib.h"
#include "engine/state.h"
#include "tests/base/test_support.h"

namespace tarvo {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kDegrees = 180 / (4 * 0.78539816339744828);  // 180/pi

struct JulianRow {
  const char* name;
  double day, month, year, hours;
  double expected;
  int error;
};

using JulianDays = test::FreshEngine;

TEST_F(JulianDays, DatesAndTimes) {
  const JulianRow rows[] = {
      {"31 December 1998", 31, 12, 1998, 0, 2451178.5, 0},
      {"12 March 2007", 12, 3, 2007, 0, 2454171.5, 0},
      {"noon of 1 January 2000", 1, 1, 2000, 12, 2451545, 0},
      {"first accepted day", 1, 1, 1900, 0, 2415020.5, 0},
      {"last accepted day", 31, 12, 2099, 0, 2488068.5, 0},
      {"quarter hour", 1, 1, 2000, 0.25, 2451544.5 + 0.25 / 24, 0},
      {"29 February of a common year is 1 March", 29, 2, 2001, 0, 2451969.5, 0},
      {"29 February 2000 stays", 29, 2, 2000, 0, 2451603.5, 0},
      {"29 February 1900 is 1 March", 29, 2, 1900, 0, 2415079.5, 0},
      {"30 February is 1 March", 30, 2, 2007, 0, 2454160.5, 0},
      {"31 April is 1 May", 31, 4, 2007, 0, 2454221.5, 0},
      {"31 September is 1 October", 31, 9, 2007, 0, 2454374.5, 0},
      {"32 January is 1 February", 32, 1, 2007, 0, 2454132.5, 0},
      {"month 13 is January of the next year", 1, 13, 2007, 0, 2454466.5, 0},
      {"month 0 is December of the year before", 1, 0, 2007, 0, 2454070.5, 0},
      {"day 0 counts back into the month before", 0, 3, 2007, 0, 2454159.5, 0},
      {"day 32 of December moves into 1900", 32, 12, 1899, 0, 2415020.5, 0},
      {"month 25 folds twice", 1, 25, 2005, 0, 2454101.5, 0},
      {"month 40 carries on past the folds", 1, 40, 2001, 0, 2453096.5, 0},
      {"halves of days round to even", 2.5, 1, 2000, 0, 2451545.5, 0},
      {"a year fraction below 1900 is refused", 1, 1, 1899.9, 0, 0, 5},
      {"1899", 1, 1, 1899, 0, 0, 5},
      {"2100", 1, 1, 2100, 0, 0, 5},
      {"day 32 of December 2099 moves into 2100", 32, 12, 2099, 0, 0, 5},
      {"nan year", 1, 1, kNaN, 0, 0, 5},
      {"leap test of a year beyond 32 bits overflows", 29, 2, 1e10, 0, 0, 6},
      {"day beyond 32 bits overflows", 1e10, 1, 2000, 0, 0, 6},
      {"nan day", kNaN, 1, 2000, 0, 0, 1},
      {"nan hours", 1, 1, 2000, kNaN, 0, 1},
      {"hours beyond the double range", 1, 1, 2000, 1e308 * 10, 0, 6},
  };
  for (const JulianRow& row : rows) {
    engine.ErrorCode = 0;
    const double got = JulianDay(engine, row.day, row.month, row.year, row.hours);
    EXPECT_EQ(engine.ErrorCode, row.error) << row.name;
    EXPECT_DOUBLE_EQ(got, row.expected) << row.name;
  }
}

TEST_F(JulianDays, LeavesAnEarlierErrorAloneOnSuccess) {
  engine.ErrorCode = 33;
  EXPECT_EQ(JulianDay(engine, 1, 1, 2000, 12), 2451545);
  EXPECT_EQ(engine.ErrorCode, 33);
}

struct CoordRow {
  const char* name;
  double p, q;          // r, angle for rec; x, y for pol
  double angleFactor;   // 1 radians, kDegrees degrees
  double first, second; // x, y for rec; r, a for pol
  int error;
};

using Coordinates = test::FreshEngine;

TEST_F(Coordinates, PolarToRectangular) {
  const CoordRow rows[] = {
      {"right angle in degrees gives x exactly 0", 2, 90, kDegrees, 0, 2, 0},
      {"straight angle in degrees gives y exactly 0", 3, 180, kDegrees, -3, 0, 0},
      {"45 degrees", std::sqrt(2.0), 45, kDegrees, 1, 1, 0},
      {"radians", 2, 0.5, 1, 2 * std::cos(0.5), 2 * std::sin(0.5), 0},
      {"zero distance", 0, 30, kDegrees, 0, 0, 0},
      // x/s compares against the squared distance: with r = 1E-8 a
      // coordinate of 1E-24 is not negligible.
      {"tiny distance keeps its digits", 1e-8, 90, kDegrees, 1e-8 * std::cos(M_PI / 2), 1e-8, 0},
      {"negative distance", -1, 0, kDegrees, 0, 0, 5},
      {"squared distance overflows", 1e200, 0.3, 1, 0, 0, 1},
      {"nan angle", 1, kNaN, 1, 0, 0, 1},
      {"infinite angle", 1, std::numeric_limits<double>::infinity(), 1, 0, 0, 1},
  };
  for (const CoordRow& row : rows) {
    engine.Reset();
    engine.AngleFactor = row.angleFactor;
    engine.VariableStore[23] = 77;
    const double got = PolarToRectangular(engine, row.p, row.q);
    EXPECT_EQ(engine.ErrorCode, row.error) << row.name;
    if (row.error != 0) {
      EXPECT_EQ(got, 0) << row.name;
      EXPECT_EQ(engine.VariableStore[23], 77) << row.name;
      EXPECT_EQ(engine.DefinedFlag[23], kUndefined) << row.name;
      continue;
    }
    EXPECT_NEAR(got, row.first, 1e-14) << row.name;
    EXPECT_EQ(engine.VariableStore[23], got) << row.name;
    EXPECT_NEAR(engine.VariableStore[24], row.second, 1e-14) << row.name;
    EXPECT_EQ(engine.DefinedFlag[23], kDefined) << row.name;
    EXPECT_EQ(engine.DefinedFlag[24], kDefined) << row.name;
  }
}

TEST_F(Coordinates, ExactZerosAreExact) {
  engine.AngleFactor = kDegrees;
  EXPECT_EQ(PolarToRectangular(engine, 2, 90), 0.0);
  EXPECT_EQ(engine.VariableStore[24], 2.0);
  EXPECT_EQ(PolarToRectangular(engine, 5, 270), 0.0);
  EXPECT_EQ(engine.VariableStore[24], -5.0);
}

TEST_F(Coordinates, RectangularToPolar) {
  const CoordRow rows[] = {
      {"first quadrant", 1, 1, kDegrees, std::sqrt(2.0), 45, 0},
      {"third quadrant is 225, not -135", -1, -1, kDegrees, std::sqrt(2.0), 225, 0},
      {"second quadrant", -1, 1, kDegrees, std::sqrt(2.0), 135, 0},
      {"fourth quadrant is negative", 1, -1, kDegrees, std::sqrt(2.0), -45, 0},
      {"negative y axis", 0, -3, kDegrees, 3, -90, 0},
      {"positive y axis", 0, 3, kDegrees, 3, 90, 0},
      {"negative x axis", -2, 0, kDegrees, 2, 180, 0},
      {"origin", 0, 0, kDegrees, 0, 0, 0},
      {"radians", 3, 4, 1, 5, std::atan(4.0 / 3), 0},
      {"gradients", 0, 1, 200 / M_PI, 1, 100, 0},
      {"squares overflow", 1e200, 1, kDegrees, 0, 0, 1},
      {"y over x overflows", 1e-300, 1e300, kDegrees, 0, 0, 1},
      {"nan", kNaN, 1, kDegrees, 0, 0, 1},
  };
  for (const CoordRow& row : rows) {
    engine.Reset();
    engine.AngleFactor = row.angleFactor;
    engine.VariableStore[0] = 77;
    const double got = RectangularToPolar(engine, row.p, row.q);
    EXPECT_EQ(engine.ErrorCode, row.error) << row.name;
    if (row.error != 0) {
      EXPECT_EQ(got, 0) << row.name;
      EXPECT_EQ(engine.VariableStore[0], 77) << row.name;
      EXPECT_EQ(engine.DefinedFlag[17], kUndefined) << row.name;
      continue;
    }
    EXPECT_NEAR(got, row.first, 1e-14) << row.name;
    EXPECT_EQ(engine.VariableStore[17], got) << row.name;
    EXPECT_NEAR(engine.VariableStore[0], row.second, 1e-12) << row.name;
    EXPECT_EQ(engine.DefinedFlag[17], kDefined) << row.name;
    EXPECT_EQ(engine.DefinedFlag[0], kDefined) << row.name;
  }
}

}  // namespace
}  // namespace tarvo
