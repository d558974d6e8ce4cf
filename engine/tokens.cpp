#include "engine/tokens.h"

#include "engine/bytes.h"

namespace tarvo {

// Order rule: a name that occurs inside another name stands after it
// ("argsinh" before "sinh" before "sin"), because names are replaced in
// table order. KeepsOrderRule guards the rule.
constexpr std::array<FunctionToken, kFunctionTokenCount> FunctionTokenTable = {{
    {"#vnl", Token::ReservedVnl},
    {"#neg", Token::Negate},
    {"rnd", Token::Random},
    {"int", Token::Floor},
    {"#frac", Token::ReservedFraction},
    {"sqr", Token::SquareRoot},
    {"abs", Token::Absolute},
    {"#sgn", Token::ReservedSign},
    {"ans", Token::LastAnswer},
    {"pi", Token::Pi},
    {"#not", Token::ReservedNot},
    {"#ndtf", Token::ReservedNdtf},
    {"#ddtf", Token::ReservedDdtf},
    {"exp", Token::Exponential},
    {"ln", Token::NaturalLog},
    {"log", Token::CommonLog},
    {"argcosech", Token::InverseHyperbolicCosecant},
    {"argsech", Token::InverseHyperbolicSecant},
    {"argcotanh", Token::InverseHyperbolicCotangent},
    {"argsinh", Token::InverseHyperbolicSine},
    {"#argsenh", Token::InverseHyperbolicSine},
    {"#hypasn", Token::InverseHyperbolicSine},
    {"argcosh", Token::InverseHyperbolicCosine},
    {"#hypacs", Token::InverseHyperbolicCosine},
    {"argtanh", Token::InverseHyperbolicTangent},
    {"#hypatn", Token::InverseHyperbolicTangent},
    {"cosech", Token::HyperbolicCosecant},
    {"sech", Token::HyperbolicSecant},
    {"cotanh", Token::HyperbolicCotangent},
    {"sinh", Token::HyperbolicSine},
    {"#senh", Token::HyperbolicSine},
    {"#hypsin", Token::HyperbolicSine},
    {"cosh", Token::HyperbolicCosine},
    {"#hypcos", Token::HyperbolicCosine},
    {"tanh", Token::HyperbolicTangent},
    {"#hyptan", Token::HyperbolicTangent},
    {"arccosec", Token::ArcCosecant},
    {"arcsec", Token::ArcSecant},
    {"arccotan", Token::ArcCotangent},
    {"#arcsen", Token::ArcSine},
    {"arcsin", Token::ArcSine},
    {"arccos", Token::ArcCosine},
    {"arctan", Token::ArcTangent},
    {"cosec", Token::Cosecant},
    {"sec", Token::Secant},
    {"cotan", Token::Cotangent},
    {"#sen", Token::Sine},
    {"sin", Token::Sine},
    {"cos", Token::Cosine},
    {"tan", Token::Tangent},
    {"#asn", Token::ArcSine},
    {"#acs", Token::ArcCosine},
    {"#atn", Token::ArcTangent},
    {"#fix", Token::ReservedTruncate},
    {"fact", Token::Factorial},
    {"cur", Token::CubeRoot},
    {"znor", Token::NormalInverse},
    {"nor", Token::NormalLower},
    {"#NUY", Token::ReservedNuy},
    {"prim", Token::IsPrime},
    {"#moab", Token::AbsoluteBars},
    {"#ecsg", Token::QuadraticEquation},
    {"#ectg", Token::CubicEquation},
    {"#modu", Token::ReservedModulus},
    {"#der", Token::ReservedDerivative},
    {"#itg", Token::ReservedIntegral},
    {"#nter", Token::ReservedInflection},
    {"#GAU", Token::ReservedGauss},
    {"#DET", Token::ReservedMatrixDeterminant},
    {"#inv", Token::ReservedMatrixInverse},
    {"#RANG", Token::ReservedMatrixRank},
    {"#TRA", Token::ReservedMatrixTranspose},
    {"#ADJ", Token::ReservedMatrixAdjugate},
    {"#Trim$", Token::ReservedTrimText},
    {"#LEN", Token::ReservedTextLength},
    {"#CHR$", Token::PowerOf2},
    {"#STR$", Token::PowerOf3},
    {"#UCASE$", Token::PowerOf4},
    {"#LCASE$", Token::PowerOf5},
    {"#ASC", Token::PowerOf6},
    {"#VALF", Token::PowerOf7},
    {"#VAL", Token::PowerOf8},
    {"#hex$", Token::PowerOf9},
    {"#space$", Token::ReservedSpaces},
    {"#dms$", Token::ReservedAngleText},
    {"#vla", Token::ReservedVariableList},
    {"mie", Token::MeanInterval},
    {"rie", Token::RateInterval},
    {"ncr", Token::Combinations},
    {"npr", Token::Permutations},
    {"pol", Token::RectangularToPolar},
    {"rec", Token::PolarToRectangular},
    {"juld", Token::JulianDay},
    {"bin", Token::Binomial},
    {"#simp", Token::ReservedSimpson},
    {"#ddx", Token::ReservedDerivativeAt},
    {"lcm", Token::LeastCommonMultiple},
    {"#dsdxs", Token::ReservedSecondDerivativeAt},
    {"gcm", Token::GreatestCommonDivisor},
    {"solve", Token::SolveOnInterval},
    {"#sdxd", Token::LinearSystem2},
    {"#stxt", Token::LinearSystem3},
    {"#max", Token::ReservedMaximum},
    {"#min", Token::ReservedMinimum},
    {"#inf", Token::ReservedInflection},
    {"#retg", Token::ReservedRectangleRule},
    {"#reno", Token::ReservedReno},
    {"#tvm", Token::ReservedMoneyValue},
    {"#eva", Token::ReservedEvaluateText},
    {"lgb", Token::LogToBase},
    {"#dettxt", Token::Determinant3},
    {"#graph", Token::ReservedGraph},
    {"#sumat", Token::ReservedSum},}};

constexpr std::array<FunctionToken, kParenFunctionCount> ParenFunctionTable = {{
    {"#vla(", Token::ReservedVariableList},
    {"mie(", Token::MeanInterval},
    {"rie(", Token::RateInterval},
    {"ncr(", Token::Combinations},
    {"npr(", Token::Permutations},
    {"pol(", Token::RectangularToPolar},
    {"rec(", Token::PolarToRectangular},
    {"juld(", Token::JulianDay},
    {"bin(", Token::Binomial},
    {"#simp(", Token::ReservedSimpson},
    {"#ddx(", Token::ReservedDerivativeAt},
    {"lcm(", Token::LeastCommonMultiple},
    {"#dsdxs(", Token::ReservedSecondDerivativeAt},
    {"gcm(", Token::GreatestCommonDivisor},
    {"solve(", Token::SolveOnInterval},
    {"#sdxd(", Token::LinearSystem2},
    {"#stxt(", Token::LinearSystem3},
    {"#max(", Token::ReservedMaximum},
    {"#min(", Token::ReservedMinimum},
    {"#inf(", Token::ReservedInflection},
    {"#retg(", Token::ReservedRectangleRule},
    {"#reno(", Token::ReservedReno},
    {"#tvm(", Token::ReservedMoneyValue},
    {"#eva(", Token::ReservedEvaluateText},
    {"lgb(", Token::LogToBase},
    {"#dettxt(", Token::Determinant3},
    {"#graph(", Token::ReservedGraph},
    {"#sumat(", Token::ReservedSum},}};

// Spellings that share a token ("<>" and "><") share its priority.
constexpr std::array<OperatorToken, kOperatorTokenCount> OperatorTokenTable = {{
    {":", Token::End, 0},
    {")", Token::CloseGroup, 0},
    {"+", Token::Plus, 5},
    {"-", Token::Minus, 5},
    {"@", Token::KeypadProduct, 6},
    {"*", Token::Product, 7},
    {"//", Token::ReciprocalSum, 9},
    {"/", Token::Divide, 7},
    {"^", Token::Power, 9},
    {"<>", Token::NotEqual, 4},
    {"><", Token::NotEqual, 4},
    {"<=", Token::LessOrEqual, 4},
    {"=<", Token::LessOrEqual, 4},
    {">=", Token::GreaterOrEqual, 4},
    {"=>", Token::GreaterOrEqual, 4},
    {"<", Token::Less, 4},
    {"=", Token::Equal, 4},
    {">", Token::Greater, 4},
    {"&", Token::Ampersand, 5},
    {";", Token::Semicolon, 5},
    {"\\", Token::IntegerDivide, 7},
    {"#OPAF", Token::ArgumentMark, 1},
    {",", Token::Comma, 1},
    {" MOD ", Token::Mod, 7},
    {" AND ", Token::And, 3},
    {" XOR ", Token::Xor, 2},
    {" OR ", Token::Or, 2},
    {"\x18", Token::ImplicitProduct, 8},
    {"\x15", Token::NthRoot, 9},
}};

// The tables agree with the Token names, checked as the code compiles.
namespace {

// Each call name is a function name and "(", with that function's token.
constexpr bool CallsMatchFunctions() {
  for (const FunctionToken& p : ParenFunctionTable) {
    if (p.name.empty() || p.name.back() != '(') return false;
    const std::string_view name = p.name.substr(0, p.name.size() - 1);
    bool found = false;
    for (const FunctionToken& f : FunctionTokenTable) found = found || (f.name == name && f.code == p.code);
    if (!found) return false;
  }
  return true;
}

// Operators are bytes below the functions; a one-character printable
// spelling is its own token.
constexpr bool OperatorsSpellTheirTokens() {
  for (const OperatorToken& op : OperatorTokenTable) {
    if (CodeOf(op.code) >= kFirstFunctionCode) return false;
    const bool printable = op.spelling.size() == 1 && op.spelling[0] >= ' ';
    if (printable && op.spelling[0] != ByteOf(op.code)) return false;
  }
  return true;
}

// A token has one priority, whichever of its spellings was typed; priority
// 0 marks exactly the closing tokens, which end a group or the string.
constexpr bool OneTokenOnePriority() {
  for (const OperatorToken& op : OperatorTokenTable) {
    const bool closing = op.code == Token::End || op.code == Token::CloseGroup;
    if ((op.priority == 0) != closing) return false;
    for (const OperatorToken& other : OperatorTokenTable)
      if (other.code == op.code && other.priority != op.priority) return false;
  }
  return true;
}

static_assert(CoversFunctionCodes(FunctionTokenTable));
static_assert(KeepsOrderRule(FunctionTokenTable));
static_assert(CallsMatchFunctions());
static_assert(OperatorsSpellTheirTokens());
static_assert(OneTokenOnePriority());

struct ByteSets {
  std::array<bool, 256> function{};
  std::array<bool, 256> paren{};
  std::array<signed char, 256> priority{};
  ByteSets() {
    for (const auto& e : FunctionTokenTable) function[static_cast<size_t>(CodeOf(e.code))] = true;
    for (const auto& e : ParenFunctionTable) paren[static_cast<size_t>(CodeOf(e.code))] = true;
    priority.fill(kNoOperator);
    for (const auto& e : OperatorTokenTable)
      priority[static_cast<size_t>(CodeOf(e.code))] = static_cast<signed char>(e.priority);
  }
};

const ByteSets& Sets() {
  static const ByteSets sets;
  return sets;
}

}  // namespace

bool IsFunctionToken(char c) { return Sets().function[static_cast<size_t>(Code(c))]; }
bool IsParenFunctionToken(char c) { return Sets().paren[static_cast<size_t>(Code(c))]; }
int OperatorPriority(char c) { return Sets().priority[static_cast<size_t>(Code(c))]; }

}  // namespace tarvo
