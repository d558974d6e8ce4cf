// The evaluation core: priorities and grouping, literals, the binary
// operators and their faults, the fixed limits, argument lists, re-entrancy
// and hostile input. N = {129} negation, R = {21} n-th root, {24} implicit
// product, {29} argument mark, {30} MOD.
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
      {"mixed sum and product", "1+2*3-4:", U::Rad, 3, 0},
      {"group first", "(1+2)*3:", U::Rad, 9, 0},
      {"power groups from the left", "2^3^2:", U::Rad, 64, 0},
      {"minus groups from the left", "10-2-3:", U::Rad, 5, 0},
      {"division groups from the left", "64/4/2:", U::Rad, 8, 0},
      {"negation binds before power", "{129}2^2:", U::Rad, 4, 0},
      {"at-sign looser than slash", "8/2@4:", U::Rad, 16, 0},
      {"implicit product tighter than slash", "1/2{24}4:", U::Rad, 0.125, 0},
      {"power tighter than implicit product", "2{24}3^2:", U::Rad, 18, 0},
      {"implicit product looser than power on the right", "2^3{24}2:", U::Rad, 16, 0},
      {"reciprocal sum equals power priority, left first", "2{25}3^2:", U::Rad, 1.44, 0, M::Near},
      {"reciprocal sum over sum", "1+2{25}2:", U::Rad, 2, 0},
      {"nested groups", "((2+3)*(4-1)):", U::Rad, 15, 0},
      {"group raised", "2*(3+4)^2:", U::Rad, 98, 0},
      {"function before binary operator", "{165}0+1:", U::Rad, 1, 0},
      {"functions apply from the innermost", "{165}{166}0:", U::Rad, std::sin(1.0), 0},
      {"function applies to its group", "{129}(2+3)*2:", U::Rad, -10, 0},
      {"function token after an operator", "3-{129}2:", U::Rad, 5, 0},
      {"first end mark ends the evaluation", "2:3:", U::Rad, 2, 0},
      {"one over a half", "1/0.5:", U::Rad, 2, 0},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(Grouping, IntegerDivisionModAndRoots) {
  const Row rows[] = {
      {"integer division", "7\\2:", U::Rad, 3, 0},
      {"quotient truncates toward zero", "7\\{129}2:", U::Rad, -3, 0},
      {"negative dividend truncates too", "{129}7\\2:", U::Rad, -3, 0},
      {"MOD takes the dividend's sign", "{129}7{30}2:", U::Rad, -1, 0},
      {"MOD with negative divisor", "7{30}{129}2:", U::Rad, 1, 0},
      {"2.5 rounds to even 2", "2.5\\1:", U::Rad, 2, 0},
      {"3.5 rounds to even 4", "3.5\\1:", U::Rad, 4, 0},
      {"divisor rounds too: 7 \\ 2.5 is 7 \\ 2", "7\\2.5:", U::Rad, 3, 0},
      {"MOD operands round", "7.5{30}2.5:", U::Rad, 0, 0},
      {"largest 32-bit dividend", "2147483647\\1:", U::Rad, 2147483647, 0},
      {"smallest 32-bit dividend", "{129}2147483648\\1:", U::Rad, -2147483648.0, 0},
      {"MOD of the smallest by -1", "{129}2147483648{30}{129}1:", U::Rad, 0, 0},
      {"cube root of -8", "3{21}{129}8:", U::Rad, -2, 0},
      {"square root of 9", "2{21}9:", U::Rad, 3, 0},
      {"cube root of 8", "3{21}8:", U::Rad, 2, 0, M::Near},
      {"root of index 0.5 squares", "0.5{21}3:", U::Rad, 9, 0},
      {"negative index, positive radicand", "{129}2{21}4:", U::Rad, 0.5, 0},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(Grouping, OperatorFaults) {
  const Row rows[] = {
      {"division by zero", "8/0:", U::Rad, 0, kErrDivisionByZero},
      {"zero to zero", "0^0:", U::Rad, 0, kErrZeroToZero},
      {"zero to a negative power", "0^({129}1):", U::Rad, 0, kErrOverflow},
      {"negative base, fractional power", "{129}1^0.5:", U::Rad, 0, kErrUnknown},
      {"power overflows", "10^400:", U::Rad, 0, kErrOverflow},
      {"product overflows", "1e308*10:", U::Rad, 0, kErrOverflow},
      {"sum overflows", "1e308+1e308:", U::Rad, 0, kErrOverflow},
      {"difference overflows", "{129}1e308-1e308:", U::Rad, 0, kErrOverflow},
      {"quotient overflows", "1e308/1e-10:", U::Rad, 0, kErrOverflow},
      {"reciprocal sum of opposite values", "2{25}{129}2:", U::Rad, 0, kErrDivisionByZero},
      {"reciprocal sum of zeros", "0{25}0:", U::Rad, 0, kErrDivisionByZero},
      {"reciprocal sum product overflows", "1e200{25}1e200:", U::Rad, 0, kErrOverflow},
      {"integer division by zero", "7\\0:", U::Rad, 0, kErrDivisionByZero},
      {"divisor rounding to zero", "7\\0.5:", U::Rad, 0, kErrDivisionByZero},
      {"MOD by zero", "7{30}0:", U::Rad, 0, kErrDivisionByZero},
      {"dividend beyond 32 bits", "3e9\\1:", U::Rad, 0, kErrOverflow},
      {"divisor beyond 32 bits", "1\\3e9:", U::Rad, 0, kErrOverflow},
      {"half rounding past the 32-bit top", "2147483647.5\\1:", U::Rad, 0, kErrOverflow},
      {"MOD operand beyond 32 bits", "1{30}{129}3e9:", U::Rad, 0, kErrOverflow},
      {"quotient beyond 32 bits", "{129}2147483648\\{129}1:", U::Rad, 0, kErrOverflow},
      {"even root of a negative", "2{21}{129}8:", U::Rad, 0, kErrOutOfRange},
      {"fractional root of a negative", "2.5{21}{129}8:", U::Rad, 0, kErrOutOfRange},
      {"negative odd root of a negative", "{129}3{21}{129}8:", U::Rad, 0, kErrOutOfRange},
      {"root of index 0", "0{21}8:", U::Rad, 0, kErrOverflow},
      {"root of index 0 of a negative", "0{21}{129}8:", U::Rad, 0, kErrOverflow},
      {"huge whole index of a negative", "1e16{21}{129}8:", U::Rad, 0, kErrOverflow},
      {"root overflows", "0.5{21}1e300:", U::Rad, 0, kErrOverflow},
      {"index reciprocal overflows", "1e-320{21}2:", U::Rad, 0, kErrOverflow},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(Grouping, OperatorsWithoutOperation) {
  const Row rows[] = {
      {"not equal", "1{26}2:", U::Rad, 0, kErrInternal},
      {"less or equal", "1{27}2:", U::Rad, 0, kErrInternal},
      {"greater or equal", "1{28}2:", U::Rad, 0, kErrInternal},
      {"less", "1<2:", U::Rad, 0, kErrInternal},
      {"equal", "1=2:", U::Rad, 0, kErrInternal},
      {"greater", "1>2:", U::Rad, 0, kErrInternal},
      {"ampersand", "1&2:", U::Rad, 0, kErrInternal},
      {"semicolon", "1;2:", U::Rad, 0, kErrInternal},
      {"AND", "1{31}2:", U::Rad, 0, kErrInternal},
      {"XOR", "1{22}2:", U::Rad, 0, kErrInternal},
      {"OR", "1{23}2:", U::Rad, 0, kErrInternal},
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
      {"function token at operator position", "1{165}2:", U::Rad, 0, kErrSyntax},
      {"empty string", "", U::Rad, 0, kErrSyntax},
      {"end mark alone", ":", U::Rad, 0, kErrSyntax},
      {"no end mark", "1+2", U::Rad, 0, kErrSyntax},
      {"operand missing at the end", "1+", U::Rad, 0, kErrSyntax},
      {"function token at the end", "{165}", U::Rad, 0, kErrSyntax},
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

  const Outcome even = Calc(engine, Repeat("{129}", 28) + "3:");
  EXPECT_EQ(0, even.error);
  EXPECT_EQ(3.0, even.value);
  EXPECT_EQ(kErrUnknown, Calc(engine, Repeat("{129}", 29) + "3:").error);
  // Mixed items count together.
  EXPECT_EQ(kErrUnknown, Calc(engine, Repeat("{129}(", 15) + "3" + Repeat(")", 15) + ":").error);
}

TEST_F(Limits, ValueStackHoldsTwentyEightSlots) {
  // Each unit leaves five operators of rising priority waiting (+ @ * {24} ^)
  // and opens a group: five slots per unit.
  const std::string unit = "1+1@1*1{24}1^(";
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
      {"SOLVE on its own slot", "{214}(1{29}0,2)-x", "{214}(1{29}0,2):"},
      {"SOLVE on its own slot, step given", "x-{214}(1{29}0,2,0.0002)", "{214}(1{29}0,2,0.0002):"},
      {"EQ2D on its own slot", "{179}(1)+x^2-1", "{179}(1):"},
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
      {"short equation: no root, only poles", "1/{165}(180{24}x)", kNoticeNoSolution},
      {"sixty terms", "1/{165}(180{24}x)+0{24}(" + Repeat("x+", 60) + "x)", kNoticeNoSolution},
      {"four thousand terms", "1/{165}(180{24}x)+0{24}(" + Repeat("x+", 4000) + "x)", kErrCalculationTooLong},
  };
  for (const Row& r : rows) {
    engine.EquationSlots[1] = Tok(r.slot1);
    EXPECT_EQ(r.error, Calc(engine, "{214}(1{29}0.5,10000.5,1):", Unit::Deg).error) << r.name;
  }
  // The budget is per entry: the next evaluation starts afresh.
  EXPECT_EQ(0, Calc(engine, "1+1:").error);
}

TEST_F(Limits, SixteenArgumentListsPerEvaluation) {
  std::string sixteen = "(1{29}1)";
  for (int i = 2; i <= 16; ++i) sixteen += "+(1{29}1)";
  const Outcome fits = Calc(engine, sixteen + ":");
  EXPECT_EQ(0, fits.error);
  EXPECT_EQ(136.0, fits.value);  // the list numbers 1..16 summed
  EXPECT_EQ(kErrTooManyEquations, Calc(engine, sixteen + "+(1{29}1):").error);
}

TEST_F(Limits, TenArgumentsPerList) {
  const Row rows[] = {
      {"ten arguments", "1{29}2,3,4,5,6,7,8,9,10:", U::Rad, 1, 0},
      {"eleventh argument", "1{29}2,3,4,5,6,7,8,9,10,11:", U::Rad, 0, kErrUnknown},
      {"comma on list 0", "0,5:", U::Rad, 0, kErrUnknown},
      {"comma on list 17", "17,5:", U::Rad, 0, kErrUnknown},
      {"comma on a negative list", "{129}1,5:", U::Rad, 0, kErrUnknown},
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
      {"nine arguments", "{224}(1{29}2,3,4,5,6,7,8,10):", U::Rad, -3, 0},
      {"second list of the call", "(1{29}1)+{224}(1{29}2,3,4,5,6,7,8,10):", U::Rad, -2, 0},
      {"arguments are expressions", "{224}(1{29}1+1,3,2*2,5,6,7,8,2^3+2):", U::Rad, -3, 0},
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
    std::string inner = "2*(1{29}1)";
    for (int i = 2; i <= 16; ++i) inner += "+(1{29}1)";
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
      EvaluateWith(engine, Tok("{224}(1{29}2,3,4,{129}{129}5,6,7,8,10)*(2+{129}4):"), &NestingApply);
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
  EXPECT_EQ(0.0, EvaluateWith(engine, Tok("1+{129}2:"), failing));
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
  ExpectSane(engine, Tok(Repeat("{165}", 5000) + "1:"));
  ExpectSane(engine, Tok(Repeat("1+1@1*1{24}1^(", 200) + "1:"));
  ExpectSane(engine, Tok(Repeat("(1{29}1)+", 100) + "1:"));
  ExpectSane(engine, Tok(Repeat(")", 100) + ":"));
  ExpectSane(engine, Tok("1" + Repeat(",1", 100) + ":"));
}

}  // namespace
}  // namespace tarvo::test
