// The tokens of a token string, the operator table (every operator spelling
// with its token and priority) and the shape of a function table's rows.
// The functions themselves, one row each, are the engine's
// (engine/eval/functions.h): the normaliser reads their names from the table
// it is handed. The tables are constant data; their order matters, because
// the normaliser replaces names and spellings in table order.
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

// How a function's name is written: alone before its operand ("sin 30",
// "sin(30)"), or as a call whose parentheses hold an argument list
// ("ncr(5, 2)"); the normaliser replaces a call's name with its "(" first,
// and the argument splitter marks the list.
enum class Written : unsigned char { kWord, kCall };

// What a function takes as the operand its token stands before.
struct Operand {
  enum Kind : unsigned char {
    kValue,     // the value of the operand
    kNone,      // nothing: the name stands alone ("pi"), and the normaliser
                // gives it the operand 0
    kList,      // the number of an argument list of min..max arguments
    kText,      // the number of the equation-text slot that holds its equation
    kReserved,  // a spelling kept for the table's order: applying it is an
                // internal fault (2)
  };
  Kind kind;
  int min, max;  // the arguments a list may hold; 1 for the other kinds
  friend constexpr bool operator==(const Operand&, const Operand&) = default;
};
constexpr Operand ValueOperand() { return {Operand::kValue, 1, 1}; }
constexpr Operand NoOperand() { return {Operand::kNone, 1, 1}; }
constexpr Operand ListOperand(int min, int max) { return {Operand::kList, min, max}; }
constexpr Operand TextOperand() { return {Operand::kText, 1, 1}; }
constexpr Operand ReservedOperand() { return {Operand::kReserved, 1, 1}; }

// Which arguments of a call are equation texts: they leave the token string
// for the equation-text slots before it is evaluated, and the slots'
// numbers stand in their place.
enum class EquationTexts : unsigned char { kNone, kFirst, kEvery };

class Engine;
struct ArgumentList;

// Applies a function: replaces `x`, its operand, by its result. A function
// of an argument list finds its arguments in `list` (their count already
// checked against its row); the others are handed an empty list. On failure
// the engine's error is set and `x` is of no interest.
using FunctionApplying = void(Engine& engine, double& x, const ArgumentList& list);
using FunctionApplier = FunctionApplying*;

// One function of the expression language: every fact about it in one row.
// A name the normaliser finds (ignoring case) and the token it becomes, how
// it is written, what its operand is, which of its arguments are equation
// texts, what applying it costs (in work units, see ChargeWork; the
// routines with loops charge their steps themselves) and how it applies.
// Several names may share a token; their rows then agree on all but the
// name and how it is written.
struct FunctionRow {
  // Every part is given: a row that leaves one out does not compile, nor
  // one without a function to apply (it is taken by reference).
  constexpr FunctionRow(std::string_view name_, Token token_, Written written_, Operand operand_,
                        EquationTexts texts_, long units_, FunctionApplying& apply_)
      : name(name_), token(token_), written(written_), operand(operand_), texts(texts_), units(units_),
        apply(&apply_) {}

  std::string_view name;
  Token token;
  Written written;
  Operand operand;
  EquationTexts texts;
  long units;
  FunctionApplier apply;
};

struct OperatorToken {
  std::string_view spelling;
  Token code;
  int priority;   // 0 for the closing tokens ":" and ")"
};

inline constexpr int kOperatorTokenCount = 29;
extern const std::array<OperatorToken, kOperatorTokenCount> OperatorTokenTable;

// Function tokens are the bytes kFirstFunctionCode..kLastFunctionCode, as
// the evaluator and the normaliser read them, whatever table named them.
constexpr bool IsFunctionCode(int code) { return code >= kFirstFunctionCode && code <= kLastFunctionCode; }
inline bool IsFunctionToken(char c) { return IsFunctionCode(static_cast<unsigned char>(c)); }

// The priority of the operator whose token is c, from 1 (the argument
// separators) to 9 (powers, roots, "//"); 0 for the closing tokens ":" and
// ")"; kNoOperator when c is no operator.
inline constexpr int kNoOperator = -1;
int OperatorPriority(char c);

// The rules a function table keeps, checked as the code compiles (the
// engine's table) and shown by the tests to refuse tables that break them.
namespace table_rules {

constexpr char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
// Whether `part` occurs in `name`, ignoring ASCII case.
constexpr bool Holds(std::string_view name, std::string_view part) {
  for (size_t i = 0; i + part.size() <= name.size(); ++i) {
    size_t k = 0;
    while (k < part.size() && LowerAscii(name[i + k]) == LowerAscii(part[k])) ++k;
    if (k == part.size()) return true;
  }
  return false;
}

}  // namespace table_rules

// No name occurs inside a later one (as it is written, case and all):
// names are replaced in table order, so "argsinh" must stand before
// "sinh", and "sinh" before "sin".
constexpr bool KeepsOrderRule(std::span<const FunctionRow> table) {
  for (size_t i = 0; i < table.size(); ++i)
    for (size_t j = i + 1; j < table.size(); ++j)
      if (table[j].name.find(table[i].name) != std::string_view::npos) return false;
  return true;
}

// Every function code is used, and only function codes.
constexpr bool CoversFunctionCodes(std::span<const FunctionRow> table) {
  std::array<bool, 256> used{};
  for (const FunctionRow& f : table) {
    if (!IsFunctionCode(CodeOf(f.token))) return false;
    used[static_cast<size_t>(CodeOf(f.token))] = true;
  }
  for (int c = kFirstFunctionCode; c <= kLastFunctionCode; ++c)
    if (!used[static_cast<size_t>(c)]) return false;
  return true;
}

// A token is one function: the rows that share it agree on their operand,
// their equation texts, their cost and how they apply.
constexpr bool OneFunctionPerToken(std::span<const FunctionRow> table) {
  for (const FunctionRow& f : table)
    for (const FunctionRow& g : table)
      if (f.token == g.token && (f.operand != g.operand || f.texts != g.texts || f.units != g.units ||
                                 f.apply != g.apply))
        return false;
  return true;
}

// Each row is whole and its parts fit together: a cost of at least one
// unit (the applier it cannot lack); a call takes an argument list (or is reserved); a
// list holds at least two arguments (a call's first separator makes it);
// equation texts are the arguments of a list, or the one text operand.
constexpr bool RowsFitTogether(std::span<const FunctionRow> table) {
  for (const FunctionRow& f : table) {
    const Operand::Kind kind = f.operand.kind;
    if (f.units < 1) return false;
    if (f.written == Written::kCall && kind != Operand::kList && kind != Operand::kReserved) return false;
    if (kind == Operand::kList ? !(2 <= f.operand.min && f.operand.min <= f.operand.max)
                               : f.operand.min != 1 || f.operand.max != 1)
      return false;
    if (f.texts == EquationTexts::kFirst && kind != Operand::kList && kind != Operand::kReserved) return false;
    if (f.texts == EquationTexts::kEvery && kind != Operand::kList && kind != Operand::kText) return false;
    if (kind == Operand::kText && f.texts != EquationTexts::kEvery) return false;
  }
  return true;
}

// Every name can be typed and reaches the function-name pass as typed: it
// starts with a letter or "#" and holds only letters, digits, "#" and "$"
// (no sign, bracket or blank that an earlier pass reads), and a name in
// which an earlier pass finds a spelling of its own (the MOD and argument
// mark operators, a solver key's form, or the name of a function that
// takes no operand) is a reserved spelling nobody can reach.
constexpr bool NamesCanBeTyped(std::span<const FunctionRow> table) {
  auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  for (const FunctionRow& f : table) {
    if (f.name.empty() || !(isLetter(f.name[0]) || f.name[0] == '#')) return false;
    for (char c : f.name)
      if (!(isLetter(c) || (c >= '0' && c <= '9') || c == '#' || c == '$')) return false;
    bool shadowed = false;
    for (std::string_view spelling : {"mod", "#opaf", "s2x2", "s3x3", "det3x3", "eq2d", "eq3d"})
      shadowed = shadowed || table_rules::Holds(f.name, spelling);
    for (const FunctionRow& g : table)
      if (g.operand.kind == Operand::kNone && g.name != f.name && table_rules::Holds(f.name, g.name)) shadowed = true;
    if (shadowed && f.operand.kind != Operand::kReserved) return false;
  }
  return true;
}

}  // namespace tarvo
