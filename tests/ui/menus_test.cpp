// The constants and help menus, the project's addresses and where the manual
// is looked for.
#include "ui/logic/menus.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "engine/state.h"
#include "tests/base/test_support.h"
#include "tests/ui/fake_controls.h"
#include "ui/logic/calculator_logic.h"
#include "ui/logic/links.h"

namespace tarvo {
namespace {

struct DescriptionCase {
  const char* name;
  int index;
  std::string expected;
};

TEST(ConstantDescription, Rules) {
  const DescriptionCase cases[] = {
      {"pi is named, not valued", 17, "N\xFAmero \xCB"},
      {"e has no bracket: caption unchanged", 18, "e constant"},
      {"ratio has no bracket: caption unchanged", 24, "Proton-electron mass ratio"},
      {"Bohr radius: value before the bracket", 25, "Bohr radius = 5.291772108E-11 [ m ]"},
      {"speed of light", 1, "Speed of light in vacuum = 299792458 [ m / s ]"},
      {"double blank before the bracket kept", 3, "Electron mass  = 9.1093826E-31 [ kg ]"},
      {"unit with signs", 7,
       "Permittivity of vacuum = 8.8541878176203899E-12 [ C\xB2 / (N \xB7 m\xB2) ]"},
      {"trailing blank kept", 15,
       "Molar volume of ideal gas at s.t.p. = 0.022413996 [ m\xB3 / mol ] "},
      {"bracket inside a parenthesised name", 22,
       "Rydberg constant (oo)  = 10973731.568525 [ 1 / m ]"},
      {"index 0 is no constant", 0, ""},
      {"index 29 is no constant", 29, ""},
      {"negative index", -1, ""},
  };
  for (const DescriptionCase& c : cases) {
    EXPECT_EQ(ConstantDescription(c.index), c.expected) << c.name;
  }
}

struct ConstantCase {
  int index;
  std::string caption;
  std::string text;
};

TEST(Constants, CaptionsAndTexts) {
  const ConstantCase cases[] = {
      {1, "Speed of light in vacuum [ m / s ]", "299792458"},
      {2, "Elementary charge [ C ]", "1.60217653E-19"},
      {8, "Permeability of vacuum [ N / A\xB2 ]", "1.2566370614359173E-06"},
      {11, "Molar gas constant [ atm \xB7 L / (mol \xB7 K) ]", "0.08205746"},
      {16, "Molar volume of ideal gas at s.t.p. [ L / mol ] ", "22.413996"},
      {17, "pi constant", "\xCB "},
      {18, "e constant", "2.7182818284590452"},
      {19, "Newtonian constant of gravitation [ N \xB7 m\xB2 / kg\xB2 ]", "6.6742E-11"},
      {21, "Stefan-Boltzmann constant [ W / (m\xB2 \xB7 K^4) ]", "5.670400E-8"},
      {23, "Rydberg constant (Hydrogen)  [ 1 / m ]", "10967758.306"},
      {26, "Standard acceleration of gravity [ m / s\xB2 ]", "9.80665"},
      {28, "Atomic mass unit [ kg ]", "1.66053886E-27"},
  };
  for (const ConstantCase& c : cases) {
    const Constant* k = FindConstant(c.index);
    ASSERT_NE(k, nullptr) << c.index;
    EXPECT_EQ(k->index, c.index);
    EXPECT_EQ(k->caption, c.caption) << c.index;
    EXPECT_EQ(k->text, c.text) << c.index;
  }
}

TEST(Constants, TableIsNumberedInOrder) {
  for (int i = 1; i <= kConstantCount; ++i) {
    ASSERT_NE(FindConstant(i), nullptr);
    EXPECT_EQ(FindConstant(i)->index, i);
  }
  EXPECT_EQ(FindConstant(0), nullptr);
  EXPECT_EQ(FindConstant(kConstantCount + 1), nullptr);
}

TEST(Menus, ConstantsEntriesFollowTheTable) {
  const std::vector<MenuEntry> entries = ConstantsMenuEntries();
  ASSERT_EQ(entries.size(), 28u);
  EXPECT_EQ(entries[0].caption, "Speed of light in vacuum [ m / s ]");
  EXPECT_EQ(entries[16].caption, "pi constant");
  EXPECT_EQ(entries[27].caption, "Atomic mass unit [ kg ]");
  for (const MenuEntry& e : entries) {
    EXPECT_FALSE(e.checked) << e.caption;
    EXPECT_FALSE(e.separator) << e.caption;
    EXPECT_FALSE(e.checkable) << e.caption;
  }
  // Two entries share a name and differ only in their unit.
  std::set<std::string> distinct;
  for (const MenuEntry& e : entries) distinct.insert(e.caption);
  EXPECT_EQ(distinct.size(), entries.size());
}

TEST(Menus, HelpEntriesInOrder) {
  const std::vector<MenuEntry> entries = HelpMenuEntries();
  ASSERT_EQ(entries.size(), static_cast<size_t>(kHelpEntryCount));
  EXPECT_EQ(entries[static_cast<int>(HelpChoice::kManual)].caption, "User's manual (PDF document)...");
  EXPECT_EQ(entries[static_cast<int>(HelpChoice::kHomePage)].caption, "Tarvo Home Page...");
  EXPECT_EQ(entries[static_cast<int>(HelpChoice::kDonate)].caption, "Make a donation...");
  EXPECT_EQ(entries[static_cast<int>(HelpChoice::kAbout)].caption, "About...");
  for (const MenuEntry& e : entries) EXPECT_FALSE(e.checkable || e.checked) << e.caption;
}

// Each inserted text must read back, through the real processing cycle, as
// the number it spells; a mistyped exponent or digit shows here.
class ConstantEntry : public test::FreshEngine {
 protected:
  test::FakeControls c;
  CalculatorLogic form{c, engine};
};

TEST_F(ConstantEntry, EveryTextEvaluatesToItsValue) {
  for (const Constant& k : kConstants) {
    c.SetEntryText("");
    InsertConstant(form, k.index);
    form.ExecuteKey();
    ASSERT_EQ(engine.ErrorCode, 0) << k.index << " " << c.upperMessage;
    const double expected = k.index == kPiConstant ? engine.Pi : std::stod(std::string(k.text));
    EXPECT_DOUBLE_EQ(engine.LastAnswer, expected) << k.index;
  }
}

TEST_F(ConstantEntry, EConstantIsDigitsNotTheVariable) {
  engine.VariableStore[4] = 3;  // even a corrupted e must not leak in
  InsertConstant(form, 18);
  EXPECT_EQ(c.entry, "2.7182818284590452");
}

struct InsertCase {
  const char* name;
  std::string before;
  int caret;
  bool resultShown;
  int index;
  std::string after;
  int caretAfter;
  std::string upperMessage;
};

TEST_F(ConstantEntry, InsertsAtTheCaretAndDescribes) {
  const InsertCase cases[] = {
      {"pi into an empty line", "", 0, false, 17, "\xCB ", 2, "N\xFAmero \xCB "},
      {"after an operator", "2\xB7", 2, false, 27, "2\xB7" "101325", 8,
       "Standard atmosphere = 101325 [ Pa ] "},
      {"in the middle", "2+3", 2, false, 1, "2+2997924583", 11,
       "Speed of light in vacuum = 299792458 [ m / s ] "},
      {"pi after a blank keeps its trailing blank", "2 ", 2, false, 17, "2 \xCB ", 4,
       "N\xFAmero \xCB "},
      {"a shown result is replaced", "5", 1, true, 13, "6.0221415E+23", 13,
       "Avogadro constant = 6.0221415E+23 [ 1 / mol ] "},
  };
  for (const InsertCase& r : cases) {
    c.SetEntryText(r.before);
    c.SetSelection(r.caret, 0);
    form.ResultShown = r.resultShown;
    InsertConstant(form, r.index);
    EXPECT_EQ(c.entry, r.after) << r.name;
    EXPECT_EQ(c.selStart, r.caretAfter) << r.name;
    EXPECT_EQ(c.upperMessage, r.upperMessage) << r.name;
    EXPECT_EQ(c.lowerMessage, " ") << r.name;
    EXPECT_FALSE(form.ResultShown) << r.name;
  }
}

TEST_F(ConstantEntry, NoChoiceChangesNothing) {
  c.SetEntryText("7");
  c.SetSelection(1, 0);
  c.upperMessage = "kept";
  form.ResultShown = true;
  InsertConstant(form, -1);  // the pop-up was closed
  EXPECT_EQ(c.entry, "7");
  EXPECT_EQ(c.upperMessage, "kept");
  EXPECT_TRUE(form.ResultShown);
}

TEST(Links, FailureTexts) {
  EXPECT_EQ(ConnectFailureText(), "Sorry, cannot connect to tarvo.example.org");
  EXPECT_EQ(ManualFailureText("/opt/tarvo/Manual_Tarvo.pdf"),
            "Can't find/open file /opt/tarvo/Manual_Tarvo.pdf");
  EXPECT_EQ(kMailFailureText, "Sorry, can't found your email client application.");
  EXPECT_EQ(kMailUrl, "mailto:" + std::string(kMailAddress));
  EXPECT_EQ(std::string(kHomePageUrl).find(kSiteName), 8u);  // after "https://"
  EXPECT_EQ(std::string(kDonationUrl).rfind(kHomePageUrl, 0), 0u);
}

struct LocateCase {
  const char* name;
  std::string programDir;
  std::set<std::string> present;
  std::string path;
  bool found;
};

TEST(Links, ManualIsLookedForBesideTheProgramFirst) {
  const LocateCase cases[] = {
      {"build tree", "/src/build/ui/qt", {"/src/build/ui/qt/Manual_Tarvo.pdf"},
       "/src/build/ui/qt/Manual_Tarvo.pdf", true},
      {"installed", "/usr/bin", {"/usr/share/doc/tarvo/Manual_Tarvo.pdf"},
       "/usr/share/doc/tarvo/Manual_Tarvo.pdf", true},
      {"both: beside wins", "/opt/t/bin",
       {"/opt/t/bin/Manual_Tarvo.pdf", "/opt/t/share/doc/tarvo/Manual_Tarvo.pdf"},
       "/opt/t/bin/Manual_Tarvo.pdf", true},
      {"trailing slash", "/usr/bin/", {"/usr/bin/Manual_Tarvo.pdf"}, "/usr/bin/Manual_Tarvo.pdf",
       true},
      {"missing: names the first place", "/usr/bin", {}, "/usr/bin/Manual_Tarvo.pdf", false},
      {"current directory", "", {"Manual_Tarvo.pdf"}, "Manual_Tarvo.pdf", true},
  };
  for (const LocateCase& r : cases) {
    std::vector<std::string> asked;
    const ManualLocation got = LocateManual(r.programDir, [&](const std::string& p) {
      asked.push_back(p);
      return r.present.count(p) != 0;
    });
    EXPECT_EQ(got.path, r.path) << r.name;
    EXPECT_EQ(got.found, r.found) << r.name;
    ASSERT_FALSE(asked.empty()) << r.name;
    EXPECT_EQ(asked.front(), ManualPathBeside(r.programDir)) << r.name;
  }
}

}  // namespace
}  // namespace tarvo
