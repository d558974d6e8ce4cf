#include "engine/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tarvo {
namespace {

// Fifteen significant digits, no leading zero, exponents from 1E+15 and
// below 1E-04.
TEST(NumberText, Values) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double value;
    const char* text;
  } rows[] = {
      {0.0, "0"}, {-0.0, "0"}, {2.5, "2.5"}, {0.5, ".5"}, {-0.25, "-.25"}, {100, "100"},
      {2.0 / 3, ".666666666666667"}, {999999999999999, "999999999999999"}, {1e15, "1E+15"},
      {9999999999999999.0, "1E+16"}, {1.23456789012346e20, "1.23456789012346E+20"},
      {-1.5e20, "-1.5E+20"}, {1e100, "1E+100"}, {1.7976931348623157e308, "1.79769313486232E+308"},
      {0.0001, ".0001"}, {0.00012, ".00012"}, {0.00001, "1E-05"}, {-1.5e-7, "-1.5E-07"},
      {4.94e-324, "4.94065645841247E-324"}, {0.1 + 0.2, ".3"}, {-12345.678, "-12345.678"},
      {inf, "inf"}, {-inf, "-inf"}, {std::nan(""), "nan"},
  };
  for (const auto& r : rows) EXPECT_EQ(r.text, NumberText(r.value)) << r.value;
  EXPECT_DOUBLE_EQ(-0.75, FracPart(-2.75));
  EXPECT_DOUBLE_EQ(0.25, FracPart(2.25));
  for (double whole : {1e16, 5.0, std::nan("")}) EXPECT_EQ(0.0, FracPart(whole)) << whole;
}

}  // namespace
}  // namespace tarvo
