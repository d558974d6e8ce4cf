// Fixed-decimals and scientific output.
#include <gtest/gtest.h>

#include <cfloat>
#include <ostream>
#include <string>

#include "output/formats.h"
#include "tests/base/test_support.h"

namespace tarvo {
namespace {

struct DecimalRow {
  const char* name;
  double x;
  int n;
  const char* expected;
};

void PrintTo(const DecimalRow& r, std::ostream* os) { *os << r.name; }

class FormatFixedTest : public test::FreshEngine, public ::testing::WithParamInterface<DecimalRow> {};

TEST_P(FormatFixedTest, GivesText) {
  const DecimalRow& r = GetParam();
  EXPECT_EQ(FormatFixed(r.x, r.n), r.expected) << r.x << " with " << r.n;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FormatFixedTest,
    ::testing::Values(
        // The documented examples.
        DecimalRow{"PiTwoDecimals", 3.14159, 2, "3.14"},
        DecimalRow{"WholePadded", 2, 3, "2.000"},
        DecimalRow{"HalfRoundsUpNoDecimals", 0.5, 0, "1."},
        DecimalRow{"QuarterRoundsUp", 0.25, 1, "0.3"},
        DecimalRow{"HugeIsPlain", 1e20, 2, "1E+20"},
        DecimalRow{"NegativeRoundsToZeroKeepsSign", -0.001, 2, "-0.00"},
        DecimalRow{"PositiveRoundsToZero", 0.001, 2, "0.00"},
        DecimalRow{"NoDecimalsTrailingPoint", 2.4, 0, "2."},
        DecimalRow{"TwoAndAHalfUp", 2.5, 0, "3."},
        DecimalRow{"CutToFifteen", 123456789012.5, 5, "123456789012.50"},
        DecimalRow{"PointAtFifteenDropped", 12345678901234.5, 2, "12345678901234"},
        DecimalRow{"HugeAnyDecimals", 1e20, 9, "1E+20"},
        // Negative values.
        DecimalRow{"NegativePi", -3.14159, 2, "-3.14"},
        DecimalRow{"NegativeHalfAwayFromZero", -2.5, 0, "-3."},
        DecimalRow{"NegativeBelowOne", -0.25, 3, "-0.250"},
        DecimalRow{"NegativeHuge", -1e15, 2, "-1E+15"},
        // Near the limits.
        DecimalRow{"FifteenIntegerDigitsKeepAll", 1e14, 2, "100000000000000.00"},
        DecimalRow{"RoundsUpToFifteenDigits", 99999999999999.99, 1, "100000000000000.0"},
        DecimalRow{"AtOneE15IsPlain", 1e15, 0, "1E+15"},
        DecimalRow{"TextRoundsToOneE15", 999999999999999.5, 0, "1E+15"},
        DecimalRow{"SmallestPlainText", 1e-4, 4, "0.0001"},
        DecimalRow{"BelowOneE4IsPlain", 0.00009, 4, "9E-05"},
        DecimalRow{"PointBeforeFifteenCut", 123456.123456789, 9, "123456.12345678"},
        DecimalRow{"RoundsUpToOne", 0.999, 2, "1.00"},
        DecimalRow{"NineDecimals", 1234.5678, 9, "1234.567800000"},
        DecimalRow{"Zero", 0, 2, "0.00"},
        DecimalRow{"NegativeZero", -0.0, 1, "0.0"}),
    [](const auto& info) { return std::string(info.param.name); });

class FormatScientificTest : public test::FreshEngine,
                             public ::testing::WithParamInterface<DecimalRow> {};

TEST_P(FormatScientificTest, GivesText) {
  const DecimalRow& r = GetParam();
  EXPECT_EQ(FormatScientific(r.x, r.n), r.expected) << r.x << " with " << r.n;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FormatScientificTest,
    ::testing::Values(
        // The documented examples.
        DecimalRow{"ThreeDigits", 12345, 3, "1.23E4"},
        DecimalRow{"NegativeSmall", -0.000123456, 2, "-1.2E-4"},
        DecimalRow{"RoundsIntoNextPower", 9.99, 2, "1.0E1"},
        DecimalRow{"OneDigitNoPoint", 5, 1, "5E0"},
        DecimalRow{"ZeroFourDigits", 0, 4, "0.000E00"},
        DecimalRow{"ZeroOneDigit", 0, 1, "0E00"},
        DecimalRow{"ZeroThreeDigits", 0, 3, "0.00E00"},
        DecimalRow{"HugeFormatted", 1e20, 3, "1.00E20"},
        DecimalRow{"ExactPowerBelowOne", 0.001, 3, "1.00E-3"},
        DecimalRow{"ExactPowerAboveOne", 1000, 3, "1.00E3"},
        DecimalRow{"One", 1, 3, "1.00E0"},
        DecimalRow{"MantissaCarries", 999.96, 4, "1.000E3"},
        // Negative values and rounding.
        DecimalRow{"NegativeHalfUp", -2.5, 1, "-3E0"},
        DecimalRow{"NegativeHuge", -1e15, 3, "-1.00E15"},
        DecimalRow{"HalfBelowOne", 0.5, 2, "5.0E-1"},
        DecimalRow{"CarryAtTwoDecimals", 99.95, 3, "1.00E2"},
        // Near the limits.
        DecimalRow{"OneE15", 1e15, 3, "1.00E15"},
        DecimalRow{"OneE14OneDigit", 1e14, 1, "1E14"},
        DecimalRow{"OneE11", 1e11, 2, "1.0E11"},
        DecimalRow{"OneEMinus4", 1e-4, 2, "1.0E-4"},
        DecimalRow{"TwelveDigits", 123456789012, 12, "1.23456789012E11"},
        DecimalRow{"LargestDouble", DBL_MAX, 3, "1.80E308"},
        DecimalRow{"SmallestDenormal", 4.9406564584124654e-324, 2, "4.9E-324"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarvo
