// Fractions, multiples of pi and rationalised roots.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>

#include "engine/state.h"
#include "output/formats.h"
#include "tests/base/test_support.h"

namespace tarvo {
namespace {

const double kPi = 4.0 * std::atan(1.0);

struct FractionRow {
  const char* name;
  double x;
  const char* expected;
};

void PrintTo(const FractionRow& r, std::ostream* os) { *os << r.name; }

class FormatFractionTest : public test::FreshEngine,
                           public ::testing::WithParamInterface<FractionRow> {};

TEST_P(FormatFractionTest, GivesText) {
  EXPECT_EQ(FormatFraction(GetParam().x), GetParam().expected) << GetParam().x;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FormatFractionTest,
    ::testing::Values(
        // Plain fractions.
        FractionRow{"Half", 0.5, "1/2"},
        FractionRow{"NegativeThreeQuarters", -0.75, "-3/4"},
        FractionRow{"Third", 1.0 / 3, "1/3"},
        FractionRow{"ThirdAsTyped", 0.333333333333333, "1/3"},
        FractionRow{"FiveHalves", 2.5, "5/2"},
        FractionRow{"Sevenths", 1.0 / 7, "1/7"},
        FractionRow{"NegativeSevenths", -22.0 / 7, "-22/7"},
        FractionRow{"ToleranceTenEightyFirsts", 0.123456789, "10/81"},
        FractionRow{"Thousandth", 0.001, "1/1000"},
        FractionRow{"FiveThousandth", 0.0002, "1/5000"},
        FractionRow{"SmallestSearched", 1e-4, "1/10000"},
        FractionRow{"FoundByNeighbourSearch", 223.0 / 89 + 3e-7, "223/89"},
        // Whole and out-of-range values stay plain.
        FractionRow{"Whole", 5, "5"},
        FractionRow{"NegativeWhole", -12, "-12"},
        FractionRow{"Zero", 0, "0"},
        FractionRow{"BelowSearchRange", 1e-5, "1E-05"},
        FractionRow{"NegativeBelowSearchRange", -1e-5, "-1E-05"},
        FractionRow{"WholeTwoMillion", 2e6, "2000000"},
        FractionRow{"AtOneE14", 1.5e14, "150000000000000"},
        FractionRow{"AboveSearchRange", 1e6 + 0.5, "1000000.5"},
        FractionRow{"NoCloseForm", std::exp(1.0), "2.71828182845905"},
        FractionRow{"NegativeNoCloseForm", -std::exp(1.0), "-2.71828182845905"},
        FractionRow{"BelowOneNoCloseFormGetsZero", std::exp(1.0) / 10, "0.271828182845904"},
        // Multiples of pi.
        FractionRow{"Pi", kPi, "pi"},
        FractionRow{"TwoPiThirds", 2 * kPi / 3, "2pi/3"},
        FractionRow{"NegativeHalfPi", -kPi / 2, "-pi/2"},
        FractionRow{"ThreePi", 3 * kPi, "3pi"},
        FractionRow{"PiWithinTolerance", 355.0 / 113, "pi"},
        // Rationalised roots.
        FractionRow{"RootTwo", std::sqrt(2.0), "sqr2"},
        FractionRow{"NegativeRootTwo", -std::sqrt(2.0), "-sqr2"},
        FractionRow{"RootThreeHalves", std::sqrt(3.0) / 2, "sqr3/2"},
        FractionRow{"OneOverRootTwo", 1 / std::sqrt(2.0), "sqr2/2"},
        FractionRow{"RootTwoThirds", std::sqrt(2.0 / 3), "sqr6/3"},
        FractionRow{"ThreeOverRootEight", 3 / std::sqrt(8.0), "3sqr2/4"},
        FractionRow{"NegativeThreeOverRootEight", -3 / std::sqrt(8.0), "-3sqr2/4"},
        FractionRow{"DivisorAppliedOnce", 1 / std::sqrt(48.0), "sqr12/24"},
        FractionRow{"RootSevenThirds", std::sqrt(7.0) / 3, "sqr7/3"},
        FractionRow{"RootTooLarge", std::sqrt(5000.0), "70.7106781186548"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ToFractionRow {
  const char* name;
  double x;
  double num;
  double den;
};

void PrintTo(const ToFractionRow& r, std::ostream* os) { *os << r.name; }

class ToFractionTest : public test::FreshEngine,
                       public ::testing::WithParamInterface<ToFractionRow> {};

TEST_P(ToFractionTest, FindsNumeratorAndDenominator) {
  const ToFractionRow& r = GetParam();
  engine.ErrorCode = 7;  // a stale error must not survive the call
  double num = -99, den = -99;
  ToFraction(engine, r.x, num, den);
  EXPECT_EQ(engine.ErrorCode, 0);
  EXPECT_EQ(num, r.num) << r.x;
  EXPECT_EQ(den, r.den) << r.x;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ToFractionTest,
    ::testing::Values(
        ToFractionRow{"Half", 0.5, 1, 2},
        ToFractionRow{"NegativeCarriesSignInNumerator", -0.75, -3, 4},
        ToFractionRow{"ImproperReduced", 2.5, 5, 2},
        ToFractionRow{"NeighbourSearch", 223.0 / 89 + 3e-7, 223, 89},
        ToFractionRow{"NegativeNeighbourSearch", -(223.0 / 89 + 3e-7), -223, 89},
        ToFractionRow{"TooSmallComesBackOverOne", 1e-5, 1e-5, 1},
        ToFractionRow{"TooLargeComesBackOverOne", 2e6, 2e6, 1},
        ToFractionRow{"ZeroOverOne", 0, 0, 1},
        ToFractionRow{"NothingCloseOverOne", std::exp(1.0), std::exp(1.0), 1}),
    [](const auto& info) { return std::string(info.param.name); });

struct RoundRow {
  const char* name;
  double x;
  int place;
  double expected;
};

void PrintTo(const RoundRow& r, std::ostream* os) { *os << r.name; }

class RoundAtPlaceTest : public test::FreshEngine,
                         public ::testing::WithParamInterface<RoundRow> {};

TEST_P(RoundAtPlaceTest, Rounds) {
  const RoundRow& r = GetParam();
  engine.ErrorCode = 7;
  EXPECT_DOUBLE_EQ(RoundAtPlace(engine, r.x, r.place), r.expected);
  EXPECT_EQ(engine.ErrorCode, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RoundAtPlaceTest,
    ::testing::Values(RoundRow{"WholeHalfUp", 2.5, -1, 3},
                      RoundRow{"NegativeHalfUpward", -2.5, -1, -2},
                      RoundRow{"WholeDown", 2.49, -1, 2},
                      RoundRow{"FourDecimals", 1.23456, -5, 1.2346},
                      RoundRow{"FourDecimalsBelowHalf", 0.00004, -5, 0},
                      RoundRow{"FourDecimalsHalf", 0.00005, -5, 0.0001},
                      RoundRow{"OneDecimal", -1.26, -2, -1.3}),
    [](const auto& info) { return std::string(info.param.name); });

class RoundAtPlaceFault : public test::FreshEngine {};

TEST_F(RoundAtPlaceFault, OverflowAndNaNAreFaultOne) {
  EXPECT_EQ(RoundAtPlace(engine, 1e308, -5), 0);
  EXPECT_EQ(engine.ErrorCode, 1);
  EXPECT_EQ(RoundAtPlace(engine, std::numeric_limits<double>::quiet_NaN(), -1), 0);
  EXPECT_EQ(engine.ErrorCode, 1);
}

}  // namespace
}  // namespace tarvo
