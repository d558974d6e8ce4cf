// The evaluation core on token strings as the normaliser hands them over:
// priorities, the whole-number operators and roots, literals, malformed
// strings, the fixed limits, re-entrancy and hostile input. Typed entries
// are in the golden files.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include "engine/errors.h"
#include "engine/eval/dispatch.h"
#include "engine/eval/evaluate.h"
#include "engine/state.h"
#include "tests/engine/eval_support.h"

namespace tarvo::test {
namespace {

using Evaluation = FreshEngine;

TEST_F(Evaluation, OperatorsAndRoots) {
  CheckRows(engine, {
      {"{Negate}2^2:", 4, 0},  // a function token binds before power
      {"1/2{ImplicitProduct}4:", 0.125, 0}, {"2{ImplicitProduct}3^2:", 18, 0},
      {"2^3{ImplicitProduct}2:", 16, 0}, {"{sin}{cos}0:", std::sin(1.0), 0},
      {"{Negate}(2+3)*2:", -10, 0}, {"3-{Negate}2:", 5, 0},
      {"2:3:", 2, 0},  // the first end mark ends the evaluation
      {"{Negate}7\\2:", -3, 0}, {"{Negate}7{Mod}2:", -1, 0},
      {"{Negate}2147483648\\1:", -2147483648.0, 0}, {"{Negate}2147483648{Mod}{Negate}1:", 0, 0},
      {"{Negate}2147483648\\{Negate}1:", 0, kErrOverflow},
      {"{Negate}1e308-1e308:", 0, kErrOverflow}, {"3{NthRoot}{Negate}8:", -2, 0},
      {"0.5{NthRoot}3:", 9, 0}, {"{Negate}2{NthRoot}4:", 0.5, 0},
      {"2{NthRoot}{Negate}8:", 0, kErrOutOfRange}, {"2.5{NthRoot}{Negate}8:", 0, kErrOutOfRange},
      {"{Negate}3{NthRoot}{Negate}8:", 0, kErrOutOfRange},
      {"0{NthRoot}{Negate}8:", 0, kErrOverflow}, {"1e16{NthRoot}{Negate}8:", 0, kErrOverflow},
      {"0.5{NthRoot}1e300:", 0, kErrOverflow}, {"1e-320{NthRoot}2:", 0, kErrOverflow},
  });
  // Comparisons and logic operators have no operation here.
  for (const char* op : {"{NotEqual}", "{LessOrEqual}", "{GreaterOrEqual}", "<", "=", ">", "&",
                         ";", "{And}", "{Xor}", "{Or}"})
    CheckRows(engine, {{std::string("1") + op + "2:", 0, kErrInternal}});
}

TEST_F(Evaluation, LiteralsAndMalformedStrings) {
  CheckRows(engine, {
      {".5:", 0.5, 0}, {"5.:", 5, 0}, {".:", 0, 0}, {"2e3+1:", 2001, 0}, {"2E-3:", 0.002, 0},
      {"2E+3:", 2000, 0}, {"1E:", 1, 0}, {"1e+:", 1, 0}, {"E5:", 0, 0}, {"1E-400:", 0, 0},
      {"0.0001E-330:", 0, 0}, {"0.001E310:", 1e307, 0}, {"0E99999:", 0, 0},
      {"1E400:", 0, kErrOverflow}, {"1000000000000000000000000000000E300:", 0, kErrOverflow},
      {"1E99999999999999999999:", 0, kErrOverflow},
  });
  for (const char* bad : {"1.2.3:", "):", "2x:", "1(2):", "1{sin}2:", "", ":", "1+2", "1+",
                          "{sin}", "(1+2:", "1+(2*(3:", "1+2):", "(1))+2:", "ab:", "x1:", "X:",
                          "{0}:", "{227}1:"})
    CheckRows(engine, {{bad, 0, kErrSyntax}});
}

// Entered with an error, nothing is read. A value no calculation makes (a
// loaded file's "ans") is a fault where it is read, and ends the evaluation
// before the next operator.
TEST_F(Evaluation, ErrorsStopTheEvaluation) {
  engine.ErrorCode = kErrOutOfRange;
  EXPECT_EQ(0.0, Evaluate(engine, Tok("x+1:")));
  EXPECT_EQ(kErrOutOfRange, engine.ErrorCode);
  EXPECT_EQ(kUndefined, engine.DefinedFlag['x' - 'a']);
  engine.LastAnswer = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(kErrUnknown, Calc(engine, "{ans}(0)/0:").error);
  engine.LastAnswer = std::numeric_limits<double>::infinity();
  EXPECT_EQ(kErrOverflow, Calc(engine, "{ans}(0)/0:").error);
}

TEST_F(Evaluation, ParsingIgnoresTheLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");
  const Outcome out = Calc(engine, "2.5*2:");
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(5.0, out.value);
}

TEST_F(Evaluation, StackAndListLimits) {
  // 28 pending prefix items (groups and function tokens count together).
  CheckRows(engine, {
      {Repeat("(", 28) + "1" + Repeat(")", 28) + ":", 1, 0},
      {Repeat("(", 29) + "1" + Repeat(")", 29) + ":", 0, kErrUnknown},
      {Repeat("{Negate}", 28) + "3:", 3, 0}, {Repeat("{Negate}", 29) + "3:", 0, kErrUnknown},
      {Repeat("{Negate}(", 15) + "3" + Repeat(")", 15) + ":", 0, kErrUnknown},
  });
  // 28 value slots: each unit leaves five operators of rising priority
  // waiting and opens a group.
  const std::string unit = "1+1@1*1{ImplicitProduct}1^(";
  CheckRows(engine, {
      {Repeat(unit, 5) + "1+1@1" + Repeat(")", 5) + ":", 2, 0},
      {Repeat(unit, 5) + "1+1@1*1" + Repeat(")", 5) + ":", 0, kErrUnknown},
  });
  // 16 argument lists per evaluation (a list's value is its number), ten
  // arguments per list, list numbers 1..16.
  const std::string sixteen = "(1{ArgumentMark}1)" + Repeat("+(1{ArgumentMark}1)", 15);
  CheckRows(engine, {
      {sixteen + ":", 136, 0}, {sixteen + "+(1{ArgumentMark}1):", 0, kErrTooManyEquations},
      {"1{ArgumentMark}2,3,4,5,6,7,8,9,10:", 1, 0},
      {"1{ArgumentMark}2,3,4,5,6,7,8,9,10,11:", 0, kErrUnknown}, {"0,5:", 0, kErrUnknown},
      {"17,5:", 0, kErrUnknown}, {"{Negate}1,5:", 0, kErrUnknown}, {"1e300,5:", 0, kErrUnknown},
      {"0.5,1:", 0, kErrUnknown}, {"16.5,1:", 16.5, 0},
      // det3x3(1..8, 10) is -3: the second list of a call reaches its function.
      {"(1{ArgumentMark}1)+{#dettxt}(1{ArgumentMark}2,3,4,5,6,7,8,10):", -2, 0},
  });
}

// A solver whose equation calls a solver on the equation's own slot ends in
// error 1 at the nesting limit, whatever the solver in between made of it.
// SOLVE at 10,000 steps: sixty terms run to their answer, four thousand use
// up the entry's work budget; the next entry starts afresh.
TEST_F(Evaluation, SolverNestingAndWorkAreBounded) {
  for (const char* solver : {"{solve}(1{ArgumentMark}0,2)", "{solve}(1{ArgumentMark}0,2,0.0002)", "{#ecsg}(1)"}) {
    engine.EquationSlots[1] = Tok(std::string(solver) + "-x^2");
    CheckRows(engine, {{std::string(solver) + ":", 0, kErrUnknown}});
  }
  for (const auto& [terms, error] : {std::pair{60, kNoticeNoSolution}, {4000, kErrCalculationTooLong}}) {
    engine.EquationSlots[1] = Tok("1/{sin}(180{ImplicitProduct}x)+0{ImplicitProduct}(" + Repeat("x+", terms) + "x)");
    EXPECT_EQ(error, Calc(engine, "{solve}(1{ArgumentMark}0.5,10000.5,1):", true).error) << terms;
  }
  EXPECT_EQ(0, Calc(engine, "1+1:").error);
}

// Before every negation the applier runs a whole evaluation of its own that
// uses all sixteen lists; the outer one holds list 1, "*" and "(" meanwhile.
int nestedCalls = 0;
double nestedValue = 0;

void NestingApply(Engine& engine, int code, double& value, const ArgumentLists& lists) {
  if (code == CodeOf(Token::Negate)) {
    ++nestedCalls;
    nestedValue = Evaluate(engine, Tok("2*(1{ArgumentMark}1)" + Repeat("+(1{ArgumentMark}1)", 15) + ":"));
    if (engine.ErrorCode != 0) return;
  }
  Apply(engine, code, value, lists);
}

TEST_F(Evaluation, NestedEvaluationsLeaveTheOuterStateAlone) {
  const double v = EvaluateWith(
      engine, Tok("{#dettxt}(1{ArgumentMark}2,3,4,{Negate}{Negate}5,6,7,8,10)*(2+{Negate}4):"), &NestingApply);
  EXPECT_EQ(0, engine.ErrorCode);
  EXPECT_EQ(6.0, v);  // -3 * (2 - 4)
  EXPECT_EQ(3, nestedCalls);
  EXPECT_EQ(137.0, nestedValue);
  const auto failing = [](Engine& e, int code, double& value, const ArgumentLists& lists) {
    Evaluate(e, Tok("1/0:"));
    if (e.ErrorCode == 0) Apply(e, code, value, lists);
  };
  EXPECT_EQ(0.0, EvaluateWith(engine, Tok("1+{Negate}2:"), failing));
  EXPECT_EQ(kErrDivisionByZero, engine.ErrorCode);
}

}  // namespace
}  // namespace tarvo::test
