// The evaluation core: priorities and grouping, literals, the binary
// operators and their faults, the fixed limits, argument lists, re-entrancy
// and hostile input. Token strings are written with Tok().
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "engine/errors.h"
#include "engine/eval/dispatch.h"
#include "engine/eval/evaluate.h"
#include "engine/state.h"
#include "tests/engine/eval_support.h"

namespace tarvo::test {
namespace {

using U = Unit;
using M = Match;

class Grouping : public FreshEngine {};

TEST_F(Grouping, PrioritiesAndAssociativity) {
  const Row rows[] = {
      {"negation binds before power", "{Negate}2^2:", U::Rad, 4, 0},
      {"implicit product tighter than slash", "1/2{ImplicitProduct}4:", U::Rad, 0.125, 0},
      {"power tighter than implicit product", "2{ImplicitProduct}3^2:", U::Rad, 18, 0},
      {"implicit product looser than power on the right", "2^3{ImplicitProduct}2:", U::Rad, 16, 0},
      {"functions apply from the innermost", "{sin}{cos}0:", U::Rad, std::sin(1.0), 0},
      {"function applies to its group", "{Negate}(2+3)*2:", U::Rad, -10, 0},
      {"function token after an operator", "3-{Negate}2:", U::Rad, 5, 0},
      {"first end mark ends the evaluation", "2:3:", U::Rad, 2, 0},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(Grouping, IntegerDivisionModAndRoots) {
  const Row rows[] = {
      {"negative dividend truncates too", "{Negate}7\\2:", U::Rad, -3, 0},
      {"MOD takes the dividend's sign", "{Negate}7{Mod}2:", U::Rad, -1, 0},
      {"smallest 32-bit dividend", "{Negate}2147483648\\1:", U::Rad, -2147483648.0, 0},
      {"MOD of the smallest by -1", "{Negate}2147483648{Mod}{Negate}1:", U::Rad, 0, 0},
      {"cube root of -8", "3{NthRoot}{Negate}8:", U::Rad, -2, 0},
      {"square root of 9", "2{NthRoot}9:", U::Rad, 3, 0},
      {"cube root of 8", "3{NthRoot}8:", U::Rad, 2, 0, M::Near},
      {"root of index 0.5 squares", "0.5{NthRoot}3:", U::Rad, 9, 0},
      {"negative index, positive radicand", "{Negate}2{NthRoot}4:", U::Rad, 0.5, 0},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(Grouping, OperatorFaults) {
  const Row rows[] = {
      {"difference overflows", "{Negate}1e308-1e308:", U::Rad, 0, kErrOverflow},
      {"quotient beyond 32 bits", "{Negate}2147483648\\{Negate}1:", U::Rad, 0, kErrOverflow},
      {"even root of a negative", "2{NthRoot}{Negate}8:", U::Rad, 0, kErrOutOfRange},
      {"fractional root of a negative", "2.5{NthRoot}{Negate}8:", U::Rad, 0, kErrOutOfRange},
      {"negative odd root of a negative", "{Negate}3{NthRoot}{Negate}8:", U::Rad, 0, kErrOutOfRange},
      {"root of index 0", "0{NthRoot}8:", U::Rad, 0, kErrOverflow},
      {"root of index 0 of a negative", "0{NthRoot}{Negate}8:", U::Rad, 0, kErrOverflow},
      {"huge whole index of a negative", "1e16{NthRoot}{Negate}8:", U::Rad, 0, kErrOverflow},
      {"root overflows", "0.5{NthRoot}1e300:", U::Rad, 0, kErrOverflow},
      {"index reciprocal overflows", "1e-320{NthRoot}2:", U::Rad, 0, kErrOverflow},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(Grouping, OperatorsWithoutOperation) {
  const Row rows[] = {
      {"not equal", "1{NotEqual}2:", U::Rad, 0, kErrInternal},
      {"less or equal", "1{LessOrEqual}2:", U::Rad, 0, kErrInternal},
      {"greater or equal", "1{GreaterOrEqual}2:", U::Rad, 0, kErrInternal},
      {"less", "1<2:", U::Rad, 0, kErrInternal},
      {"equal", "1=2:", U::Rad, 0, kErrInternal},
      {"greater", "1>2:", U::Rad, 0, kErrInternal},
      {"ampersand", "1&2:", U::Rad, 0, kErrInternal},
      {"semicolon", "1;2:", U::Rad, 0, kErrInternal},
      {"AND", "1{And}2:", U::Rad, 0, kErrInternal},
      {"XOR", "1{Xor}2:", U::Rad, 0, kErrInternal},
      {"OR", "1{Or}2:", U::Rad, 0, kErrInternal},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

class Literals : public FreshEngine {};

TEST_F(Literals, NumbersAndExponents) {
  const Row rows[] = {
      {"plain", "12.25:", U::Rad, 12.25, 0, M::Exact},
      {"leading point", ".5:", U::Rad, 0.5, 0, M::Exact},
      {"trailing point", "5.:", U::Rad, 5, 0, M::Exact},
      {"lone point reads 0", ".:", U::Rad, 0, 0, M::Exact},
      {"exponent", "1.5E3:", U::Rad, 1500, 0, M::Exact},
      {"lower-case exponent", "2e3:", U::Rad, 2000, 0, M::Exact},
      {"negative exponent", "2E-3:", U::Rad, 0.002, 0, M::Exact},
      {"signed positive exponent", "2E+3:", U::Rad, 2000, 0, M::Exact},
      {"exponent without digits", "1E:", U::Rad, 1, 0, M::Exact},
      {"exponent sign without digits", "1e+:", U::Rad, 1, 0, M::Exact},
      {"exponent without mantissa reads 0", "E5:", U::Rad, 0, 0, M::Exact},
      {"exponent followed by an operator", "2e3+1:", U::Rad, 2001, 0, M::Exact},
      {"many digits", "123456789012345678901234567890:", U::Rad, 1.2345678901234568e29, 0},
      {"below the double range reads 0", "1E-400:", U::Rad, 0, 0, M::Exact},
      {"small mantissa, small exponent", "0.0001E-330:", U::Rad, 0, 0, M::Exact},
      {"small mantissa brings it back in range", "0.001E310:", U::Rad, 1e307, 0},
      {"above the double range", "1E400:", U::Rad, 0, kErrOverflow},
      {"above the range by its digits", "1000000000000000000000000000000E300:", U::Rad, 0,
       kErrOverflow},
      {"huge exponent digits", "1E99999999999999999999:", U::Rad, 0, kErrOverflow},
      {"zero with huge exponent", "0E99999:", U::Rad, 0, 0, M::Exact},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(Literals, MalformedInput) {
  const Row rows[] = {
      {"second point", "1.2.3:", U::Rad, 0, kErrSyntax},
      {"close at operand position", "):", U::Rad, 0, kErrSyntax},
      {"letter at operator position", "2x:", U::Rad, 0, kErrSyntax},
      {"open at operator position", "1(2):", U::Rad, 0, kErrSyntax},
      {"function token at operator position", "1{sin}2:", U::Rad, 0, kErrSyntax},
      {"empty string", "", U::Rad, 0, kErrSyntax},
      {"end mark alone", ":", U::Rad, 0, kErrSyntax},
      {"no end mark", "1+2", U::Rad, 0, kErrSyntax},
      {"operand missing at the end", "1+", U::Rad, 0, kErrSyntax},
      {"function token at the end", "{sin}", U::Rad, 0, kErrSyntax},
      {"open group at the end", "(1+2", U::Rad, 0, kErrSyntax},
      {"end mark inside an open group", "(1+2:", U::Rad, 0, kErrSyntax},
      {"end mark inside a nested group", "1+(2*(3:", U::Rad, 0, kErrSyntax},
      {"close without open", "1+2):", U::Rad, 0, kErrSyntax},
      {"second close", "(1))+2:", U::Rad, 0, kErrSyntax},
      {"name of two letters", "ab:", U::Rad, 0, kErrSyntax},
      {"name with a digit", "x1:", U::Rad, 0, kErrSyntax},
      {"name with an underscore", "x_:", U::Rad, 0, kErrSyntax},
      {"upper-case letter", "X:", U::Rad, 0, kErrSyntax},
      {"byte 0 as operand", "{0}:", U::Rad, 0, kErrSyntax},
      {"code 227 is no function", "{227}1:", U::Rad, 0, kErrSyntax},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(Literals, EnteringWithAnErrorDoesNothing) {
  engine.ErrorCode = kErrOutOfRange;
  EXPECT_EQ(0.0, Evaluate(engine, Tok("x+1:")));
  EXPECT_EQ(kErrOutOfRange, engine.ErrorCode);
  EXPECT_EQ(kUndefined, engine.DefinedFlag['x' - 'a']);  // nothing was read
}

TEST_F(Literals, ParsingIgnoresTheLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  // A comma-decimal locale when the machine has one; the test still pins
  // the "." reading otherwise.
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");
  const Outcome out = Calc(engine, "2.5*2:");
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(0, out.error);
  EXPECT_EQ(5.0, out.value);
}

// Limits ----------------------------------------------------------------------

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

class Limits : public FreshEngine {};

TEST_F(Limits, PrefixStackHoldsTwentyEightItems) {
  const Outcome deepest = Calc(engine, Repeat("(", 28) + "1" + Repeat(")", 28) + ":");
  EXPECT_EQ(0, deepest.error);
  EXPECT_EQ(1.0, deepest.value);
  EXPECT_EQ(kErrUnknown, Calc(engine, Repeat("(", 29) + "1" + Repeat(")", 29) + ":").error);

  const Outcome even = Calc(engine, Repeat("{Negate}", 28) + "3:");
  EXPECT_EQ(0, even.error);
  EXPECT_EQ(3.0, even.value);
  EXPECT_EQ(kErrUnknown, Calc(engine, Repeat("{Negate}", 29) + "3:").error);
  // Mixed items count together.
  EXPECT_EQ(kErrUnknown, Calc(engine, Repeat("{Negate}(", 15) + "3" + Repeat(")", 15) + ":").error);
}

TEST_F(Limits, ValueStackHoldsTwentyEightSlots) {
  // Each unit leaves five operators of rising priority waiting (+ @ * {ImplicitProduct} ^)
  // and opens a group: five slots per unit.
  const std::string unit = "1+1@1*1{ImplicitProduct}1^(";
  const Outcome fits = Calc(engine, Repeat(unit, 5) + "1+1@1" + Repeat(")", 5) + ":");
  EXPECT_EQ(0, fits.error);
  EXPECT_EQ(2.0, fits.value);
  const Outcome over = Calc(engine, Repeat(unit, 5) + "1+1@1*1" + Repeat(")", 5) + ":");
  EXPECT_EQ(kErrUnknown, over.error);
  EXPECT_EQ(0.0, over.value);
}

// A solver whose equation calls a solver on the equation's own slot would
// recurse until the stack ran out; the nesting limit ends it in error 1,
// whatever the solver in between made of the failure.
TEST_F(Limits, ASolverReenteringItsOwnEquationEndsInError1) {
  struct Row { const char* name; const char* slot1; const char* tokens; };
  const Row rows[] = {
      {"SOLVE on its own slot", "{solve}(1{ArgumentMark}0,2)-x", "{solve}(1{ArgumentMark}0,2):"},
      {"SOLVE on its own slot, step given", "x-{solve}(1{ArgumentMark}0,2,0.0002)", "{solve}(1{ArgumentMark}0,2,0.0002):"},
      {"EQ2D on its own slot", "{#ecsg}(1)+x^2-1", "{#ecsg}(1):"},
  };
  for (const Row& r : rows) {
    engine.EquationSlots[1] = Tok(r.slot1);
    const Outcome o = Calc(engine, r.tokens);
    EXPECT_EQ(kErrUnknown, o.error) << r.name;
    EXPECT_EQ(0.0, o.value) << r.name;
  }
}

// SOLVE at its step limit evaluates its equation over 10,000 times:
// equations of a few dozen terms still run to their answer, a long one
// exhausts the entry's work budget (41) instead of taking seconds.
TEST_F(Limits, EvaluationWorkPerEntryIsBounded) {
  struct Row { const char* name; std::string slot1; int error; };
  const Row rows[] = {
      {"short equation: no root, only poles", "1/{sin}(180{ImplicitProduct}x)", kNoticeNoSolution},
      {"sixty terms", "1/{sin}(180{ImplicitProduct}x)+0{ImplicitProduct}(" + Repeat("x+", 60) + "x)", kNoticeNoSolution},
      {"four thousand terms", "1/{sin}(180{ImplicitProduct}x)+0{ImplicitProduct}(" + Repeat("x+", 4000) + "x)", kErrCalculationTooLong},
  };
  for (const Row& r : rows) {
    engine.EquationSlots[1] = Tok(r.slot1);
    EXPECT_EQ(r.error, Calc(engine, "{solve}(1{ArgumentMark}0.5,10000.5,1):", Unit::Deg).error) << r.name;
  }
  // The budget is per entry: the next evaluation starts afresh.
  EXPECT_EQ(0, Calc(engine, "1+1:").error);
}

TEST_F(Limits, SixteenArgumentListsPerEvaluation) {
  std::string sixteen = "(1{ArgumentMark}1)";
  for (int i = 2; i <= 16; ++i) sixteen += "+(1{ArgumentMark}1)";
  const Outcome fits = Calc(engine, sixteen + ":");
  EXPECT_EQ(0, fits.error);
  EXPECT_EQ(136.0, fits.value);  // the list numbers 1..16 summed
  EXPECT_EQ(kErrTooManyEquations, Calc(engine, sixteen + "+(1{ArgumentMark}1):").error);
}

TEST_F(Limits, TenArgumentsPerList) {
  const Row rows[] = {
      {"ten arguments", "1{ArgumentMark}2,3,4,5,6,7,8,9,10:", U::Rad, 1, 0},
      {"eleventh argument", "1{ArgumentMark}2,3,4,5,6,7,8,9,10,11:", U::Rad, 0, kErrUnknown},
      {"comma on list 0", "0,5:", U::Rad, 0, kErrUnknown},
      {"comma on list 17", "17,5:", U::Rad, 0, kErrUnknown},
      {"comma on a negative list", "{Negate}1,5:", U::Rad, 0, kErrUnknown},
      {"comma on a huge list number", "1e300,5:", U::Rad, 0, kErrUnknown},
      {"0.5 rounds to list 0", "0.5,1:", U::Rad, 0, kErrUnknown},
      {"16.5 rounds to list 16, value kept", "16.5,1:", U::Rad, 16.5, 0},
      {"1.5 rounds to list 2, value kept", "1.5,1:", U::Rad, 1.5, 0},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(Limits, ListContentReachesTheFunction) {
  // det3x3(1..8, 10) is -3; the arguments arrive in order.
  const Row rows[] = {
      {"nine arguments", "{#dettxt}(1{ArgumentMark}2,3,4,5,6,7,8,10):", U::Rad, -3, 0},
      {"second list of the call", "(1{ArgumentMark}1)+{#dettxt}(1{ArgumentMark}2,3,4,5,6,7,8,10):", U::Rad, -2, 0},
      {"arguments are expressions", "{#dettxt}(1{ArgumentMark}1+1,3,2*2,5,6,7,8,2^3+2):", U::Rad, -3, 0},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

// Re-entrancy -----------------------------------------------------------------

// An applier that, before every negation, runs a whole evaluation of its own
// that uses all sixteen lists and several pending operators.
int nestedCalls = 0;
double nestedValue = 0;

void NestingApply(Engine& engine, int code, double& value, const ArgumentLists& lists) {
  if (code == 129) {
    ++nestedCalls;
    std::string inner = "2*(1{ArgumentMark}1)";
    for (int i = 2; i <= 16; ++i) inner += "+(1{ArgumentMark}1)";
    nestedValue = Evaluate(engine, Tok(inner + ":"));
    if (engine.ErrorCode != 0) return;
  }
  Apply(engine, code, value, lists);
}

class Reentrancy : public FreshEngine {};

TEST_F(Reentrancy, NestedEvaluationLeavesTheOuterStacksAlone) {
  nestedCalls = 0;
  nestedValue = 0;
  // The outer evaluation holds list 1 and a pending "*" and "(" while the
  // nested ones run.
  const double v =
      EvaluateWith(engine, Tok("{#dettxt}(1{ArgumentMark}2,3,4,{Negate}{Negate}5,6,7,8,10)*(2+{Negate}4):"), &NestingApply);
  EXPECT_EQ(0, engine.ErrorCode);
  EXPECT_EQ(6.0, v);  // -3 * (2 - 4)
  EXPECT_EQ(3, nestedCalls);
  EXPECT_EQ(137.0, nestedValue);
}

TEST_F(Reentrancy, NestedFailureStopsTheOuterEvaluation) {
  const auto failing = [](Engine& engine, int code, double& value, const ArgumentLists& lists) {
    if (code == 129) Evaluate(engine, Tok("1/0:"));
    if (engine.ErrorCode != 0) return;
    Apply(engine, code, value, lists);
  };
  EXPECT_EQ(0.0, EvaluateWith(engine, Tok("1+{Negate}2:"), failing));
  EXPECT_EQ(kErrDivisionByZero, engine.ErrorCode);
}

// Hostile input ---------------------------------------------------------------

void ExpectSane(Engine& engine, const std::string& tokens) {
  engine.ErrorCode = 0;
  const double v = Evaluate(engine, tokens);
  const int e = engine.ErrorCode;
  ASSERT_TRUE(e >= 0 && e <= 40) << Readable(tokens) << " gave " << e;
  if (e == 0) {
    ASSERT_TRUE(std::isfinite(v)) << Readable(tokens);
  } else {
    ASSERT_EQ(0.0, v) << Readable(tokens);
  }
}

class Robustness : public FreshEngine {};

TEST_F(Robustness, RandomBytes) {
  std::mt19937 gen(12345);
  std::uniform_int_distribution<int> length(0, 80), byte(0, 255);
  for (int n = 0; n < 20000; ++n) {
    std::string s;
    const int len = length(gen);
    for (int i = 0; i < len; ++i) s += static_cast<char>(byte(gen));
    if (n % 2 == 0) s += ':';
    ExpectSane(engine, s);
  }
}

TEST_F(Robustness, RandomTokenStrings) {
  // Bytes the evaluator gives meaning to, so that the walk goes deep:
  // operands, every operator, groups, function tokens, lists.
  std::string alphabet = "0123456789.eExyz()+-@*/^\\,:=<>&;E";
  for (int c : {21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31}) alphabet += static_cast<char>(c);
  for (int c = 128; c <= 226; ++c) alphabet += static_cast<char>(c);
  std::mt19937 gen(54321);
  std::uniform_int_distribution<int> length(1, 120);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  for (int n = 0; n < 20000; ++n) {
    std::string s;
    const int len = length(gen);
    for (int i = 0; i < len; ++i) s += alphabet[pick(gen)];
    s += ':';
    ExpectSane(engine, s);
  }
}

TEST_F(Robustness, DeepNestingEndsInAnErrorNotACrash) {
  ExpectSane(engine, Tok(Repeat("(", 5000) + "1" + Repeat(")", 5000) + ":"));
  ExpectSane(engine, Tok(Repeat("{sin}", 5000) + "1:"));
  ExpectSane(engine, Tok(Repeat("1+1@1*1{ImplicitProduct}1^(", 200) + "1:"));
  ExpectSane(engine, Tok(Repeat("(1{ArgumentMark}1)+", 100) + "1:"));
  ExpectSane(engine, Tok(Repeat(")", 100) + ":"));
  ExpectSane(engine, Tok("1" + Repeat(",1", 100) + ":"));
}

}  // namespace
}  // namespace tarvo::test
