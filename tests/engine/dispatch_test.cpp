// What the dispatcher decides itself, on token strings: the angle factor,
// "ans" and "rnd", the power prefixes, codes without an operation, list
// numbers, argument counts and equation slots. The functions' values as
// typed are in the golden files.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/errors.h"
#include "engine/eval/evaluate.h"
#include "engine/random.h"
#include "engine/state.h"
#include "tests/engine/eval_support.h"

namespace tarvo::test {
namespace {

using Dispatch = FreshEngine;

TEST_F(Dispatch, AngleFactorAnsAndRnd) {
  engine.AngleFactor = 0;
  EXPECT_EQ(0.0, Evaluate(engine, Tok("{sin}1:")));
  EXPECT_EQ(kErrDivisionByZero, engine.ErrorCode);
  engine.LastAnswer = 7;
  CheckRows(engine, {{"{ans}(5):", 7, 0}, {"2*{ans}(0):", 14, 0}, {"{pi}(123):", engine.Pi, 0}});
  RandomGenerator same;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(static_cast<double>(same.Next()), Calc(engine, "{rnd}(7):").value);
}

TEST_F(Dispatch, PowerPrefixesAndCodesWithoutOperation) {
  for (int code = 192; code <= 199; ++code)
    CheckRows(engine, {{"{" + std::to_string(code) + "}2:", std::pow(2.0, code - 190), 0}});
  CheckRows(engine, {
      // After the negation inside, before a binary operator.
      {"{PowerOf2}{Negate}3:", 9, 0}, {"{PowerOf2}3+1:", 10, 0}, {"{PowerOf9}1e40:", 0, kErrOverflow},
  });
  for (int code : {128, 132, 135, 139, 140, 159, 168, 175, 176, 181, 182, 183, 184, 185, 186, 187,
                   188, 189, 190, 191, 200, 201, 202, 211, 212, 213, 217, 218, 219, 220, 221, 222,
                   225, 226})
    CheckRows(engine, {{"{" + std::to_string(code) + "}(1{ArgumentMark}2):", 0, kErrInternal}});
}

// "{name}(1{ArgumentMark}1,1,...)" with n arguments: every argument is 1, a
// valid list for the routines and slot 1 for the solvers.
TEST_F(Dispatch, ArgumentCountsAreCheckedAfterTheListNumber) {
  const struct {
    const char* name;
    int min, max;
  } table[] = {
      {"lcm", 2, 10}, {"gcm", 2, 10}, {"mie", 4, 4}, {"rie", 3, 3}, {"ncr", 2, 2},
      {"npr", 2, 2},  {"pol", 2, 2},  {"rec", 2, 2}, {"juld", 3, 6}, {"bin", 3, 3},
      {"lgb", 2, 2},  {"#dettxt", 9, 9}, {"solve", 3, 4}, {"#sdxd", 2, 2}, {"#stxt", 3, 3},
  };
  for (const auto& f : table) {
    const std::string name = std::string("{") + f.name + "}";
    EXPECT_EQ(kErrUnknown, Calc(engine, name + "17:").error) << f.name;
    EXPECT_EQ(kErrUnknown, Calc(engine, name + "0:").error) << f.name;
    for (int n = 1; n <= 10; ++n) {
      const std::string call = name + "(1" + (n >= 2 ? "{ArgumentMark}1" : "") + Repeat(",1", n - 2) + "):";
      const int error = Calc(engine, call).error;
      if (n < f.min || n > f.max) EXPECT_EQ(kErrArgumentCount, error) << call;
      else EXPECT_TRUE(error != kErrArgumentCount && error != kErrUnknown) << call;
    }
  }
}

// List numbers are 1..16, rounded. {#ecsg} eq2d, {#ectg} eq3d take a slot
// number; solve, {#sdxd} s2x2 and {#stxt} s3x3 take lists whose text
// arguments are slot numbers 0..9.
TEST_F(Dispatch, ListNumbersAndEquationSlots) {
  CheckRows(engine, {
      {"{lgb}0:", 0, kErrUnknown}, {"{lgb}17:", 0, kErrUnknown}, {"{lgb}{Negate}1:", 0, kErrUnknown},
      {"{lgb}1e300:", 0, kErrUnknown}, {"{lgb}16.6:", 0, kErrUnknown}, {"{ncr}0.5:", 0, kErrUnknown},
      {"{ncr}5:", 0, kErrArgumentCount},  // a plain number names an empty list
      {"{lgb}(2{ArgumentMark}8)*0+{lgb}1.4:", 3, 0},
      {"{#ecsg}10:", 0, kErrUnknown}, {"{#ecsg}{Negate}1:", 0, kErrUnknown},
      {"{#ecsg}9.6:", 0, kErrUnknown}, {"{#ectg}10:", 0, kErrUnknown},
      {"{solve}(10{ArgumentMark}0,1):", 0, kErrUnknown}, {"{#sdxd}(1{ArgumentMark}10):", 0, kErrUnknown},
      {"{#stxt}(1{ArgumentMark}2,12):", 0, kErrUnknown},
      {"{#sdxd}(12{ArgumentMark}2,3):", 0, kErrArgumentCount},
  });
  for (const char* accepted : {"{#ecsg}0:", "{#ecsg}9.4:", "{#ectg}1:", "{solve}(9{ArgumentMark}0,1,0.5):",
                               "{#sdxd}(1{ArgumentMark}2):", "{#stxt}(1{ArgumentMark}2,3):"}) {
    const int error = Calc(engine, accepted).error;
    EXPECT_TRUE(error != kErrUnknown && error != kErrArgumentCount) << accepted;
  }
}

}  // namespace
}  // namespace tarvo::test
