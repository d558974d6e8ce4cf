// The normaliser, one group of rows per concern. Inputs are what the entry
// line holds (Windows-1252 bytes; a literal is split where a digit follows a
// "\x" escape); expected token strings are written with Tok().
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/host.h"
#include "engine/state.h"
#include "prepare/normalize.h"
#include "tests/base/test_support.h"

namespace tarvo {
namespace {

using test::Readable;
using test::Tok;

struct Row {
  const char* name;
  std::string input;
  std::string want;  // Tok() notation
  int error = 0;
};

class BeepCounter : public EngineHost {
 public:
  void Beep() override { ++beeps; }
  int beeps = 0;
};

class Normalize : public test::FreshEngine {
 protected:
  void Check(Engine& engine, const std::vector<Row>& rows) {
    for (const Row& r : rows) {
      engine.Reset();
      const std::string got = NormalizeExpression(engine, r.input);
      EXPECT_EQ(Readable(got), Readable(Tok(r.want))) << r.name;
      EXPECT_EQ(engine.ErrorCode, r.error) << r.name;
    }
  }
};

TEST_F(Normalize, DisplaySymbolsOfTheEntryFont) {
  Check(engine, {
      {"n-th root sign", "3\xCE" "8", "3{NthRoot}8:"},
      {"simp key with its list", "\xC2(1,2)", "{#simp}(1{ArgumentMark}2):"},
      {"square root sign", "\xC1" "9", "{sqr}9:"},
      {"cube root sign", "\xC8" "8", "{cur}8:"},
      {"pi sign takes a product", "2\xCB", "2{ImplicitProduct}{pi}(0):"},
      {"masculine ordinal is a degree mark", "30\xBA", "((30)):"},
      {"brackets of any shape", "[2+3]*{4}", "(2+3)*(4):"},
      {"reciprocal sign", "4\xD3", "4^(0-1):"},
      {"reciprocal after a name is no inverse", "sin\xD3(x)", "{sin}^(0-1){ImplicitProduct}(x):"},
      {"cube sign", "2\xB3", "2^(3):"},
      {"square sign", "x\xB2", "x^(2):"},
      {"accented letters are i j k", "\xE7\xE8\xEA", "i{ImplicitProduct}j{ImplicitProduct}k:"},
      {"arc sine sign", "\xD4" "0.5", "{arcsin}0.5:"},
      {"multiplication sign is @", "2\xD7" "3", "2@3:"},
      {"middle dot is *", "2\xB7" "3", "2*3:"},
      {"middle dot then minus", "2\xB7-3", "2*{Negate}3:"},
  });
}

TEST_F(Normalize, CaseBlanksAndWordForms) {
  Check(engine, {
      {"names in capitals", "SIN(30)", "{sin}(30):"},
      {"mod in lower case", "28 mod 5", "28{Mod}5:"},
      {"MOD in capitals", "28 MOD 5", "28{Mod}5:"},
      {"AND is no operator once blanks go", "x AND y", "x{ImplicitProduct}a{ImplicitProduct}n{ImplicitProduct}d{ImplicitProduct}y:"},
      {"blanks go before names", "s i n 30", "{sin}30:"},
      {"blanks between operands", "2 + 3", "2+3:"},
      {"2x2 system with x", "s2x2(1,2)", "{#sdxd}(1{ArgumentMark}2):"},
      {"2x2 system with the sign", "s2\xD7" "2(1,2)", "{#sdxd}(1{ArgumentMark}2):"},
      {"3x3 system in capitals", "S3X3(1,2)", "{#stxt}(1{ArgumentMark}2):"},
      {"3x3 system with the sign", "s3\xD7" "3(1,2)", "{#stxt}(1{ArgumentMark}2):"},
      {"determinant with x", "det3x3(1,2)", "{#dettxt}(1{ArgumentMark}2):"},
      {"determinant with the sign", "det3\xD7" "3(1,2)", "{#dettxt}(1{ArgumentMark}2):"},
      {"quadratic equation", "eq2d(x)", "{#ecsg}(x):"},
      {"cubic equation", "eq3d(x)", "{#ectg}(x):"},
      {"minus after a comma", "ncr(5,-2)", "{ncr}(5{ArgumentMark}0-2):"},
      {"minus after equals", "a=-3", "a=0-3:"},
      {"upper-case table name", "#GAU(1)", "{#GAU}(1):"},
      {"#vla( is no list call", "#vla(1,2)", "{#vla}(1,2):"},
  });
}

TEST_F(Normalize, LiteralsInBase16And2) {
  Check(engine, {
      {"hexadecimal", "&h2A5F", "(10847):"},
      {"binary", "&b101101", "(45):"},
      {"prefix in capitals", "&H2a5f", "(10847):"},
      {"zero", "&h0", "(0):"},
      {"two literals", "&hff+&b11", "(255)+(3):"},
      {"after a digit takes a product", "2&hf", "2{ImplicitProduct}(15):"},
      {"hex reads b as a digit first", "&h1b1", "(433):"},
      {"hex then binary", "&hb&b1", "(11){ImplicitProduct}(1):"},
      {"exponent form from 1E15", "&h10000000000000", "(4.5035996273705E+15):"},
      {"percent of an exponent-form literal", "&h10000000000000%", "((4.5035996273705E+15)/100):"},
      {"hex prefix alone", "&h", "", kErrOutOfRange},
      {"binary prefix without a digit", "&bx", "", kErrOutOfRange},
      {"binary has no 2", "&b2", "", kErrOutOfRange},
      {"later literal without digit", "1+&hg", "", kErrOutOfRange},
      {"hex beyond the double range", "&h" + std::string(300, 'f'), "", kErrUnknown},
      {"binary beyond the double range", "&b" + std::string(1100, '1'), "", kErrUnknown},
  });
}

TEST_F(Normalize, AbsoluteValueBars) {
  Check(engine, {
      {"bar pair", "|-3.6|", "{AbsoluteBars}(0-3.6):"},
      {"two pairs, no nesting", "|a|+|b|", "{AbsoluteBars}(a)+{AbsoluteBars}(b):"},
      {"lone bar", "|3", "", kErrParenOpen},
      {"odd bar", "|3|+|4", "", kErrParenOpen},
  });
}

TEST_F(Normalize, ArgumentlessNames) {
  Check(engine, {
      {"ans", "ans", "{ans}(0):"},
      {"rnd", "rnd", "{rnd}(0):"},
      {"ran#", "ran#", "{rnd}(0):"},
      {"pi", "pi", "{pi}(0):"},
      {"in capitals", "ANS+PI", "{ans}(0)+{pi}(0):"},
      {"digit before", "2ans", "2{ImplicitProduct}{ans}(0):"},
      {"digit after", "pi2", "{pi}(0){ImplicitProduct}2:"},
      {"digit after ans", "ans2", "{ans}(0){ImplicitProduct}2:"},
  });
}

TEST_F(Normalize, OperatorsAndSigns) {
  Check(engine, {
      {"sum", "2+3", "2+3:"},
      {"reciprocal sum before division", "2//3", "2{ReciprocalSum}3:"},
      {"not equal", "2<>3", "2{NotEqual}3:"},
      {"not equal reversed", "2><3", "2{NotEqual}3:"},
      {"less or equal", "2<=3", "2{LessOrEqual}3:"},
      {"greater or equal reversed", "2=>3", "2{GreaterOrEqual}3:"},
      {"integer division", "2\\3", "2\\3:"},
      {"argument mark spelled out", "1#opaf2", "1{ArgumentMark}2:"},
      {"leading minus", "-5", "0-5:"},
      {"leading plus", "+5", "5:"},
      {"bracketed minus", "(-5)", "(0-5):"},
      {"bracketed plus", "(+5)", "(5):"},
      {"unary minus after ^", "2^-3", "2^{Negate}3:"},
      {"unary minus after *", "2*-3", "2*{Negate}3:"},
      {"unary minus after root", "3\xCE-8", "3{NthRoot}{Negate}8:"},
      {"plus after operator dropped", "2*+3", "2*3:"},
      {"plus after ) kept", "(2)+3", "(2)+3:"},
      {"plus after argument mark dropped", "lcm(4,+6)", "{lcm}(4{ArgumentMark}6):"},
      {"three minuses", "3---2", "3-2:"},
      {"minus plus", "3-+2", "3-2:"},
      {"plus minus", "3+-2", "3-2:"},
      {"two minuses", "3--2", "3+2:"},
      {"long mixed run", "3++-+-2", "3+2:"},
      {"leading double minus", "--5", "5:"},
  });
}

TEST_F(Normalize, ImplicitProducts) {
  Check(engine, {
      {"digit letter", "2x", "2{ImplicitProduct}x:"},
      {"digit group", "2(3)", "2{ImplicitProduct}(3):"},
      {"digit function", "2sin30", "2{ImplicitProduct}{sin}30:"},
      {"scientific notation", "2e3", "2e3:"},
      {"group group", "(1)(2)", "(1){ImplicitProduct}(2):"},
      {"group letter", "(1)x", "(1){ImplicitProduct}x:"},
      {"group e is a product", "(1)e", "(1){ImplicitProduct}e:"},
      {"group digit", "(3)2", "(3){ImplicitProduct}2:"},
      {"percent digit", "25%600", "(25/100){ImplicitProduct}600:"},
      {"percent letter", "25%x", "(25/100){ImplicitProduct}x:"},
      {"letter letter", "ab", "a{ImplicitProduct}b:"},
      {"letter group", "x(2)", "x{ImplicitProduct}(2):"},
      {"letter function", "xsin(30)", "x{ImplicitProduct}{sin}(30):"},
      {"e before a group", "e(2)", "e{ImplicitProduct}(2):"},
      {"letter digit is a power", "x2", "x^2:"},
      {"e digit is not", "e2", "e2:"},
      {"power after product", "ab2", "a{ImplicitProduct}b^2:"},
      {"power amid products", "xy2z", "x{ImplicitProduct}y^2{ImplicitProduct}z:"},
      {"pi after a digit", "2pi", "2{ImplicitProduct}{pi}(0):"},
      {"close then open", ")(", "){ImplicitProduct}(:"},
  });
}

TEST_F(Normalize, FunctionNamesAndPowers) {
  Check(engine, {
      {"name before its digits", "sin30", "{sin}30:"},
      {"longest name first", "argsinh(1)", "{argsinh}(1):"},
      {"hyperbolic", "sinh(1)", "{sinh}(1):"},
      {"alternative spelling", "#hypsin(1)", "{sinh}(1):"},
      {"arc sine", "arcsin(1)", "{arcsin}(1):"},
      {"logarithm of a digit", "ln2", "{ln}2:"},
      {"minus after a name", "sin-30", "{sin}{Negate}30:"},
      {"plus after a name", "sin+30", "{sin}30:"},
      {"square of a call", "sin\xB2" "30", "{PowerOf2}{sin}30:"},
      {"cube of a call", "sin\xB3(x)", "{PowerOf3}{sin}(x):"},
      {"ninth power", "sin^(9)x", "{PowerOf9}{sin}x:"},
      {"power 10 stays", "sin^(10)(x)", "{sin}^(10){ImplicitProduct}(x):"},
      {"power 1 stays", "sin^(1)x", "{sin}^(1){ImplicitProduct}x:"},
      {"star after the power dropped", "sin^(2)*x", "{PowerOf2}{sin}x:"},
      {"two powers", "sin^(2)^(3)(x)", "{PowerOf2}{PowerOf3}{sin}(x):"},
      {"two squared calls", "cos\xB2x+sin\xB2x", "{PowerOf2}{cos}x+{PowerOf2}{sin}x:"},
  });
}

TEST_F(Normalize, PercentAndFactorial) {
  Check(engine, {
      {"factorial of a number", "5!", "{fact}(5):"},
      {"factorial of a group", "(2+3)!", "{fact}((2+3)):"},
      {"factorial of a call", "sin(30)!", "{fact}({sin}(30)):"},
      {"factorial of a squared call", "sin\xB2(30)!", "{PowerOf2}{fact}({sin}(30)):"},
      {"factorial of a letter", "x!", "{fact}(x):"},
      {"double factorial", "x!!", "{fact}({fact}(x)):"},
      {"factorial after an operator stays", "2+!", "2+!:"},
      {"factorial at the start stays", "!5", "!5:"},
      {"percent", "25%", "(25/100):"},
      {"percent of a group", "(1+2)%", "((1+2)/100):"},
      {"percent of a number with exponent", "2.5e-3%", "(2.5e-3/100):"},
      {"percent of a letter", "x%", "(x/100):"},
      {"percent twice", "2%%", "((2/100)/100):"},
      {"factorial then percent", "5!%", "({fact}(5)/100):"},
      {"percent factorial percent", "(1)%!%", "({fact}(((1)/100))/100):"},
      {"factorial then percent after a name", "sin5!%", "{sin}({fact}(5)/100):"},
      {"mark after a lone )", "1)!(", "", kErrSyntax},
  });
}

TEST_F(Normalize, DegreesMinutesSeconds) {
  Check(engine, {
      {"degrees", "30\xB0", "((30)):"},
      {"degrees minutes seconds", "12\xB0" "34'56\"", "((12)+(34/60)+(56/3600)):"},
      {"minutes alone", "45'", "((45/60)):"},
      {"degrees of a letter", "x\xB0", "((x)):"},
      {"degrees of a group", "(1+2)\xB0", "(((1+2))):"},
      {"degrees of a call, then minutes", "sin(3)\xB0" "30'", "(({sin}(3))+(30/60)):"},
      {"minutes of a letter continue the run", "1.5\xB0x'", "((1.5)+(x/60)):"},
      {"minutes of a group continue the run", "(1)\xB0(2)'", "(((1))+((2)/60)):"},
      {"degree mark alone stays", "\xB0", "{#NUY}:"},
      {"second mark on the sum stays", "12\xB0\xB0", "((12)){#NUY}:"},
      {"mark after a lone )", "1)\xB0(", "", kErrSyntax},
  });
}

TEST_F(Normalize, WholeRoadOfOneEntry) {
  Check(engine, {
      {"2 sin squared 30 plus bars", "2sin\xB2(30)+|-3|", "2{ImplicitProduct}{PowerOf2}{sin}(30)+{AbsoluteBars}(0-3):"},
  });
}

TEST_F(Normalize, OpenParenthesesAreClosedWithABeep) {
  struct BeepRow {
    const char* name;
    const char* input;
    const char* want;
    int error;
    int beeps;
  };
  const BeepRow rows[] = {
      {"one open", "(2+3", "(2+3):", 0, 1},
      {"two open", "((2", "((2)):", 0, 1},
      {"balanced", "(2+3)", "(2+3):", 0, 0},
      {"only the total counts", ")(", "){ImplicitProduct}(:", 0, 0},
      {"one closed too many", "2+3)", "", kErrParenClosed, 0},
  };
  for (const BeepRow& r : rows) {
    BeepCounter host;
    Engine engine(host);
    EXPECT_EQ(Readable(NormalizeExpression(engine, r.input)), Readable(Tok(r.want))) << r.name;
    EXPECT_EQ(engine.ErrorCode, r.error) << r.name;
    EXPECT_EQ(host.beeps, r.beeps) << r.name;
  }
}

TEST_F(Normalize, SplitterErrorsLetTheRemainingPassesRun) {
  Check(engine, {
      {"call with one argument", "ncr(5)", ":", kErrSyntax},
      {"unclosed call", "ncr(5,2", ":", kErrSyntax},
      {"nested call with one argument", "ncr(ncr(5),2)", "{ncr}({ArgumentMark}2):", kErrSyntax},
  });
}

TEST_F(Normalize, ErrorNumberOfEveryFailureRoute) {
  auto nested = [](int depth) {
    std::string s;
    for (int i = 0; i < depth; ++i) s += "ncr(";
    s += "1";
    for (int i = 0; i < depth; ++i) s += ",2)";
    return s;
  };
  struct ErrorRow {
    const char* name;
    std::string input;
    int error;
  };
  const ErrorRow rows[] = {
      {"literal without digit", "&h", kErrOutOfRange},
      {"open bar", "|3", kErrParenOpen},
      {"closed parenthesis", "2+3)", kErrParenClosed},
      {"mark without its group", "1)%(", kErrSyntax},
      {"literal too large", "&h" + std::string(260, 'f'), kErrUnknown},
      {"calls nested too deep", nested(201), kErrUnknown},
  };
  for (const ErrorRow& r : rows) {
    engine.Reset();
    EXPECT_EQ(NormalizeExpression(engine, r.input), "") << r.name;
    EXPECT_EQ(engine.ErrorCode, r.error) << r.name;
  }
  engine.Reset();
  const std::string deepest = NormalizeExpression(engine, nested(200));
  EXPECT_EQ(engine.ErrorCode, 0);
  EXPECT_EQ(deepest.substr(0, 4), Tok("{ncr}({ncr}("));
  EXPECT_EQ(deepest.back(), ':');
}

TEST_F(Normalize, EnteredWithAnErrorGivesNothingAndKeepsIt) {
  for (int code : {kErrUnknown, kErrSyntax, kErrOutOfRange, kNoticeNoSolution}) {
    BeepCounter host;
    Engine engine(host);
    engine.ErrorCode = code;
    EXPECT_EQ(NormalizeExpression(engine, "(2+3"), "") << code;
    EXPECT_EQ(engine.ErrorCode, code);
    EXPECT_EQ(host.beeps, 0) << "no pass may run";
  }
}

}  // namespace
}  // namespace tarvo
