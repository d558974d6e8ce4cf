// The keypad: its table, the dispatcher, the page selector and the shift
// keys, driven through the recording controls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <utility>

#include "engine/state.h"
#include "tests/base/test_support.h"
#include "tests/ui/fake_controls.h"
#include "ui/logic/calculator_logic.h"
#include "ui/logic/keypad.h"

namespace tarvo {
namespace {

class Keypad : public test::FreshEngine {
 protected:
  void SetUp() override {
    FreshEngine::SetUp();
    form.LayOutKeypad();
    form.KeypadPage = 1;
    form.TurnKeypadPage();
  }
  void Click(std::initializer_list<int> keys) {
    for (int k : keys) form.ClickKey(k);
  }
  // A result on the display with the line that gave it still in place.
  void ShowResult(double answer, const std::string& line) {
    engine.LastAnswer = answer;
    c.SetEntryText(line);
    c.SetSelection(static_cast<int>(line.size()), 0);
    form.ResultShown = true;
  }

  test::FakeControls c;
  CalculatorLogic form{c, engine};
};

TEST(KeyTable, EveryKeyHasItsOwnPlaceExceptTheSharedPairs) {
  std::map<std::pair<int, int>, std::vector<int>> places;
  for (int k = 1; k <= kKeyCount; ++k) {
    const KeyDef& d = KeyTable()[static_cast<size_t>(k)];
    ASSERT_GT(d.left, 0) << k;
    ASSERT_GT(d.top, 0) << k;
    places[{d.left, d.top}].push_back(k);
  }
  int shared = 0;
  for (const auto& [place, keys] : places) {
    ASSERT_LE(keys.size(), 2u);
    if (keys.size() == 2) {
      ++shared;
      const KeyPage a = KeyTable()[static_cast<size_t>(keys[0])].page;
      const KeyPage b = KeyTable()[static_cast<size_t>(keys[1])].page;
      EXPECT_TRUE((a == KeyPage::kFirst && b == KeyPage::kSecond) ||
                  (a == KeyPage::kSecond && b == KeyPage::kFirst))
          << keys[0] << " and " << keys[1];
    }
  }
  EXPECT_EQ(shared, 18);
}

TEST(KeyTable, PlacesOfSampleKeys) {
  struct Row { int key; int left; int top; };
  const Row rows[] = {{1, 529, 269}, {10, 529, 298}, {20, 697, 298}, {14, 697, 211}, {21, 108, 211},
                      {75, 108, 269}, {27, 354, 211}, {55, 354, 240}, {87, 17, 169}, {88, 58, 169},
                      {84, 529, 169}, {86, 613, 169}, {89, 17, 211}, {90, 17, 269}, {91, 17, 240},
                      {92, 17, 298}, {83, 395, 169}, {43, 395, 298}, {51, 697, 240}};
  for (const Row& r : rows) {
    EXPECT_EQ(KeyTable()[static_cast<size_t>(r.key)].left, r.left) << r.key;
    EXPECT_EQ(KeyTable()[static_cast<size_t>(r.key)].top, r.top) << r.key;
  }
}

TEST(KeyTable, TagsAreExactSpacesIncluded) {
  struct Row { int key; const char* tag; };
  const Row rows[] = {{15, "\xB7"}, {17, " - "}, {19, " + "}, {25, "exp "}, {26, "\xD3"}, {27, "|"},
                      {32, "\""}, {35, "\xC1 "}, {38, "\xCB "}, {42, ", "}, {51, "\xCE  "}, {52, " \\ "},
                      {53, " // "}, {54, " mod "}, {62, "Prim "}, {71, "S2\xD7" "2("}, {72, "S3\xD7" "3("},
                      {75, "Solve("}, {76, ""}, {92, ""}};
  for (const Row& r : rows) EXPECT_EQ(KeyTable()[static_cast<size_t>(r.key)].tag, r.tag) << r.key;
}

TEST(KeyTable, RolesOfTheDispatcher) {
  struct Row { int key; KeyRole role; };
  const Row rows[] = {{0, KeyRole::kNone}, {93, KeyRole::kNone}, {12, KeyRole::kText}, {13, KeyRole::kDel},
                      {14, KeyRole::kAc}, {20, KeyRole::kExe}, {47, KeyRole::kAns}, {63, KeyRole::kTrig},
                      {62, KeyRole::kText}, {66, KeyRole::kText}, {76, KeyRole::kOutput},
                      {83, KeyRole::kOutput}, {85, KeyRole::kAngleUnit}, {87, KeyRole::kArc},
                      {88, KeyRole::kHyp}, {89, KeyRole::kConst}, {90, KeyRole::kClearVars},
                      {91, KeyRole::kVarList}, {92, KeyRole::kHelp}};
  for (const Row& r : rows) EXPECT_EQ(RoleOfKey(r.key), r.role) << r.key;
}

TEST_F(Keypad, TextKeysWriteTheirTagAndHelp) {
  struct Row { int key; const char* entry; const char* upperMessage; const char* lowerMessage; };
  const Row rows[] = {
      {12, "E", "Scientific notation input. ", "Example:  5000 = 5E3,  0.007 = 7E-3 "},
      {35, "\xC1 ", "Square root \xC1 ", "Also SQR "},
      {31, "'", "Arc minutes input ", "Example:  12\xBA 34' 56\" "},
      {46, "=", "Stores a result into a variable ", "Example A=3+5\xC1" "49 "},
      {44, "\xB2", "Square ", " "},
      {41, "!", "Factorial ", "Example: 5! = 5\xB7" "4\xB7" "3\xB7" "2\xB7" "1 = 120.  Also FACT(5) "},
  };
  for (const Row& r : rows) {
    c.SetEntryText("");
    c.upperMessage = c.lowerMessage = "unchanged";
    form.ClickKey(r.key);
    EXPECT_EQ(c.entry, r.entry) << r.key;
    EXPECT_EQ(c.upperMessage, r.upperMessage) << r.key;
    EXPECT_EQ(c.lowerMessage, r.lowerMessage) << r.key;
  }
}

TEST_F(Keypad, KeyWithoutHelpLeavesTheMessageLines) {
  c.upperMessage = "before";
  form.ClickKey(7);
  EXPECT_EQ(c.entry, "7");
  EXPECT_EQ(c.upperMessage, "before");
}

TEST_F(Keypad, ShiftsChangeTheTrigonometricKeys) {
  struct Row { const char* name; std::vector<int> keys; const char* entry; const char* help; };
  const Row rows[] = {
      {"plain", {21}, "sin ", "Trigonometric function sin "},
      {"arc", {87, 21}, "Arcsin ", "Inverse trigonometric function arcsin "},
      {"hyp", {88, 22}, "cosh ", "Hyperbolic function cosh "},
      {"hyp arc", {88, 87, 23}, "Argtanh ", "Inverse hyperbolic function argtanh "},
      {"arc hyp cosec", {87, 88, 63}, "Argcosech ", "Inverse hyperbolic function argcosech "},
      {"arc cosec", {87, 63}, "Arccosec ", "Inverse trigonometric function arccosec "},
      {"arc twice", {87, 87, 21}, "sin ", "Trigonometric function sin "},
      {"hyp then digit", {88, 5, 64}, "5sec ", "Trigonometric function sec "},
  };
  for (const Row& r : rows) {
    c.SetEntryText("");
    form.ArcShift = form.HypShift = false;
    for (int k : r.keys) form.ClickKey(k);
    EXPECT_EQ(c.entry, r.entry) << r.name;
    EXPECT_EQ(c.upperMessage, r.help) << r.name;
    EXPECT_FALSE(form.ArcShift) << r.name;
    EXPECT_FALSE(form.HypShift) << r.name;
  }
}

TEST_F(Keypad, ShiftKeysShowTheirStateAndMessages) {
  struct Row { const char* name; std::vector<int> keys; bool arc; bool hyp; const char* upperMessage; };
  const Row rows[] = {
      {"arc on", {87}, true, false, " Inverse trigonometric function for Arcsin, Arccos and Arctan"},
      {"hyp on", {88}, false, true, " Hyperbolic function for sinh, cosh and tanh"},
      {"hyp then arc", {88, 87}, true, true, " Inverse hyperbolic function for Argsinh, Argcosh and Argtanh"},
      {"arc then hyp", {87, 88}, true, true, " Inverse hyperbolic function for Argsinh, Argcosh and Argtanh"},
      {"both, arc off", {87, 88, 87}, false, true, " Hyperbolic function for sinh, cosh and tanh"},
      {"both, hyp off", {87, 88, 88}, true, false,
       " Inverse trigonometric function for Arcsin, Arccos and Arctan"},
      {"arc off alone", {87, 87}, false, false, ""},
  };
  for (const Row& r : rows) {
    form.ArcShift = form.HypShift = false;
    form.RestShiftKeys();
    for (int k : r.keys) form.ClickKey(k);
    EXPECT_EQ(form.ArcShift, r.arc) << r.name;
    EXPECT_EQ(form.HypShift, r.hyp) << r.name;
    EXPECT_EQ(c.upperMessage, r.upperMessage) << r.name;
    EXPECT_EQ(c.shiftIndicator, r.arc || r.hyp) << r.name;
    EXPECT_EQ(c.keyLit[kKeyArc], r.arc) << r.name;
    EXPECT_EQ(c.keyLit[kKeyHyp], r.hyp) << r.name;
    EXPECT_EQ(c.keyPlace[kKeyArc], std::make_pair(17 + r.arc, 169 + r.arc)) << r.name;
    EXPECT_EQ(c.keyPlace[kKeyHyp], std::make_pair(58 + r.hyp, 169 + r.hyp)) << r.name;
  }
}

TEST_F(Keypad, UsingAShiftPutsItsKeyBackAtRest) {
  Click({87, 88});
  ASSERT_TRUE(c.shiftIndicator);
  Click({22});
  EXPECT_FALSE(c.shiftIndicator);
  EXPECT_FALSE(c.keyLit[kKeyArc]);
  EXPECT_FALSE(c.keyLit[kKeyHyp]);
  EXPECT_EQ(c.keyPlace[kKeyArc], std::make_pair(17, 169));
  EXPECT_EQ(c.keyPlace[kKeyHyp], std::make_pair(58, 169));
}

TEST_F(Keypad, DelClearsAPendingShift) {
  c.SetEntryText("12");
  c.SetSelection(2, 0);
  Click({87, 13});
  EXPECT_EQ(c.entry, "1");
  EXPECT_FALSE(form.ArcShift);
  EXPECT_FALSE(c.shiftIndicator);
}

bool Shows(const test::FakeControls& c, int key) {
  auto it = c.keyVisible.find(key);
  return it != c.keyVisible.end() && it->second;
}

TEST_F(Keypad, LoadShowsTheFirstPage) {
  EXPECT_EQ(form.KeypadPage, 0);
  EXPECT_EQ(c.pagePicture, 0);
  for (int k : kFirstPageKeys) EXPECT_TRUE(Shows(c, k)) << k;
  for (int k : kSecondPageKeys) EXPECT_FALSE(Shows(c, k)) << k;
}

TEST_F(Keypad, PageSelectorSwitchesAndSwitchesBack) {
  form.TurnKeypadPage();
  EXPECT_EQ(form.KeypadPage, 1);
  EXPECT_EQ(c.pagePicture, 1);
  for (int k : kFirstPageKeys) EXPECT_FALSE(Shows(c, k)) << k;
  for (int k : kSecondPageKeys) EXPECT_TRUE(Shows(c, k)) << k;
  form.TurnKeypadPage();
  EXPECT_EQ(form.KeypadPage, 0);
  EXPECT_EQ(c.pagePicture, 0);
  for (int k : kFirstPageKeys) EXPECT_TRUE(Shows(c, k)) << k;
}

TEST_F(Keypad, EachPlaceShowsExactlyOneKeyOnEitherPage) {
  for (int round = 0; round < 3; ++round) {
    std::map<std::pair<int, int>, int> shown;
    for (int k = 1; k <= kKeyCount; ++k)
      if (Shows(c, k)) ++shown[{form.KeyLeft[static_cast<size_t>(k)], form.KeyTop[static_cast<size_t>(k)]}];
    EXPECT_EQ(shown.size(), 74u) << "round " << round;  // 92 keys, 18 places shared
    for (const auto& [place, count] : shown) EXPECT_EQ(count, 1) << place.first << "," << place.second;
    form.TurnKeypadPage();
  }
}

TEST_F(Keypad, SecondPageKeysWriteTheirTags) {
  form.TurnKeypadPage();
  Click({27, 5, 27, 54, 2});
  EXPECT_EQ(c.entry, "|5| mod 2");
}

TEST_F(Keypad, SelectorPressClearsTheShifts) {
  Click({87});
  form.PressPageSelector();
  EXPECT_TRUE(c.selectorPressed);
  EXPECT_FALSE(form.ArcShift);
  EXPECT_FALSE(c.shiftIndicator);
  form.ReleasePageSelector();
  EXPECT_FALSE(c.selectorPressed);
}

TEST_F(Keypad, ContinuingFromAResult) {
  struct Row { const char* name; int key; double answer; bool caretAtEnd; const char* entry; };
  const Row rows[] = {
      {"plus takes the answer", 19, 5, true, "5 + "},
      {"negative answer", 17, -4, true, "(-4) - "},
      {"square takes the answer", 44, 3, true, "3\xB2"},
      {"reciprocal (second page key)", 26, 0.5, true, "0.5\xD3"},
      {"digit starts anew", 7, 5, true, "7"},
      {"function starts anew", 33, 5, true, "log "},
      {"caret inside: plus inserts", 19, 5, false, "2 + +3"},
      {"caret inside: digit still starts anew", 7, 5, false, "7"},
  };
  for (const Row& r : rows) {
    ShowResult(r.answer, "2+3");
    if (!r.caretAtEnd) c.SetSelection(1, 0);
    form.ClickKey(r.key);
    EXPECT_EQ(c.entry, r.entry) << r.name;
    EXPECT_FALSE(form.ResultShown) << r.name;
  }
}

TEST_F(Keypad, ContinuingRecordsTheShownLine) {
  ShowResult(5, "2+3");
  form.HistoryLast = 0;
  form.ClickKey(19);
  EXPECT_EQ(form.HistoryLast, 1);
  EXPECT_EQ(form.HistoryEntry(1), "2+3");
}

TEST_F(Keypad, UtilityAndModeKeysKeepResultShown) {
  for (int k = 76; k <= kKeyCount; ++k) {
    if (k == kKeyArc || k == kKeyHyp) continue;  // toggles: tested on their own
    ShowResult(5, "2+3");
    form.ClickKey(k);
    EXPECT_TRUE(form.ResultShown) << k;
  }
  ShowResult(5, "2+3");
  Click({87, 87, 88, 88});
  EXPECT_TRUE(form.ResultShown);
}

TEST_F(Keypad, EditingKeysClearResultShown) {
  for (int k : {13, 14, 47, 21}) {
    ShowResult(5, "2+3");
    form.ClickKey(k);
    EXPECT_FALSE(form.ResultShown) << k;
  }
}

TEST_F(Keypad, KeyOutsideTheTableDoesNothing) {
  ShowResult(5, "2+3");
  for (int k : {0, -1, 93, 1000}) {
    form.ClickKey(k);
    form.HoldKey(k);
    EXPECT_EQ(c.entry, "2+3") << k;
    EXPECT_TRUE(form.ResultShown) << k;
    EXPECT_EQ(c.keyPlace.count(k), 0u) << k;
  }
}

TEST_F(Keypad, CaretInTheMiddle) {
  c.SetEntryText("12");
  c.SetSelection(1, 0);
  Click({19});
  EXPECT_EQ(c.entry, "1 + 2");
  EXPECT_EQ(c.selStart, 4);
  Click({28});
  EXPECT_EQ(c.entry, "1 + (2");
}

TEST_F(Keypad, BlankBeforeTheCaretDropsTheTagsLeadingBlank) {
  c.SetEntryText("7 ");
  c.SetSelection(2, 0);
  Click({17});
  EXPECT_EQ(c.entry, "7 - ");
}

TEST_F(Keypad, DelKeyWithAndWithoutSelection) {
  struct Row { const char* name; int caret; int selection; const char* entry; int caretAfter; };
  const Row rows[] = {
      {"char before caret", 3, 0, "1234", 2},
      {"selection only", 1, 2, "134", 1},
      {"at start nothing", 0, 0, "12+34", 0},
      {"at end", 5, 0, "12+3", 4},
  };
  for (const Row& r : rows) {
    c.SetEntryText("12+34");
    c.SetSelection(r.caret, r.selection);
    form.ClickKey(kKeyDel);
    EXPECT_EQ(c.entry, r.entry) << r.name;
    EXPECT_EQ(c.selStart, r.caretAfter) << r.name;
  }
}

TEST_F(Keypad, PressedLookMovesTheKeyAndBack) {
  form.HoldKey(5);
  EXPECT_EQ(c.keyPlace[5], std::make_pair(572, 241));
  form.ReleaseKey(5);
  EXPECT_EQ(c.keyPlace[5], std::make_pair(571, 240));
}

TEST_F(Keypad, AngleUnitKeys) {
  struct Row { int key; double factor; const char* help; };
  const double pi = engine.Pi;
  const Row rows[] = {
      {kKeyRad, 1.0, "Angular unit is radian: 1 right angle = \xCB/2 rad "},
      {kKeyGra, 200 / pi, "Angular unit is gradient: 1 right angle = 100 gra "},
      {kKeyDeg, 180 / pi, "Angular unit is degree: 1 right angle = 90\xB0 (90 degrees) "},
  };
  for (const Row& r : rows) {
    c.SetEntryText("1+");
    form.ClickKey(r.key);
    EXPECT_DOUBLE_EQ(engine.AngleFactor, r.factor) << r.key;
    EXPECT_EQ(c.upperMessage, r.help) << r.key;
    EXPECT_EQ(c.entry, "1+") << r.key;
    for (int k = kKeyDeg; k <= kKeyGra; ++k) EXPECT_EQ(c.keyLit[k], k == r.key) << r.key;
  }
}

TEST_F(Keypad, AlwaysVisibleToggles) {
  form.AlwaysVisible = 0;
  form.ToggleAlwaysOnTop();
  EXPECT_TRUE(c.alwaysOnTop);
  EXPECT_EQ(form.AlwaysVisible, -1);
  EXPECT_EQ(c.upperMessage, "Always visible mode enabled. This window is always on top ");
  form.ToggleAlwaysOnTop();
  EXPECT_FALSE(c.alwaysOnTop);
  EXPECT_EQ(form.AlwaysVisible, 0);
  EXPECT_EQ(c.upperMessage, "Always visible mode disabled ");
}

TEST_F(Keypad, ClearVariablesKeyReportsAndKeepsResultShown) {
  ShowResult(5, "2+3");
  Click({87, kKeyClearVars});
  EXPECT_EQ(c.upperMessage, " Variables were cleared");
  EXPECT_FALSE(form.ArcShift);
  EXPECT_FALSE(c.shiftIndicator);
  EXPECT_TRUE(form.ResultShown);
}

class WindowKeys : public Keypad {};

TEST_F(WindowKeys, DigitsTypeThroughTheKeypad) {
  struct Row { int typed; const char* entry; };
  const Row rows[] = {{'1', "1"}, {'9', "9"}, {'0', "0"}, {'.', "."}, {':', "0"}, {';', "."}};
  for (const Row& r : rows) {
    ShowResult(5, "2+3");
    EXPECT_EQ(form.EntryKeyPress(r.typed), 0) << r.typed;
    EXPECT_EQ(c.entry, r.entry) << r.typed;
  }
}

TEST_F(WindowKeys, OtherCharactersPassOnToTheLine) {
  struct Row { int typed; int passed; };
  const Row rows[] = {{'x', 'x'}, {'*', 0xB7}, {0xBA, 0xB0}, {'(', '('}, {8, 8}};
  for (const Row& r : rows) EXPECT_EQ(form.EntryKeyPress(r.typed), r.passed) << r.typed;
}

TEST_F(WindowKeys, TypedOperatorContinuesFromTheResult) {
  ShowResult(-4, "2+3");
  const int passed = form.EntryKeyPress('+');
  EXPECT_EQ(passed, '+');
  EXPECT_EQ(c.entry, "(-4)");  // the window then inserts the "+"
}

TEST_F(WindowKeys, EscapeClosesTheWindow) {
  EXPECT_EQ(form.EntryKeyPress(27), 0);
  EXPECT_EQ(c.closeRequests, 1);
}

TEST_F(WindowKeys, OnlyTheCtrlKeyAloneSwitchesThePage) {
  struct Row { int keyCode; int shift; int page; };
  const Row rows[] = {{17, 2, 1}, {'V', 2, 0}, {112, 2, 0}, {0, 2, 0}, {17, 3, 0}, {17, 0, 0}, {'V', 0, 0}};
  for (const Row& r : rows) {
    form.KeypadPage = 1;
    form.TurnKeypadPage();
    form.EntryKeyDown(r.keyCode, r.shift);
    EXPECT_EQ(form.KeypadPage, r.page) << r.keyCode << " " << r.shift;
  }
}

TEST_F(WindowKeys, UpAndDownReviewTheHistory) {
  for (const char* e : {"a", "b", "c"}) {
    c.SetEntryText(e);
    form.RecordInHistory();
  }
  c.SetEntryText("");
  form.EntryKeyDown(38, 0);
  EXPECT_EQ(c.entry, "b");
  form.EntryKeyDown(38, 0);
  EXPECT_EQ(c.entry, "a");
  form.EntryKeyDown(40, 0);
  EXPECT_EQ(c.entry, "b");
}

class WindowLoad : public test::FreshEngine {
 protected:
  test::FakeControls c;
  CalculatorLogic form{c, engine};
};

TEST_F(WindowLoad, LoadLaysOutTheKeypadAndLeavesTheWindowOffTop) {
  form.StartSession("");
  EXPECT_EQ(c.keyPlace.size(), 92u);
  EXPECT_EQ(c.keyPlace[20], std::make_pair(697, 298));
  EXPECT_FALSE(c.alwaysOnTop);
  EXPECT_EQ(form.AlwaysVisible, 0);
  EXPECT_EQ(form.KeypadPage, 0);
  EXPECT_TRUE(c.keyLit[kKeyNor]);
  EXPECT_TRUE(c.keyLit[kKeyDeg]);
  EXPECT_FALSE(c.shiftIndicator);
}

}  // namespace
}  // namespace tarvo
