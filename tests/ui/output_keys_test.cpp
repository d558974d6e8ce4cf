// The output keys, their FIX and SCI menus and the display of a new answer,
// driven through the recording controls.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "engine/state.h"
#include "tests/base/test_support.h"
#include "tests/ui/fake_controls.h"
#include "ui/logic/calculator_logic.h"

namespace tarvo {
namespace {

const char* const kNormalCaption = " Normal output format";
const char* const kHexCaption = " Hexadecimal (base 16) output format";
const char* const kDateCaption = " Date output format for a given Julian day";
const char* const kDateExample =
    " Example: JULD(3, 12, 2007) = 2454171.5 = Monday, March 12th, 2007";

class OutputKeys : public test::FreshEngine {
 protected:
  test::FakeControls c;
  CalculatorLogic form{c, engine};

  // The one lit output key, or 0 when none or several are lit; every output
  // key must have been given a picture.
  int LitKey() const {
    int lit = 0;
    for (int k = kKeyNor; k <= kKeyDate; ++k) {
      const auto it = c.keyLit.find(k);
      if (it == c.keyLit.end()) return -k;
      if (it->second) {
        if (lit != 0) return 0;
        lit = k;
      }
    }
    return lit;
  }
  bool NoFormatChecked() const {
    for (bool b : form.FixChecked) if (b) return false;
    for (bool b : form.SciChecked) if (b) return false;
    return !form.FixNormalChecked && !form.SciNormalChecked;
  }
  bool OnlyNormalChecked() const {
    for (bool b : form.FixChecked) if (b) return false;
    for (bool b : form.SciChecked) if (b) return false;
    return form.FixNormalChecked && form.SciNormalChecked;
  }
  void PressWithShifts(void (CalculatorLogic::*key)()) {
    form.ArcShift = true;
    form.HypShift = true;
    (form.*key)();
  }
};

struct ToggleRow {
  const char* name;
  void (CalculatorLogic::*key)();
  double answer;
  int mode;
  int lit;
  const char* upperMessage;
  const char* lowerMessage;
  const char* shown;
  const char* normalShown;
};

void PrintTo(const ToggleRow& r, std::ostream* os) { *os << r.name; }

class ToggleKeys : public OutputKeys, public ::testing::WithParamInterface<ToggleRow> {};

TEST_P(ToggleKeys, SwitchOnTheirFormat) {
  const ToggleRow& r = GetParam();
  engine.LastAnswer = r.answer;
  c.display = {"stale"};
  PressWithShifts(r.key);
  EXPECT_EQ(engine.OutputMode, r.mode);
  EXPECT_EQ(c.display, std::vector<std::string>{r.shown});
  EXPECT_EQ(c.upperMessage, r.upperMessage);
  EXPECT_EQ(c.lowerMessage, r.lowerMessage);
  EXPECT_EQ(LitKey(), r.lit);
  EXPECT_TRUE(NoFormatChecked());
  EXPECT_FALSE(form.ArcShift);
  EXPECT_FALSE(form.HypShift);
  EXPECT_EQ(c.focusCount, 1);
}

TEST_P(ToggleKeys, PressedAgainTurnOff) {
  const ToggleRow& r = GetParam();
  engine.LastAnswer = r.answer;
  (form.*r.key)();
  PressWithShifts(r.key);
  EXPECT_EQ(engine.OutputMode, OUT_NORMAL);
  EXPECT_EQ(c.display, std::vector<std::string>{r.normalShown});
  EXPECT_EQ(c.upperMessage, kNormalCaption);
  EXPECT_EQ(c.lowerMessage, "");
  EXPECT_EQ(LitKey(), kKeyNor);
  EXPECT_TRUE(OnlyNormalChecked());
  EXPECT_FALSE(form.ArcShift);
  EXPECT_FALSE(form.HypShift);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ToggleKeys,
    ::testing::Values(
        ToggleRow{"Fractions", &CalculatorLogic::FractionFormatKey, 0.75, OUT_FRAC, kKeyFrac,
                  " Fractions / \xCB fractions / rationalized roots output format", "", " 3/4", " .75"},
        ToggleRow{"Sexagesimal", &CalculatorLogic::SexagesimalFormatKey, 12.3456, OUT_DMS, kKeyDms,
                  " Sexagesimal output format: Degrees, minutes and seconds of arc", "",
                  " 12\xB0 20' 44.16\"", " 12.3456"},
        ToggleRow{"Binary", &CalculatorLogic::BinaryFormatKey, 5.5, OUT_BIN, kKeyBin,
                  " Binary (base 2) output format", "", " &b 101.1", " 5.5"},
        ToggleRow{"Hexadecimal", &CalculatorLogic::HexadecimalFormatKey, -26, OUT_HEX, kKeyHex, kHexCaption, "",
                  " -&h 1A", " -26"},
        ToggleRow{"Date", &CalculatorLogic::DateFormatKey, 2454171.5, OUT_DATE, kKeyDate, kDateCaption,
                  kDateExample, " Monday, March 12th, 2007", " 2454171.5"},
        ToggleRow{"DateOutOfRangeShowsNumber", &CalculatorLogic::DateFormatKey, 2488069.5, OUT_DATE,
                  kKeyDate, kDateCaption, kDateExample, " 2488069.5", " 2488069.5"}),
    [](const auto& info) { return std::string(info.param.name); });

struct FallbackRow {
  const char* name;
  void (CalculatorLogic::*key)();
  double answer;
  const char* shown;
};

void PrintTo(const FallbackRow& r, std::ostream* os) { *os << r.name; }

class BaseKeyLimits : public OutputKeys, public ::testing::WithParamInterface<FallbackRow> {};

TEST_P(BaseKeyLimits, FallBackToNormal) {
  const FallbackRow& r = GetParam();
  engine.LastAnswer = r.answer;
  (form.*r.key)();
  EXPECT_EQ(engine.OutputMode, OUT_NORMAL);
  EXPECT_EQ(c.display, std::vector<std::string>{r.shown});
  EXPECT_EQ(c.upperMessage, kNormalCaption);
  EXPECT_EQ(c.lowerMessage, "");
  EXPECT_EQ(LitKey(), kKeyNor);
  EXPECT_TRUE(OnlyNormalChecked());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BaseKeyLimits,
    ::testing::Values(FallbackRow{"HexAtLimit", &CalculatorLogic::HexadecimalFormatKey, 1e14, " 100000000000000"},
                      FallbackRow{"HexNegativeAtLimit", &CalculatorLogic::HexadecimalFormatKey, -1e15, " -1E+15"},
                      FallbackRow{"BinaryAtLimit", &CalculatorLogic::BinaryFormatKey, 1e11, " 100000000000"},
                      FallbackRow{"BinaryNegativeBeyond", &CalculatorLogic::BinaryFormatKey, -2.5e11,
                                  " -250000000000"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OutputKeys, BaseKeysJustBelowTheirLimits) {
  engine.LastAnswer = 99999999999999;
  form.HexadecimalFormatKey();
  EXPECT_EQ(c.Shown(), " &h 5AF3107A3FFF");
  EXPECT_EQ(LitKey(), kKeyHex);
  engine.LastAnswer = 99999999999;
  form.BinaryFormatKey();
  EXPECT_EQ(c.Shown(), " &b 1011101001000011101101110011111111111");
  EXPECT_EQ(LitKey(), kKeyBin);
}

TEST_F(OutputKeys, NormalKeyShowsTheAnswerAndChecksNormal) {
  engine.LastAnswer = -0.25;
  form.ChooseFixedDecimals(3);
  PressWithShifts(&CalculatorLogic::NormalFormatKey);
  EXPECT_EQ(engine.OutputMode, OUT_NORMAL);
  EXPECT_EQ(c.display, std::vector<std::string>{" -.25"});
  EXPECT_EQ(c.upperMessage, kNormalCaption);
  EXPECT_EQ(c.lowerMessage, "");
  EXPECT_EQ(LitKey(), kKeyNor);
  EXPECT_TRUE(OnlyNormalChecked());
  EXPECT_FALSE(form.ArcShift);
  EXPECT_FALSE(form.HypShift);
}

std::vector<std::string> Captions(const std::vector<MenuEntry>& menu) {
  std::vector<std::string> out;
  for (const MenuEntry& e : menu) out.push_back(e.separator ? "---" : e.caption);
  return out;
}

std::vector<int> CheckedAt(const std::vector<MenuEntry>& menu) {
  std::vector<int> out;
  for (size_t i = 0; i < menu.size(); ++i) {
    if (menu[i].checked) out.push_back(static_cast<int>(i));
  }
  return out;
}

TEST_F(OutputKeys, FixMenuOffersDecimalsAndNormal) {
  form.FixedFormatKey();
  ASSERT_EQ(c.menus.size(), 1u);
  EXPECT_EQ(Captions(c.menus[0]),
            (std::vector<std::string>{"0 decimals", "1 decimal", "2 decimals", "3 decimals",
                                      "4 decimals", "5 decimals", "6 decimals", "7 decimals",
                                      "8 decimals", "9 decimals", "---", "Normal"}));
  EXPECT_EQ(CheckedAt(c.menus[0]), std::vector<int>{11});
}

TEST_F(OutputKeys, SciMenuOffersDigitsAndNormal) {
  form.ScientificFormatKey();
  ASSERT_EQ(c.menus.size(), 1u);
  EXPECT_EQ(Captions(c.menus[0]),
            (std::vector<std::string>{"1 digit", "2 digits", "3 digits", "4 digits", "5 digits",
                                      "6 digits", "7 digits", "8 digits", "9 digits",
                                      "10 digits", "11 digits", "12 digits", "---", "Normal"}));
  EXPECT_EQ(CheckedAt(c.menus[0]), std::vector<int>{13});
}

struct MenuPickRow {
  const char* name;
  bool sci;
  int choice;  // menu index
  double answer;
  int mode;
  int setting;  // FixDecimals or SciDigits
  const char* upperMessage;
  const char* shown;
};

void PrintTo(const MenuPickRow& r, std::ostream* os) { *os << r.name; }

class MenuPicks : public OutputKeys, public ::testing::WithParamInterface<MenuPickRow> {};

TEST_P(MenuPicks, SwitchFormatAndCaption) {
  const MenuPickRow& r = GetParam();
  engine.LastAnswer = r.answer;
  c.menuChoices = {r.choice};
  PressWithShifts(r.sci ? &CalculatorLogic::ScientificFormatKey : &CalculatorLogic::FixedFormatKey);
  EXPECT_EQ(engine.OutputMode, r.mode);
  EXPECT_EQ(r.sci ? form.SciDigits : form.FixDecimals, r.setting);
  EXPECT_EQ(c.upperMessage, r.upperMessage);
  EXPECT_EQ(c.lowerMessage, "");
  EXPECT_EQ(c.display, std::vector<std::string>{r.shown});
  EXPECT_EQ(LitKey(), r.mode == OUT_FIX ? kKeyFix : (r.mode == OUT_SCI ? kKeySci : kKeyNor));
  EXPECT_FALSE(form.ArcShift);
  EXPECT_FALSE(form.HypShift);
  EXPECT_EQ(c.focusCount, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MenuPicks,
    ::testing::Values(
        MenuPickRow{"FixNoDecimalsPlural", false, 0, 2.4, OUT_FIX, 0,
                    " Output format with 0 decimals", " 2."},
        MenuPickRow{"FixOneDecimalSingular", false, 1, 0.25, OUT_FIX, 1,
                    " Output format with 1 decimal", " 0.3"},
        MenuPickRow{"FixTwoDecimals", false, 2, -3.14159, OUT_FIX, 2,
                    " Output format with 2 decimals", " -3.14"},
        MenuPickRow{"FixNineDecimals", false, 9, 2, OUT_FIX, 9,
                    " Output format with 9 decimals", " 2.000000000"},
        MenuPickRow{"FixNormalEntry", false, 11, -0.25, OUT_NORMAL, 0, kNormalCaption, " -.25"},
        MenuPickRow{"SciOneDigitSingular", true, 0, 5, OUT_SCI, 1,
                    " Scientific notation output with 1 digit", " 5E0"},
        MenuPickRow{"SciThreeDigits", true, 2, 12345, OUT_SCI, 3,
                    " Scientific notation output with 3 digits", " 1.23E4"},
        MenuPickRow{"SciTwelveDigits", true, 11, -123456789012, OUT_SCI, 12,
                    " Scientific notation output with 12 digits", " -1.23456789012E11"},
        MenuPickRow{"SciNormalEntry", true, 13, 1.5e20, OUT_NORMAL, 0, kNormalCaption,
                    " 1.5E+20"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OutputKeys, MenuCheckMarksFollowTheFormat) {
  c.menuChoices = {3};
  form.FixedFormatKey();
  form.FixedFormatKey();  // closed without a choice: shows what is checked
  EXPECT_EQ(CheckedAt(c.menus.back()), std::vector<int>{3});
  form.ScientificFormatKey();
  EXPECT_EQ(CheckedAt(c.menus.back()), std::vector<int>{});
  c.menuChoices = {4};
  form.ScientificFormatKey();  // 5 digits
  form.FixedFormatKey();
  EXPECT_EQ(CheckedAt(c.menus.back()), std::vector<int>{});
  form.ScientificFormatKey();
  EXPECT_EQ(CheckedAt(c.menus.back()), std::vector<int>{4});
  form.SexagesimalFormatKey();
  form.ScientificFormatKey();
  EXPECT_EQ(CheckedAt(c.menus.back()), std::vector<int>{});
  form.FixedFormatKey();
  EXPECT_EQ(CheckedAt(c.menus.back()), std::vector<int>{});
  form.NormalFormatKey();
  form.FixedFormatKey();
  EXPECT_EQ(CheckedAt(c.menus.back()), std::vector<int>{11});
}

TEST_F(OutputKeys, ClosingTheMenuInAnotherFormatLeavesTheDisplay) {
  engine.LastAnswer = 255;
  form.HexadecimalFormatKey();
  const std::vector<std::string> before = c.display;
  const std::string upperMessage = c.upperMessage;
  form.FixedFormatKey();
  form.ScientificFormatKey();
  EXPECT_EQ(engine.OutputMode, OUT_HEX);
  EXPECT_EQ(c.display, before);
  EXPECT_EQ(c.upperMessage, upperMessage);
  EXPECT_EQ(LitKey(), kKeyHex);
}

TEST_F(OutputKeys, ClosingTheMenuInNormalRedrawsNormal) {
  engine.LastAnswer = 7;
  c.display = {"stale"};
  c.upperMessage = "stale";
  form.FixedFormatKey();
  EXPECT_EQ(c.display, std::vector<std::string>{" 7"});
  EXPECT_EQ(c.upperMessage, kNormalCaption);
  EXPECT_EQ(LitKey(), kKeyNor);
}

TEST_F(OutputKeys, ClosingTheMenuInItsOwnFormatDrawsAgain) {
  engine.LastAnswer = 3.14159;
  c.menuChoices = {2};
  form.FixedFormatKey();
  engine.LastAnswer = 2.71828;
  c.upperMessage = "";
  form.FixedFormatKey();
  EXPECT_EQ(c.display, std::vector<std::string>{" 2.72"});
  EXPECT_EQ(c.upperMessage, " Output format with 2 decimals");
  c.menuChoices = {1};
  form.ScientificFormatKey();
  c.upperMessage = "";
  form.ScientificFormatKey();
  EXPECT_EQ(c.display, std::vector<std::string>{" 2.7E0"});
  EXPECT_EQ(c.upperMessage, " Scientific notation output with 2 digits");
  EXPECT_EQ(engine.OutputMode, OUT_SCI);
}

TEST_F(OutputKeys, SeparatorOrUnknownIndexIsNoChoice) {
  engine.LastAnswer = 255;
  form.HexadecimalFormatKey();
  c.menuChoices = {10, 12, 99};
  form.FixedFormatKey();
  form.FixedFormatKey();
  form.ScientificFormatKey();
  EXPECT_EQ(engine.OutputMode, OUT_HEX);
  EXPECT_EQ(c.Shown(), " &h FF");
}

TEST_F(OutputKeys, MenuHandlersChangeStateOnly) {
  c.display = {"kept"};
  form.ChooseFixedDecimals(4);
  EXPECT_EQ(engine.OutputMode, OUT_FIX);
  EXPECT_EQ(form.FixDecimals, 4);
  EXPECT_TRUE(form.FixChecked[4]);
  EXPECT_FALSE(form.FixNormalChecked);
  form.ChooseScientificDigits(7);
  EXPECT_EQ(engine.OutputMode, OUT_SCI);
  EXPECT_EQ(form.SciDigits, 7);
  EXPECT_TRUE(form.SciChecked[7]);
  EXPECT_FALSE(form.FixChecked[4]);
  form.ChooseScientificNormal();
  EXPECT_EQ(engine.OutputMode, OUT_NORMAL);
  EXPECT_TRUE(OnlyNormalChecked());
  EXPECT_EQ(c.display, std::vector<std::string>{"kept"});
  EXPECT_TRUE(c.keyLit.empty());
}

struct NewAnswerRow {
  const char* name;
  void (CalculatorLogic::*key)();  // nullptr: stay normal
  std::vector<int> menuChoices;
  double answer;
  int mode;
  int lit;
  const char* upperMessage;
  const char* lowerMessage;
  const char* shown;
};

void PrintTo(const NewAnswerRow& r, std::ostream* os) { *os << r.name; }

class NewAnswer : public OutputKeys, public ::testing::WithParamInterface<NewAnswerRow> {};

TEST_P(NewAnswer, ShowsInTheFormatInForce) {
  const NewAnswerRow& r = GetParam();
  engine.LastAnswer = 1;
  c.menuChoices.assign(r.menuChoices.begin(), r.menuChoices.end());
  if (r.key) (form.*r.key)();
  engine.LastAnswer = r.answer;
  c.upperMessage = c.lowerMessage = "stale";
  form.ShowNewAnswer();
  EXPECT_EQ(engine.OutputMode, r.mode);
  EXPECT_EQ(c.display, std::vector<std::string>{r.shown});
  EXPECT_EQ(c.upperMessage, r.upperMessage);
  EXPECT_EQ(c.lowerMessage, r.lowerMessage);
  EXPECT_EQ(LitKey(), r.lit);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NewAnswer,
    ::testing::Values(
        NewAnswerRow{"Normal", nullptr, {}, 0.5, OUT_NORMAL, kKeyNor, kNormalCaption, "", " .5"},
        NewAnswerRow{"HexStaysOn", &CalculatorLogic::HexadecimalFormatKey, {}, 255, OUT_HEX, kKeyHex, kHexCaption,
                     "", " &h FF"},
        NewAnswerRow{"HexBeyondLimitEndsNormal", &CalculatorLogic::HexadecimalFormatKey, {}, 1e14, OUT_NORMAL,
                     kKeyNor, kNormalCaption, "", " 100000000000000"},
        NewAnswerRow{"BinaryStaysOn", &CalculatorLogic::BinaryFormatKey, {}, -0.75, OUT_BIN, kKeyBin,
                     " Binary (base 2) output format", "", " -&b 0.11"},
        NewAnswerRow{"BinaryBeyondLimitEndsNormal", &CalculatorLogic::BinaryFormatKey, {}, -1e11, OUT_NORMAL,
                     kKeyNor, kNormalCaption, "", " -100000000000"},
        NewAnswerRow{"FractionsStayOn", &CalculatorLogic::FractionFormatKey, {}, 2.5, OUT_FRAC, kKeyFrac,
                     " Fractions / \xCB fractions / rationalized roots output format", "",
                     " 5/2"},
        NewAnswerRow{"SexagesimalStaysOn", &CalculatorLogic::SexagesimalFormatKey, {}, -0.5, OUT_DMS, kKeyDms,
                     " Sexagesimal output format: Degrees, minutes and seconds of arc", "",
                     " -0\xB0 30' 0\""},
        NewAnswerRow{"DateStaysOn", &CalculatorLogic::DateFormatKey, {}, 2415020.5, OUT_DATE, kKeyDate,
                     kDateCaption, kDateExample, " Monday, January 1st, 1900"},
        NewAnswerRow{"DateOutOfRangeStaysDate", &CalculatorLogic::DateFormatKey, {}, 42, OUT_DATE,
                     kKeyDate, kDateCaption, kDateExample, " 42"},
        // FIX and SCI draw with empty message lines; the key stays lit.
        NewAnswerRow{"FixSilent", &CalculatorLogic::FixedFormatKey, {3}, 2, OUT_FIX, kKeyFix, "", "",
                     " 2.000"},
        NewAnswerRow{"SciSilent", &CalculatorLogic::ScientificFormatKey, {3}, 0.001, OUT_SCI, kKeySci, "", "",
                     " 1.000E-3"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OutputKeys, ToggleFormatLastsOverSeveralAnswers) {
  form.SexagesimalFormatKey();
  for (double answer : {1.0 / 7200, 12.3456, -0.5}) {
    engine.LastAnswer = answer;
    form.ShowNewAnswer();
  }
  EXPECT_EQ(engine.OutputMode, OUT_DMS);
  EXPECT_EQ(c.display, std::vector<std::string>{" -0\xB0 30' 0\""});
  EXPECT_EQ(LitKey(), kKeyDms);
}

TEST_F(OutputKeys, AnotherToggleReplacesTheFormat) {
  engine.LastAnswer = 30;
  form.HexadecimalFormatKey();
  form.BinaryFormatKey();
  EXPECT_EQ(engine.OutputMode, OUT_BIN);
  EXPECT_EQ(c.display, std::vector<std::string>{" &b 11110"});
  EXPECT_EQ(LitKey(), kKeyBin);
  c.menuChoices = {5};
  form.FixedFormatKey();
  EXPECT_EQ(engine.OutputMode, OUT_FIX);
  EXPECT_EQ(c.display, std::vector<std::string>{" 30.00000"});
  form.BinaryFormatKey();  // a toggle from FIX switches on, not off
  EXPECT_EQ(engine.OutputMode, OUT_BIN);
  EXPECT_EQ(LitKey(), kKeyBin);
}

}  // namespace
}  // namespace tarvo
