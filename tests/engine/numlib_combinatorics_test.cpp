#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/numlib/numlib.h"
#include "engine/state.h"
#include "tests/base/test_support.h"

namespace tarvo {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct Unary {
  const char* name;
  double n;
  double expected;
  int error;
};

struct Binary {
  const char* name;
  double a;
  double b;
  double expected;
  int error;
};

class Combinatorics : public test::FreshEngine {
 protected:
  // Every routine but IsPrime clears a stale error on entry.
  void Stale() { engine.ErrorCode = 33; }
};

TEST_F(Combinatorics, Factorial) {
  const Unary rows[] = {
      {"zero", 0, 1, 0},
      {"one", 1, 1, 0},
      {"five", 5, 120, 0},
      {"ten", 10, 3628800, 0},
      {"largest", 170, 7.257415615307994e306, 0},
      {"above limit overflows", 171, 0, 6},
      {"huge overflows", 1e300, 0, 6},
      {"negative", -1, 0, 5},
      {"negative fraction checked as negative first", -2.5, 0, 5},
      {"fraction", 2.5, 0, 5},
      {"fraction above limit is out of range, not overflow", 170.5, 0, 5},
      {"nan", kNaN, 0, 5},
  };
  for (const Unary& row : rows) {
    Stale();
    const double got = Factorial(engine, row.n);
    EXPECT_EQ(engine.ErrorCode, row.error) << row.name;
    EXPECT_DOUBLE_EQ(got, row.expected) << row.name;
  }
}

TEST_F(Combinatorics, CombinationsAndPermutations) {
  const Binary ncr[] = {
      {"5 over 2", 5, 2, 10, 0},
      {"5 over 0", 5, 0, 1, 0},
      {"5 over 5", 5, 5, 1, 0},
      {"170 over 85", 170, 85, 9.144841845131556e49, 0},
      {"n zero refused", 0, 0, 0, 5},
      {"r above n", 2, 5, 0, 5},
      {"n above 170", 171, 1, 0, 5},
      {"r above 170", 5, 171, 0, 5},
      {"r negative", 5, -1, 0, 5},
      {"n fraction", 5.5, 2, 0, 5},
      {"r fraction", 5, 1.5, 0, 5},
      {"nan n", kNaN, 1, 0, 5},
      {"nan r", 5, kNaN, 0, 5},
  };
  for (const Binary& row : ncr) {
    Stale();
    const double got = Combinations(engine, row.a, row.b);
    EXPECT_EQ(engine.ErrorCode, row.error) << row.name;
    EXPECT_NEAR(got, row.expected, std::fabs(row.expected) * 1e-13) << row.name;
  }
  const Binary npr[] = {
      {"5 of 2", 5, 2, 20, 0},
      {"5 of 0", 5, 0, 1, 0},
      {"5 of 5", 5, 5, 120, 0},
      {"1 of 1", 1, 1, 1, 0},
      {"r above n", 3, 4, 0, 5},
      {"n zero", 0, 0, 0, 5},
      {"n fraction", 4.5, 1, 0, 5},
  };
  for (const Binary& row : npr) {
    Stale();
    const double got = Permutations(engine, row.a, row.b);
    EXPECT_EQ(engine.ErrorCode, row.error) << row.name;
    EXPECT_DOUBLE_EQ(got, row.expected) << row.name;
  }
}

TEST_F(Combinatorics, Gcd) {
  const Binary rows[] = {
      {"12 and 18", 12, 18, 6, 0},
      {"18 and 12", 18, 12, 6, 0},
      {"coprime", 35, 64, 1, 0},
      {"first zero gives second", 0, 7, 7, 0},
      {"first zero keeps sign", 0, -6, -6, 0},
      {"second zero gives first with sign", -9, 0, -9, 0},
      {"both zero", 0, 0, 0, 0},
      {"negative first, result positive", -4, 6, 2, 0},
      {"both negative", -12, -18, 6, 0},
      {"at the limit", 1e9, 999999999, 1, 0},
      {"limit multiples", 1e9, 5e8, 5e8, 0},
      {"a above limit", 1e9 + 1, 2, 0, 5},
      {"b above limit", 2, -1e9 - 1, 0, 5},
      {"a fraction", 2.5, 5, 0, 5},
      {"b fraction", 5, 0.5, 0, 5},
      {"zero and fraction", 0, 0.5, 0, 5},
      {"infinity", kInf, 2, 0, 5},
      {"nan", kNaN, 2, 0, 5},
  };
  for (const Binary& row : rows) {
    Stale();
    const double got = Gcd(engine, row.a, row.b);
    EXPECT_EQ(engine.ErrorCode, row.error) << row.name;
    EXPECT_EQ(got, row.expected) << row.name;
  }
}

TEST_F(Combinatorics, LeastCommonMultiple) {
  const Binary rows[] = {
      {"4 and 6", 4, 6, 12, 0},
      {"12 and 10", 12, 10, 60, 0},
      {"coprime", 7, 9, 63, 0},
      {"negative arguments, positive result", -4, 6, 12, 0},
      {"first zero", 0, 5, 0, 0},
      {"second zero divides by zero", 5, 0, 0, 1},
      {"both zero divides by zero", 0, 0, 0, 1},
      {"large coprime", 1e9, 999999999, 999999999000000000.0, 0},
      {"above limit", 2000000000, 3, 0, 5},
      {"fraction", 4, 6.5, 0, 5},
      {"zero and fraction is checked first", 0.5, 0, 0, 5},
  };
  for (const Binary& row : rows) {
    Stale();
    const double got = LeastCommonMultiple(engine, row.a, row.b);
    EXPECT_EQ(engine.ErrorCode, row.error) << row.name;
    EXPECT_EQ(got, row.expected) << row.name;
  }
}

TEST_F(Combinatorics, IsPrime) {
  const Unary rows[] = {
      {"one", 1, 0, 0},
      {"two", 2, 1, 0},
      {"three", 3, 1, 0},
      {"four", 4, 0, 0},
      {"five", 5, 1, 0},
      {"seven", 7, 1, 0},
      {"nine, square of the first divisor", 9, 0, 0},
      {"eleven", 11, 1, 0},
      {"23", 23, 1, 0},
      {"25, square of 5", 25, 0, 0},
      {"87 = 3 * 29", 87, 0, 0},
      {"121 = 11 squared", 121, 0, 0},
      {"large prime", 999999937, 1, 0},
      {"largest accepted, even", 1e9, 0, 0},
      {"square of the largest prime below the root limit", 999002449, 0, 0},
      {"the largest prime below the root limit", 31607, 1, 0},
      {"above limit", 1000000007, 0, 5},
      {"zero", 0, 0, 5},
      {"negative", -7, 0, 5},
      {"fraction", 7.5, 0, 5},
      {"nan", kNaN, 0, 5},
  };
  for (const Unary& row : rows) {
    engine.ErrorCode = 0;
    const double got = IsPrime(engine, row.n);
    EXPECT_EQ(engine.ErrorCode, row.error) << row.name;
    EXPECT_EQ(got, row.expected) << row.name;
  }
}

TEST_F(Combinatorics, IsPrimeLeavesAnEarlierErrorInPlace) {
  engine.ErrorCode = 33;
  EXPECT_EQ(IsPrime(engine, 13), 1);
  EXPECT_EQ(engine.ErrorCode, 33);
}

}  // namespace
}  // namespace tarvo
