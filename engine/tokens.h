// The token tables: every function name and every operator spelling of the
// expression language with the one-byte token that stands for it in a token
// string. The tables are constant data; their order matters, because the
// normaliser replaces names in table order.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace tarvo {

// Every token of a token string, with its byte as the value. Bytes below 128
// are operators (the printable ones stand for themselves); 128..226 are
// functions. A "Reserved" token is a spelling the table keeps so that names
// containing it are replaced in the right order; evaluating it is an
// internal fault. Reserved spellings whose purpose was never settled are
// named after the spelling ("#vnl" is ReservedVnl).
enum class Token : unsigned char {
  // Operators.
  NthRoot = 21,          // x NthRoot y: the x-th root of y
  Xor = 22,              // " XOR "
  Or = 23,               // " OR "
  ImplicitProduct = 24,  // the product written by juxtaposition ("2x")
  ReciprocalSum = 25,    // "//": 1 / (1/x + 1/y)
  NotEqual = 26,         // "<>", "><"
  LessOrEqual = 27,      // "<=", "=<"
  GreaterOrEqual = 28,   // ">=", "=>"
  ArgumentMark = 29,     // the first separator of a multi-argument call
  Mod = 30,              // " MOD "
  And = 31,              // " AND "
  Ampersand = '&',
  CloseGroup = ')',
  Product = '*',
  Plus = '+',
  Comma = ',',
  Minus = '-',
  Divide = '/',
  End = ':',             // the end of a token string
  Semicolon = ';',
  Less = '<',
  Equal = '=',
  Greater = '>',
  KeypadProduct = '@',   // the keypad's multiplication sign
  IntegerDivide = '\\',
  Power = '^',
  // Functions.
  ReservedVnl = 128,
  Negate = 129,
  Random = 130,
  Floor = 131,
  ReservedFraction = 132,
  SquareRoot = 133,
  Absolute = 134,
  ReservedSign = 135,
  ArcSine = 136,
  ArcCosine = 137,
  ArcTangent = 138,
  ReservedNdtf = 139,
  ReservedDdtf = 140,
  Exponential = 141,
  NaturalLog = 142,
  CommonLog = 143,
  InverseHyperbolicCosecant = 144,
  InverseHyperbolicSecant = 145,
  InverseHyperbolicCotangent = 146,
  InverseHyperbolicSine = 147,
  InverseHyperbolicCosine = 148,
  InverseHyperbolicTangent = 149,
  HyperbolicCosecant = 150,
  HyperbolicSecant = 151,
  HyperbolicCotangent = 152,
  HyperbolicSine = 153,
  HyperbolicCosine = 154,
  HyperbolicTangent = 155,
  ArcCosecant = 156,
  ArcSecant = 157,
  ArcCotangent = 158,
  ReservedEvaluateText = 159,
  LeastCommonMultiple = 160,
  GreatestCommonDivisor = 161,
  Cosecant = 162,
  Secant = 163,
  Cotangent = 164,
  Sine = 165,
  Cosine = 166,
  Tangent = 167,
  ReservedTruncate = 168,
  Factorial = 169,
  CubeRoot = 170,
  NormalInverse = 171,   // "znor"
  NormalLower = 172,     // "nor"
  LastAnswer = 173,
  Pi = 174,
  ReservedNot = 175,
  ReservedNuy = 176,
  IsPrime = 177,
  AbsoluteBars = 178,    // "|x|"
  QuadraticEquation = 179,
  CubicEquation = 180,
  ReservedModulus = 181,
  ReservedDerivative = 182,
  ReservedIntegral = 183,
  ReservedGauss = 184,
  ReservedMatrixDeterminant = 185,
  ReservedMatrixInverse = 186,
  ReservedMatrixRank = 187,
  ReservedMatrixTranspose = 188,
  ReservedMatrixAdjugate = 189,
  ReservedTrimText = 190,
  ReservedTextLength = 191,
  PowerOf2 = 192,        // PowerOf2..PowerOf9: the operand to the power code - 190
  PowerOf3 = 193,
  PowerOf4 = 194,
  PowerOf5 = 195,
  PowerOf6 = 196,
  PowerOf7 = 197,
  PowerOf8 = 198,
  PowerOf9 = 199,
  ReservedSpaces = 200,
  ReservedAngleText = 201,
  ReservedVariableList = 202,
  MeanInterval = 203,
  RateInterval = 204,
  Combinations = 205,
  Permutations = 206,
  RectangularToPolar = 207,
  PolarToRectangular = 208,
  JulianDay = 209,
  Binomial = 210,
  ReservedSimpson = 211,
  ReservedDerivativeAt = 212,
  ReservedSecondDerivativeAt = 213,
  SolveOnInterval = 214,
  LinearSystem2 = 215,
  LinearSystem3 = 216,
  ReservedMaximum = 217,
  ReservedMinimum = 218,
  ReservedInflection = 219,
  ReservedRectangleRule = 220,
  ReservedReno = 221,
  ReservedMoneyValue = 222,
  LogToBase = 223,
  Determinant3 = 224,
  ReservedGraph = 225,
  ReservedSum = 226,
};

inline constexpr unsigned char kFirstFunctionCode = 128;
inline constexpr unsigned char kLastFunctionCode = 226;

// The token's byte, as a character of a token string and as a number.
constexpr char ByteOf(Token t) { return static_cast<char>(t); }
constexpr int CodeOf(Token t) { return static_cast<unsigned char>(t); }
// The one-byte token string.
inline std::string TokenText(Token t) { return std::string(1, ByteOf(t)); }

struct FunctionToken {
  std::string_view name;
  Token code;
};

struct OperatorToken {
  std::string_view spelling;
  Token code;
  int priority;   // 0 for the closing tokens ":" and ")"
};

inline constexpr int kFunctionTokenCount = 113;
inline constexpr int kParenFunctionCount = 28;
inline constexpr int kOperatorTokenCount = 29;

extern const std::array<FunctionToken, kFunctionTokenCount> FunctionTokenTable;
extern const std::array<FunctionToken, kParenFunctionCount> ParenFunctionTable;
extern const std::array<OperatorToken, kOperatorTokenCount> OperatorTokenTable;

// Set tests on a byte, without a search.
bool IsFunctionToken(char c);
bool IsParenFunctionToken(char c);

// The priority of the operator whose token is c, from 1 (the argument
// separators) to 9 (powers, roots, "//"); 0 for the closing tokens ":" and
// ")"; kNoOperator when c is no operator.
inline constexpr int kNoOperator = -1;
int OperatorPriority(char c);

// Two rules FunctionTokenTable keeps, checked as the code compiles
// (tokens.cpp); they take any table so that a broken one can be shown to
// break them.
// No name occurs inside a later one: names are replaced in table order, so
// "argsinh" must stand before "sinh", and "sinh" before "sin".
constexpr bool KeepsOrderRule(std::span<const FunctionToken> table) {
  for (size_t i = 0; i < table.size(); ++i)
    for (size_t j = i + 1; j < table.size(); ++j)
      if (table[j].name.find(table[i].name) != std::string_view::npos) return false;
  return true;
}
// Every function code is used, and only function codes.
constexpr bool CoversFunctionCodes(std::span<const FunctionToken> table) {
  std::array<bool, 256> used{};
  for (const FunctionToken& f : table) {
    if (CodeOf(f.code) < kFirstFunctionCode || CodeOf(f.code) > kLastFunctionCode) return false;
    used[static_cast<size_t>(CodeOf(f.code))] = true;
  }
  for (int c = kFirstFunctionCode; c <= kLastFunctionCode; ++c)
    if (!used[static_cast<size_t>(c)]) return false;
  return true;
}

}  // namespace tarvo
