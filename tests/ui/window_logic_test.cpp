// The main window's logic driven as a user drives it: key clicks, typed
// characters, arrows and menu choices, with what the window shows checked
// after each script.
#include "ui/logic/calculator_logic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <new>
#include <set>
#include <vector>
#include <string>
#include <string_view>

#include "engine/errors.h"
#include "engine/state.h"
#include "tests/ui/fake_controls.h"
#include "ui/logic/keypad.h"
#include "ui/logic/menus.h"

namespace tarvo {
namespace {

// A fresh window after its start, and a user at it.
struct Window {
  // `savedAngleFactor`: what the variable files held for the angle unit.
  explicit Window(double savedAngleFactor = 0) {
    engine.VariableStore[kStoreAngleFactor] = savedAngleFactor;
    logic.StartSession("");
  }

  // Steps separated by blanks: kN clicks key N, t<text> types it ("_" for a
  // blank), E is Enter, U D L the arrows, ^ Ctrl alone, F1, mN answers the
  // next pop-up menu with entry N, cN puts the caret at N, sN selects N
  // characters from the caret, P clicks the pin, yN clicks the history
  // review picture at height N.
  void Do(std::string_view steps) {
    while (!steps.empty()) {
      const size_t end = std::min(steps.find(' '), steps.size());
      const std::string step(steps.substr(0, end));
      steps.remove_prefix(std::min(end + 1, steps.size()));
      const int n = step.size() > 1 && std::isdigit(static_cast<unsigned char>(step[1])) ? std::stoi(step.substr(1)) : 0;
      switch (step[0]) {
        case 'k': logic.ClickKey(n); break;
        case 'm': c.answers.push_back(n); break;
        case 'c': c.SetSelection(n, 0); break;
        case 's': c.selected = n; break;
        case 'y': logic.ReviewHistory(n); break;
        case 'P': logic.ToggleAlwaysOnTop(); break;
        case 'E': logic.EntryKeyPress(kEnterCharacter); break;
        case 'U': logic.EntryKeyDown(KeyCode::kUp, 0); break;
        case 'D': logic.EntryKeyDown(KeyCode::kDown, 0); break;
        case 'L': logic.EntryKeyDown(KeyCode::kLeft, 0); break;
        case '^': logic.EntryKeyDown(KeyCode::kControl, kCtrlHeld); break;
        case 'F': logic.EntryKeyDown(KeyCode::kF1, 0); break;
        case 't':
          for (char ch : step.substr(1)) Type(ch == '_' ? ' ' : ch);
          break;
        default: ADD_FAILURE() << "unknown step " << step;
      }
    }
  }
  // One character as the entry line takes it: the logic sees it first.
  void Type(char ch) {
    const int passed = logic.EntryKeyPress(static_cast<unsigned char>(ch));
    if (passed == 0) return;
    c.entry.replace(static_cast<size_t>(c.caret), static_cast<size_t>(c.selected), 1, static_cast<char>(passed));
    c.SetSelection(c.caret + 1, 0);
    logic.EntryLineChanged();
  }
  // The entry line with "|" at the caret.
  std::string Line() const { return c.entry.substr(0, static_cast<size_t>(c.caret)) + "|" + c.entry.substr(static_cast<size_t>(c.caret)); }

  test::FakeControls c;
  Engine engine;
  CalculatorLogic logic{c, engine};
};

constexpr Rgb k_ = kBlack;
constexpr Rgb kR = kErrorRed;
constexpr Rgb kG = kNoticeGreen;

TEST(WindowLogic, ScriptsShowTheirLineDisplayAndMessage) {
  struct Row { const char* steps; const char* line; const char* display; const char* upper; Rgb color; };
  const Row rows[] = {
      // The processing cycle.
      {"t2+3 E", "2+3|", " 5", "", k_},
      {"t2*3 E", "2\xB7" "3|", " 6", "", k_},
      {"t1;5:", "1.50|", " 0", " Normal output format", k_},  // ":" and ";" are 0 and the point
      {"tx=4 E k14 tx*2 E", "x\xB7" "2|", " 8", "", k_},
      {"tx=4 E tx", "x=4x|", " 4", "", k_},  // a letter after a result adds to the line
      {"t1/0 E", "1/0|", " 0", "Error: Division by zero ", kR},
      {"t7 E t1/0 E t+", "1/0+|", " 7", "Error: Division by zero ", k_},  // editing ends the red
      {"ts2x2(x+y=1,_2x+2y=2) E", "s2x2(x+y=1, 2x+2y=2)|", " 0", "Not found solutions / Infinite solutions ", kG},
      {"t___ E", "   |", " 0", "", k_},  // a blank entry only beeps
      // Completion with the last answer, and continuing from a result.
      {"t16 E k35 E", "\xC1 16|", " 4", "", k_},
      {"t-2 E t+1 E", "(-2)+1|", " -1", "", k_},
      {"t2+3 E t+1 E", "5+1|", " 6", "", k_},
      {"t2+3 E t%", "5%|", " 5", "Last answer ", k_},
      {"t2+3 E k19 k2 E", "5 + 2|", " 7", "", k_},
      {"t2+3 E t7", "7|", " 5", "", k_},
      {"t2+3 E L t+", "2+3+|", " 5", "", k_},         // an arrow ends the result state
      {"t2+3 E c1 t-", "2-|+3", " 5", "", k_},         // so does a caret away from the end
      {"teq2d(x^2-1) E t+", "eq2d(x^2-1)+|", " 1", "", k_},  // equation results do not continue
      {"t-2.5 E k14 k47", "(-2.5)|", " -2.5", "Last answer ", k_},
      // Editing at the caret.
      {"t12 c1 k19", "1 + |2", " 0", " Normal output format", k_},
      {"t1_ k19", "1 + |", " 0", " Normal output format", k_},  // no second blank
      {"t_ k19", " + |", " 0", " Normal output format", k_},
      {"t2+3 E k30", "5\xB0|", " 5", "Arc degrees input ", k_},  // a postfix key continues too
      {"te E", "e|", " 2.71828182845905", "", k_},
      {"t123 c1 s1 k19", "1 + |3", " 0", " Normal output format", k_},
      {"t123 k13", "12|", " 0", " Normal output format", k_},
      {"t123 c1 k13", "|23", " 0", " Normal output format", k_},
      {"t123 c0 s2 k13", "|3", " 0", " Normal output format", k_},
      {"t12 k14", "|", " 0", "", k_},
      {"k12", "E|", " 0", "Scientific notation input. ", k_},
      // The history: Up older, Down newer, stopping at the ends; a line not
      // yet executed is kept before the review leaves it.
      {"t1 E t2 E t3 E U U", "1|", " 3", "", k_},
      {"t1 E t2 E t3 E U U U U", "0|", " 3", "", k_},
      {"t1 E t2 E t3 E U U D", "2|", " 3", "", k_},
      {"t1 E t2 E t3 E U D D D", "3|", " 3", "", k_},
      {"t1 E t1 E t2 E U U", "0|", " 2", "", k_},  // a repeat is kept once
      {"t1 E t2+ U D", "2+|", " 1", "", k_},
      {"t1 E t2 E t3 E y13 y14", "3|", " 3", "", k_},
      {"t1 E t2 E k14 U", "1|", " 2", "", k_},
      {"U", "0|", " 0", " Normal output format", k_},  // the start's 0 is the first entry
      // The shifts and the trigonometric keys.
      {"k21", "sin |", " 0", "Trigonometric function sin ", k_},
      {"k87 k21", "Arcsin |", " 0", "Inverse trigonometric function arcsin ", k_},
      {"k88 k63", "cosech |", " 0", "Hyperbolic function cosech ", k_},
      {"k87 k88 k23", "Argtanh |", " 0", "Inverse hyperbolic function argtanh ", k_},
      {"k87 k21 k21", "Arcsin sin |", " 0", "Trigonometric function sin ", k_},
      {"k87", "|", " 0", " Inverse trigonometric function for Arcsin, Arccos and Arctan", k_},
      {"k88", "|", " 0", " Hyperbolic function for sinh, cosh and tanh", k_},
      {"k87 k88", "|", " 0", " Inverse hyperbolic function for Argsinh, Argcosh and Argtanh", k_},
      {"k88 k87 k87", "|", " 0", " Hyperbolic function for sinh, cosh and tanh", k_},
      {"k87 k88 k88", "|", " 0", " Inverse trigonometric function for Arcsin, Arccos and Arctan", k_},
      {"k87 k87", "|", " 0", "", k_},
      {"k87 k13 k21", "sin |", " 0", "Trigonometric function sin ", k_},
      // Angle units.
      {"tsin(30) E", "sin(30)|", " .5", "", k_},
      {"k85 tcos(0) E", "cos(0)|", " 1", "", k_},
      {"k86 tsin(100) E", "sin(100)|", " 1", "", k_},
      {"k85", "|", " 0", "Angular unit is radian: 1 right angle = \xCB/2 rad ", k_},
      // Output formats: toggles, the FIX and SCI menus, and new answers in
      // the format in force.
      {"t0.75 E k79", "0.75|", " 3/4", " Fractions / \xCB fractions / rationalized roots output format", k_},
      {"t0.75 E k79 k79", "0.75|", " .75", " Normal output format", k_},
      {"t0.75 E k79 t0.5 E", "0.5|", " 1/2", "", k_},
      {"t255 E k82", "255|", " &h FF", " Hexadecimal (base 16) output format", k_},
      {"t255 E k82 k81", "255|", " &b 11111111", " Binary (base 2) output format", k_},
      {"t1E20 E k82", "1E20|", " 1E+20", " Normal output format", k_},  // beyond hexadecimal
      {"t5 E k82 t1E20 E t7 E", "7|", " 7", "", k_},                    // and it stays off
      {"t1.5 E k80", "1.5|", " 1\xB0 30' 0\"", " Sexagesimal output format: Degrees, minutes and seconds of arc", k_},
      {"t2 E m2 k77", "2|", " 2.00", " Output format with 2 decimals", k_},
      {"t2 E m1 k77", "2|", " 2.0", " Output format with 1 decimal", k_},
      {"t2 E m2 k77 t1/3 E", "1/3|", " 0.33", "", k_},
      {"t2 E m2 k77 m11 k77", "2|", " 2", " Normal output format", k_},
      {"t2 E m2 k77 k77", "2|", " 2.00", " Output format with 2 decimals", k_},  // closed: drawn again
      {"t2 E k77", "2|", " 2", " Normal output format", k_},
      {"t0.5 E k79 k77", "0.5|", " 1/2", " Fractions / \xCB fractions / rationalized roots output format", k_},
      {"t1234 E m2 k78", "1234|", " 1.23E3", " Scientific notation output with 3 digits", k_},
      {"t1234 E m0 k78", "1234|", " 1E3", " Scientific notation output with 1 digit", k_},
      {"t2 E m2 k78 m13 k78", "2|", " 2", " Normal output format", k_},
      {"t2 E m2 k77 k76", "2|", " 2", " Normal output format", k_},
      {"t2 E m12 k78", "2|", " 2", " Normal output format", k_},  // the separator is no choice
      // The constants menu and the clear-variables key.
      {"m16 k89", "\xCB |", " 0", "N\xFAmero \xCB ", k_},
      {"m17 k89", "2.7182818284590452|", " 0", "e constant ", k_},
      {"t2 E m0 k89", "299792458|", " 2", "Speed of light in vacuum = 299792458 [ m / s ] ", k_},
      {"k89", "|", " 0", " Normal output format", k_},
      {"tx=4 E k90 k14 tx E", "x|", " 0", "", k_},  // x is gone
      {"k90", "|", " 0", " Variables were cleared", k_},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.steps);
    Window w;
    w.Do(r.steps);
    EXPECT_EQ(w.Line(), r.line);
    EXPECT_EQ(w.c.display, r.display);
    EXPECT_EQ(w.c.upper, r.upper);
    EXPECT_EQ(w.c.color, r.color);
  }
}

// What the scripts leave on the keypad: the lit output and angle keys, the
// shift keys' look, the page, the pin, the windows and pages opened.
TEST(WindowLogic, ScriptsLeaveTheKeypadAndDesktop) {
  const KeyDef& arc = KeyTable()[kKeyArc];
  struct Row {
    const char* steps;
    std::set<int> lit;
    bool shiftIndicator, onTop;
    std::vector<std::string> opened;
    std::pair<int, int> arcPlace;
  };
  const std::pair<int, int> rest{arc.left, arc.top}, held{arc.left + 1, arc.top + 1};
  const Row rows[] = {
      {"", {kKeyNor, kKeyDeg}, false, false, {}, rest},
      {"k85", {kKeyNor, kKeyRad}, false, false, {}, rest},
      {"k86 k84", {kKeyNor, kKeyDeg}, false, false, {}, rest},
      {"k82", {kKeyHex, kKeyDeg}, false, false, {}, rest},
      {"m3 k77", {kKeyFix, kKeyDeg}, false, false, {}, rest},
      {"m3 k77 t2 E", {kKeyFix, kKeyDeg}, false, false, {}, rest},
      {"m3 k78 k76", {kKeyNor, kKeyDeg}, false, false, {}, rest},
      {"k83 k83", {kKeyNor, kKeyDeg}, false, false, {}, rest},
      {"k87", {kKeyNor, kKeyDeg, kKeyArc}, true, false, {}, held},
      {"k88", {kKeyNor, kKeyDeg, kKeyHyp}, true, false, {}, rest},
      {"k87 k21", {kKeyNor, kKeyDeg}, false, false, {}, rest},
      {"k87 k1", {kKeyNor, kKeyDeg}, false, false, {}, rest},
      {"k87 k87", {kKeyNor, kKeyDeg}, false, false, {}, rest},
      {"k87 ^", {kKeyNor, kKeyDeg, kKeyArc}, true, false, {}, held},
      {"P", {kKeyNor, kKeyDeg}, false, true, {}, rest},
      {"P P", {kKeyNor, kKeyDeg}, false, false, {}, rest},
      {"k87 P", {kKeyNor, kKeyDeg}, false, true, {}, rest},
      // Modal windows open below no window kept on top, which comes back.
      {"k91", {kKeyNor, kKeyDeg}, false, false, {"list"}, rest},
      {"P k91", {kKeyNor, kKeyDeg}, false, true, {"list"}, rest},
      {"P m3 k92", {kKeyNor, kKeyDeg}, false, true, {"about"}, rest},
      {"m1 k92", {kKeyNor, kKeyDeg}, false, false, {"https://tarvo.example.org/"}, rest},
      {"m2 k92", {kKeyNor, kKeyDeg}, false, false, {"https://tarvo.example.org/donate"}, rest},
      {"k92", {kKeyNor, kKeyDeg}, false, false, {}, rest},
      // The manual, from the menu or F1: the pin stays down, the viewer
      // being a window of its own.
      {"P F1", {kKeyNor, kKeyDeg}, false, false,
       {"! Error: Can't find/open file /opt/tarvo/bin/Manual_Tarvo.pdf"}, rest},
      {"m0 k92", {kKeyNor, kKeyDeg}, false, false,
       {"! Error: Can't find/open file /opt/tarvo/bin/Manual_Tarvo.pdf"}, rest},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.steps);
    Window w;
    w.Do(r.steps);
    EXPECT_EQ(w.c.lit, r.lit);
    EXPECT_EQ(w.c.shiftIndicator, r.shiftIndicator);
    EXPECT_EQ(w.c.onTop, r.onTop);
    EXPECT_EQ(w.c.opened, r.opened);
    EXPECT_EQ(w.c.place[kKeyArc], r.arcPlace);
  }
}

TEST(WindowLogic, AManualTheDesktopCannotOpenIsNamed) {
  Window w;
  w.c.files = {"/opt/tarvo/share/doc/tarvo/Manual_Tarvo.pdf"};  // the installed place
  w.c.desktopAccepts = false;
  w.Do("F1");
  EXPECT_EQ(w.c.opened, (std::vector<std::string>{"/opt/tarvo/share/doc/tarvo/Manual_Tarvo.pdf",
                                                  "! Error: The desktop could not open the manual "
                                                  "/opt/tarvo/share/doc/tarvo/Manual_Tarvo.pdf"}));
}

TEST(WindowLogic, MenusCheckTheFormatInForce) {
  struct Row { const char* steps; int menuKey; std::vector<int> checked; };
  const Row rows[] = {
      {"", kKeyFix, {11}},          // Normal
      {"m4 k77", kKeyFix, {4}},
      {"m4 k77", kKeySci, {}},
      {"m4 k78", kKeySci, {4}},     // 5 digits
      {"m4 k78 m4 k77", kKeySci, {}},
      {"m4 k78 k76", kKeySci, {13}},
      {"k79", kKeyFix, {}},         // a toggle format checks nothing
      {"k79 k79", kKeyFix, {11}},
  };
  for (const Row& r : rows) {
    Window w;
    w.Do(r.steps);
    w.logic.ClickKey(r.menuKey);
    std::vector<int> checked;
    for (size_t i = 0; i < w.c.menu.size(); ++i)
      if (w.c.menu[i].checked) checked.push_back(static_cast<int>(i));
    EXPECT_EQ(checked, r.checked) << r.steps << " then " << r.menuKey;
  }
  Window w;
  w.Do("k77");
  ASSERT_EQ(w.c.menu.size(), 12u);
  EXPECT_EQ(w.c.menu[0].caption + "," + w.c.menu[1].caption + "," + w.c.menu[9].caption + "," + w.c.menu[11].caption,
            "0 decimals,1 decimal,9 decimals,Normal");
  EXPECT_TRUE(w.c.menu[10].separator);
  w.Do("k78");
  ASSERT_EQ(w.c.menu.size(), 14u);
  EXPECT_EQ(w.c.menu[0].caption + "," + w.c.menu[11].caption, "1 digit,12 digits");
}

// A saved factor near a unit's picks it; one that matches none is kept as
// the engine had it, with no angle key lit.
TEST(WindowLogic, SavedAngleFactorChoosesTheUnit) {
  struct Row { double saved; double factor; std::set<int> lit; };
  const double deg = 180 / std::acos(-1.0), gra = 200 / std::acos(-1.0);
  const Row rows[] = {{0, deg, {kKeyDeg}},         {deg, deg, {kKeyDeg}}, {deg + 0.09, deg, {kKeyDeg}},
                      {1, 1, {kKeyRad}},           {gra - 0.09, gra, {kKeyGra}}, {gra + 0.11, 1, {}},
                      {2.5, 1, {}}};
  for (const Row& r : rows) {
    Window w(r.saved);
    EXPECT_DOUBLE_EQ(w.engine.AngleFactor, r.factor) << r.saved;
    std::set<int> lit;
    for (int k : {kKeyDeg, kKeyRad, kKeyGra}) lit.insert(w.c.lit.count(k) ? k : 0);
    lit.erase(0);
    EXPECT_EQ(lit, r.lit) << r.saved;
  }
}

TEST(WindowLogic, EveryConstantReadsBackAsItsValue) {
  for (const Constant& k : kConstants) {
    Window w;
    w.Do("m" + std::to_string(k.index - 1) + " k89 E");
    ASSERT_EQ(w.engine.ErrorCode, 0) << k.index << " " << w.c.upper;
    EXPECT_DOUBLE_EQ(w.engine.LastAnswer, k.index == kPiConstant ? w.engine.Pi : std::stod(std::string(k.text)))
        << k.index;
  }
}

TEST(WindowLogic, ResultsGoToTheClipboardAndTheBusyPointer) {
  Window w;
  w.Do("t2+3 E");
  EXPECT_EQ(w.c.clipboard, " 5");
  EXPECT_EQ(w.c.busy, (std::vector<bool>{true, false, true, false}));  // the start's 0, then 2+3
  w.Do("k14 t2-2 E k14 tx=7 E");  // zero and assignments leave the clipboard alone
  EXPECT_EQ(w.c.clipboard, " 5");
  w.Do("k14 t0-7 E");
  EXPECT_EQ(w.c.clipboard, "-7");  // no blank before the minus sign
}

// After a result the operator and postfix keys go on from the answer
// (· ^ - / + ⁻¹ ° ' " % ! ² ³ ⁿ√ \ // mod); every other key starts anew,
// and ANS writes the answer alone.
TEST(WindowLogic, OperatorKeysGoOnFromTheAnswer) {
  const std::set<int> goOn = {15, 16, 17, 18, 19, 26, 30, 31, 32, 37, 41, 44, 45, 51, 52, 53, 54};
  for (int k = 1; k <= kKeyCount; ++k) {
    Window w;
    w.Do("t6+7 E k" + std::to_string(k));
    EXPECT_EQ(w.c.entry.rfind("13", 0) == 0 && w.c.entry != "13", goOn.count(k) == 1) << k << ": " << w.c.entry;
  }
  Window w;  // a fresh session defines e and nothing else
  for (size_t i = 0; i < 26; ++i) EXPECT_EQ(w.engine.DefinedFlag[i] != kUndefined, i == 'e' - 'a') << i;
}

// An output key hands the focus back to the line, so that typing goes on
// there after a click; NOR alone leaves it where it is.
TEST(WindowLogic, OutputKeysButNormalHandTheFocusBack) {
  for (int k = kKeyNor; k <= kKeyDate; ++k) {
    Window w;
    const int before = w.c.focusCalls;
    w.logic.ClickKey(k);
    EXPECT_EQ(w.c.focusCalls - before, k == kKeyNor ? 0 : 1) << k;
  }
}

TEST(WindowLogic, HistoryKeepsTheNewest32) {
  Window w;
  for (int i = 1; i <= 40; ++i) w.Do("t" + std::to_string(i) + " E");
  for (int i = 0; i < 40; ++i) w.Do("U");
  EXPECT_EQ(w.Line(), "9|");
  EXPECT_EQ(w.logic.History().Last(), kHistorySize);
}

TEST(WindowLogic, EntriesOverTheLengthLimitAreRefusedBeforeAnyWork) {
  Window w;
  std::string longest = "1";
  while (longest.size() < static_cast<size_t>(kMaxEntryLength)) longest += "+1";
  for (const std::string& entry : {longest, longest + "0", " " + longest}) {
    w.c.busy.clear();
    w.c.SetEntryText(entry);
    w.logic.ExecuteKey();
    const bool fits = entry == longest;
    EXPECT_EQ(w.engine.ErrorCode, fits ? 0 : kErrEntryTooLong);
    EXPECT_EQ(w.c.busy.empty(), !fits) << "nothing evaluated";
  }
  EXPECT_EQ(w.logic.History().Last(), 2) << "only the start's 0 and the longest kept";
  EXPECT_EQ(w.engine.LastAnswer, (kMaxEntryLength + 1) / 2);
  w.c.SetEntryText(longest);  // a key that would make the line too long writes nothing
  w.Do("c" + std::to_string(kMaxEntryLength) + " L k21");
  EXPECT_EQ(w.c.entry, longest);
  EXPECT_EQ(w.c.upper, "Error: Entry too long ");
}

// Running out of memory in the middle of an entry ends that entry only.
TEST(WindowLogic, AnEntryOutOfMemoryEndsInAnErrorAndTheSessionGoesOn) {
  struct Failing : test::FakeControls {
    void SetBusy(bool on) override {
      FakeControls::SetBusy(on);
      if (on && fail) {
        fail = false;
        throw std::bad_alloc();
      }
    }
    bool fail = false;
  } c;
  Engine engine;
  CalculatorLogic logic(c, engine);
  logic.StartSession("");
  for (const char* entry : {"6*7", "x=2+3", "ans+1"}) {
    c.fail = entry[0] == 'x';
    c.SetEntryText(entry);
    logic.ExecuteKey();
    if (entry[0] == 'x') {
      EXPECT_EQ(c.upper, "Error: Too complex expression ");
    }
  }
  EXPECT_EQ(c.busy.back(), false);
  EXPECT_EQ(engine.DefinedFlag[23], kUndefined);
  EXPECT_EQ(c.display, " 43");
}

}  // namespace
}  // namespace tarvo
