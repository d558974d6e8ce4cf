// The keypad: 92 keys on a grid of 17 columns and 5 rows, eighteen places of
// which hold one key of each page. One table describes every key, one row a
// key; every rule about keys (what a click does, the pages, the keys that go
// on from a result, the tooltips, the shortcuts) is read from it.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace tarvo {

inline constexpr int kKeyCount = 92;

// The keys. Their numbers are the keypad's own (1..92), the order of the
// table and of the picture sheets; nothing else needs them.
enum class Key {
  One = 1, Two, Three, Four, Five, Six, Seven, Eight, Nine, Zero, Point, Exponent,
  Delete, AllClear,
  Multiply, Power, Minus, Divide, Plus, Execute,
  Sine, Cosine, Tangent,
  TenPower, Exponential, Reciprocal, AbsoluteValue, OpenBracket, CloseBracket,
  DegreeMark, MinuteMark, SecondMark,
  DecimalLogarithm, NaturalLogarithm, SquareRoot, CubeRoot, Percent, Pi,
  Combinations, Permutations, Factorial, Comma, Random, Square, Cube, Assign, LastAnswer,
  Rectangular, Polar, IntegerPart, NthRoot, IntegerDivide, ReciprocalSum, Modulo,
  HexadecimalInput, BinaryInput, LeastCommonMultiple, GreatestCommonMeasure,
  InverseNormal, MeanInterval, Binomial, PrimeTest,
  Cosecant, Secant, Cotangent,
  BaseLogarithm, NormalProbability, Determinant, RatioInterval, JulianDay,
  System2x2, System3x3, QuadraticEquation, CubicEquation, Solve,
  NormalFormat, FixedFormat, ScientificFormat, FractionFormat, SexagesimalFormat, BinaryFormat,
  HexadecimalFormat, DateFormat,
  Degrees, Radians, Gradients,
  InverseShift, HyperbolicShift,
  Constants, ClearVariables, VariableList, Help,
};

// A key's place in the table and in lists of all keys: 0..91.
constexpr std::size_t IndexOf(Key key) { return static_cast<std::size_t>(key) - 1; }
// True for the 92 keys of the keypad.
constexpr bool IsKey(Key key) { return static_cast<int>(key) >= 1 && static_cast<int>(key) <= kKeyCount; }
// The key of keypad number `number` (1..92), for a list of key numbers
// given from outside (the screenshot mode's).
std::optional<Key> KeyNumbered(int number);

// What a click on a key does.
enum class KeyRole {
  kText,       // writes its text with its help text
  kDel,
  kAc,
  kExe,
  kAns,
  kTrig,       // writes the function its text names as the shifts select it
  kOutput,     // one of the output formats
  kAngleUnit,  // DEG, RAD, GRA
  kArc,
  kHyp,
  kConst,
  kClearVars,
  kVarList,
  kHelp,
};

// Which page a key belongs to: both, only the first, only the second.
enum class KeyPage { kBoth, kFirst, kSecond };

// The family a key's picture belongs to: its colours and its well. A mark
// (degree, minute, second) is a function key whose sign stands high.
enum class KeyLook { kDigit, kEdit, kExecute, kOperator, kFunction, kMark, kMode, kShift, kUtility };

// What a key does while a result is on show with the caret at the end.
enum class FromResult {
  kStartsAnew,         // a key that writes starts a new entry
  kContinues,          // the last answer, then the key: so does its sign typed
  kContinuesClicked,   // the same for a click; its sign typed starts anew
};

// How a key is reached from the keyboard, as a person reads it ("Alt+S",
// "F3", "*"). A typed binding is a character or editing key the entry line
// takes and that does what the key does; every other binding is a shortcut
// the window catches before the line. No shortcut is a printable character,
// one of the line's editing keys (Ctrl+anything, Shift+arrows, Home, End,
// Backspace, Delete), its context-menu key (Shift+F10), Esc, F1, F11 (the
// desktop's full screen), Ctrl alone (the page) or the pin's key.
struct KeyBinding {
  std::string_view keys;
  bool typed = false;
};

struct KeyDef {
  Key key;
  std::string_view caption;  // UTF-8: the sign or name its picture shows, which names the key
  std::string_view text;     // Windows-1252 bytes it writes (a trigonometric key: its base name)
  KeyBinding binding;
  KeyPage page;
  int left, top;  // resting position in window pixels
  KeyRole role;
  KeyLook look;
  FromResult fromResult;
  std::string_view help;  // one line, or two separated by CR LF
};

// The always-on-top pin's shortcut, which no keypad key has.
inline constexpr std::string_view kPinBinding = "Alt+Shift+A";

// The table, in key order.
const std::array<KeyDef, kKeyCount>& KeyTable();
// The row of `key`, which must be one of the keypad's.
const KeyDef& KeyRow(Key key);
// Whether character `c`, typed first after a result, goes on from it: it is
// the whole text, blanks aside, of a key that continues, sign and all.
bool TypedCharacterContinues(int c);
// The number block's key that typing `c` clicks, if any: a digit's or the
// point's, and for ":" and ";", which follow "9" as the keypad's "0" and "."
// follow its "9", those of "0" and ".".
std::optional<Key> DigitKeyTyped(int c);

// Places of the page selector and the frames painted around it and the
// trigonometric block.
inline constexpr int kSelectorFrameLeft = 108, kSelectorFrameTop = 298;
inline constexpr int kSelectorLeft = 109, kSelectorTop = 299;
inline constexpr int kTrigFrameLeft = 104, kTrigFrameTop = 207;
inline constexpr int kMessageLeft = 10, kMessageWidth = 732;

// The drawn boxes and lines of the keypad panel, in painting order.
struct PanelShape {
  enum Kind { kFilledBox, kBox, kLine } kind;
  int x0, y0, x1, y1;
  int r, g, b;
};
inline constexpr std::array<PanelShape, 12> kPanelShapes = {{
    {PanelShape::kFilledBox, 10, 162, 741, 200, 154, 186, 239},
    {PanelShape::kFilledBox, 10, 202, 741, 332, 224, 224, 224},
    {PanelShape::kBox, 8, 123, 742, 333, 128, 128, 128},
    {PanelShape::kBox, 9, 124, 743, 334, 255, 255, 255},
    {PanelShape::kLine, 9, 161, 742, 161, 160, 154, 128},
    {PanelShape::kLine, 9, 162, 742, 162, 255, 255, 255},
    {PanelShape::kLine, 9, 201, 742, 201, 160, 154, 128},
    {PanelShape::kLine, 9, 202, 742, 202, 255, 255, 255},
    {PanelShape::kLine, 101, 162, 101, 333, 160, 160, 160},
    {PanelShape::kLine, 102, 162, 102, 333, 255, 255, 255},
    {PanelShape::kLine, 520, 162, 520, 333, 160, 160, 160},
    {PanelShape::kLine, 521, 162, 521, 333, 255, 255, 255},
}};

}  // namespace tarvo
