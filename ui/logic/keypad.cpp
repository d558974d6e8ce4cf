#include "ui/logic/keypad.h"

#include <algorithm>

namespace tarvo {
namespace {

// Column left edges and row top edges of the keypad grid.
constexpr int C[] = {17, 58, 108, 149, 190, 231, 272, 313, 354, 395, 436, 477, 529, 571, 613, 655, 697};
constexpr int R[] = {169, 211, 240, 269, 298};

constexpr KeyPage B = KeyPage::kBoth;
constexpr KeyPage P1 = KeyPage::kFirst;
constexpr KeyPage P2 = KeyPage::kSecond;

// The second line of the three sexagesimal keys' help.
#define TARVO_ARC_EXAMPLE "\r\nExample:  12\xBA 34' 56\""

constexpr std::array<KeyDef, kKeyCount + 1> kKeys = {{
    /* 0 */ {"", 0, 0, B, ""},
    /* 1 */ {"1", C[12], R[3], B, ""},
    /* 2 */ {"2", C[13], R[3], B, ""},
    /* 3 */ {"3", C[14], R[3], B, ""},
    /* 4 */ {"4", C[12], R[2], B, ""},
    /* 5 */ {"5", C[13], R[2], B, ""},
    /* 6 */ {"6", C[14], R[2], B, ""},
    /* 7 */ {"7", C[12], R[1], B, ""},
    /* 8 */ {"8", C[13], R[1], B, ""},
    /* 9 */ {"9", C[14], R[1], B, ""},
    /* 10 */ {"0", C[12], R[4], B, ""},
    /* 11 */ {".", C[13], R[4], B, ""},
    /* 12 */ {"E", C[14], R[4], B, "Scientific notation input.\r\nExample:  5000 = 5E3,  0.007 = 7E-3"},
    /* 13 */ {"DEL", C[15], R[1], B, ""},
    /* 14 */ {"AC", C[16], R[1], B, ""},
    /* 15 */ {"\xB7", C[15], R[2], P1, ""},
    /* 16 */ {"^", C[16], R[2], P1, ""},
    /* 17 */ {" - ", C[15], R[3], P1, ""},
    /* 18 */ {"/", C[16], R[3], P1, ""},
    /* 19 */ {" + ", C[15], R[4], B, ""},
    /* 20 */ {"EXE", C[16], R[4], B, ""},
    /* 21 */ {"sin", C[2], R[1], B, ""},
    /* 22 */ {"cos", C[3], R[1], B, ""},
    /* 23 */ {"tan", C[4], R[1], B, ""},
    /* 24 */ {"10^", C[7], R[2], P1, "Decimal antilogarithm (base 10 power)"},
    /* 25 */ {"exp ", C[8], R[2], P1, "Exponential EXP. Base e power. (e=2.71828182845905)"},
    /* 26 */ {"\xD3", C[9], R[2], P2, "Reciprocal:  x\xD3 = x^(-1)"},
    /* 27 */ {"|", C[8], R[1], P2, "Absolut value\r\nExample: |-3.6| = 3.6   also ABS(-3.6)"},
    /* 28 */ {"(", C[10], R[1], B, ""},
    /* 29 */ {")", C[11], R[1], B, ""},
    /* 30 */ {"\xB0", C[7], R[4], P1, "Arc degrees input" TARVO_ARC_EXAMPLE},
    /* 31 */ {"'", C[8], R[4], P1, "Arc minutes input" TARVO_ARC_EXAMPLE},
    /* 32 */ {"\"", C[9], R[4], P1, "Arc seconds input" TARVO_ARC_EXAMPLE},
    /* 33 */ {"log ", C[7], R[1], P1, "Decimal logarithm. LOG"},
    /* 34 */ {"ln ", C[8], R[1], P1, "Napierian logarithm (base e logarithm). LN"},
    /* 35 */ {"\xC1 ", C[5], R[1], B, "Square root \xC1\r\nAlso SQR"},
    /* 36 */ {"\xC8 ", C[6], R[1], B, "Cube root \xC8\r\nAlso CUR"},
    /* 37 */ {"%", C[9], R[1], P2, "Percent\r\nExample:  25% 600 = 150"},
    /* 38 */ {"\xCB ", C[11], R[2], B, "Constant \xCB =3.14159265358979\r\nAlso pi"},
    /* 39 */ {"nCr(", C[8], R[3], P1,
              "Combinations: Number of ways of picking r unordered outcomes from n possibilities: nCr(n, r)"},
    /* 40 */ {"nPr(", C[9], R[3], P1,
              "Permutations: Number of ways of picking r ordered outcomes from n possibilities: nPr(n, r)"},
    /* 41 */ {"!", C[9], R[3], P2, "Factorial\r\nExample: 5! = 5\xB7" "4\xB7" "3\xB7" "2\xB7" "1 = 120.  Also FACT(5)"},
    /* 42 */ {", ", C[11], R[4], B, ""},
    /* 43 */ {"ran#", C[9], R[4], P2, "Random numbers from 0 to 1: RAN#\r\nAlso RND"},
    /* 44 */ {"\xB2", C[10], R[2], B, "Square"},
    /* 45 */ {"\xB3", C[10], R[3], B, "Cube"},
    /* 46 */ {"=", C[10], R[4], B, "Stores a result into a variable\r\nExample A=3+5\xC1" "49"},
    /* 47 */ {"ANS", C[11], R[3], B, ""},
    /* 48 */ {"Rec(", C[9], R[1], P1,
              "Polar to rectangular coordinates conversion: REC(distance, angle)\r\n"
              "Coordinates result in x, y variables"},
    /* 49 */ {"Pol(", C[9], R[2], P1,
              "Rectangular to polar coordinates conversion: POL(x_coord, y_coord)\r\n"
              "Results in variables r, a.  Where r=distance(radius),  a=angle"},
    /* 50 */ {"int", C[6], R[2], B,
              "Integer part:  INT(x)\r\nExamples:  INT 4.6 = 4,   INT(-6.2)=-7,   INT(8.6)=8"},
    /* 51 */ {"\xCE  ", C[16], R[2], P2, "n-th root operator:  n \xCE  x.\r\nExample:  5\xCE  32 = 2"},
    /* 52 */ {" \\ ", C[16], R[3], P2,
              "Integer division operator\r\nExamples:  23 \\ 5 = 4,   15.2 \\ 3 = 5,   16.7 \\ 3.6 = 4"},
    /* 53 */ {" // ", C[15], R[2], P2,
              "Reciprocal of sum of reciprocals operator. \r\n"
              "a // b = 1/(1/a+1/b) = a\xB7" "b/(a+b).   Example:  40 // 60 = 24"},
    /* 54 */ {" mod ", C[15], R[3], P2, "MOD operator: Remainder of integer division\r\nExample:  28 MOD 5 = 3"},
    /* 55 */ {"&h", C[8], R[2], P2, "Hexadecimal input (base 16)\r\nExample: &h 2A5F = 10847"},
    /* 56 */ {"&b", C[8], R[3], P2, "Binary input (base 2)\r\nExample: &b 101101 = 45"},
    /* 57 */ {"LCM(", C[5], R[4], P1, "Least common multiple:  LCM(x1, x2,..., x10)   (max: 10 inputs)"},
    /* 58 */ {"GCM(", C[6], R[4], P1, "Greatest common measure:  GCM(x1, x2,..., x10)   (max: 10 inputs)"},
    /* 59 */ {"Znor(", C[7], R[3], P2,
              "Value for the Normal Distribution variable when lower probability is known  ZNOR(p).\r\n"
              "Example: If p(z<1.4)=0.92 then ZNOR(0.92)=1.4"},
    /* 60 */ {"mie(", C[5], R[4], P2,
              "Mean confidence interval estimation: MIE(n_population,  mean,  standard_deviation,  "
              "confidence_level)\r\nResult interval (a, b) is stored in a and b variables"},
    /* 61 */ {"Bin(", C[7], R[2], P2,
              "Probability of obtaining r successes for binomial distribuci\xF3n: Bin(n, p, r)\r\n"
              "n=number of trials,  p=Probability of successes for each trial, r=number of successes"},
    /* 62 */ {"Prim ", C[7], R[4], P2,
              "Primality test: PRIM(x).  Gives 1 si x is prime, 0 if x isn't prime\r\n"
              "Examples:  Prim(23)=1 (23 is prime),  Prim(87)=0 (87 isn't prime)"},
    /* 63 */ {"cosec", C[2], R[2], B, ""},
    /* 64 */ {"sec", C[3], R[2], B, ""},
    /* 65 */ {"cotan", C[4], R[2], B, ""},
    /* 66 */ {"Lgb(", C[7], R[1], P2, "Any b-base logarithm of x:  LGB(b, x).\r\nExample:  LGB(3, 9) = 2"},
    /* 67 */ {"nor(", C[7], R[3], P1,
              "Lower probability for a variable value gives of normal distribution NOR(z):\r\n"
              "Example: NOR(1.4)=0.9192"},
    /* 68 */ {"Det3x3(", C[5], R[2], B,
              "3x3 determinant DET3x3(a11, a12, a13, a21, ..., a33).\r\n"
              "Example:  DET3x3(1, 2, 3, 4, 5, 6, 0, 9, 8) = 30"},
    /* 69 */ {"rie(", C[6], R[4], P2,
              "Ratio confidence interval estimation: RIE(n_population,  rate,  confidence_level)\r\n"
              "Result interval (a, b) is stored in a and b variables"},
    /* 70 */ {"JulD(", C[8], R[4], P2,
              "Julian day of a given date: JulD(Month, Day, Year)\r\nExample: JULD(12, 31, 1998) = 2451178.5"},
    /* 71 */ {"S2\xD7" "2(", C[5], R[3], B,
              "Solves a 2x2 system of lineal equations: S2X2(Eq1, Eq2).  Solutions in x, y variables, "
              "(d=determinant)\r\nExample:  S2X2(5x + 3y = 19, 7(x-y) + 15 = 4x),   Results: x=2,  y=3,   "
              "(determinant d=-44)"},
    /* 72 */ {"S3\xD7" "3(", C[6], R[3], B,
              "Solves a 3x3 system of lineal equations: S3X3(Eq1, Eq2, Eq3). Solutions in x, y, z variables, "
              "(d=determinant)\r\nExample:  S3X3(4x + 3y - z = 7, (x+4y)/3 = z, x-5y=-3z),   Results: x=1,  "
              "y=2,  z=3, (determ.=d=-7)"},
    /* 73 */ {"EQ2D(", C[3], R[3], B,
              "Solves a quadratic equation (2nd degree):   EQ2D(Equation).  Solutions in a, b variables\r\n"
              "Example:  EQ2D(x\xB2+6=5x),  solutions a=2,  b=3"},
    /* 74 */ {"EQ3D(", C[4], R[3], B,
              "Solves a cubic equation (3rd degree):   EQ3D(Equation).  Solutions in a, b, c variables\r\n"
              "Example:  EQ3D(4x\xB3+5x\xB2=61x-70),  solutions  a=-5,   b=2,   c=7/4=1.75"},
    /* 75 */ {"Solve(", C[2], R[3], B,
              "Solves an equation on an interval:  SOLVE(equation, a, b, [h]).  Increment h is optional\r\n"
              "Results in a, b, c, ...w variables.  Example:  SOLVE(x\xB2-3x=0, -9, 9),  results  a=0,  b=3"},
    /* 76 */ {"", C[2], R[0], B, ""},
    /* 77 */ {"", C[3], R[0], B, ""},
    /* 78 */ {"", C[4], R[0], B, ""},
    /* 79 */ {"", C[5], R[0], B, ""},
    /* 80 */ {"", C[6], R[0], B, ""},
    /* 81 */ {"", C[7], R[0], B, ""},
    /* 82 */ {"", C[8], R[0], B, ""},
    /* 83 */ {"", C[9], R[0], B, ""},
    /* 84 */ {"", C[12], R[0], B, ""},
    /* 85 */ {"", C[13], R[0], B, ""},
    /* 86 */ {"", C[14], R[0], B, ""},
    /* 87 */ {"", C[0], R[0], B, ""},
    /* 88 */ {"", C[1], R[0], B, ""},
    /* 89 */ {"", C[0], R[1], B, ""},
    /* 90 */ {"", C[0], R[3], B, ""},
    /* 91 */ {"", C[0], R[2], B, ""},
    /* 92 */ {"", C[0], R[4], B, ""},
}};

#undef TARVO_ARC_EXAMPLE

// Shortcuts by mnemonic where one exists (Alt+S sin, Alt+Q square root,
// Alt+Shift for the reciprocal trigonometric functions and the rarer calls),
// F2..F9 for the output formats left to right, Shift+F2..F9 for the solvers
// and the interval estimates, F10 and Shift+F11 for the combinations and
// permutations (Shift+F10 is the desktop's key for the line's context menu,
// F11 its key for a full screen).
constexpr std::array<KeyBinding, kKeyCount + 1> kBindings = {{
    /* 0 */ {""},
    /* 1 */ {"1", true},
    /* 2 */ {"2", true},
    /* 3 */ {"3", true},
    /* 4 */ {"4", true},
    /* 5 */ {"5", true},
    /* 6 */ {"6", true},
    /* 7 */ {"7", true},
    /* 8 */ {"8", true},
    /* 9 */ {"9", true},
    /* 10 */ {"0", true},
    /* 11 */ {".", true},
    /* 12 */ {"E", true},
    /* 13 */ {"Backspace", true},
    /* 14 */ {"Alt+Del"},
    /* 15 */ {"*", true},
    /* 16 */ {"^", true},
    /* 17 */ {"-", true},
    /* 18 */ {"/", true},
    /* 19 */ {"+", true},
    /* 20 */ {"Enter", true},
    /* 21 */ {"Alt+S"},
    /* 22 */ {"Alt+C"},
    /* 23 */ {"Alt+T"},
    /* 24 */ {"Alt+0"},
    /* 25 */ {"Alt+E"},
    /* 26 */ {"Alt+1"},
    /* 27 */ {"|", true},
    /* 28 */ {"(", true},
    /* 29 */ {")", true},
    /* 30 */ {"Alt+O"},
    /* 31 */ {"'", true},
    /* 32 */ {"\"", true},
    /* 33 */ {"Alt+L"},
    /* 34 */ {"Alt+N"},
    /* 35 */ {"Alt+Q"},
    /* 36 */ {"Alt+U"},
    /* 37 */ {"%", true},
    /* 38 */ {"Alt+P"},
    /* 39 */ {"F10"},
    /* 40 */ {"Shift+F11"},
    /* 41 */ {"!", true},
    /* 42 */ {",", true},
    /* 43 */ {"Alt+Shift+R"},
    /* 44 */ {"Alt+2"},
    /* 45 */ {"Alt+3"},
    /* 46 */ {"=", true},
    /* 47 */ {"Alt+A"},
    /* 48 */ {"Alt+Shift+E"},
    /* 49 */ {"Alt+Shift+O"},
    /* 50 */ {"Alt+Shift+I"},
    /* 51 */ {"Alt+Shift+Q"},
    /* 52 */ {"\\", true},
    /* 53 */ {"Alt+/"},
    /* 54 */ {"Alt+M"},
    /* 55 */ {"Alt+X"},
    /* 56 */ {"Alt+B"},
    /* 57 */ {"Alt+Shift+M"},
    /* 58 */ {"Alt+Shift+G"},
    /* 59 */ {"Alt+Z"},
    /* 60 */ {"Shift+F8"},
    /* 61 */ {"Alt+Shift+B"},
    /* 62 */ {"Alt+Shift+P"},
    /* 63 */ {"Alt+Shift+C"},
    /* 64 */ {"Alt+Shift+S"},
    /* 65 */ {"Alt+Shift+T"},
    /* 66 */ {"Alt+Shift+L"},
    /* 67 */ {"Alt+Shift+N"},
    /* 68 */ {"Shift+F7"},
    /* 69 */ {"Shift+F9"},
    /* 70 */ {"Alt+J"},
    /* 71 */ {"Shift+F5"},
    /* 72 */ {"Shift+F6"},
    /* 73 */ {"Shift+F3"},
    /* 74 */ {"Shift+F4"},
    /* 75 */ {"Shift+F2"},
    /* 76 */ {"F2"},
    /* 77 */ {"F3"},
    /* 78 */ {"F4"},
    /* 79 */ {"F5"},
    /* 80 */ {"F6"},
    /* 81 */ {"F7"},
    /* 82 */ {"F8"},
    /* 83 */ {"F9"},
    /* 84 */ {"Alt+D"},
    /* 85 */ {"Alt+R"},
    /* 86 */ {"Alt+G"},
    /* 87 */ {"Alt+I"},
    /* 88 */ {"Alt+H"},
    /* 89 */ {"Alt+K"},
    /* 90 */ {"Alt+Shift+V"},
    /* 91 */ {"Alt+V"},
    /* 92 */ {"F12"},
}};

constexpr int kContinuingKeys[] = {15, 16, 17, 18, 19, 26, 30, 31, 32, 37, 41, 44, 45, 51, 52, 53, 54};

}  // namespace

const std::array<KeyDef, kKeyCount + 1>& KeyTable() { return kKeys; }

const std::array<KeyBinding, kKeyCount + 1>& KeyBindings() { return kBindings; }

KeyRole RoleOfKey(int key) {
  if (key < 1 || key > kKeyCount) return KeyRole::kNone;
  switch (key) {
    case kKeyDel: return KeyRole::kDel;
    case kKeyAc: return KeyRole::kAc;
    case kKeyExe: return KeyRole::kExe;
    case kKeyAns: return KeyRole::kAns;
    case 21: case 22: case 23: case 63: case 64: case 65: return KeyRole::kTrig;
    case kKeyArc: return KeyRole::kArc;
    case kKeyHyp: return KeyRole::kHyp;
    case kKeyConst: return KeyRole::kConst;
    case kKeyClearVars: return KeyRole::kClearVars;
    case kKeyVarList: return KeyRole::kVarList;
    case kKeyHelp: return KeyRole::kHelp;
    default: break;
  }
  if (key >= 76 && key <= 83) return KeyRole::kOutput;
  if (key >= 84 && key <= 86) return KeyRole::kAngleUnit;
  return KeyRole::kText;
}

bool IsContinuingKey(int key) {
  return std::find(std::begin(kContinuingKeys), std::end(kContinuingKeys), key) != std::end(kContinuingKeys);
}

}  // namespace tarvo
