// Hexadecimal, binary, sexagesimal and date output.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "output/formats.h"
#include "tests/base/test_support.h"

namespace tarvo {
namespace {

struct KeyTextRow {
  const char* name;
  double x;
  const char* expected;  // nullptr: beyond the key's limit
};

void PrintTo(const KeyTextRow& r, std::ostream* os) { *os << r.name; }

std::string Show(const std::optional<std::string>& t) { return t ? *t : "<normal format>"; }

class HexKeyTextTest : public test::FreshEngine, public ::testing::WithParamInterface<KeyTextRow> {};

TEST_P(HexKeyTextTest, GivesText) {
  const KeyTextRow& r = GetParam();
  EXPECT_EQ(Show(HexKeyText(r.x)), r.expected ? r.expected : "<normal format>") << r.x;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HexKeyTextTest,
    ::testing::Values(KeyTextRow{"Byte", 255, "&h FF"},
                      KeyTextRow{"Negative", -26, "-&h 1A"},
                      KeyTextRow{"Zero", 0, "&h 0"},
                      KeyTextRow{"Sixteen", 16, "&h 10"},
                      KeyTextRow{"DigitE", 30, "&h 1E"},
                      KeyTextRow{"NegativeDigitE", -30, "-&h 1E"},
                      KeyTextRow{"JustBelowLimit", 99999999999999, "&h 5AF3107A3FFF"},
                      KeyTextRow{"AtLimit", 1e14, nullptr},
                      KeyTextRow{"NegativeAtLimit", -1e14, nullptr},
                      KeyTextRow{"FarBeyond", 1e300, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

class BinaryKeyTextTest : public test::FreshEngine,
                          public ::testing::WithParamInterface<KeyTextRow> {};

TEST_P(BinaryKeyTextTest, GivesText) {
  const KeyTextRow& r = GetParam();
  EXPECT_EQ(Show(BinaryKeyText(r.x)), r.expected ? r.expected : "<normal format>") << r.x;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BinaryKeyTextTest,
    ::testing::Values(
        KeyTextRow{"Five", 5, "&b 101"},
        KeyTextRow{"NegativeFive", -5, "-&b 101"},
        KeyTextRow{"FiveAndAHalf", 5.5, "&b 101.1"},
        KeyTextRow{"NegativeBelowOne", -0.75, "-&b 0.11"},
        KeyTextRow{"Half", 0.5, "&b 0.1"},
        KeyTextRow{"Zero", 0, "&b 0"},
        KeyTextRow{"TenthCutAtThirtyOneBits", 0.1, "&b 0.00011001100110011001100110011"},
        KeyTextRow{"ThirdCutAtThirtyOneBits", 1.0 / 3, "&b 0.010101010101010101010101010101"},
        KeyTextRow{"BitsBelowResolutionKeepPoint", 3 + 1e-12, "&b 11."},
        KeyTextRow{"NegativeTinyKeepsPoint", -1e-12, "-&b 0."},
        KeyTextRow{"AtFiveThousandThirtyOneBits", 4999.5, "&b 1001110000111.1"},
        KeyTextRow{"AboveFiveThousandTwentyFourBits", 5000.5, "&b 1001110001000.1"},
        KeyTextRow{"AboveHalfMillionSixteenBits", 600000.25, "&b 10010010011111000000.01"},
        KeyTextRow{"JustBelowLimit", 99999999999, "&b 1011101001000011101101110011111111111"},
        KeyTextRow{"AtLimit", 1e11, nullptr},
        KeyTextRow{"NegativeAtLimit", -1e11, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FormatHex, FractionRoundsTheLowestPlace) {
  const struct {
    double magnitude;
    const char* digits;
  } rows[] = {
      {0, "0"},
      {4095, "FFF"},
      {10.5, "B"},    // 10.5 + 1 rounds to 12: the twelfth digit
      {9.5, "9"},     // 9.5 + 1 rounds to even 10
      {26.5, "1B"},   // only the lowest place sees the fraction
      {15.5, "F"},    // 16.5 rounds to even 16: still the table's end
      {15.7, "10"},   // past "F": 0 and a carry into a new place
      {31.7, "20"},   // the carry adds to the place above
      {255.7, "100"}, // and runs on through an "F"
      {0.7, "1"},
  };
  for (const auto& r : rows) EXPECT_EQ(FormatHex(r.magnitude), r.digits) << r.magnitude;
}

TEST(FormatBinary, WritesWholeMagnitudes) {
  EXPECT_EQ(FormatBinary(0), "0");
  EXPECT_EQ(FormatBinary(1), "1");
  EXPECT_EQ(FormatBinary(6), "110");
  EXPECT_EQ(FormatBinary(1024), "10000000000");
}

struct TextRow {
  const char* name;
  double x;
  const char* expected;
};

void PrintTo(const TextRow& r, std::ostream* os) { *os << r.name; }

class FormatDmsTest : public test::FreshEngine, public ::testing::WithParamInterface<TextRow> {};

TEST_P(FormatDmsTest, GivesText) {
  EXPECT_EQ(FormatDms(GetParam().x), GetParam().expected) << GetParam().x;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FormatDmsTest,
    ::testing::Values(
        TextRow{"Example", 12.3456, "12\xB0 20' 44.16\""},
        TextRow{"NegativeHalf", -0.5, "-0\xB0 30' 0\""},
        TextRow{"HalfSecondNoLeadingZero", 1.0 / 7200, "0\xB0 0' .5\""},
        TextRow{"SecondsCarryIntoDegrees", 1.99999999, "2\xB0 0' 0\""},
        TextRow{"NegativeSecondsCarry", -1.99999999, "-2\xB0 0' 0\""},
        TextRow{"SecondsCarryIntoMinutesOnly", 10.49999999, "10\xB0 30' 0\""},
        TextRow{"Zero", 0, "0\xB0 0' 0\""},
        TextRow{"AtLimitStillSexagesimal", 1e14, "100000000000000\xB0 0' 0\""},
        TextRow{"BeyondLimitPlain", 1e15, "1E+15"},
        TextRow{"NegativeBeyondLimitPlain", -1e15, "-1E+15"}),
    [](const auto& info) { return std::string(info.param.name); });

class FormatJulianDateTest : public test::FreshEngine,
                             public ::testing::WithParamInterface<TextRow> {};

TEST_P(FormatJulianDateTest, GivesText) {
  EXPECT_EQ(FormatJulianDate(GetParam().x), GetParam().expected) << GetParam().x;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FormatJulianDateTest,
    ::testing::Values(
        TextRow{"Example", 2454171.5, "Monday, March 12th, 2007"},
        TextRow{"FirstDay", 2415020.5, "Monday, January 1st, 1900"},
        TextRow{"LastDay", 2488068.5, "Thursday, December 31st, 2099"},
        TextRow{"MorningBelongsToItsDay", 2451544.9, "Saturday, January 1st, 2000"},
        TextRow{"BeforeMidnight", 2454171.4, "Sunday, March 11th, 2007"},
        TextRow{"SecondSuffix", 2415021.5, "Tuesday, January 2nd, 1900"},
        TextRow{"ThirdSuffix", 2415022.5, "Wednesday, January 3rd, 1900"},
        TextRow{"EleventhIsTh", 2415030.5, "Thursday, January 11th, 1900"},
        TextRow{"TwelfthIsTh", 2415031.5, "Friday, January 12th, 1900"},
        TextRow{"ThirteenthIsTh", 2415032.5, "Saturday, January 13th, 1900"},
        TextRow{"TwentyFirst", 2415040.5, "Sunday, January 21st, 1900"},
        TextRow{"TwentySecond", 2415041.5, "Monday, January 22nd, 1900"},
        TextRow{"TwentyThird", 2415042.5, "Tuesday, January 23rd, 1900"},
        TextRow{"ThirtyFirst", 2415050.5, "Wednesday, January 31st, 1900"},
        TextRow{"NoLeapDayIn1900", 2415078.5, "Wednesday, February 28th, 1900"},
        TextRow{"MarchAfter1900February", 2415079.5, "Thursday, March 1st, 1900"},
        TextRow{"LeapDay2000", 2451603.5, "Tuesday, February 29th, 2000"},
        TextRow{"MarchAfterLeapDay", 2451604.5, "Wednesday, March 1st, 2000"},
        TextRow{"YearEnd", 2451543.5, "Friday, December 31st, 1999"},
        TextRow{"BeyondCalendarPlain", 1e12, "1000000000000"},
        TextRow{"FarBelowCalendarPlain", -1e300, "-1E+300"}),
    [](const auto& info) { return std::string(info.param.name); });

class DateKeyTextTest : public test::FreshEngine, public ::testing::WithParamInterface<TextRow> {};

TEST_P(DateKeyTextTest, GivesText) {
  EXPECT_EQ(DateKeyText(GetParam().x), GetParam().expected) << GetParam().x;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DateKeyTextTest,
    ::testing::Values(TextRow{"FirstInRange", 2415020.5, "Monday, January 1st, 1900"},
                      TextRow{"JustBeforeRange", 2415020.4, "2415020.4"},
                      TextRow{"EndOfRangeExcluded", 2488069.5, "2488069.5"},
                      TextRow{"LastMomentInRange", 2488069.4, "Thursday, December 31st, 2099"},
                      TextRow{"NotADay", -3, "-3"},
                      TextRow{"SmallValue", 0.5, ".5"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarvo
