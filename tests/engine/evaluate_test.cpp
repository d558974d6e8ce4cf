// The evaluation core on token strings as the normaliser hands them over:
// literals, malformed strings, the locale, the fixed limits, the solvers'
// nesting and work budget, the dispatcher's list numbers and equation
// slots. Typed entries are in the golden files.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "engine/errors.h"
#include "engine/eval/evaluate.h"
#include "engine/state.h"
#include "tests/engine/eval_support.h"

namespace tarvo::test {
namespace {

using enum ErrorNumber;

using Evaluation = FreshEngine;
using Dispatch = FreshEngine;

TEST_F(Evaluation, LiteralsAndMalformedStrings) {
  CheckRows(engine, {
      {".5:", 0.5}, {"5.:", 5}, {".:", 0}, {"2e3+1:", 2001}, {"2E-3:", 0.002},
      {"2E+3:", 2000}, {"1E:", 1}, {"1e+:", 1}, {"E5:", 0}, {"1E-400:", 0},
      {"0.0001E-330:", 0}, {"0.001E310:", 1e307}, {"0E99999:", 0},
      {"1E400:", 0, kOverflow}, {"1000000000000000000000000000000E300:", 0, kOverflow},
      {"1E99999999999999999999:", 0, kOverflow},
  });
  for (const char* bad : {"1.2.3:", "):", "2x:", "1(2):", "1{sin}2:", "", ":", "1+2", "1+",
                          "{sin}", "(1+2:", "1+(2*(3:", "1+2):", "(1))+2:", "ab:", "x1:", "X:",
                          "{0}:", "{227}1:"})
    CheckRows(engine, {{bad, 0, kSyntax}});
}

// Each operator token does its own operation at its own priority; the
// tokens that have no operation fail with 2.
TEST_F(Evaluation, OperatorsByTheirTokens) {
  CheckRows(engine, {
      {"1+2:", 3}, {"5-7:", -2}, {"3*4:", 12}, {"3@4:", 12}, {"2{ImplicitProduct}5:", 10},
      {"8/2@4:", 16}, {"8/2*4:", 16}, {"8/2{ImplicitProduct}4:", 1}, {"2*2{ReciprocalSum}2:", 2},
      {"2*3^2:", 18}, {"2+7\\2:", 5}, {"1+7{Mod}4:", 4}, {"2*2{NthRoot}9:", 6}, {"(1):", 1},
      // "\\" and MOD bind as "*" and "/" do, more tightly than "@".
      {"2@7\\2:", 6}, {"2@7{Mod}4:", 6}, {"8/4\\2:", 1},
  });
  for (const char* none : {"1{NotEqual}2:", "1{LessOrEqual}2:", "1{GreaterOrEqual}2:", "1<2:", "1=2:", "1>2:",
                           "1&2:", "1;2:", "1{And}2:", "1{Xor}2:", "1{Or}2:"})
    CheckRows(engine, {{none, 0, kInternal}});
}

// Under a locale whose decimal separator is a comma (tools/tarvo.sh
// generates de_DE.UTF-8 for CI).
TEST_F(Evaluation, ParsingIgnoresTheLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  const char* comma = nullptr;
  for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8"})
    if (comma == nullptr && std::setlocale(LC_NUMERIC, name) != nullptr) comma = name;
  if (comma == nullptr) GTEST_SKIP() << "neither de_DE.UTF-8 nor fr_FR.UTF-8 is installed (locale-gen makes one)";
  const std::string point = std::localeconv()->decimal_point;
  const Outcome out = Calc(engine, "2.5*2:");
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(point, ",") << comma;
  EXPECT_EQ(5.0, out.value);
}

TEST_F(Evaluation, StackAndListLimits) {
  // 28 pending prefix items (groups and function tokens count together).
  CheckRows(engine, {
      {Repeat("(", 28) + "1" + Repeat(")", 28) + ":", 1},
      {Repeat("(", 29) + "1" + Repeat(")", 29) + ":", 0, kUnknown},
      {Repeat("{Negate}", 28) + "3:", 3}, {Repeat("{Negate}", 29) + "3:", 0, kUnknown},
      {Repeat("{Negate}(", 15) + "3" + Repeat(")", 15) + ":", 0, kUnknown},
  });
  // 28 value slots: each unit leaves five operators of rising priority
  // waiting and opens a group.
  const std::string unit = "1+1@1*1{ImplicitProduct}1^(";
  CheckRows(engine, {
      {Repeat(unit, 5) + "1+1@1" + Repeat(")", 5) + ":", 2},
      {Repeat(unit, 5) + "1+1@1*1" + Repeat(")", 5) + ":", 0, kUnknown},
  });
  // 16 argument lists per evaluation (a list's value is its number), ten
  // arguments per list, list numbers 1..16.
  const std::string sixteen = "(1{ArgumentMark}1)" + Repeat("+(1{ArgumentMark}1)", 15);
  CheckRows(engine, {
      {sixteen + ":", 136}, {sixteen + "+(1{ArgumentMark}1):", 0, kTooManyEquations},
      {"1{ArgumentMark}2,3,4,5,6,7,8,9,10:", 1},
      {"1{ArgumentMark}2,3,4,5,6,7,8,9,10,11:", 0, kUnknown}, {"0,5:", 0, kUnknown},
      {"17,5:", 0, kUnknown}, {"{Negate}1,5:", 0, kUnknown}, {"1e300,5:", 0, kUnknown},
      {"0.5,1:", 0, kUnknown}, {"16.5,1:", 16.5},
      // det3x3(1..8, 10) is -3: the second list of a call reaches its function.
      {"(1{ArgumentMark}1)+{#dettxt}(1{ArgumentMark}2,3,4,5,6,7,8,10):", -2},
  });
}

// A solver whose equation calls a solver on the equation's own slot ends in
// error 1 at the nesting limit, whatever the solver in between made of it.
// SOLVE at 10,000 steps: sixty terms run to their answer, four thousand use
// up the entry's work budget; the next entry starts afresh.
TEST_F(Evaluation, SolverNestingAndWorkAreBounded) {
  for (const char* solver : {"{solve}(1{ArgumentMark}0,2)", "{solve}(1{ArgumentMark}0,2,0.0002)", "{#ecsg}(1)"}) {
    engine.EquationSlots[1] = Tok(std::string(solver) + "-x^2");
    CheckRows(engine, {{std::string(solver) + ":", 0, kUnknown}});
  }
  for (const auto& [terms, error] : {std::pair{60, kNoSolution}, {4000, kCalculationTooLong}}) {
    engine.EquationSlots[1] = Tok("1/{sin}(180{ImplicitProduct}x)+0{ImplicitProduct}(" + Repeat("x+", terms) + "x)");
    EXPECT_EQ(error, Calc(engine, "{solve}(1{ArgumentMark}0.5,10000.5,1):", true).error) << terms;
  }
  EXPECT_EQ(kNone, Calc(engine, "1+1:").error);
}

// The work an evaluation was charged.
long long Spent(Engine& engine, std::string_view readable) {
  Calc(engine, readable);
  return kWorkBudget - engine.Work.Remaining;
}

// Steps on the processor's or the library's slow path are charged half as
// much again as the same steps on the usual one at least, so that no kind
// of work outlasts the budget's time; a failing evaluation pays nothing for
// the tokens it never reads.
TEST_F(Evaluation, SlowPathsCostMoreWork) {
  const struct {
    const char* name;
    std::string usual, slow;
  } rows[] = {
      {"tangents of a huge angle", "{tan}1+{tan}1+{tan}1:", "{tan}1E300+{tan}1E300+{tan}1E300:"},
      {"rectangular coordinates of a huge angle", "{rec}(3{ArgumentMark}1):", "{rec}(3{ArgumentMark}1E300):"},
      {"products with a subnormal", "1E-300*1.5*1.5*1.5*1.5:", "1E-310*1.5*1.5*1.5*1.5:"},
      {"subnormal exponentials", Repeat("{exp}{Negate}700+", 2) + "0:", Repeat("{exp}{Negate}740+", 2) + "0:"},
      {"a literal settled digit by digit", "9007199254740992.0000:", "9007199254740993.0000:"},
      {"a factorial of more factors", "{fact}10:", "{fact}170:"},
  };
  for (const auto& row : rows) EXPECT_GT(2 * Spent(engine, row.slow), 3 * Spent(engine, row.usual)) << row.name;
  EXPECT_EQ(Spent(engine, "1/0:"), Spent(engine, "1/0+" + Repeat("x+", 1000) + "x:"));
}

// List numbers are 1..16, rounded. {#ecsg} eq2d, {#ectg} eq3d take a slot
// number; solve, {#sdxd} s2x2 and {#stxt} s3x3 take lists whose text
// arguments are slot numbers 0..9.
TEST_F(Dispatch, ListNumbersAndEquationSlots) {
  CheckRows(engine, {
      {"{lgb}0:", 0, kUnknown}, {"{lgb}17:", 0, kUnknown}, {"{lgb}{Negate}1:", 0, kUnknown},
      {"{lgb}1e300:", 0, kUnknown}, {"{lgb}16.6:", 0, kUnknown}, {"{ncr}0.5:", 0, kUnknown},
      {"{ncr}5:", 0, kArgumentCount},  // a plain number names an empty list
      {"{lgb}(2{ArgumentMark}8)*0+{lgb}1.4:", 3},
      {"{#ecsg}10:", 0, kUnknown}, {"{#ecsg}{Negate}1:", 0, kUnknown},
      {"{#ecsg}9.6:", 0, kUnknown}, {"{#ectg}10:", 0, kUnknown},
      {"{solve}(10{ArgumentMark}0,1):", 0, kUnknown}, {"{#sdxd}(1{ArgumentMark}10):", 0, kUnknown},
      {"{#stxt}(1{ArgumentMark}2,12):", 0, kUnknown},
      {"{#sdxd}(12{ArgumentMark}2,3):", 0, kArgumentCount},
  });
  for (const char* accepted : {"{#ecsg}0:", "{#ecsg}9.4:", "{#ectg}1:", "{solve}(9{ArgumentMark}0,1,0.5):",
                               "{#sdxd}(1{ArgumentMark}2):", "{#stxt}(1{ArgumentMark}2,3):"}) {
    const ErrorNumber error = Calc(engine, accepted).error;
    EXPECT_TRUE(error != kUnknown && error != kArgumentCount) << accepted;
  }
}

}  // namespace
}  // namespace tarvo::test
