// What the output keys never reach (the formats themselves are in
// formats.golden): RoundAtPlace's negative halves and faults beyond the
// double range, and the calendar beyond the date key's years.
#include <gtest/gtest.h>

#include <limits>

#include "engine/errors.h"
#include "engine/state.h"
#include "output/formats.h"

namespace tarvo {
namespace {

TEST(RoundAtPlace, RoundsHalvesUpwardAndFaultsBeyondTheRange) {
  const struct {
    double x;
    int place;
    double want;
    int error;
  } rows[] = {
      {2.5, -1, 3, 0},          {-2.5, -1, -2, 0},   {2.49, -1, 2, 0},
      {0.00005, -5, 0.0001, 0}, {-1.26, -2, -1.3, 0}, {1e308, -5, 0, kErrUnknown},
      {std::numeric_limits<double>::quiet_NaN(), -1, 0, kErrUnknown},
  };
  for (const auto& r : rows) {
    Engine engine;
    engine.ErrorCode = kErrSyntax;  // cleared by every call
    EXPECT_DOUBLE_EQ(RoundAtPlace(engine, r.x, r.place), r.want) << r.x;
    EXPECT_EQ(engine.ErrorCode, r.error) << r.x;
  }
}

TEST(FormatJulianDate, WritesPlainNumbersBeyondTheCalendar) {
  EXPECT_EQ(FormatJulianDate(2488069.5), "Friday, January 1st, 2100");
  EXPECT_EQ(FormatJulianDate(1e12), "1000000000000");
  EXPECT_EQ(FormatJulianDate(-1e300), "-1E+300");
}

}  // namespace
}  // namespace tarvo
