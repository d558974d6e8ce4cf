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
      {"n-th root sign", "3\xCE" "8", "3{21}8:"},
      {"simp key with its list", "\xC2(1,2)", "{211}(1{29}2):"},
      {"square root sign", "\xC1" "9", "{133}9:"},
      {"cube root sign", "\xC8" "8", "{170}8:"},
      {"pi sign takes a product", "2\xCB", "2{24}{174}(0):"},
      {"masculine ordinal is a degree mark", "30\xBA", "((30)):"},
      {"brackets of any shape", "[2+3]*{4}", "(2+3)*(4):"},
      {"reciprocal sign", "4\xD3", "4^(0-1):"},
      {"reciprocal after a name is no inverse", "sin\xD3(x)", "{165}^(0-1){24}(x):"},
      {"cube sign", "2\xB3", "2^(3):"},
      {"square sign", "x\xB2", "x^(2):"},
      {"accented letters are i j k", "\xE7\xE8\xEA", "i{24}j{24}k:"},
      {"arc sine sign", "\xD4" "0.5", "{136}0.5:"},
      {"multiplication sign is @", "2\xD7" "3", "2@3:"},
      {"middle dot is *", "2\xB7" "3", "2*3:"},
      {"middle dot then minus", "2\xB7-3", "2*{129}3:"},
  });
}

TEST_F(Normalize, CaseBlanksAndWordForms) {
  Check(engine, {
      {"names in capitals", "SIN(30)", "{165}(30):"},
      {"mod in lower case", "28 mod 5", "28{30}5:"},
      {"MOD in capitals", "28 MOD 5", "28{30}5:"},
      {"AND is no operator once blanks go", "x AND y", "x{24}a{24}n{24}d{24}y:"},
      {"blanks go before names", "s i n 30", "{165}30:"},
      {"blanks between operands", "2 + 3", "2+3:"},
      {"2x2 system with x", "s2x2(1,2)", "{215}(1{29}2):"},
      {"2x2 system with the sign", "s2\xD7" "2(1,2)", "{215}(1{29}2):"},
      {"3x3 system in capitals", "S3X3(1,2)", "{216}(1{29}2):"},
      {"3x3 system with the sign", "s3\xD7" "3(1,2)", "{216}(1{29}2):"},
      {"determinant with x", "det3x3(1,2)", "{224}(1{29}2):"},
      {"determinant with the sign", "det3\xD7" "3(1,2)", "{224}(1{29}2):"},
      {"quadratic equation", "eq2d(x)", "{179}(x):"},
      {"cubic equation", "eq3d(x)", "{180}(x):"},
      {"minus after a comma", "ncr(5,-2)", "{205}(5{29}0-2):"},
      {"minus after equals", "a=-3", "a=0-3:"},
      {"upper-case table name", "#GAU(1)", "{184}(1):"},
      {"#vla( is no list call", "#vla(1,2)", "{202}(1,2):"},
  });
}

TEST_F(Normalize, LiteralsInBase16And2) {
  Check(engine, {
      {"hexadecimal", "&h2A5F", "(10847):"},
      {"binary", "&b101101", "(45):"},
      {"prefix in capitals", "&H2a5f", "(10847):"},
      {"zero", "&h0", "(0):"},
      {"two literals", "&hff+&b11", "(255)+(3):"},
      {"after a digit takes a product", "2&hf", "2{24}(15):"},
      {"hex reads b as a digit first", "&h1b1", "(433):"},
      {"hex then binary", "&hb&b1", "(11){24}(1):"},
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
      {"bar pair", "|-3.6|", "{178}(0-3.6):"},
      {"two pairs, no nesting", "|a|+|b|", "{178}(a)+{178}(b):"},
      {"lone bar", "|3", "", kErrParenOpen},
      {"odd bar", "|3|+|4", "", kErrParenOpen},
  });
}

TEST_F(Normalize, ArgumentlessNames) {
  Check(engine, {
      {"ans", "ans", "{173}(0):"},
      {"rnd", "rnd", "{130}(0):"},
      {"ran#", "ran#", "{130}(0):"},
      {"pi", "pi", "{174}(0):"},
      {"in capitals", "ANS+PI", "{173}(0)+{174}(0):"},
      {"digit before", "2ans", "2{24}{173}(0):"},
      {"digit after", "pi2", "{174}(0){24}2:"},
      {"digit after ans", "ans2", "{173}(0){24}2:"},
  });
}

TEST_F(Normalize, OperatorsAndSigns) {
  Check(engine, {
      {"sum", "2+3", "2+3:"},
      {"reciprocal sum before division", "2//3", "2{25}3:"},
      {"not equal", "2<>3", "2{26}3:"},
      {"not equal reversed", "2><3", "2{26}3:"},
      {"less or equal", "2<=3", "2{27}3:"},
      {"greater or equal reversed", "2=>3", "2{28}3:"},
      {"integer division", "2\\3", "2\\3:"},
      {"argument mark spelled out", "1#opaf2", "1{29}2:"},
      {"leading minus", "-5", "0-5:"},
      {"leading plus", "+5", "5:"},
      {"bracketed minus", "(-5)", "(0-5):"},
      {"bracketed plus", "(+5)", "(5):"},
      {"unary minus after ^", "2^-3", "2^{129}3:"},
      {"unary minus after *", "2*-3", "2*{129}3:"},
      {"unary minus after root", "3\xCE-8", "3{21}{129}8:"},
      {"plus after operator dropped", "2*+3", "2*3:"},
      {"plus after ) kept", "(2)+3", "(2)+3:"},
      {"plus after argument mark dropped", "lcm(4,+6)", "{160}(4{29}6):"},
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
      {"digit letter", "2x", "2{24}x:"},
      {"digit group", "2(3)", "2{24}(3):"},
      {"digit function", "2sin30", "2{24}{165}30:"},
      {"scientific notation", "2e3", "2e3:"},
      {"group group", "(1)(2)", "(1){24}(2):"},
      {"group letter", "(1)x", "(1){24}x:"},
      {"group e is a product", "(1)e", "(1){24}e:"},
      {"group digit", "(3)2", "(3){24}2:"},
      {"percent digit", "25%600", "(25/100){24}600:"},
      {"percent letter", "25%x", "(25/100){24}x:"},
      {"letter letter", "ab", "a{24}b:"},
      {"letter group", "x(2)", "x{24}(2):"},
      {"letter function", "xsin(30)", "x{24}{165}(30):"},
      {"e before a group", "e(2)", "e{24}(2):"},
      {"letter digit is a power", "x2", "x^2:"},
      {"e digit is not", "e2", "e2:"},
      {"power after product", "ab2", "a{24}b^2:"},
      {"power amid products", "xy2z", "x{24}y^2{24}z:"},
      {"pi after a digit", "2pi", "2{24}{174}(0):"},
      {"close then open", ")(", "){24}(:"},
  });
}

TEST_F(Normalize, FunctionNamesAndPowers) {
  Check(engine, {
      {"name before its digits", "sin30", "{165}30:"},
      {"longest name first", "argsinh(1)", "{147}(1):"},
      {"hyperbolic", "sinh(1)", "{153}(1):"},
      {"alternative spelling", "#hypsin(1)", "{153}(1):"},
      {"arc sine", "arcsin(1)", "{136}(1):"},
      {"logarithm of a digit", "ln2", "{142}2:"},
      {"minus after a name", "sin-30", "{165}{129}30:"},
      {"plus after a name", "sin+30", "{165}30:"},
      {"square of a call", "sin\xB2" "30", "{192}{165}30:"},
      {"cube of a call", "sin\xB3(x)", "{193}{165}(x):"},
      {"ninth power", "sin^(9)x", "{199}{165}x:"},
      {"power 10 stays", "sin^(10)(x)", "{165}^(10){24}(x):"},
      {"power 1 stays", "sin^(1)x", "{165}^(1){24}x:"},
      {"star after the power dropped", "sin^(2)*x", "{192}{165}x:"},
      {"two powers", "sin^(2)^(3)(x)", "{192}{193}{165}(x):"},
      {"two squared calls", "cos\xB2x+sin\xB2x", "{192}{166}x+{192}{165}x:"},
  });
}

TEST_F(Normalize, PercentAndFactorial) {
  Check(engine, {
      {"factorial of a number", "5!", "{169}(5):"},
      {"factorial of a group", "(2+3)!", "{169}((2+3)):"},
      {"factorial of a call", "sin(30)!", "{169}({165}(30)):"},
      {"factorial of a squared call", "sin\xB2(30)!", "{192}{169}({165}(30)):"},
      {"factorial of a letter", "x!", "{169}(x):"},
      {"double factorial", "x!!", "{169}({169}(x)):"},
      {"factorial after an operator stays", "2+!", "2+!:"},
      {"factorial at the start stays", "!5", "!5:"},
      {"percent", "25%", "(25/100):"},
      {"percent of a group", "(1+2)%", "((1+2)/100):"},
      {"percent of a number with exponent", "2.5e-3%", "(2.5e-3/100):"},
      {"percent of a letter", "x%", "(x/100):"},
      {"percent twice", "2%%", "((2/100)/100):"},
      {"factorial then percent", "5!%", "({169}(5)/100):"},
      {"percent factorial percent", "(1)%!%", "({169}(((1)/100))/100):"},
      {"factorial then percent after a name", "sin5!%", "{165}({169}(5)/100):"},
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
      {"degrees of a call, then minutes", "sin(3)\xB0" "30'", "(({165}(3))+(30/60)):"},
      {"minutes of a letter continue the run", "1.5\xB0x'", "((1.5)+(x/60)):"},
      {"minutes of a group continue the run", "(1)\xB0(2)'", "(((1))+((2)/60)):"},
      {"degree mark alone stays", "\xB0", "{176}:"},
      {"second mark on the sum stays", "12\xB0\xB0", "((12)){176}:"},
      {"mark after a lone )", "1)\xB0(", "", kErrSyntax},
  });
}

TEST_F(Normalize, WholeRoadOfOneEntry) {
  Check(engine, {
      {"2 sin squared 30 plus bars", "2sin\xB2(30)+|-3|", "2{24}{192}{165}(30)+{178}(0-3):"},
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
      {"only the total counts", ")(", "){24}(:", 0, 0},
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
      {"nested call with one argument", "ncr(ncr(5),2)", "{205}({29}2):", kErrSyntax},
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
  EXPECT_EQ(deepest.substr(0, 4), Tok("{205}({205}("));
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
