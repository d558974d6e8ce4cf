// Function dispatch, one table per family: circular functions in the three
// angle units with their zeroing and 1E15 rules, inverse circular, hyperbolic
// and inverse hyperbolic, roots/logs/exp and the simple functions, power
// prefixes, reserved codes, and the list and text functions' own checks.
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

using U = Unit;
using M = Match;

const double kPi = 4 * std::atan(1.0);

class Circular : public FreshEngine {};

TEST_F(Circular, Degrees) {
  const Row rows[] = {
      {"sin 30", "{sin}30:", U::Deg, 0.49999999999999994, 0, M::Exact},
      {"sin 90", "{sin}90:", U::Deg, 1, 0, M::Exact},
      {"sin 180 is exactly 0", "{sin}180:", U::Deg, 0, 0, M::Exact},
      {"sin -180 is exactly 0", "{sin}{Negate}180:", U::Deg, 0, 0, M::Exact},
      {"sin 360 is exactly 0", "{sin}360:", U::Deg, 0, 0, M::Exact},
      {"cos 0", "{cos}0:", U::Deg, 1, 0, M::Exact},
      {"cos 90 is exactly 0", "{cos}90:", U::Deg, 0, 0, M::Exact},
      {"cos 60", "{cos}60:", U::Deg, 0.5, 0},
      {"tan 45", "{tan}45:", U::Deg, 1, 0},
      {"tan 180 is exactly 0", "{tan}180:", U::Deg, 0, 0, M::Exact},
      {"tan 90 fails", "{tan}90:", U::Deg, 0, kErrDivisionByZero},
      {"tan 270 fails", "{tan}270:", U::Deg, 0, kErrDivisionByZero},
      {"cosec 90", "{cosec}90:", U::Deg, 1, 0},
      {"cosec 30", "{cosec}30:", U::Deg, 2, 0},
      {"cosec 0: sine exactly 0", "{cosec}0:", U::Deg, 0, kErrDivisionByZero},
      {"cosec 180: beyond 1E15", "{cosec}180:", U::Deg, 0, kErrDivisionByZero},
      {"sec 0", "{sec}0:", U::Deg, 1, 0, M::Exact},
      {"sec 60", "{sec}60:", U::Deg, 2, 0},
      {"sec 90 fails", "{sec}90:", U::Deg, 0, kErrDivisionByZero},
      {"cotan 45", "{cotan}45:", U::Deg, 1, 0},
      {"cotan 90 is exactly 0", "{cotan}90:", U::Deg, 0, 0, M::Exact},
      {"cotan 0 divides by zero", "{cotan}0:", U::Deg, 0, kErrDivisionByZero},
      {"cotan 180 beyond 1E15", "{cotan}180:", U::Deg, 0, kErrDivisionByZero},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(Circular, RadiansAndGradients) {
  const Row rows[] = {
      {"sin 1E-13 is kept (argument below 0.1)", "{sin}1E-13:", U::Rad, 1e-13, 0, M::Exact},
      {"sin pi is exactly 0", "{sin}{pi}(0):", U::Rad, 0, 0, M::Exact},
      {"sin 1", "{sin}1:", U::Rad, std::sin(1.0), 0, M::Exact},
      {"cos pi/2 is exactly 0", "{cos}({pi}(0)/2):", U::Rad, 0, 0, M::Exact},
      {"tan 1E-13 is kept", "{tan}1E-13:", U::Rad, 1e-13, 0, M::Exact},
      {"tan pi is exactly 0", "{tan}{pi}(0):", U::Rad, 0, 0, M::Exact},
      {"tan pi/2 fails", "{tan}({pi}(0)/2):", U::Rad, 0, kErrDivisionByZero},
      {"cotan pi/2 is exactly 0", "{cotan}({pi}(0)/2):", U::Rad, 0, 0, M::Exact},
      {"cosec of a subnormal overflows", "{cosec}5E-324:", U::Rad, 0, kErrOverflow},
      {"sin 100 grad", "{sin}100:", U::Gra, 1, 0, M::Exact},
      {"sin 200 grad is exactly 0", "{sin}200:", U::Gra, 0, 0, M::Exact},
      {"cos 100 grad is exactly 0", "{cos}100:", U::Gra, 0, 0, M::Exact},
      {"tan 50 grad", "{tan}50:", U::Gra, 1, 0},
      {"tan 100 grad fails", "{tan}100:", U::Gra, 0, kErrDivisionByZero},
      {"sec 100 grad fails", "{sec}100:", U::Gra, 0, kErrDivisionByZero},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(Circular, AZeroAngleFactorIsADivisionFault) {
  engine.ErrorCode = 0;
  engine.AngleFactor = 0;
  EXPECT_EQ(0.0, Evaluate(engine, Tok("{sin}1:")));
  EXPECT_EQ(kErrDivisionByZero, engine.ErrorCode);
}

class InverseCircular : public FreshEngine {};

TEST_F(InverseCircular, AllUnits) {
  const Row rows[] = {
      {"arcsin 1 deg", "{arcsin}1:", U::Deg, 90, 0},
      {"arcsin 1 grad", "{arcsin}1:", U::Gra, 100, 0},
      {"arcsin 1 rad", "{arcsin}1:", U::Rad, kPi / 2, 0, M::Exact},
      {"arcsin -1 rad", "{arcsin}{Negate}1:", U::Rad, -kPi / 2, 0, M::Exact},
      {"arcsin 0.5 deg", "{arcsin}0.5:", U::Deg, 30, 0},
      {"arcsin 0", "{arcsin}0:", U::Deg, 0, 0, M::Exact},
      {"arccos -1 deg", "{arccos}{Negate}1:", U::Deg, 180, 0},
      {"arccos 1 is exactly 0", "{arccos}1:", U::Deg, 0, 0, M::Exact},
      {"arccos 0.5 deg", "{arccos}0.5:", U::Deg, 60, 0},
      {"arccos 0 rad", "{arccos}0:", U::Rad, kPi / 2, 0},
      {"arctan 1 deg", "{arctan}1:", U::Deg, 45, 0},
      {"arctan 1 grad", "{arctan}1:", U::Gra, 50, 0},
      {"arctan of a huge value", "{arctan}1e300:", U::Rad, kPi / 2, 0},
      {"arccosec 2 deg", "{arccosec}2:", U::Deg, 30, 0},
      {"arccosec -1 rad", "{arccosec}{Negate}1:", U::Rad, -kPi / 2, 0, M::Exact},
      {"arcsec 2 deg", "{arcsec}2:", U::Deg, 60, 0},
      {"arcsec 1 is 0", "{arcsec}1:", U::Deg, 0, 0, M::Exact},
      {"arccotan -1 deg is -45, not 135", "{arccotan}{Negate}1:", U::Deg, -45, 0},
      {"arccotan 0 deg", "{arccotan}0:", U::Deg, 90, 0},
      {"arccotan 1 grad", "{arccotan}1:", U::Gra, 50, 0},
      {"arcsin just above 1", "{arcsin}1.0000001:", U::Deg, 0, kErrOutOfRange},
      {"arcsin -2", "{arcsin}{Negate}2:", U::Rad, 0, kErrOutOfRange},
      {"arccos -2", "{arccos}{Negate}2:", U::Deg, 0, kErrOutOfRange},
      {"arcsec 0.5", "{arcsec}0.5:", U::Deg, 0, kErrOutOfRange},
      {"arccosec 0", "{arccosec}0:", U::Deg, 0, kErrOutOfRange},
      {"arccosec 0.9", "{arccosec}0.9:", U::Rad, 0, kErrOutOfRange},
      {"arccotan of a subnormal", "{arccotan}5E-324:", U::Rad, 0, kErrOutOfRange},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

class Hyperbolic : public FreshEngine {};

TEST_F(Hyperbolic, FromTheExponentials) {
  const double e = std::exp(1.0), f = std::exp(-1.0);
  const Row rows[] = {
      {"sinh 1", "{sinh}1:", U::Rad, (e - f) / 2, 0, M::Exact},
      {"sinh 1 ignores degrees", "{sinh}1:", U::Deg, (e - f) / 2, 0, M::Exact},
      {"sinh 0", "{sinh}0:", U::Rad, 0, 0, M::Exact},
      {"cosh 0", "{cosh}0:", U::Rad, 1, 0, M::Exact},
      {"cosh -1", "{cosh}{Negate}1:", U::Gra, (e + f) / 2, 0, M::Exact},
      {"tanh 1", "{tanh}1:", U::Rad, (e - f) / (f + e), 0, M::Exact},
      {"tanh 0", "{tanh}0:", U::Rad, 0, 0, M::Exact},
      {"cosech 1", "{cosech}1:", U::Rad, 2 / (e - f), 0, M::Exact},
      {"sech 0", "{sech}0:", U::Rad, 1, 0, M::Exact},
      {"cotanh 1", "{cotanh}1:", U::Rad, (e + f) / (e - f), 0, M::Exact},
      {"cosech 0 divides by zero", "{cosech}0:", U::Rad, 0, kErrDivisionByZero},
      {"cotanh 0 divides by zero", "{cotanh}0:", U::Rad, 0, kErrDivisionByZero},
      {"sinh 709 fits", "{sinh}709:", U::Rad, std::exp(709.0) / 2, 0},
      {"sinh 710 overflows", "{sinh}710:", U::Rad, 0, kErrOverflow},
      {"cosh -710 overflows", "{cosh}{Negate}710:", U::Rad, 0, kErrOverflow},
      {"tanh 710 overflows too", "{tanh}710:", U::Rad, 0, kErrOverflow},
      {"sech 710 overflows too", "{sech}710:", U::Rad, 0, kErrOverflow},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(Hyperbolic, Inverses) {
  const Row rows[] = {
      {"argsinh 1", "{argsinh}1:", U::Rad, 0.88137358701954305, 0},
      {"argsinh -1 in degrees", "{argsinh}{Negate}1:", U::Deg, -0.88137358701954305, 0},
      {"argsinh 0", "{argsinh}0:", U::Rad, 0, 0, M::Exact},
      {"argsinh overflow of x squared", "{argsinh}1e200:", U::Rad, 0, kErrOutOfRange},
      {"argcosh 1", "{argcosh}1:", U::Rad, 0, 0, M::Exact},
      {"argcosh 2", "{argcosh}2:", U::Rad, 1.3169578969248166, 0},
      {"argcosh 0.5", "{argcosh}0.5:", U::Rad, 0, kErrOutOfRange},
      {"argcosh overflow of x squared", "{argcosh}1e200:", U::Rad, 0, kErrOutOfRange},
      {"argtanh 0.5", "{argtanh}0.5:", U::Rad, 0.54930614433405489, 0},
      {"argtanh 0.5 ignores gradients", "{argtanh}0.5:", U::Gra, 0.54930614433405489, 0},
      {"argtanh 1", "{argtanh}1:", U::Rad, 0, kErrOutOfRange},
      {"argtanh -1", "{argtanh}{Negate}1:", U::Rad, 0, kErrOutOfRange},
      {"argcosech 1", "{argcosech}1:", U::Rad, 0.88137358701954305, 0},
      {"argcosech 0", "{argcosech}0:", U::Rad, 0, kErrOutOfRange},
      {"argsech 1", "{argsech}1:", U::Rad, 0, 0, M::Exact},
      {"argsech 0.5", "{argsech}0.5:", U::Rad, 1.3169578969248166, 0},
      {"argsech 0", "{argsech}0:", U::Rad, 0, kErrOutOfRange},
      {"argsech 1.5", "{argsech}1.5:", U::Rad, 0, kErrOutOfRange},
      {"argsech -0.5", "{argsech}{Negate}0.5:", U::Rad, 0, kErrOutOfRange},
      {"argcotanh 2", "{argcotanh}2:", U::Rad, 0.54930614433405489, 0},
      {"argcotanh 1", "{argcotanh}1:", U::Rad, 0, kErrOutOfRange},
      {"argcotanh 0.5", "{argcotanh}0.5:", U::Rad, 0, kErrOutOfRange},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

class Elementary : public FreshEngine {};

// {AbsoluteBars} is "|x|".
TEST_F(Elementary, RootsLogsAndSimpleFunctions) {
  const Row rows[] = {
      {"sqr 4", "{sqr}4:", U::Rad, 2, 0, M::Exact},
      {"sqr 0", "{sqr}0:", U::Rad, 0, 0, M::Exact},
      {"sqr -4", "{sqr}{Negate}4:", U::Rad, 0, kErrOutOfRange},
      {"cur -8", "{cur}{Negate}8:", U::Rad, -2, 0, M::Exact},
      {"cur 27", "{cur}27:", U::Rad, 3, 0},
      {"cur 0", "{cur}0:", U::Rad, 0, 0, M::Exact},
      {"exp 1", "{exp}1:", U::Rad, std::exp(1.0), 0, M::Exact},
      {"exp 710 overflows", "{exp}710:", U::Rad, 0, kErrOverflow},
      {"exp -1000 underflows to 0", "{exp}{Negate}1000:", U::Rad, 0, 0, M::Exact},
      {"ln e", "{ln}e:", U::Rad, 1, 0, M::Exact},
      {"ln 0", "{ln}0:", U::Rad, 0, kErrOutOfRange},
      {"ln -1", "{ln}{Negate}1:", U::Rad, 0, kErrOutOfRange},
      {"log 1000 is ln 1000 / ln 10", "{log}1000:", U::Rad, std::log(1000.0) / std::log(10.0), 0,
       M::Exact},
      {"log 0", "{log}0:", U::Rad, 0, kErrOutOfRange},
      {"log -10", "{log}{Negate}10:", U::Rad, 0, kErrOutOfRange},
      {"abs -3", "{abs}{Negate}3:", U::Rad, 3, 0, M::Exact},
      {"bars' abs -3", "{AbsoluteBars}(0-3):", U::Rad, 3, 0, M::Exact},
      {"int -2.5 is -3", "{int}{Negate}2.5:", U::Rad, -3, 0, M::Exact},
      {"int 2.5", "{int}2.5:", U::Rad, 2, 0, M::Exact},
      {"negation", "{Negate}2.5:", U::Rad, -2.5, 0, M::Exact},
      {"pi", "{pi}(0):", U::Rad, kPi, 0, M::Exact},
      {"pi ignores its operand", "{pi}(123):", U::Rad, kPi, 0, M::Exact},
      {"two pi", "2{ImplicitProduct}{pi}(0):", U::Rad, 2 * kPi, 0, M::Exact},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(Elementary, AnsGivesLastAnswerWhateverItsOperand) {
  engine.LastAnswer = 7;
  EXPECT_EQ(7.0, Calc(engine, "{ans}(0):").value);
  EXPECT_EQ(7.0, Calc(engine, "{ans}(5):").value);
  EXPECT_EQ(14.0, Calc(engine, "2*{ans}(0):").value);
}

TEST_F(Elementary, RndDrawsFromTheEngineGenerator) {
  RandomGenerator reference;
  for (int i = 0; i < 5; ++i) {
    const Outcome out = Calc(engine, "{rnd}(7):");
    EXPECT_EQ(0, out.error);
    EXPECT_EQ(static_cast<double>(reference.Next()), out.value);
    EXPECT_GE(out.value, 0.0);
    EXPECT_LT(out.value, 1.0);
  }
}

class PowerPrefix : public FreshEngine {};

TEST_F(PowerPrefix, CodesRaiseToCodeMinus190) {
  for (int code = 192; code <= 199; ++code) {
    SCOPED_TRACE(code);
    const Outcome out = Calc(engine, "{" + std::to_string(code) + "}2:");
    EXPECT_EQ(0, out.error);
    EXPECT_EQ(std::pow(2.0, code - 190), out.value);
  }
  const Row rows[] = {
      {"cube of sin 30 deg", "{PowerOf3}{sin}(30):", U::Deg, 0.125, 0},
      {"square of a group", "{PowerOf2}(1+2):", U::Rad, 9, 0, M::Exact},
      {"applied after the negation inside", "{PowerOf2}{Negate}3:", U::Rad, 9, 0, M::Exact},
      {"applied before a binary operator", "{PowerOf2}3+1:", U::Rad, 10, 0, M::Exact},
      {"power overflows", "{PowerOf9}1e40:", U::Rad, 0, kErrOverflow},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(PowerPrefix, CodesWithoutOperationAreInternalErrors) {
  const int reserved[] = {128, 132, 135, 139, 140, 159, 168, 175, 176, 181, 182, 183, 184,
                          185, 186, 187, 188, 189, 190, 191, 200, 201, 202, 211, 212, 213,
                          217, 218, 219, 220, 221, 222, 225, 226};
  for (int code : reserved) {
    SCOPED_TRACE(code);
    const Outcome out = Calc(engine, "{" + std::to_string(code) + "}(1{ArgumentMark}2):");
    EXPECT_EQ(kErrInternal, out.error);
    EXPECT_EQ(0.0, out.value);
  }
}

class ListFunctions : public FreshEngine {};

// {#dettxt} is the 3x3 determinant.
TEST_F(ListFunctions, LogarithmToABaseAndDeterminant) {
  const Row rows[] = {
      {"lgb(2, 8)", "{lgb}(2{ArgumentMark}8):", U::Rad, 3, 0},
      {"lgb(3, 9)", "{lgb}(3{ArgumentMark}9):", U::Rad, 2, 0, M::Exact},
      {"lgb(10, 0.01)", "{lgb}(10{ArgumentMark}0.01):", U::Rad, -2, 0},
      {"lgb(1, 8)", "{lgb}(1{ArgumentMark}8):", U::Rad, 0, kErrOutOfRange},
      {"lgb(2, 0)", "{lgb}(2{ArgumentMark}0):", U::Rad, 0, kErrOutOfRange},
      {"lgb(0, 8)", "{lgb}(0{ArgumentMark}8):", U::Rad, 0, kErrOutOfRange},
      {"lgb(-2, 8)", "{lgb}({Negate}2{ArgumentMark}8):", U::Rad, 0, kErrOutOfRange},
      {"lgb(2, -8)", "{lgb}(2{ArgumentMark}{Negate}8):", U::Rad, 0, kErrOutOfRange},
      {"lgb(2)", "{lgb}(2):", U::Rad, 0, kErrArgumentCount},
      {"lgb(2, 8, 1)", "{lgb}(2{ArgumentMark}8,1):", U::Rad, 0, kErrArgumentCount},
      {"count before values", "{lgb}(0{ArgumentMark}0,0):", U::Rad, 0, kErrArgumentCount},
      {"det of 1..8, 10", "{#dettxt}(1{ArgumentMark}2,3,4,5,6,7,8,10):", U::Rad, -3, 0, M::Exact},
      {"det of the identity", "{#dettxt}(1{ArgumentMark}0,0,0,1,0,0,0,1):", U::Rad, 1, 0, M::Exact},
      {"det of a singular matrix", "{#dettxt}(1{ArgumentMark}2,3,4,5,6,7,8,9):", U::Rad, 0, 0, M::Exact},
      {"det, one entry changes sign", "{#dettxt}(2{ArgumentMark}0,0,0,3,0,0,0,{Negate}4):", U::Rad, -24, 0,
       M::Exact},
      {"det, rows in the Sarrus order", "{#dettxt}(0{ArgumentMark}1,0,0,0,1,1,0,0):", U::Rad, 1, 0, M::Exact},
      {"det with eight arguments", "{#dettxt}(1{ArgumentMark}2,3,4,5,6,7,8):", U::Rad, 0, kErrArgumentCount},
      {"det with ten arguments", "{#dettxt}(1{ArgumentMark}2,3,4,5,6,7,8,9,10):", U::Rad, 0,
       kErrArgumentCount},
      {"det product overflows before its zero factor",
       "{#dettxt}(1e200{ArgumentMark}0,0,0,1e200,0,0,0,0):", U::Rad, 0, kErrOverflow},
      {"det sum overflows", "{#dettxt}(1e308{ArgumentMark}0,1e308,1,1,0,0,1,1):", U::Rad, 0, kErrOverflow},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(ListFunctions, ListNumberFaults) {
  const Row rows[] = {
      {"list 0", "{lgb}0:", U::Rad, 0, kErrUnknown},
      {"list 17", "{lgb}17:", U::Rad, 0, kErrUnknown},
      {"negative list", "{lgb}{Negate}1:", U::Rad, 0, kErrUnknown},
      {"huge list number", "{lgb}1e300:", U::Rad, 0, kErrUnknown},
      {"16.6 rounds to 17", "{lgb}16.6:", U::Rad, 0, kErrUnknown},
      {"0.5 rounds to 0", "{ncr}0.5:", U::Rad, 0, kErrUnknown},
      {"a plain number names an empty list", "{ncr}5:", U::Rad, 0, kErrArgumentCount},
      {"1.4 names list 1", "{lgb}(2{ArgumentMark}8)*0+{lgb}1.4:", U::Rad, 3, 0},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

// The routines behind these codes belong to the numeric library; here only
// what the dispatcher decides itself: the count (24) and the list number.
struct CountRow {
  const char* name;  // the typed name of the function
  int min;
  int max;
};

const CountRow kCounted[] = {
    {"lcm", 2, 10}, {"gcm", 2, 10}, {"mie", 4, 4}, {"rie", 3, 3},
    {"ncr", 2, 2},  {"npr", 2, 2},  {"pol", 2, 2}, {"rec", 2, 2},
    {"juld", 3, 6}, {"bin", 3, 3},  {"lgb", 2, 2}, {"#dettxt", 9, 9},
    {"solve", 3, 4}, {"#sdxd", 2, 2}, {"#stxt", 3, 3},
};

// "{name}(1{ArgumentMark}1,1,...)" with n arguments (n >= 2), or "{name}(1)"
// for n = 1. Every argument is 1: a valid list for the routines, slot 1 for
// the solvers.
std::string CallWith(const std::string& name, int n) {
  std::string s = "{" + name + "}(1";
  if (n >= 2) s += "{ArgumentMark}1";
  for (int i = 3; i <= n; ++i) s += ",1";
  return s + "):";
}

TEST_F(ListFunctions, ArgumentCountsAreCheckedBeforeTheCall) {
  for (const CountRow& row : kCounted) {
    for (int n = 1; n <= 10; ++n) {
      SCOPED_TRACE(std::string(row.name) + " with " + std::to_string(n) + " arguments");
      const Outcome out = Calc(engine, CallWith(row.name, n));
      if (n < row.min || n > row.max) {
        EXPECT_EQ(kErrArgumentCount, out.error);
      } else {
        // Accepted: whatever the routine reports, not the dispatcher's refusals.
        EXPECT_NE(kErrArgumentCount, out.error);
        EXPECT_NE(kErrUnknown, out.error);
      }
    }
  }
}

TEST_F(ListFunctions, ListNumberIsCheckedFirst) {
  for (const CountRow& row : kCounted) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(kErrUnknown, Calc(engine, "{" + std::string(row.name) + "}17:").error);
    EXPECT_EQ(kErrUnknown, Calc(engine, "{" + std::string(row.name) + "}0:").error);
  }
}

class TextFunctions : public FreshEngine {};

// {#ecsg} eq2d, {#ectg} eq3d take a slot number; solve, {#sdxd} s2x2 and
// {#stxt} s3x3 take lists whose text arguments are slot numbers.
TEST_F(TextFunctions, SlotNumbersOutsideZeroToNineAreFaults) {
  const Row rows[] = {
      {"eq2d slot 10", "{#ecsg}10:", U::Rad, 0, kErrUnknown},
      {"eq2d slot -1", "{#ecsg}{Negate}1:", U::Rad, 0, kErrUnknown},
      {"eq2d slot 9.6 rounds to 10", "{#ecsg}9.6:", U::Rad, 0, kErrUnknown},
      {"eq3d slot 10", "{#ectg}10:", U::Rad, 0, kErrUnknown},
      {"solve text slot 10", "{solve}(10{ArgumentMark}0,1):", U::Rad, 0, kErrUnknown},
      {"s2x2 second slot 10", "{#sdxd}(1{ArgumentMark}10):", U::Rad, 0, kErrUnknown},
      {"s3x3 third slot 12", "{#stxt}(1{ArgumentMark}2,12):", U::Rad, 0, kErrUnknown},
      {"count before slots", "{#sdxd}(12{ArgumentMark}2,3):", U::Rad, 0, kErrArgumentCount},
      {"list number before count", "{#sdxd}17:", U::Rad, 0, kErrUnknown},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(TextFunctions, SlotsInRangeReachTheSolver) {
  const char* accepted[] = {"{#ecsg}0:", "{#ecsg}9.4:", "{#ectg}1:", "{solve}(9{ArgumentMark}0,1,0.5):",
                            "{#sdxd}(1{ArgumentMark}2):", "{#stxt}(1{ArgumentMark}2,3):"};
  for (const char* tokens : accepted) {
    SCOPED_TRACE(tokens);
    const Outcome out = Calc(engine, tokens);
    EXPECT_NE(kErrUnknown, out.error);
    EXPECT_NE(kErrArgumentCount, out.error);
  }
}

}  // namespace
}  // namespace tarvo::test
