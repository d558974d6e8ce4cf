#include "ui/logic/keypad.h"

#include <string>

#include "core/entry_encoding.h"

namespace tarvo {
namespace {

using enum KeyRole;
using enum KeyLook;
using enum FromResult;

// Column left edges and row top edges of the keypad grid.
constexpr int C[] = {17, 58, 108, 149, 190, 231, 272, 313, 354, 395, 436, 477, 529, 571, 613, 655, 697};
constexpr int R[] = {169, 211, 240, 269, 298};

constexpr KeyPage B = KeyPage::kBoth;
constexpr KeyPage P1 = KeyPage::kFirst;
constexpr KeyPage P2 = KeyPage::kSecond;

// The second line of the three sexagesimal keys' help.
#define TARVO_ARC_EXAMPLE "\r\nExample:  12\xBA 34' 56\""

// Bindings: shortcuts by mnemonic where one exists (Alt+S sin, Alt+Q square
// root, Alt+Shift for the reciprocal trigonometric functions and the rarer
// calls), F2..F9 for the output formats left to right, Shift+F2..F9 for the
// solvers and the interval estimates, F10 and Shift+F11 for the combinations
// and permutations (Shift+F10 is the desktop's key for the line's context
// menu, F11 its key for a full screen).
//
// key, caption, text, binding, page, left, top, role, look, from a result, help
constexpr std::array<KeyDef, kKeyCount> kKeys = {{
    {Key::One, "1", "1", {"1", true}, B, C[12], R[3], kText, kDigit, kStartsAnew, ""},
    {Key::Two, "2", "2", {"2", true}, B, C[13], R[3], kText, kDigit, kStartsAnew, ""},
    {Key::Three, "3", "3", {"3", true}, B, C[14], R[3], kText, kDigit, kStartsAnew, ""},
    {Key::Four, "4", "4", {"4", true}, B, C[12], R[2], kText, kDigit, kStartsAnew, ""},
    {Key::Five, "5", "5", {"5", true}, B, C[13], R[2], kText, kDigit, kStartsAnew, ""},
    {Key::Six, "6", "6", {"6", true}, B, C[14], R[2], kText, kDigit, kStartsAnew, ""},
    {Key::Seven, "7", "7", {"7", true}, B, C[12], R[1], kText, kDigit, kStartsAnew, ""},
    {Key::Eight, "8", "8", {"8", true}, B, C[13], R[1], kText, kDigit, kStartsAnew, ""},
    {Key::Nine, "9", "9", {"9", true}, B, C[14], R[1], kText, kDigit, kStartsAnew, ""},
    {Key::Zero, "0", "0", {"0", true}, B, C[12], R[4], kText, kDigit, kStartsAnew, ""},
    {Key::Point, ".", ".", {".", true}, B, C[13], R[4], kText, kDigit, kStartsAnew, ""},
    {Key::Exponent, "EXP", "E", {"E", true}, B, C[14], R[4], kText, kDigit, kStartsAnew,
     "Scientific notation input.\r\nExample:  5000 = 5E3,  0.007 = 7E-3"},
    {Key::Delete, "DEL", "", {"Backspace", true}, B, C[15], R[1], kDel, kEdit, kStartsAnew, ""},
    {Key::AllClear, "AC", "", {"Alt+Del"}, B, C[16], R[1], kAc, kEdit, kStartsAnew, ""},
    {Key::Multiply, "×", "\xB7", {"*", true}, P1, C[15], R[2], kText, kOperator, kContinues, ""},
    {Key::Power, "xʸ", "^", {"^", true}, P1, C[16], R[2], kText, kOperator, kContinues, ""},
    {Key::Minus, "−", " - ", {"-", true}, P1, C[15], R[3], kText, kOperator, kContinues, ""},
    {Key::Divide, "÷", "/", {"/", true}, P1, C[16], R[3], kText, kOperator, kContinues, ""},
    {Key::Plus, "+", " + ", {"+", true}, B, C[15], R[4], kText, kOperator, kContinues, ""},
    {Key::Execute, "EXE", "", {"Enter", true}, B, C[16], R[4], kExe, kExecute, kStartsAnew, ""},
    {Key::Sine, "sin", "sin", {"Alt+S"}, B, C[2], R[1], kTrig, kFunction, kStartsAnew, ""},
    {Key::Cosine, "cos", "cos", {"Alt+C"}, B, C[3], R[1], kTrig, kFunction, kStartsAnew, ""},
    {Key::Tangent, "tan", "tan", {"Alt+T"}, B, C[4], R[1], kTrig, kFunction, kStartsAnew, ""},
    {Key::TenPower, "10ˣ", "10^", {"Alt+0"}, P1, C[7], R[2], kText, kFunction, kStartsAnew,
     "Decimal antilogarithm (base 10 power)"},
    {Key::Exponential, "eˣ", "exp ", {"Alt+E"}, P1, C[8], R[2], kText, kFunction, kStartsAnew,
     "Exponential EXP. Base e power. (e=2.71828182845905)"},
    {Key::Reciprocal, "x⁻¹", "\xD3", {"Alt+1"}, P2, C[9], R[2], kText, kFunction, kContinues,
     "Reciprocal:  x\xD3 = x^(-1)"},
    {Key::AbsoluteValue, "|x|", "|", {"|", true}, P2, C[8], R[1], kText, kFunction, kStartsAnew,
     "Absolut value\r\nExample: |-3.6| = 3.6   also ABS(-3.6)"},
    {Key::OpenBracket, "(", "(", {"(", true}, B, C[10], R[1], kText, kFunction, kStartsAnew, ""},
    {Key::CloseBracket, ")", ")", {")", true}, B, C[11], R[1], kText, kFunction, kStartsAnew, ""},
    {Key::DegreeMark, "°", "\xB0", {"Alt+O"}, P1, C[7], R[4], kText, kMark, kContinues,
     "Arc degrees input" TARVO_ARC_EXAMPLE},
    {Key::MinuteMark, "′", "'", {"'", true}, P1, C[8], R[4], kText, kMark, kContinues,
     "Arc minutes input" TARVO_ARC_EXAMPLE},
    {Key::SecondMark, "″", "\"", {"\"", true}, P1, C[9], R[4], kText, kMark, kContinues,
     "Arc seconds input" TARVO_ARC_EXAMPLE},
    {Key::DecimalLogarithm, "log", "log ", {"Alt+L"}, P1, C[7], R[1], kText, kFunction, kStartsAnew,
     "Decimal logarithm. LOG"},
    {Key::NaturalLogarithm, "ln", "ln ", {"Alt+N"}, P1, C[8], R[1], kText, kFunction, kStartsAnew,
     "Napierian logarithm (base e logarithm). LN"},
    {Key::SquareRoot, "√", "\xC1 ", {"Alt+Q"}, B, C[5], R[1], kText, kFunction, kStartsAnew,
     "Square root \xC1\r\nAlso SQR"},
    {Key::CubeRoot, "∛", "\xC8 ", {"Alt+U"}, B, C[6], R[1], kText, kFunction, kStartsAnew,
     "Cube root \xC8\r\nAlso CUR"},
    {Key::Percent, "%", "%", {"%", true}, P2, C[9], R[1], kText, kFunction, kContinues,
     "Percent\r\nExample:  25% 600 = 150"},
    {Key::Pi, "π", "\xCB ", {"Alt+P"}, B, C[11], R[2], kText, kFunction, kStartsAnew,
     "Constant \xCB =3.14159265358979\r\nAlso pi"},
    {Key::Combinations, "nCr", "nCr(", {"F10"}, P1, C[8], R[3], kText, kFunction, kStartsAnew,
     "Combinations: Number of ways of picking r unordered outcomes from n possibilities: nCr(n, r)"},
    {Key::Permutations, "nPr", "nPr(", {"Shift+F11"}, P1, C[9], R[3], kText, kFunction, kStartsAnew,
     "Permutations: Number of ways of picking r ordered outcomes from n possibilities: nPr(n, r)"},
    {Key::Factorial, "x!", "!", {"!", true}, P2, C[9], R[3], kText, kFunction, kContinues,
     "Factorial\r\nExample: 5! = 5\xB7" "4\xB7" "3\xB7" "2\xB7" "1 = 120.  Also FACT(5)"},
    {Key::Comma, ",", ", ", {",", true}, B, C[11], R[4], kText, kFunction, kStartsAnew, ""},
    {Key::Random, "Ran#", "ran#", {"Alt+Shift+R"}, P2, C[9], R[4], kText, kFunction, kStartsAnew,
     "Random numbers from 0 to 1: RAN#\r\nAlso RND"},
    {Key::Square, "x²", "\xB2", {"Alt+2"}, B, C[10], R[2], kText, kFunction, kContinues, "Square"},
    {Key::Cube, "x³", "\xB3", {"Alt+3"}, B, C[10], R[3], kText, kFunction, kContinues, "Cube"},
    {Key::Assign, "=", "=", {"=", true}, B, C[10], R[4], kText, kFunction, kStartsAnew,
     "Stores a result into a variable\r\nExample A=3+5\xC1" "49"},
    {Key::LastAnswer, "ANS", "", {"Alt+A"}, B, C[11], R[3], kAns, kFunction, kStartsAnew, ""},
    {Key::Rectangular, "Rec", "Rec(", {"Alt+Shift+E"}, P1, C[9], R[1], kText, kFunction, kStartsAnew,
     "Polar to rectangular coordinates conversion: REC(distance, angle)\r\n"
     "Coordinates result in x, y variables"},
    {Key::Polar, "Pol", "Pol(", {"Alt+Shift+O"}, P1, C[9], R[2], kText, kFunction, kStartsAnew,
     "Rectangular to polar coordinates conversion: POL(x_coord, y_coord)\r\n"
     "Results in variables r, a.  Where r=distance(radius),  a=angle"},
    {Key::IntegerPart, "Int", "int", {"Alt+Shift+I"}, B, C[6], R[2], kText, kFunction, kStartsAnew,
     "Integer part:  INT(x)\r\nExamples:  INT 4.6 = 4,   INT(-6.2)=-7,   INT(8.6)=8"},
    {Key::NthRoot, "ⁿ√", "\xCE  ", {"Alt+Shift+Q"}, P2, C[16], R[2], kText, kOperator, kContinuesClicked,
     "n-th root operator:  n \xCE  x.\r\nExample:  5\xCE  32 = 2"},
    {Key::IntegerDivide, "a\\b", " \\ ", {"\\", true}, P2, C[16], R[3], kText, kOperator, kContinues,
     "Integer division operator\r\nExamples:  23 \\ 5 = 4,   15.2 \\ 3 = 5,   16.7 \\ 3.6 = 4"},
    {Key::ReciprocalSum, "//", " // ", {"Alt+/"}, P2, C[15], R[2], kText, kOperator, kContinues,
     "Reciprocal of sum of reciprocals operator. \r\n"
     "a // b = 1/(1/a+1/b) = a\xB7" "b/(a+b).   Example:  40 // 60 = 24"},
    {Key::Modulo, "mod", " mod ", {"Alt+M"}, P2, C[15], R[3], kText, kOperator, kContinues,
     "MOD operator: Remainder of integer division\r\nExample:  28 MOD 5 = 3"},
    {Key::HexadecimalInput, "&h", "&h", {"Alt+X"}, P2, C[8], R[2], kText, kFunction, kStartsAnew,
     "Hexadecimal input (base 16)\r\nExample: &h 2A5F = 10847"},
    {Key::BinaryInput, "&b", "&b", {"Alt+B"}, P2, C[8], R[3], kText, kFunction, kStartsAnew,
     "Binary input (base 2)\r\nExample: &b 101101 = 45"},
    {Key::LeastCommonMultiple, "LCM", "LCM(", {"Alt+Shift+M"}, P1, C[5], R[4], kText, kFunction, kStartsAnew,
     "Least common multiple:  LCM(x1, x2,..., x10)   (max: 10 inputs)"},
    {Key::GreatestCommonMeasure, "GCM", "GCM(", {"Alt+Shift+G"}, P1, C[6], R[4], kText, kFunction, kStartsAnew,
     "Greatest common measure:  GCM(x1, x2,..., x10)   (max: 10 inputs)"},
    {Key::InverseNormal, "Znor", "Znor(", {"Alt+Z"}, P2, C[7], R[3], kText, kFunction, kStartsAnew,
     "Value for the Normal Distribution variable when lower probability is known  ZNOR(p).\r\n"
     "Example: If p(z<1.4)=0.92 then ZNOR(0.92)=1.4"},
    {Key::MeanInterval, "MIE", "mie(", {"Shift+F8"}, P2, C[5], R[4], kText, kFunction, kStartsAnew,
     "Mean confidence interval estimation: MIE(n_population,  mean,  standard_deviation,  "
     "confidence_level)\r\nResult interval (a, b) is stored in a and b variables"},
    {Key::Binomial, "Bin", "Bin(", {"Alt+Shift+B"}, P2, C[7], R[2], kText, kFunction, kStartsAnew,
     "Probability of obtaining r successes for binomial distribuci\xF3n: Bin(n, p, r)\r\n"
     "n=number of trials,  p=Probability of successes for each trial, r=number of successes"},
    {Key::PrimeTest, "Prim", "Prim ", {"Alt+Shift+P"}, P2, C[7], R[4], kText, kFunction, kStartsAnew,
     "Primality test: PRIM(x).  Gives 1 si x is prime, 0 if x isn't prime\r\n"
     "Examples:  Prim(23)=1 (23 is prime),  Prim(87)=0 (87 isn't prime)"},
    {Key::Cosecant, "cosec", "cosec", {"Alt+Shift+C"}, B, C[2], R[2], kTrig, kFunction, kStartsAnew, ""},
    {Key::Secant, "sec", "sec", {"Alt+Shift+S"}, B, C[3], R[2], kTrig, kFunction, kStartsAnew, ""},
    {Key::Cotangent, "cotan", "cotan", {"Alt+Shift+T"}, B, C[4], R[2], kTrig, kFunction, kStartsAnew, ""},
    {Key::BaseLogarithm, "logᵦ", "Lgb(", {"Alt+Shift+L"}, P2, C[7], R[1], kText, kFunction, kStartsAnew,
     "Any b-base logarithm of x:  LGB(b, x).\r\nExample:  LGB(3, 9) = 2"},
    {Key::NormalProbability, "Nor", "nor(", {"Alt+Shift+N"}, P1, C[7], R[3], kText, kFunction, kStartsAnew,
     "Lower probability for a variable value gives of normal distribution NOR(z):\r\n"
     "Example: NOR(1.4)=0.9192"},
    {Key::Determinant, "Det", "Det3x3(", {"Shift+F7"}, B, C[5], R[2], kText, kFunction, kStartsAnew,
     "3x3 determinant DET3x3(a11, a12, a13, a21, ..., a33).\r\n"
     "Example:  DET3x3(1, 2, 3, 4, 5, 6, 0, 9, 8) = 30"},
    {Key::RatioInterval, "RIE", "rie(", {"Shift+F9"}, P2, C[6], R[4], kText, kFunction, kStartsAnew,
     "Ratio confidence interval estimation: RIE(n_population,  rate,  confidence_level)\r\n"
     "Result interval (a, b) is stored in a and b variables"},
    {Key::JulianDay, "JulD", "JulD(", {"Alt+J"}, P2, C[8], R[4], kText, kFunction, kStartsAnew,
     "Julian day of a given date: JulD(Month, Day, Year)\r\nExample: JULD(12, 31, 1998) = 2451178.5"},
    {Key::System2x2, "S2×2", "S2\xD7" "2(", {"Shift+F5"}, B, C[5], R[3], kText, kFunction, kStartsAnew,
     "Solves a 2x2 system of lineal equations: S2X2(Eq1, Eq2).  Solutions in x, y variables, "
     "(d=determinant)\r\nExample:  S2X2(5x + 3y = 19, 7(x-y) + 15 = 4x),   Results: x=2,  y=3,   "
     "(determinant d=-44)"},
    {Key::System3x3, "S3×3", "S3\xD7" "3(", {"Shift+F6"}, B, C[6], R[3], kText, kFunction, kStartsAnew,
     "Solves a 3x3 system of lineal equations: S3X3(Eq1, Eq2, Eq3). Solutions in x, y, z variables, "
     "(d=determinant)\r\nExample:  S3X3(4x + 3y - z = 7, (x+4y)/3 = z, x-5y=-3z),   Results: x=1,  "
     "y=2,  z=3, (determ.=d=-7)"},
    {Key::QuadraticEquation, "EQ2D", "EQ2D(", {"Shift+F3"}, B, C[3], R[3], kText, kFunction, kStartsAnew,
     "Solves a quadratic equation (2nd degree):   EQ2D(Equation).  Solutions in a, b variables\r\n"
     "Example:  EQ2D(x\xB2+6=5x),  solutions a=2,  b=3"},
    {Key::CubicEquation, "EQ3D", "EQ3D(", {"Shift+F4"}, B, C[4], R[3], kText, kFunction, kStartsAnew,
     "Solves a cubic equation (3rd degree):   EQ3D(Equation).  Solutions in a, b, c variables\r\n"
     "Example:  EQ3D(4x\xB3+5x\xB2=61x-70),  solutions  a=-5,   b=2,   c=7/4=1.75"},
    {Key::Solve, "Solve", "Solve(", {"Shift+F2"}, B, C[2], R[3], kText, kFunction, kStartsAnew,
     "Solves an equation on an interval:  SOLVE(equation, a, b, [h]).  Increment h is optional\r\n"
     "Results in a, b, c, ...w variables.  Example:  SOLVE(x\xB2-3x=0, -9, 9),  results  a=0,  b=3"},
    {Key::NormalFormat, "NOR", "", {"F2"}, B, C[2], R[0], kOutput, kMode, kStartsAnew, ""},
    {Key::FixedFormat, "FIX", "", {"F3"}, B, C[3], R[0], kOutput, kMode, kStartsAnew, ""},
    {Key::ScientificFormat, "SCI", "", {"F4"}, B, C[4], R[0], kOutput, kMode, kStartsAnew, ""},
    {Key::FractionFormat, "FRAC", "", {"F5"}, B, C[5], R[0], kOutput, kMode, kStartsAnew, ""},
    {Key::SexagesimalFormat, "DMS", "", {"F6"}, B, C[6], R[0], kOutput, kMode, kStartsAnew, ""},
    {Key::BinaryFormat, "BIN", "", {"F7"}, B, C[7], R[0], kOutput, kMode, kStartsAnew, ""},
    {Key::HexadecimalFormat, "HEX", "", {"F8"}, B, C[8], R[0], kOutput, kMode, kStartsAnew, ""},
    {Key::DateFormat, "DATE", "", {"F9"}, B, C[9], R[0], kOutput, kMode, kStartsAnew, ""},
    {Key::Degrees, "DEG", "", {"Alt+D"}, B, C[12], R[0], kAngleUnit, kMode, kStartsAnew, ""},
    {Key::Radians, "RAD", "", {"Alt+R"}, B, C[13], R[0], kAngleUnit, kMode, kStartsAnew, ""},
    {Key::Gradients, "GRA", "", {"Alt+G"}, B, C[14], R[0], kAngleUnit, kMode, kStartsAnew, ""},
    {Key::InverseShift, "ARC", "", {"Alt+I"}, B, C[0], R[0], kArc, kShift, kStartsAnew, ""},
    {Key::HyperbolicShift, "HYP", "", {"Alt+H"}, B, C[1], R[0], kHyp, kShift, kStartsAnew, ""},
    {Key::Constants, "CONST", "", {"Alt+K"}, B, C[0], R[1], kConst, kUtility, kStartsAnew, ""},
    {Key::ClearVariables, "CLR VAR", "", {"Alt+Shift+V"}, B, C[0], R[3], kClearVars, kUtility, kStartsAnew, ""},
    {Key::VariableList, "VAR LIST", "", {"Alt+V"}, B, C[0], R[2], kVarList, kUtility, kStartsAnew, ""},
    {Key::Help, "HELP", "", {"F12"}, B, C[0], R[4], kHelp, kUtility, kStartsAnew, ""},
}};

#undef TARVO_ARC_EXAMPLE

constexpr bool InKeyOrder() {
  for (std::size_t i = 0; i < kKeys.size(); ++i)
    if (IndexOf(kKeys[i].key) != i) return false;
  return true;
}
static_assert(InKeyOrder(), "the table's rows are in key order, one a key");

}  // namespace

const std::array<KeyDef, kKeyCount>& KeyTable() { return kKeys; }

const KeyDef& KeyRow(Key key) { return kKeys[IndexOf(key)]; }

std::optional<Key> KeyNumbered(int number) {
  const Key key = static_cast<Key>(number);
  return IsKey(key) ? std::optional<Key>(key) : std::nullopt;
}

bool TypedCharacterContinues(int c) {
  if (c <= 0 || c > 255) return false;
  const std::string typed(1, static_cast<char>(c));
  for (const KeyDef& row : kKeys)
    if (row.fromResult == FromResult::kContinues && Trim(row.text) == typed) return true;
  return false;
}

std::optional<Key> DigitKeyTyped(int c) {
  if (c == ':') c = '0';
  if (c == ';') c = '.';
  if (!((c >= '0' && c <= '9') || c == '.')) return std::nullopt;
  for (const KeyDef& row : kKeys)
    if (row.look == KeyLook::kDigit && row.text.size() == 1 && row.text[0] == c) return row.key;
  return std::nullopt;
}

}  // namespace tarvo
