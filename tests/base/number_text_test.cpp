#include "engine/number_text.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/state.h"
#include "tests/base/test_support.h"

namespace tarvo {
namespace {

struct NumberTextRow {
  double value;
  const char* text;
};

TEST(NumberText, WritesFifteenDigitsWithoutLeadingZero) {
  const NumberTextRow rows[] = {
      {0.0, "0"},
      {-0.0, "0"},
      {3, "3"},
      {2.5, "2.5"},
      {0.5, ".5"},
      {-0.25, "-.25"},
      {1.0 / 3, ".333333333333333"},
      {2.0 / 3, ".666666666666667"},
      {100, "100"},
      {123456789012345, "123456789012345"},
      {999999999999999, "999999999999999"},
      {1e15, "1E+15"},
      {9999999999999999.0, "1E+16"},
      {1.5e20, "1.5E+20"},
      {1.23456789012346e20, "1.23456789012346E+20"},
      {-1.5e20, "-1.5E+20"},
      {1e100, "1E+100"},
      {1.7976931348623157e308, "1.79769313486232E+308"},
      {0.0001, ".0001"},
      {0.00012, ".00012"},
      {0.00001, "1E-05"},
      {1.5e-7, "1.5E-07"},
      {-1.5e-7, "-1.5E-07"},
      {4.94e-324, "4.94065645841247E-324"},
      {0.1 + 0.2, ".3"},
      {2451178.5, "2451178.5"},
      {-12345.678, "-12345.678"},
      {std::exp(1.0), "2.71828182845905"},
  };
  for (const auto& r : rows) EXPECT_EQ(NumberText(r.value), r.text) << r.value;
}

TEST(FracPartTest, SignedFractionAndLimits) {
  EXPECT_DOUBLE_EQ(FracPart(-2.75), -0.75);
  EXPECT_DOUBLE_EQ(FracPart(2.25), 0.25);
  EXPECT_EQ(FracPart(1e16), 0.0);
  EXPECT_EQ(FracPart(5), 0.0);
  EXPECT_EQ(FracPart(std::nan("")), 0.0);
}

}  // namespace
}  // namespace tarvo
