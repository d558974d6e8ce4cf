// The solvers called directly, for what a typed entry does not show: the
// variables they define and clear, the requests to show the list, the
// complex-pair marker, the random test point, and interval arguments no
// entry can type (NaN, infinite). Typed examples are in solvers.golden.
#include "engine/solvers/solvers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/eval/evaluate.h"
#include "engine/host.h"
#include "engine/random.h"
#include "engine/state.h"
#include "tests/base/test_support.h"

namespace tarvo::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
const double kSqrt2 = std::sqrt(2.0);
const double kPi = 4 * std::atan(1.0);

// An equation's tokens, with "_" for the implicit product.
std::string Eq(std::string_view readable) {
  std::string out;
  for (char c : readable) out += c == '_' ? std::string("{ImplicitProduct}") : std::string(1, c);
  return Tok(out);
}

// The fixture is the engine's host: it counts the requests to show the
// list, noting whether x was defined then; it may clear a meanwhile.
class Solvers : public ::testing::Test, public EngineHost {
 protected:
  void ShowVariableList() override {
    ++shows;
    xDefinedAtShow = Defined('x');
    if (clearA) engine.VariableStore[0] = 0;
  }
  double Var(char c) const { return engine.VariableStore[static_cast<size_t>(c - 'a')]; }
  bool Defined(char c) const { return engine.DefinedFlag[static_cast<size_t>(c - 'a')] == kDefined; }
  void Restart() {
    engine.Reset();
    shows = 0;
  }
  Engine engine{*this};
  int shows = 0;
  bool xDefinedAtShow = false, clearA = false;
};

TEST_F(Solvers, SnapToIntegerAndEquationAsFunction) {
  // Within 5E-8 of a whole number; where v * 1E7 overflows, v stays.
  for (const auto& [v, snapped] : {std::pair{-2.99999999, -3.0}, {-4.9e-8, 0.0}, {-0.5, -0.5}, {1.7e308, 1.7e308},
                                   {-1.7e308, -1.7e308}, {kInf, kInf}}) {
    engine.ErrorCode = kErrOutOfRange;
    EXPECT_EQ(snapped, SnapToInteger(engine, v)) << v;
    EXPECT_EQ(0, engine.ErrorCode) << v;
  }
  EXPECT_TRUE(std::isnan(SnapToInteger(engine, kNaN)));
  const char* forms[][2] = {{"x^2-3=0", "x^2-3-(0)"}, {"x^2", "x^2"}, {"a=b=c", "a-(b=c)"}, {"x=", "x-()"}};
  for (const auto& f : forms) EXPECT_EQ(Tok(f[1]), EquationAsFunction(Tok(f[0]))) << f[0];
}

// Roots a, b (and c) and the imaginary part i; the marker is 2 for a
// quadratic's complex pair, 3 for a cubic's. Every variable is cleared
// first; on success the list is shown once, x undefined. Zeros, and whole
// roots of rows marked snapped, come out exact.
TEST_F(Solvers, Polynomials) {
  const struct {
    bool cubic;
    const char* equation;
    int error;
    std::vector<double> roots;  // a, b, [c,] i
    int marker;
    bool snapped = false;
  } rows[] = {
      {false, "x^2-2", 0, {kSqrt2, -kSqrt2, 0}, 0}, {false, "{Negate}2_x^2+x+1", 0, {-0.5, 1, 0}, 0},
      {false, "x^2-2_x+1", 0, {1, 1, 0}, 0}, {false, "x^2+1", 0, {0, 0, 1}, 2},
      {false, "x^2+2.00000002_x+5", 0, {-1, -1, std::sqrt(5 - 1.00000001 * 1.00000001)}, 2, true},
      {false, "x^2-2.00000002_x", 0, {2.00000002, 0, 0}, 0},  // real roots are not snapped
      {false, "x^2-e", 0, {std::sqrt(std::exp(1.0)), -std::sqrt(std::exp(1.0)), 0}, 0},
      {false, "x^3", 27, {}, 0}, {false, "x^2-1/(x-1)", 11, {}, 0},
      // The model misses the exact 0 at the degree test point by rounding.
      {false, "(x+2.4273219483)_(x-1)", 27, {}, 0}, {true, "x^3-2_x", 0, {-kSqrt2, kSqrt2, 0, 0}, 0},
      {true, "x^3-1", 0, {1, -0.5, -0.5, 0.8660254037844386}, 3, true},
      {true, "x^3+x^2+4_x+4", 0, {-1, 0, 0, 2}, 3, true}, {true, "x^3-3_x+2", 0, {-2, 1, 1, 0}, 0},
      {true, "x^3-x", 0, {-1, 1, 0, 0}, 0},  // the tiny root of a zero constant term is 0
      {true, "x^3", 0, {0, 0, 0, 0}, 0}, {true, "x^2+1", 27, {}, 0},
      // Model and equation both exactly 0 at the test point: 0/0, a fault.
      {true, "(x+2.4273219483)_(x-2)_x", 1, {}, 0},
  };
  for (const auto& row : rows) {
    Restart();
    SetVariable(engine, 'q', 4);
    const double got = row.cubic ? SolveCubic(engine, Eq(row.equation)) : SolveQuadratic(engine, Eq(row.equation));
    EXPECT_EQ(row.error, engine.ErrorCode) << row.equation;
    EXPECT_FALSE(Defined('q')) << row.equation;
    EXPECT_EQ(row.error == 0 ? 1 : 0, shows) << row.equation;
    EXPECT_EQ(row.error == 0 ? Var('a') : 0, got) << row.equation;
    if (row.error != 0) continue;
    const std::string letters = row.cubic ? "abci" : "abi";
    for (size_t k = 0; k < letters.size(); ++k) {
      const double want = row.roots[k];
      const bool exact = want == 0 || (row.snapped && want == std::round(want));
      EXPECT_NEAR(want, Var(letters[k]), exact ? 0 : 1e-12) << row.equation << " " << letters[k];
    }
    EXPECT_EQ(row.marker, engine.ComplexMarker) << row.equation;
    EXPECT_EQ(row.roots.back() != 0, Defined('i')) << row.equation;
    EXPECT_FALSE(xDefinedAtShow || Defined('x')) << row.equation;
  }
  // k is read by the equation after the clearing: it counts as 0, defined.
  SetVariable(engine, 'k', 9);
  SolveQuadratic(engine, Eq("x^2-k"));
  EXPECT_TRUE(Var('a') == 0 && Defined('k') && Defined('e'));
  SolveQuadratic(engine, Eq("x^2-1/(x-1)"));
  EXPECT_EQ(1, Var('x'));  // a failure leaves the last sample
  SolveCubic(engine, Eq("x^3-6_x^2+11_x-6+i"));
  EXPECT_TRUE(engine.ErrorCode == 0 && !Defined('i'));  // i is no root here
  clearA = true;  // the root returned is the one taken before the list was shown
  EXPECT_EQ(2, SolveQuadratic(engine, Eq("x^2-3_x+2")));
}

// x, y (and z) and the determinant d; other variables survive, nothing is
// shown; on failure d keeps its value, undefined.
TEST_F(Solvers, LinearSystems) {
  const struct {
    std::vector<const char*> equations;
    int error;
    double x, y, z, d;
  } rows[] = {
      {{"2_x+y=5", "x-y=1"}, 0, 2, 1, 0, -3}, {{"3_x=1", "y=2"}, 0, 1.0 / 3, 2, 0, 3},
      {{"x=2.00000001", "y=3"}, 0, 2, 3, 0, 1}, {{"x=2.000001", "y=3"}, 0, 2.000001, 3, 0, 1},
      {{"x+k_y=5", "x-y={Negate}1"}, 0, 1, 2, 0, -3},  // k = 2
      {{"x+y=1", "x+y=2"}, 33, 0, 0, 0, 0}, {{"x+y=1", "x_y=0"}, 33, 0, 0, 0, 0},
      {{"x^2+y=1", "x-y=0"}, 27, 0, 0, 0, 0},
      {{"1E308_x-1E308", "y"}, 6, 0, 0, 0, 0},  // two finite samples, an infinite sum
      {{"x+y+z=6", "x-y=0", "z=3"}, 0, 1.5, 1.5, 3, -2},
      {{"x+y+z=1", "2_(x+y+z)=2", "x-z=0"}, 33, 0, 0, 0, 0}, {{"x+y+z=1", "x-z=0", "1=1"}, 33, 0, 0, 0, 0},
      {{"x+y+z=1", "x-z=0", "{sqr}(y-1)=z"}, 27, 0, 0, 0, 0},
  };
  for (const auto& row : rows) {
    Restart();
    SetVariable(engine, 'k', 2);
    engine.VariableStore['d' - 'a'] = 99;
    const auto& e = row.equations;
    const double got = e.size() == 2 ? SolveLinear2x2(engine, Eq(e[0]), Eq(e[1]))
                                     : SolveLinear3x3(engine, Eq(e[0]), Eq(e[1]), Eq(e[2]));
    EXPECT_EQ(row.error, engine.ErrorCode) << e[0];
    EXPECT_TRUE(shows == 0 && Var('k') == 2 && Defined('k')) << e[0];
    EXPECT_NEAR(row.x, got, 1e-12) << e[0];
    if (row.error != 0) {
      EXPECT_TRUE(Var('d') == 99 && !Defined('d')) << e[0];
      continue;
    }
    EXPECT_NEAR(row.y, Var('y'), 1e-12) << e[0];
    EXPECT_NEAR(row.z, e.size() == 3 ? Var('z') : 0, 1e-12) << e[0];
    EXPECT_TRUE(Var('d') == row.d && Defined('x') && Defined('y') && Defined('d')) << e[0];
  }
  // x and y keep the random test point, rnd + 5 and rnd - 4.
  RandomGenerator copy = engine.Random;
  SolveLinear2x2(engine, Eq("x^2+y=1"), Eq("x-y=0"));
  EXPECT_TRUE(Var('x') == copy.Next() + 5.0 && Var('y') == copy.Next() - 4.0);
  EXPECT_EQ(copy.Next(), engine.Random.Next());
  // The unknowns end undefined, holding the last sample (x = 0, y = 1).
  SetVariable(engine, 'x', 3);
  SolveLinear2x2(engine, Eq("x+y=1"), Eq("3=3"));
  EXPECT_TRUE(engine.ErrorCode == kNoticeNoSolution && Var('x') == 0 && Var('y') == 1 && !Defined('x') && !Defined('y'));
  // x - k with k at the test point: the model is exactly 0 there, and the
  // relative test divides by it.
  copy = engine.Random;
  SetVariable(engine, 'k', copy.Next() + 5.0);
  EXPECT_EQ(0, SolveLinear2x2(engine, Eq("x-k"), Eq("y")));
  EXPECT_EQ(kErrDivisionByZero, engine.ErrorCode);
}

// Roots go to a, b, c, d, f, ... w (e skipped); the last is returned.
TEST_F(Solvers, SolveOnInterval) {
  const struct {
    const char* equation;
    double a, b, h;  // h = 0: |b - a| / 127, as with three arguments
    int error;
    std::vector<double> roots;
  } rows[] = {
      {"x^2-4", -3, 3, 0, 0, {-2, 2}}, {"x^3-x", -2, 2, 0.01, 0, {-1, 0, 1}},
      // sin() is exactly 0 within 1E-12 of its zeros, which moves them that much.
      {"{sin}(x)", 1, 10, 0, 0, {kPi, 2 * kPi, 3 * kPi}},
      {"x-0.3", 0, 1250, 0.125, 0, {0.3}},  // exactly 10000 steps
      {"x-0.00000001", -0.000001, 0.000001, 0, 0, {1e-8}}, {"x-0.000000001", -1, 1, 0, 0, {0}},
      {"(x+1)_(x-0.5)", -2, 2, 1, 0, {-1, 0.5}}, {"(x-1)_(x-2)_(x-2.5)", 0, 3, 1, 33, {}},
      {"x", 0, 1, 0, 33, {}}, {"x^2+1", -5, 5, 0, 33, {}},
      {"x-1E16-3", 1e16, 1e16 + 8, 1, 33, {}},  // a step lost to rounding ends the scan
      {"0_x", -1, 1, 0, 5, {}}, {"{sqr}(1-x)", 0, 2, 0, 5, {}}, {"x", 0, 1, 0.00001, 5, {}},
      {"x", 0, 1, -0.5, 5, {}}, {"x", kNaN, 1, 0.1, 5, {}}, {"x", 0, 1, kNaN, 5, {}},
      {"x", 0, kInf, 1, 5, {}}, {"", 0, 1, 0, 3, {}},
  };
  const std::string letters = "abcdfghijklmnopqrstuvw";
  for (const auto& row : rows) {
    engine.Reset();
    const double h = row.h == 0 ? std::fabs(row.b - row.a) / 127 : row.h;
    const double got = SolveOnInterval(engine, Eq(row.equation), row.a, row.b, h);
    EXPECT_EQ(row.error, engine.ErrorCode) << row.equation;
    for (size_t k = 0; k < row.roots.size(); ++k)
      EXPECT_TRUE(std::fabs(row.roots[k] - Var(letters[k])) <= 2e-12 && Defined(letters[k]))
          << row.equation << " " << letters[k] << " = " << Var(letters[k]);
    EXPECT_FALSE(Defined(letters[row.roots.size()])) << row.equation;
    EXPECT_EQ(row.roots.empty() ? 0 : Var(letters[row.roots.size() - 1]), got) << row.equation;
    EXPECT_TRUE(row.roots.empty() || (!Defined('x') && Var('x') == 0)) << row.equation;
  }
  // The arguments are checked before anything is cleared; k is cleared before the scan.
  SetVariable(engine, 'k', 5);
  SolveOnInterval(engine, Eq("x-1"), 2, 1, 0.1);
  EXPECT_TRUE(engine.ErrorCode == kErrOutOfRange && Var('k') == 5 && Defined('k'));
  SolveOnInterval(engine, Eq("x-k"), -10, 10, 0.3);
  EXPECT_EQ(0, Var('a'));
  // sin(x) on (0.5, 22.5 pi) has 22 roots, a..w without e; one more does not fit.
  EXPECT_NEAR(22 * kPi, SolveOnInterval(engine, Eq("{sin}(x)"), 0.5, 22.5 * kPi, 22 * kPi / 127), 1e-9);
  EXPECT_TRUE(std::fabs(Var('d') - 4 * kPi) < 1e-9 && std::fabs(Var('f') - 5 * kPi) < 1e-9);
  EXPECT_EQ(std::exp(1.0), Var('e'));
  EXPECT_EQ(0, SolveOnInterval(engine, Eq("{sin}(x)"), 0.5, 23.5 * kPi, 23 * kPi / 127));
  EXPECT_TRUE(engine.ErrorCode == kNoticeMoreValues && std::fabs(Var('w') - 22 * kPi) < 1e-9);
  EXPECT_FALSE(Defined('x'));
  // The same with roots that lie on samples: sin(pi x) at the whole numbers.
  EXPECT_EQ(22, SolveOnInterval(engine, Eq("{sin}({pi}(0)_x)"), 0.5, 22.5, 0.5));
  EXPECT_EQ(4, Var('d'));
  EXPECT_EQ(0, SolveOnInterval(engine, Eq("{sin}({pi}(0)_x)"), 0.5, 23.5, 0.5));
  EXPECT_EQ(kNoticeMoreValues, engine.ErrorCode);
}

}  // namespace
}  // namespace tarvo::test
