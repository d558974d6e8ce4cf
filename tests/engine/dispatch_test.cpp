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

// {165} sin, {166} cos, {167} tan, {162} cosec, {163} sec, {164} cotan;
// {174}(0) is pi.
TEST_F(Circular, Degrees) {
  const Row rows[] = {
      {"sin 30", "{165}30:", U::Deg, 0.49999999999999994, 0, M::Exact},
      {"sin 90", "{165}90:", U::Deg, 1, 0, M::Exact},
      {"sin 180 is exactly 0", "{165}180:", U::Deg, 0, 0, M::Exact},
      {"sin -180 is exactly 0", "{165}{129}180:", U::Deg, 0, 0, M::Exact},
      {"sin 360 is exactly 0", "{165}360:", U::Deg, 0, 0, M::Exact},
      {"cos 0", "{166}0:", U::Deg, 1, 0, M::Exact},
      {"cos 90 is exactly 0", "{166}90:", U::Deg, 0, 0, M::Exact},
      {"cos 60", "{166}60:", U::Deg, 0.5, 0},
      {"tan 45", "{167}45:", U::Deg, 1, 0},
      {"tan 180 is exactly 0", "{167}180:", U::Deg, 0, 0, M::Exact},
      {"tan 90 fails", "{167}90:", U::Deg, 0, kErrDivisionByZero},
      {"tan 270 fails", "{167}270:", U::Deg, 0, kErrDivisionByZero},
      {"cosec 90", "{162}90:", U::Deg, 1, 0},
      {"cosec 30", "{162}30:", U::Deg, 2, 0},
      {"cosec 0: sine exactly 0", "{162}0:", U::Deg, 0, kErrDivisionByZero},
      {"cosec 180: beyond 1E15", "{162}180:", U::Deg, 0, kErrDivisionByZero},
      {"sec 0", "{163}0:", U::Deg, 1, 0, M::Exact},
      {"sec 60", "{163}60:", U::Deg, 2, 0},
      {"sec 90 fails", "{163}90:", U::Deg, 0, kErrDivisionByZero},
      {"cotan 45", "{164}45:", U::Deg, 1, 0},
      {"cotan 90 is exactly 0", "{164}90:", U::Deg, 0, 0, M::Exact},
      {"cotan 0 divides by zero", "{164}0:", U::Deg, 0, kErrDivisionByZero},
      {"cotan 180 beyond 1E15", "{164}180:", U::Deg, 0, kErrDivisionByZero},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(Circular, RadiansAndGradients) {
  const Row rows[] = {
      {"sin 1E-13 is kept (argument below 0.1)", "{165}1E-13:", U::Rad, 1e-13, 0, M::Exact},
      {"sin pi is exactly 0", "{165}{174}(0):", U::Rad, 0, 0, M::Exact},
      {"sin 1", "{165}1:", U::Rad, std::sin(1.0), 0, M::Exact},
      {"cos pi/2 is exactly 0", "{166}({174}(0)/2):", U::Rad, 0, 0, M::Exact},
      {"tan 1E-13 is kept", "{167}1E-13:", U::Rad, 1e-13, 0, M::Exact},
      {"tan pi is exactly 0", "{167}{174}(0):", U::Rad, 0, 0, M::Exact},
      {"tan pi/2 fails", "{167}({174}(0)/2):", U::Rad, 0, kErrDivisionByZero},
      {"cotan pi/2 is exactly 0", "{164}({174}(0)/2):", U::Rad, 0, 0, M::Exact},
      {"cosec of a subnormal overflows", "{162}5E-324:", U::Rad, 0, kErrOverflow},
      {"sin 100 grad", "{165}100:", U::Gra, 1, 0, M::Exact},
      {"sin 200 grad is exactly 0", "{165}200:", U::Gra, 0, 0, M::Exact},
      {"cos 100 grad is exactly 0", "{166}100:", U::Gra, 0, 0, M::Exact},
      {"tan 50 grad", "{167}50:", U::Gra, 1, 0},
      {"tan 100 grad fails", "{167}100:", U::Gra, 0, kErrDivisionByZero},
      {"sec 100 grad fails", "{163}100:", U::Gra, 0, kErrDivisionByZero},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(Circular, AZeroAngleFactorIsADivisionFault) {
  engine.ErrorCode = 0;
  engine.AngleFactor = 0;
  EXPECT_EQ(0.0, Evaluate(engine, Tok("{165}1:")));
  EXPECT_EQ(kErrDivisionByZero, engine.ErrorCode);
}

class InverseCircular : public FreshEngine {};

// {136} arcsin, {137} arccos, {138} arctan, {156} arccosec, {157} arcsec,
// {158} arccotan.
TEST_F(InverseCircular, AllUnits) {
  const Row rows[] = {
      {"arcsin 1 deg", "{136}1:", U::Deg, 90, 0},
      {"arcsin 1 grad", "{136}1:", U::Gra, 100, 0},
      {"arcsin 1 rad", "{136}1:", U::Rad, kPi / 2, 0, M::Exact},
      {"arcsin -1 rad", "{136}{129}1:", U::Rad, -kPi / 2, 0, M::Exact},
      {"arcsin 0.5 deg", "{136}0.5:", U::Deg, 30, 0},
      {"arcsin 0", "{136}0:", U::Deg, 0, 0, M::Exact},
      {"arccos -1 deg", "{137}{129}1:", U::Deg, 180, 0},
      {"arccos 1 is exactly 0", "{137}1:", U::Deg, 0, 0, M::Exact},
      {"arccos 0.5 deg", "{137}0.5:", U::Deg, 60, 0},
      {"arccos 0 rad", "{137}0:", U::Rad, kPi / 2, 0},
      {"arctan 1 deg", "{138}1:", U::Deg, 45, 0},
      {"arctan 1 grad", "{138}1:", U::Gra, 50, 0},
      {"arctan of a huge value", "{138}1e300:", U::Rad, kPi / 2, 0},
      {"arccosec 2 deg", "{156}2:", U::Deg, 30, 0},
      {"arccosec -1 rad", "{156}{129}1:", U::Rad, -kPi / 2, 0, M::Exact},
      {"arcsec 2 deg", "{157}2:", U::Deg, 60, 0},
      {"arcsec 1 is 0", "{157}1:", U::Deg, 0, 0, M::Exact},
      {"arccotan -1 deg is -45, not 135", "{158}{129}1:", U::Deg, -45, 0},
      {"arccotan 0 deg", "{158}0:", U::Deg, 90, 0},
      {"arccotan 1 grad", "{158}1:", U::Gra, 50, 0},
      {"arcsin just above 1", "{136}1.0000001:", U::Deg, 0, kErrOutOfRange},
      {"arcsin -2", "{136}{129}2:", U::Rad, 0, kErrOutOfRange},
      {"arccos -2", "{137}{129}2:", U::Deg, 0, kErrOutOfRange},
      {"arcsec 0.5", "{157}0.5:", U::Deg, 0, kErrOutOfRange},
      {"arccosec 0", "{156}0:", U::Deg, 0, kErrOutOfRange},
      {"arccosec 0.9", "{156}0.9:", U::Rad, 0, kErrOutOfRange},
      {"arccotan of a subnormal", "{158}5E-324:", U::Rad, 0, kErrOutOfRange},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

class Hyperbolic : public FreshEngine {};

// {153} sinh, {154} cosh, {155} tanh, {150} cosech, {151} sech, {152} cotanh.
TEST_F(Hyperbolic, FromTheExponentials) {
  const double e = std::exp(1.0), f = std::exp(-1.0);
  const Row rows[] = {
      {"sinh 1", "{153}1:", U::Rad, (e - f) / 2, 0, M::Exact},
      {"sinh 1 ignores degrees", "{153}1:", U::Deg, (e - f) / 2, 0, M::Exact},
      {"sinh 0", "{153}0:", U::Rad, 0, 0, M::Exact},
      {"cosh 0", "{154}0:", U::Rad, 1, 0, M::Exact},
      {"cosh -1", "{154}{129}1:", U::Gra, (e + f) / 2, 0, M::Exact},
      {"tanh 1", "{155}1:", U::Rad, (e - f) / (f + e), 0, M::Exact},
      {"tanh 0", "{155}0:", U::Rad, 0, 0, M::Exact},
      {"cosech 1", "{150}1:", U::Rad, 2 / (e - f), 0, M::Exact},
      {"sech 0", "{151}0:", U::Rad, 1, 0, M::Exact},
      {"cotanh 1", "{152}1:", U::Rad, (e + f) / (e - f), 0, M::Exact},
      {"cosech 0 divides by zero", "{150}0:", U::Rad, 0, kErrDivisionByZero},
      {"cotanh 0 divides by zero", "{152}0:", U::Rad, 0, kErrDivisionByZero},
      {"sinh 709 fits", "{153}709:", U::Rad, std::exp(709.0) / 2, 0},
      {"sinh 710 overflows", "{153}710:", U::Rad, 0, kErrOverflow},
      {"cosh -710 overflows", "{154}{129}710:", U::Rad, 0, kErrOverflow},
      {"tanh 710 overflows too", "{155}710:", U::Rad, 0, kErrOverflow},
      {"sech 710 overflows too", "{151}710:", U::Rad, 0, kErrOverflow},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

// {147} argsinh, {148} argcosh, {149} argtanh, {144} argcosech, {145} argsech,
// {146} argcotanh.
TEST_F(Hyperbolic, Inverses) {
  const Row rows[] = {
      {"argsinh 1", "{147}1:", U::Rad, 0.88137358701954305, 0},
      {"argsinh -1 in degrees", "{147}{129}1:", U::Deg, -0.88137358701954305, 0},
      {"argsinh 0", "{147}0:", U::Rad, 0, 0, M::Exact},
      {"argsinh overflow of x squared", "{147}1e200:", U::Rad, 0, kErrOutOfRange},
      {"argcosh 1", "{148}1:", U::Rad, 0, 0, M::Exact},
      {"argcosh 2", "{148}2:", U::Rad, 1.3169578969248166, 0},
      {"argcosh 0.5", "{148}0.5:", U::Rad, 0, kErrOutOfRange},
      {"argcosh overflow of x squared", "{148}1e200:", U::Rad, 0, kErrOutOfRange},
      {"argtanh 0.5", "{149}0.5:", U::Rad, 0.54930614433405489, 0},
      {"argtanh 0.5 ignores gradients", "{149}0.5:", U::Gra, 0.54930614433405489, 0},
      {"argtanh 1", "{149}1:", U::Rad, 0, kErrOutOfRange},
      {"argtanh -1", "{149}{129}1:", U::Rad, 0, kErrOutOfRange},
      {"argcosech 1", "{144}1:", U::Rad, 0.88137358701954305, 0},
      {"argcosech 0", "{144}0:", U::Rad, 0, kErrOutOfRange},
      {"argsech 1", "{145}1:", U::Rad, 0, 0, M::Exact},
      {"argsech 0.5", "{145}0.5:", U::Rad, 1.3169578969248166, 0},
      {"argsech 0", "{145}0:", U::Rad, 0, kErrOutOfRange},
      {"argsech 1.5", "{145}1.5:", U::Rad, 0, kErrOutOfRange},
      {"argsech -0.5", "{145}{129}0.5:", U::Rad, 0, kErrOutOfRange},
      {"argcotanh 2", "{146}2:", U::Rad, 0.54930614433405489, 0},
      {"argcotanh 1", "{146}1:", U::Rad, 0, kErrOutOfRange},
      {"argcotanh 0.5", "{146}0.5:", U::Rad, 0, kErrOutOfRange},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

class Elementary : public FreshEngine {};

// {133} sqr, {170} cur, {141} exp, {142} ln, {143} log, {134} abs, {178}
// the bars' abs, {131} int, {129} negation.
TEST_F(Elementary, RootsLogsAndSimpleFunctions) {
  const Row rows[] = {
      {"sqr 4", "{133}4:", U::Rad, 2, 0, M::Exact},
      {"sqr 0", "{133}0:", U::Rad, 0, 0, M::Exact},
      {"sqr -4", "{133}{129}4:", U::Rad, 0, kErrOutOfRange},
      {"cur -8", "{170}{129}8:", U::Rad, -2, 0, M::Exact},
      {"cur 27", "{170}27:", U::Rad, 3, 0},
      {"cur 0", "{170}0:", U::Rad, 0, 0, M::Exact},
      {"exp 1", "{141}1:", U::Rad, std::exp(1.0), 0, M::Exact},
      {"exp 710 overflows", "{141}710:", U::Rad, 0, kErrOverflow},
      {"exp -1000 underflows to 0", "{141}{129}1000:", U::Rad, 0, 0, M::Exact},
      {"ln e", "{142}e:", U::Rad, 1, 0, M::Exact},
      {"ln 0", "{142}0:", U::Rad, 0, kErrOutOfRange},
      {"ln -1", "{142}{129}1:", U::Rad, 0, kErrOutOfRange},
      {"log 1000 is ln 1000 / ln 10", "{143}1000:", U::Rad, std::log(1000.0) / std::log(10.0), 0,
       M::Exact},
      {"log 0", "{143}0:", U::Rad, 0, kErrOutOfRange},
      {"log -10", "{143}{129}10:", U::Rad, 0, kErrOutOfRange},
      {"abs -3", "{134}{129}3:", U::Rad, 3, 0, M::Exact},
      {"bars' abs -3", "{178}(0-3):", U::Rad, 3, 0, M::Exact},
      {"int -2.5 is -3", "{131}{129}2.5:", U::Rad, -3, 0, M::Exact},
      {"int 2.5", "{131}2.5:", U::Rad, 2, 0, M::Exact},
      {"negation", "{129}2.5:", U::Rad, -2.5, 0, M::Exact},
      {"pi", "{174}(0):", U::Rad, kPi, 0, M::Exact},
      {"pi ignores its operand", "{174}(123):", U::Rad, kPi, 0, M::Exact},
      {"two pi", "2{24}{174}(0):", U::Rad, 2 * kPi, 0, M::Exact},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(Elementary, AnsGivesLastAnswerWhateverItsOperand) {
  engine.LastAnswer = 7;
  EXPECT_EQ(7.0, Calc(engine, "{173}(0):").value);
  EXPECT_EQ(7.0, Calc(engine, "{173}(5):").value);
  EXPECT_EQ(14.0, Calc(engine, "2*{173}(0):").value);
}

TEST_F(Elementary, RndDrawsFromTheEngineGenerator) {
  RandomGenerator reference;
  for (int i = 0; i < 5; ++i) {
    const Outcome out = Calc(engine, "{130}(7):");
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
      {"cube of sin 30 deg", "{193}{165}(30):", U::Deg, 0.125, 0},
      {"square of a group", "{192}(1+2):", U::Rad, 9, 0, M::Exact},
      {"applied after the negation inside", "{192}{129}3:", U::Rad, 9, 0, M::Exact},
      {"applied before a binary operator", "{192}3+1:", U::Rad, 10, 0, M::Exact},
      {"power overflows", "{199}1e40:", U::Rad, 0, kErrOverflow},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(PowerPrefix, CodesWithoutOperationAreInternalErrors) {
  const int reserved[] = {128, 132, 135, 139, 140, 159, 168, 175, 176, 181, 182, 183, 184,
                          185, 186, 187, 188, 189, 190, 191, 200, 201, 202, 211, 212, 213,
                          217, 218, 219, 220, 221, 222, 225, 226};
  for (int code : reserved) {
    SCOPED_TRACE(code);
    const Outcome out = Calc(engine, "{" + std::to_string(code) + "}(1{29}2):");
    EXPECT_EQ(kErrInternal, out.error);
    EXPECT_EQ(0.0, out.value);
  }
}

class ListFunctions : public FreshEngine {};

// {223} lgb, {224} the 3x3 determinant.
TEST_F(ListFunctions, LogarithmToABaseAndDeterminant) {
  const Row rows[] = {
      {"lgb(2, 8)", "{223}(2{29}8):", U::Rad, 3, 0},
      {"lgb(3, 9)", "{223}(3{29}9):", U::Rad, 2, 0, M::Exact},
      {"lgb(10, 0.01)", "{223}(10{29}0.01):", U::Rad, -2, 0},
      {"lgb(1, 8)", "{223}(1{29}8):", U::Rad, 0, kErrOutOfRange},
      {"lgb(2, 0)", "{223}(2{29}0):", U::Rad, 0, kErrOutOfRange},
      {"lgb(0, 8)", "{223}(0{29}8):", U::Rad, 0, kErrOutOfRange},
      {"lgb(-2, 8)", "{223}({129}2{29}8):", U::Rad, 0, kErrOutOfRange},
      {"lgb(2, -8)", "{223}(2{29}{129}8):", U::Rad, 0, kErrOutOfRange},
      {"lgb(2)", "{223}(2):", U::Rad, 0, kErrArgumentCount},
      {"lgb(2, 8, 1)", "{223}(2{29}8,1):", U::Rad, 0, kErrArgumentCount},
      {"count before values", "{223}(0{29}0,0):", U::Rad, 0, kErrArgumentCount},
      {"det of 1..8, 10", "{224}(1{29}2,3,4,5,6,7,8,10):", U::Rad, -3, 0, M::Exact},
      {"det of the identity", "{224}(1{29}0,0,0,1,0,0,0,1):", U::Rad, 1, 0, M::Exact},
      {"det of a singular matrix", "{224}(1{29}2,3,4,5,6,7,8,9):", U::Rad, 0, 0, M::Exact},
      {"det, one entry changes sign", "{224}(2{29}0,0,0,3,0,0,0,{129}4):", U::Rad, -24, 0,
       M::Exact},
      {"det, rows in the Sarrus order", "{224}(0{29}1,0,0,0,1,1,0,0):", U::Rad, 1, 0, M::Exact},
      {"det with eight arguments", "{224}(1{29}2,3,4,5,6,7,8):", U::Rad, 0, kErrArgumentCount},
      {"det with ten arguments", "{224}(1{29}2,3,4,5,6,7,8,9,10):", U::Rad, 0,
       kErrArgumentCount},
      {"det product overflows before its zero factor",
       "{224}(1e200{29}0,0,0,1e200,0,0,0,0):", U::Rad, 0, kErrOverflow},
      {"det sum overflows", "{224}(1e308{29}0,1e308,1,1,0,0,1,1):", U::Rad, 0, kErrOverflow},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(ListFunctions, ListNumberFaults) {
  const Row rows[] = {
      {"list 0", "{223}0:", U::Rad, 0, kErrUnknown},
      {"list 17", "{223}17:", U::Rad, 0, kErrUnknown},
      {"negative list", "{223}{129}1:", U::Rad, 0, kErrUnknown},
      {"huge list number", "{223}1e300:", U::Rad, 0, kErrUnknown},
      {"16.6 rounds to 17", "{223}16.6:", U::Rad, 0, kErrUnknown},
      {"0.5 rounds to 0", "{205}0.5:", U::Rad, 0, kErrUnknown},
      {"a plain number names an empty list", "{205}5:", U::Rad, 0, kErrArgumentCount},
      {"1.4 names list 1", "{223}(2{29}8)*0+{223}1.4:", U::Rad, 3, 0},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

// The routines behind these codes belong to the numeric library; here only
// what the dispatcher decides itself: the count (24) and the list number.
struct CountRow {
  const char* name;
  int code;
  int min;
  int max;
};

const CountRow kCounted[] = {
    {"lcm", 160, 2, 10}, {"gcm", 161, 2, 10}, {"mie", 203, 4, 4}, {"rie", 204, 3, 3},
    {"ncr", 205, 2, 2},  {"npr", 206, 2, 2},  {"pol", 207, 2, 2}, {"rec", 208, 2, 2},
    {"juld", 209, 3, 6}, {"bin", 210, 3, 3},  {"lgb", 223, 2, 2}, {"det", 224, 9, 9},
    {"solve", 214, 3, 4}, {"s2x2", 215, 2, 2}, {"s3x3", 216, 3, 3},
};

// "{code}(1{29}1,1,...)" with n arguments (n >= 2), or "{code}(1)" for n = 1.
// Every argument is 1: a valid list for the routines, slot 1 for the solvers.
std::string CallWith(int code, int n) {
  std::string s = "{" + std::to_string(code) + "}(1";
  if (n >= 2) s += "{29}1";
  for (int i = 3; i <= n; ++i) s += ",1";
  return s + "):";
}

TEST_F(ListFunctions, ArgumentCountsAreCheckedBeforeTheCall) {
  for (const CountRow& row : kCounted) {
    for (int n = 1; n <= 10; ++n) {
      SCOPED_TRACE(std::string(row.name) + " with " + std::to_string(n) + " arguments");
      const Outcome out = Calc(engine, CallWith(row.code, n));
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
    EXPECT_EQ(kErrUnknown, Calc(engine, "{" + std::to_string(row.code) + "}17:").error);
    EXPECT_EQ(kErrUnknown, Calc(engine, "{" + std::to_string(row.code) + "}0:").error);
  }
}

class TextFunctions : public FreshEngine {};

// {179} eq2d, {180} eq3d take a slot number; {214} solve, {215} s2x2 and
// {216} s3x3 take lists whose text arguments are slot numbers.
TEST_F(TextFunctions, SlotNumbersOutsideZeroToNineAreFaults) {
  const Row rows[] = {
      {"eq2d slot 10", "{179}10:", U::Rad, 0, kErrUnknown},
      {"eq2d slot -1", "{179}{129}1:", U::Rad, 0, kErrUnknown},
      {"eq2d slot 9.6 rounds to 10", "{179}9.6:", U::Rad, 0, kErrUnknown},
      {"eq3d slot 10", "{180}10:", U::Rad, 0, kErrUnknown},
      {"solve text slot 10", "{214}(10{29}0,1):", U::Rad, 0, kErrUnknown},
      {"s2x2 second slot 10", "{215}(1{29}10):", U::Rad, 0, kErrUnknown},
      {"s3x3 third slot 12", "{216}(1{29}2,12):", U::Rad, 0, kErrUnknown},
      {"count before slots", "{215}(12{29}2,3):", U::Rad, 0, kErrArgumentCount},
      {"list number before count", "{215}17:", U::Rad, 0, kErrUnknown},
  };
  for (const Row& r : rows) CheckRow(engine, r);
}

TEST_F(TextFunctions, SlotsInRangeReachTheSolver) {
  const char* accepted[] = {"{179}0:", "{179}9.4:", "{180}1:", "{214}(9{29}0,1,0.5):",
                            "{215}(1{29}2):", "{216}(1{29}2,3):"};
  for (const char* tokens : accepted) {
    SCOPED_TRACE(tokens);
    const Outcome out = Calc(engine, tokens);
    EXPECT_NE(kErrUnknown, out.error);
    EXPECT_NE(kErrArgumentCount, out.error);
  }
}

}  // namespace
}  // namespace tarvo::test
