// The fractions format's searches report a failure by their value: a
// rounding that overflows gives nothing, and the search falls back to the
// value over 1 (the typed formats are in formats.golden).
#include <gtest/gtest.h>

#include <limits>
#include <optional>

#include "output/formats.h"

namespace tarvo {
namespace {

TEST(Fractions, RoundingAndSearchesReportFailureByValue) {
  const double kNaN = std::numeric_limits<double>::quiet_NaN();
  const struct {
    double x;
    int place;
    std::optional<double> want;
  } roundings[] = {
      {2.5, -1, 3}, {-2.5, -1, -2}, {0.123456, -5, 0.1235}, {0.00004, -5, 0},
      {1e300, -10, std::nullopt}, {-1e305, -5, std::nullopt}, {kNaN, -1, std::nullopt},
  };
  for (const auto& r : roundings) EXPECT_EQ(RoundAtPlace(r.x, r.place), r.want) << r.x << " at " << r.place;

  const struct {
    double x;
    double numerator, denominator;
  } fractions[] = {
      {0.75, 3, 4}, {-2.5, -5, 2}, {1.0 / 3, 1, 3}, {0.1 + 0.2, 3, 10},
      {0.123456789, 10, 81}, {3.14159265358979, 355, 113}, {2e6, 2e6, 1}, {0.00005, 0.00005, 1},
      {123456.789, 123456.789, 1}, {kNaN, kNaN, 1},
  };
  for (const auto& f : fractions) {
    const std::optional<Fraction> got = ToFraction(f.x);
    ASSERT_TRUE(got.has_value()) << f.x;
    if (f.x == f.x) EXPECT_EQ(got->numerator, f.numerator) << f.x;
    else EXPECT_NE(got->numerator, got->numerator) << "NaN stays itself";
    EXPECT_EQ(got->denominator, f.denominator) << f.x;
  }
}

}  // namespace
}  // namespace tarvo
