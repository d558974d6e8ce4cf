// The main window's logic driven as a user drives it: key clicks, typed
// characters, arrows and menu choices, with what the window shows checked
// after each script.
#include "ui/logic/calculator_logic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <new>
#include <optional>
#include <set>
#include <vector>
#include <string>
#include <string_view>

#include "core/entry_encoding.h"
#include "core/state_files.h"
#include "tests/ui/fake_controls.h"
#include "ui/logic/keypad.h"
#include "ui/logic/menus.h"

namespace tarvo {
namespace {

// A fresh window after its start, and a user at it.
struct Window {
  // `savedAngleFactor`: what the variable files held for the angle unit
  // (none: there are no files).
  explicit Window(std::optional<double> savedAngleFactor = std::nullopt) {
    std::string dir;
    if (savedAngleFactor) {
      char folder[] = "/tmp/tarvo-window-XXXXXX";
      dir = mkdtemp(folder);
      SavedState saved;
      saved.angleFactor = *savedAngleFactor;
      EXPECT_TRUE(SaveStateFiles(dir, saved).ok);
    }
    logic.StartSession(dir);
    if (!dir.empty()) std::filesystem::remove_all(dir);
  }

  // Steps separated by blanks: k<caption> clicks the key of that caption
  // ("_" for a blank), t<text> types the text (the same), E is Enter, U D L the arrows, ^ Ctrl alone, F1, mN answers the
  // next pop-up menu with entry N, cN puts the caret at N, sN selects N
  // characters from the caret, P clicks the pin, yN clicks the history
  // review picture at height N, M presses the mouse in the entry line.
  void Do(std::string_view steps) {
    while (!steps.empty()) {
      const size_t end = std::min(steps.find(' '), steps.size());
      const std::string step(steps.substr(0, end));
      steps.remove_prefix(std::min(end + 1, steps.size()));
      const int n = step.size() > 1 && std::isdigit(static_cast<unsigned char>(step[1])) ? std::stoi(step.substr(1)) : 0;
      switch (step[0]) {
        case 'k': logic.ClickKey(Captioned(step.substr(1))); break;
        case 'm': c.answers.push_back(n); break;
        case 'c': c.SetSelection(n, 0); break;
        case 's': c.selected = n; break;
        case 'y': logic.ReviewHistory(n); break;
        case 'P': logic.ToggleAlwaysOnTop(); break;
        case 'M': logic.EntryLineMouseDown(); break;
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

  // The key whose picture shows `caption` ("_" for a blank).
  static Key Captioned(std::string caption) {
    std::replace(caption.begin(), caption.end(), '_', ' ');
    for (const KeyDef& row : KeyTable())
      if (row.caption == caption) return row.key;
    ADD_FAILURE() << "no key " << caption;
    return Key::AllClear;
  }

  // The last answer, as the answer's name reads it.
  double LastAnswer() { return logic.Calc().Calculate("ans").value; }

  test::FakeControls c;
  CalculatorLogic logic{c};
};

constexpr Rgb k_ = kBlack;
constexpr Rgb kR = kErrorRed;
constexpr Rgb kG = kNoticeGreen;

TEST(WindowLogic, ScriptsShowTheirLineDisplayAndMessage) {
  struct Row {
    const char *steps, *line, *display, *upper;
    Rgb color;
    const char* lower = "";  // the lower message line
  };
  const Row rows[] = {
      // The processing cycle.
      {"t2+3 E", "2+3|", " 5", "", k_},
      {"t2*3 E", "2\xB7" "3|", " 6", "", k_},
      {"t1;5:", "1.50|", " 0", " Normal output format", k_},  // ":" and ";" are 0 and the point
      {"tx=4 E kAC tx*2 E", "x\xB7" "2|", " 8", "", k_},
      {"tx=4 E tx", "x=4x|", " 4", "", k_},  // a letter after a result adds to the line
      {"t1/0 E", "1/0|", " 0", "Error: Division by zero ", kR},
      {"t7 E t1/0 E t+", "1/0+|", " 7", "Error: Division by zero ", k_},  // editing ends the red
      {"k√ t16/0 E", "\xC1 16/0|", " 0", "Error: Division by zero ", kR},  // over a key's help
      {"ta=b=c E", "a=b=c|", " 0", "Internal error ", kR},  // "b=c" is no assignment but an operator
      {"ts2x2(x+y=1,_2x+2y=2) E", "s2x2(x+y=1, 2x+2y=2)|", " 0", "Not found solutions / Infinite solutions ", kG},
      {"t___ E", "   |", " 0", "", k_},  // a blank entry only beeps
      // Completion with the last answer, and continuing from a result.
      {"t16 E k√ E", "\xC1 16|", " 4", "", k_},
      {"t-2 E t+1 E", "(-2)+1|", " -1", "", k_},
      {"t2+3 E t+1 E", "5+1|", " 6", "", k_},
      {"t2+3 E t%", "5%|", " 5", "Last answer ", k_, " "},
      {"t2+3 E k+ k2 E", "5 + 2|", " 7", "", k_},
      {"t2+3 E t7", "7|", " 5", "", k_},
      {"t2+3 E L t+", "2+3+|", " 5", "", k_},         // an arrow ends the result state
      {"t2+3 E c1 t-", "2-|+3", " 5", "", k_},         // so does a caret away from the end
      {"t2+3 E M t+", "2+3+|", " 5", "", k_},          // and a click in the line
      {"t2 E kx³ E", "2\xB3|", " 8", "", k_},            // the cube and reciprocal keys too
      {"t4 E kx⁻¹ E", "4\xD3|", " .25", "", k_},
      {"teq2d(x^2-1) E t+", "eq2d(x^2-1)+|", " 1", "", k_},  // equation results do not continue
      {"t-2.5 E kAC kANS", "(-2.5)|", " -2.5", "Last answer ", k_, " "},
      // Editing at the caret.
      {"t12 c1 k+", "1 + |2", " 0", " Normal output format", k_},
      {"t1_ k+", "1 + |", " 0", " Normal output format", k_},  // no second blank
      {"t_ k+", " + |", " 0", " Normal output format", k_},
      // A postfix key continues too.
      {"t2+3 E k°", "5\xB0|", " 5", "Arc degrees input ", k_, "Example:  12\xBA 34' 56\" "},
      {"te E", "e|", " 2.71828182845905", "", k_},
      {"t123 c1 s1 k+", "1 + |3", " 0", " Normal output format", k_},
      {"t23 c0 k1", "1|23", " 0", " Normal output format", k_},  // at the line's start
      {"t123 kDEL", "12|", " 0", " Normal output format", k_},
      {"t123 c1 kDEL", "|23", " 0", " Normal output format", k_},
      {"t123 c0 s2 kDEL", "|3", " 0", " Normal output format", k_},
      {"t12 kAC", "|", " 0", "", k_},
      {"kEXP", "E|", " 0", "Scientific notation input. ", k_, "Example:  5000 = 5E3,  0.007 = 7E-3 "},
      // The history: Up older, Down newer, stopping at the ends; a line not
      // yet executed is kept before the review leaves it.
      {"t1 E t2 E t3 E U U", "1|", " 3", "", k_},
      {"t1 E t2 E t3 E U U U U", "0|", " 3", "", k_},
      {"t1 E t2 E t3 E U U D", "2|", " 3", "", k_},
      {"t1 E t2 E t3 E U D D D", "3|", " 3", "", k_},
      {"t1 E t1 E t2 E U U", "0|", " 2", "", k_},  // a repeat is kept once
      {"t1 E t2+ U D", "2+|", " 1", "", k_},
      {"t1 E t2 E t3 E y13 y14", "3|", " 3", "", k_},
      {"t1 E t2 E kAC U", "1|", " 2", "", k_},
      {"U", "0|", " 0", " Normal output format", k_},  // the start's 0 is the first entry
      // The shifts and the trigonometric keys.
      {"ksin", "sin |", " 0", "Trigonometric function sin ", k_, " "},
      {"kARC ksin", "Arcsin |", " 0", "Inverse trigonometric function arcsin ", k_, " "},
      {"kHYP kcosec", "cosech |", " 0", "Hyperbolic function cosech ", k_, " "},
      {"kARC kHYP ktan", "Argtanh |", " 0", "Inverse hyperbolic function argtanh ", k_, " "},
      {"kARC ksin ksin", "Arcsin sin |", " 0", "Trigonometric function sin ", k_, " "},
      {"kARC", "|", " 0", " Inverse trigonometric function for Arcsin, Arccos and Arctan", k_},
      {"kHYP", "|", " 0", " Hyperbolic function for sinh, cosh and tanh", k_},
      {"kARC kHYP", "|", " 0", " Inverse hyperbolic function for Argsinh, Argcosh and Argtanh", k_},
      {"kHYP kARC kARC", "|", " 0", " Hyperbolic function for sinh, cosh and tanh", k_},
      {"kARC kHYP kHYP", "|", " 0", " Inverse trigonometric function for Arcsin, Arccos and Arctan", k_},
      {"kARC kARC", "|", " 0", "", k_},
      {"kARC kDEL ksin", "sin |", " 0", "Trigonometric function sin ", k_, " "},
      // Angle units.
      {"tsin(30) E", "sin(30)|", " .5", "", k_},
      {"kRAD tcos(0) E", "cos(0)|", " 1", "", k_},
      {"kGRA tsin(100) E", "sin(100)|", " 1", "", k_},
      {"kRAD", "|", " 0", "Angular unit is radian: 1 right angle = \xCB/2 rad ", k_, " "},
      // Output formats: toggles, the FIX and SCI menus, and new answers in
      // the format in force.
      {"t0.75 E kFRAC", "0.75|", " 3/4", " Fractions / \xCB fractions / rationalized roots output format", k_},
      {"t0.75 E kFRAC kFRAC", "0.75|", " .75", " Normal output format", k_},
      {"t0.75 E kFRAC t0.5 E", "0.5|", " 1/2", "", k_},
      {"t255 E kHEX", "255|", " &h FF", " Hexadecimal (base 16) output format", k_},
      {"t255 E kHEX kBIN", "255|", " &b 11111111", " Binary (base 2) output format", k_},
      {"t1E20 E kHEX", "1E20|", " 1E+20", " Normal output format", k_},  // beyond hexadecimal
      {"t5 E kHEX t1E20 E t7 E", "7|", " 7", "", k_},                    // and it stays off
      {"t2454171.5 E kDATE", "2454171.5|", " Monday, March 12th, 2007", " Date output format for a given Julian day", k_,
       " Example: JULD(3, 12, 2007) = 2454171.5 = Monday, March 12th, 2007"},
      {"t2454171.5 E kDATE m2 kFIX", "2454171.5|", " 2454171.50", " Output format with 2 decimals", k_},
      {"t1.5 E kDMS", "1.5|", " 1\xB0 30' 0\"", " Sexagesimal output format: Degrees, minutes and seconds of arc", k_},
      {"t2 E m2 kFIX", "2|", " 2.00", " Output format with 2 decimals", k_},
      {"t2 E m1 kFIX", "2|", " 2.0", " Output format with 1 decimal", k_},
      {"t2 E m2 kFIX t1/3 E", "1/3|", " 0.33", "", k_},
      {"t2 E m2 kFIX m11 kFIX", "2|", " 2", " Normal output format", k_},
      {"t2 E m2 kFIX kFIX", "2|", " 2.00", " Output format with 2 decimals", k_},  // closed: drawn again
      {"t2 E kFIX", "2|", " 2", " Normal output format", k_},
      {"t0.5 E kFRAC kFIX", "0.5|", " 1/2", " Fractions / \xCB fractions / rationalized roots output format", k_},
      {"t1234 E m2 kSCI", "1234|", " 1.23E3", " Scientific notation output with 3 digits", k_},
      {"t1234 E m0 kSCI", "1234|", " 1E3", " Scientific notation output with 1 digit", k_},
      {"t2 E m2 kSCI m13 kSCI", "2|", " 2", " Normal output format", k_},
      {"t2 E m2 kFIX kNOR", "2|", " 2", " Normal output format", k_},
      {"t2 E m12 kSCI", "2|", " 2", " Normal output format", k_},  // the separator is no choice
      // The constants menu and the clear-variables key.
      {"m16 kCONST", "\xCB |", " 0", "N\xFAmero \xCB ", k_, " "},
      {"m17 kCONST", "2.7182818284590452|", " 0", "e constant ", k_, " "},
      {"t2 E m0 kCONST", "299792458|", " 2", "Speed of light in vacuum = 299792458 [ m / s ] ", k_, " "},
      {"kCONST", "|", " 0", " Normal output format", k_},
      {"tx=4 E kCLR_VAR kAC tx E", "x|", " 0", "", k_},  // x is gone
      {"kCLR_VAR", "|", " 0", " Variables were cleared", k_},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.steps);
    Window w;
    w.Do(r.steps);
    EXPECT_EQ(w.Line(), r.line);
    EXPECT_EQ(w.c.display, r.display);
    EXPECT_EQ(w.c.upper, r.upper);
    EXPECT_EQ(w.c.lower, r.lower);
    EXPECT_EQ(w.c.color, r.color);
  }
}

// What the scripts leave on the keypad: the lit output and angle keys, the
// shift keys' look, the page, the pin, the windows and pages opened.
TEST(WindowLogic, ScriptsLeaveTheKeypadAndDesktop) {
  const KeyDef& arc = KeyRow(Key::InverseShift);
  struct Row {
    const char* steps;
    std::set<Key> lit;
    bool shiftIndicator, onTop;
    std::vector<std::string> opened;
    std::pair<int, int> arcPlace;
  };
  const std::pair<int, int> rest{arc.left, arc.top}, held{arc.left + 1, arc.top + 1};
  const Row rows[] = {
      {"", {Key::NormalFormat, Key::Degrees}, false, false, {}, rest},
      {"kRAD", {Key::NormalFormat, Key::Radians}, false, false, {}, rest},
      {"kGRA kDEG", {Key::NormalFormat, Key::Degrees}, false, false, {}, rest},
      {"kHEX", {Key::HexadecimalFormat, Key::Degrees}, false, false, {}, rest},
      {"m3 kFIX", {Key::FixedFormat, Key::Degrees}, false, false, {}, rest},
      {"m3 kFIX t2 E", {Key::FixedFormat, Key::Degrees}, false, false, {}, rest},
      {"m3 kSCI kNOR", {Key::NormalFormat, Key::Degrees}, false, false, {}, rest},
      {"kDATE kDATE", {Key::NormalFormat, Key::Degrees}, false, false, {}, rest},
      {"kARC", {Key::NormalFormat, Key::Degrees, Key::InverseShift}, true, false, {}, held},
      {"kHYP", {Key::NormalFormat, Key::Degrees, Key::HyperbolicShift}, true, false, {}, rest},
      {"kARC ksin", {Key::NormalFormat, Key::Degrees}, false, false, {}, rest},
      {"kARC k1", {Key::NormalFormat, Key::Degrees}, false, false, {}, rest},
      {"kARC kARC", {Key::NormalFormat, Key::Degrees}, false, false, {}, rest},
      {"kARC ^", {Key::NormalFormat, Key::Degrees, Key::InverseShift}, true, false, {}, held},
      {"P", {Key::NormalFormat, Key::Degrees}, false, true, {}, rest},
      {"P P", {Key::NormalFormat, Key::Degrees}, false, false, {}, rest},
      {"kARC P", {Key::NormalFormat, Key::Degrees}, false, true, {}, rest},
      // Modal windows open below no window kept on top, which comes back.
      {"kVAR_LIST", {Key::NormalFormat, Key::Degrees}, false, false, {"list"}, rest},
      {"P kVAR_LIST", {Key::NormalFormat, Key::Degrees}, false, true, {"list"}, rest},
      {"P m3 kHELP", {Key::NormalFormat, Key::Degrees}, false, true, {"about"}, rest},
      {"m1 kHELP", {Key::NormalFormat, Key::Degrees}, false, false, {"https://tarvo.example.org/"}, rest},
      {"m2 kHELP", {Key::NormalFormat, Key::Degrees}, false, false, {"https://tarvo.example.org/donate"}, rest},
      {"kHELP", {Key::NormalFormat, Key::Degrees}, false, false, {}, rest},
      // The manual, from the menu or F1: the pin stays down, the viewer
      // being a window of its own.
      {"P F1", {Key::NormalFormat, Key::Degrees}, false, false,
       {"! Error: Can't find/open file /opt/tarvo/bin/Manual_Tarvo.pdf"}, rest},
      {"m0 kHELP", {Key::NormalFormat, Key::Degrees}, false, false,
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
    EXPECT_EQ(w.c.place[Key::InverseShift], r.arcPlace);
  }
}

// Each page shows one key at each of the keypad's places, the eighteen it
// shares with the other page included; no two keys share a caption, by
// which a screen reader names them.
TEST(WindowLogic, EachPageShowsOneKeyAtEachPlace) {
  Window w;
  std::set<std::pair<int, int>> places;
  for (const auto& [key, place] : w.c.place) places.insert(place);
  EXPECT_EQ(places.size(), static_cast<size_t>(kKeyCount - 18));
  for (const int page : {1, 2}) {
    std::map<std::pair<int, int>, int> shown;
    for (const auto& [key, visible] : w.c.visible)
      if (visible) ++shown[w.c.place[key]];
    EXPECT_EQ(shown.size(), places.size()) << "page " << page;
    for (const auto& [place, keys] : shown) EXPECT_EQ(keys, 1) << "page " << page << " at " << place.first << "," << place.second;
    w.logic.TurnKeypadPage();
  }
  std::set<std::string_view> captions;
  for (const KeyDef& row : KeyTable()) EXPECT_TRUE(captions.insert(row.caption).second) << row.caption;
}

TEST(WindowLogic, AManualTheDesktopCannotOpenIsNamed) {
  Window w;
  w.c.files = {"/opt/tarvo/share/tarvo/Manual_Tarvo.pdf"};  // the installed place
  w.c.desktopAccepts = false;
  w.Do("F1");
  EXPECT_EQ(w.c.opened, (std::vector<std::string>{"/opt/tarvo/share/tarvo/Manual_Tarvo.pdf",
                                                  "! Error: The desktop could not open the manual "
                                                  "/opt/tarvo/share/tarvo/Manual_Tarvo.pdf"}));
}

TEST(WindowLogic, MenusCheckTheFormatInForce) {
  struct Row { const char* steps; Key menuKey; std::vector<int> checked; };
  const Row rows[] = {
      {"", Key::FixedFormat, {11}},          // Normal
      {"m4 kFIX", Key::FixedFormat, {4}},
      {"m4 kFIX", Key::ScientificFormat, {}},
      {"m4 kSCI", Key::ScientificFormat, {4}},     // 5 digits
      {"m4 kSCI m4 kFIX", Key::ScientificFormat, {}},
      {"m4 kSCI kNOR", Key::ScientificFormat, {13}},
      {"kFRAC", Key::FixedFormat, {}},         // a toggle format checks nothing
      {"kFRAC kFRAC", Key::FixedFormat, {11}},
  };
  for (const Row& r : rows) {
    Window w;
    w.Do(r.steps);
    w.logic.ClickKey(r.menuKey);
    std::vector<int> checked;
    for (size_t i = 0; i < w.c.menu.size(); ++i)
      if (w.c.menu[i].checked) checked.push_back(static_cast<int>(i));
    EXPECT_EQ(checked, r.checked) << r.steps << " then " << KeyRow(r.menuKey).caption;
  }
  Window w;
  w.Do("kFIX");
  ASSERT_EQ(w.c.menu.size(), 12u);
  EXPECT_EQ(w.c.menu[0].caption + "," + w.c.menu[1].caption + "," + w.c.menu[9].caption + "," + w.c.menu[11].caption,
            "0 decimals,1 decimal,9 decimals,Normal");
  EXPECT_TRUE(w.c.menu[10].separator);
  w.Do("kSCI");
  ASSERT_EQ(w.c.menu.size(), 14u);
  EXPECT_EQ(w.c.menu[0].caption + "," + w.c.menu[11].caption, "1 digit,12 digits");
}

// A saved factor near a unit's picks it; one that matches none is kept as
// the engine had it, with no angle key lit.
TEST(WindowLogic, SavedAngleFactorChoosesTheUnit) {
  struct Row { double saved; double factor; std::set<Key> lit; };
  const double deg = 180 / std::acos(-1.0), gra = 200 / std::acos(-1.0);
  const Row rows[] = {{0, deg, {Key::Degrees}},         {deg, deg, {Key::Degrees}}, {deg + 0.09, deg, {Key::Degrees}},
                      {1, 1, {Key::Radians}},           {gra - 0.09, gra, {Key::Gradients}}, {gra + 0.11, 1, {}},
                      {2.5, 1, {}}};
  for (const Row& r : rows) {
    Window w(r.saved);
    // A right angle's arc sine in the unit in force: the factor times pi/2.
    EXPECT_DOUBLE_EQ(w.logic.Calc().Calculate("arcsin(1)").value, r.factor * std::acos(0.0)) << r.saved;
    std::set<Key> lit;
    for (Key k : {Key::Degrees, Key::Radians, Key::Gradients})
      if (w.c.lit.count(k)) lit.insert(k);
    EXPECT_EQ(lit, r.lit) << r.saved;
  }
}

TEST(WindowLogic, EveryConstantReadsBackAsItsValue) {
  for (const Constant& k : kConstants) {
    Window w;
    w.Do("m" + std::to_string(k.index - 1) + " kCONST E");
    ASSERT_TRUE(w.c.upper.empty() && w.c.color == kBlack) << k.index << " " << w.c.upper;
    EXPECT_DOUBLE_EQ(w.LastAnswer(), k.index == kPiConstant ? std::acos(-1.0) : std::stod(std::string(k.text)))
        << k.index;
  }
}

TEST(WindowLogic, ResultsGoToTheClipboardAndTheBusyPointer) {
  Window w;
  w.Do("t2+3 E");
  EXPECT_EQ(w.c.clipboard, " 5");
  EXPECT_EQ(w.c.busy, (std::vector<bool>{true, false}));  // while 2+3 calculates
  w.Do("kAC t2-2 E kAC tx=7 E");  // zero and assignments leave the clipboard alone
  EXPECT_EQ(w.c.clipboard, " 5");
  w.Do("kAC t0-7 E");
  EXPECT_EQ(w.c.clipboard, "-7");  // no blank before the minus sign
}

// After a result the operator and postfix keys go on from the answer
// (· ^ - / + ⁻¹ ° ' " % ! ² ³ ⁿ√ \ // mod), and so do their signs typed
// ("*" and "º" type "·" and "°"), but for the n-th root's; every other key
// and character starts anew, and ANS writes the answer alone.
TEST(WindowLogic, OperatorKeysAndTheirSignsGoOnFromTheAnswer) {
  const std::set<Key> goOn = {Key::Multiply,      Key::Power,         Key::Minus,      Key::Divide,     Key::Plus,
                              Key::Reciprocal,    Key::DegreeMark,    Key::MinuteMark, Key::SecondMark, Key::Percent,
                              Key::Factorial,     Key::Square,        Key::Cube,       Key::NthRoot,    Key::IntegerDivide,
                              Key::ReciprocalSum, Key::Modulo};
  const std::string_view typedGoOn = "\xB7+-/\\^!%\xB2\xB3\xD3\xB0'\"*\xBA";
  const auto wentOn = [](const Window& w) { return w.c.entry.rfind("13", 0) == 0 && w.c.entry != "13"; };
  for (const KeyDef& row : KeyTable()) {
    Window w;
    w.Do("t6+7 E");
    w.logic.ClickKey(row.key);
    EXPECT_EQ(wentOn(w), goOn.count(row.key) == 1) << row.caption << ": " << w.c.entry;
    const std::string sign = Trim(row.text);
    if (goOn.count(row.key) == 1 && row.key != Key::NthRoot && sign.size() == 1) {
      EXPECT_NE(typedGoOn.find(sign[0]), std::string_view::npos) << row.caption << "'s sign typed goes on as it does";
    }
  }
  for (int c = 1; c < 256; ++c) {
    if (c == kEnterCharacter || c == kEscapeCharacter) continue;
    Window w;
    w.Do("t6+7 E");
    w.Type(static_cast<char>(c));
    EXPECT_EQ(wentOn(w), typedGoOn.find(static_cast<char>(c)) != std::string_view::npos) << c << ": " << w.c.entry;
  }
  Window w;  // a fresh session defines e and nothing else
  for (size_t i = 0; i < 26; ++i) EXPECT_EQ(w.logic.Calc().Variables().flags[i] != kUndefined, i == 'e' - 'a') << i;
}

// Each output key shows the format whose row names it, its key alone lit,
// its caption above; and every output key is named by one row.
TEST(WindowLogic, EachOutputKeyShowsTheFormatOfItsRow) {
  for (const FormatRow& row : FormatTable()) {
    Window w;
    w.Do(std::string("t0.75 E ") + (row.kind == FormatKind::kCounted ? "m2 " : "") + "k" + std::string(row.key));
    std::vector<std::string_view> lit;
    for (const KeyDef& key : KeyTable())
      if (key.role == KeyRole::kOutput && w.c.lit.count(key.key)) lit.push_back(key.caption);
    EXPECT_EQ(lit, std::vector<std::string_view>{row.key});
    EXPECT_TRUE(w.c.upper.starts_with(row.caption)) << row.key << ": " << w.c.upper;
  }
  for (const KeyDef& key : KeyTable()) {
    if (key.role != KeyRole::kOutput) continue;
    int rows = 0;
    for (const FormatRow& row : FormatTable()) rows += row.key == key.caption ? 1 : 0;
    EXPECT_EQ(rows, 1) << key.caption;
  }
}

// An output key hands the focus back to the line, so that typing goes on
// there after a click; NOR alone leaves it where it is.
TEST(WindowLogic, OutputKeysButNormalHandTheFocusBack) {
  for (const KeyDef& row : KeyTable()) {
    if (row.role != KeyRole::kOutput) continue;
    Window w;
    const int before = w.c.focusCalls;
    w.logic.ClickKey(row.key);
    EXPECT_EQ(w.c.focusCalls - before, row.key == Key::NormalFormat ? 0 : 1) << row.caption;
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
    EXPECT_EQ(w.c.upper, fits ? "" : "Error: Entry too long ");
    EXPECT_EQ(w.c.busy.empty(), !fits) << "nothing evaluated";
  }
  EXPECT_EQ(w.logic.History().Last(), 2) << "only the start's 0 and the longest kept";
  EXPECT_EQ(w.LastAnswer(), (kMaxEntryLength + 1) / 2);
  w.c.SetEntryText(longest);  // a key that would make the line too long writes nothing
  w.Do("c" + std::to_string(kMaxEntryLength) + " L ksin");
  EXPECT_EQ(w.c.entry, longest);
  EXPECT_EQ(w.c.upper, "Error: Entry too long ");
  w.c.SetEntryText(longest.substr(1));  // one that fills it exactly writes
  w.Do("c0 k1");
  EXPECT_EQ(w.c.entry, longest);
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
  CalculatorLogic logic(c);
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
  EXPECT_EQ(logic.Calc().Variables().flags['x' - 'a'], kUndefined);
  EXPECT_EQ(c.display, " 43");
}

}  // namespace
}  // namespace tarvo
