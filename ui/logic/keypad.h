// The keypad: 92 keys on a grid of 17 columns and 5 rows, eighteen places of
// which hold one key of each page. The table is fixed data; the window only
// reads it.
#pragma once

#include <array>
#include <string_view>

namespace tarvo {

inline constexpr int kKeyCount = 92;

// Key numbers the window logic names besides the output keys of calculator_logic.h.
inline constexpr int kKeyDel = 13;
inline constexpr int kKeyAc = 14;
inline constexpr int kKeyExe = 20;
inline constexpr int kKeyAns = 47;
inline constexpr int kKeyNor = 76;  // the output keys, NOR to DATE
inline constexpr int kKeyFix = 77;
inline constexpr int kKeySci = 78;
inline constexpr int kKeyFrac = 79;
inline constexpr int kKeyDms = 80;
inline constexpr int kKeyBin = 81;
inline constexpr int kKeyHex = 82;
inline constexpr int kKeyDate = 83;
inline constexpr int kKeyDeg = 84;  // the angle-unit keys
inline constexpr int kKeyRad = 85;
inline constexpr int kKeyGra = 86;
inline constexpr int kKeyArc = 87;
inline constexpr int kKeyHyp = 88;
inline constexpr int kKeyConst = 89;
inline constexpr int kKeyClearVars = 90;
inline constexpr int kKeyVarList = 91;
inline constexpr int kKeyHelp = 92;

// What a click on a key does.
enum class KeyRole {
  kNone,       // no key (index 0)
  kText,       // writes its tag with its help text
  kDel,
  kAc,
  kExe,
  kAns,
  kTrig,       // writes the function its base name and the shifts select
  kOutput,     // NOR .. DATE
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

struct KeyDef {
  std::string_view tag;   // Windows-1252 bytes; empty for keys 76..92
  int left = 0;           // resting position in window pixels
  int top = 0;
  KeyPage page = KeyPage::kBoth;
  std::string_view help;  // one line, or two separated by CR LF
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

// The always-on-top pin's shortcut, which no keypad key has.
inline constexpr std::string_view kPinBinding = "Alt+Shift+A";

// The key table, index = key number (entry 0 is no key).
const std::array<KeyDef, kKeyCount + 1>& KeyTable();
KeyRole RoleOfKey(int key);
// The binding of each key, index = key number (entry 0 is no key).
const std::array<KeyBinding, kKeyCount + 1>& KeyBindings();
// Operator and postfix keys continue a calculation from its result.
bool IsContinuingKey(int key);

// The keys of each page, in the order the page selector shows and hides them.
inline constexpr std::array<int, 18> kFirstPageKeys = {15, 16, 17, 18, 24, 25, 30, 31, 32,
                                                       33, 34, 39, 40, 48, 49, 57, 58, 67};
inline constexpr std::array<int, 18> kSecondPageKeys = {26, 27, 37, 41, 43, 51, 52, 53, 54,
                                                        55, 56, 59, 60, 61, 62, 66, 69, 70};

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
