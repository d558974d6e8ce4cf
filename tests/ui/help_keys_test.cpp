// The constants, variable-list and help keys of the main window: the pop-ups
// they open, what a choice does, and the always-on-top state around the
// windows they open.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/host.h"
#include "engine/state.h"
#include "tests/base/test_support.h"
#include "tests/ui/fake_controls.h"
#include "ui/logic/calculator_logic.h"
#include "ui/logic/variable_list_logic.h"
#include "ui/logic/keypad.h"
#include "ui/logic/links.h"
#include "ui/logic/menus.h"

namespace tarvo {
namespace {

using Warnings = std::vector<std::pair<std::string, std::string>>;
using Strings = std::vector<std::string>;

constexpr int kKeyConst = 89, kKeyClearVars = 90, kKeyVarList = 91, kKeyHelp = 92;

class HelpKeys : public test::FreshEngine {
 protected:
  void SetOnTop(bool on) {
    form.AlwaysVisible = on ? -1 : 0;
    c.alwaysOnTop = on;
  }
  void PendShifts() { form.ArcShift = form.HypShift = true; }

  test::FakeControls c;
  CalculatorLogic form{c, engine};
};

// ---- Constants ------------------------------------------------------------

struct ConstantChoice {
  const char* name;
  int menuIndex;  // as the pop-up returns it: constant k is entry k - 1
  std::string entry;
  std::string upperMessage;
};

TEST_F(HelpKeys, ConstantsKeyInsertsTheChosenEntryAndDescribesIt) {
  const ConstantChoice cases[] = {
      {"first entry", 0, "299792458", "Speed of light in vacuum = 299792458 [ m / s ] "},
      {"pi: its sign, described by name", 16, "\xCB ", "N\xFAmero \xCB "},
      {"e: digits, no bracket", 17, "2.7182818284590452", "e constant "},
      {"no unit bracket", 23, "1836.15267261", "Proton-electron mass ratio "},
      {"Bohr radius", 24, "5.291772108E-11", "Bohr radius = 5.291772108E-11 [ m ] "},
      {"last entry", 27, "1.66053886E-27", "Atomic mass unit = 1.66053886E-27 [ kg ] "},
      {"unit with signs", 18, "6.6742E-11",
       "Newtonian constant of gravitation = 6.6742E-11 [ N \xB7 m\xB2 / kg\xB2 ] "},
  };
  for (const ConstantChoice& r : cases) {
    c.SetEntryText("");
    c.upperMessage.clear();
    c.menus.clear();
    PendShifts();
    const int focusBefore = c.focusCount;
    c.menuChoices = {r.menuIndex};
    form.ConstantsKey();
    ASSERT_EQ(c.menus.size(), 1u) << r.name;
    EXPECT_EQ(c.menus[0].size(), 28u) << r.name;
    EXPECT_EQ(c.entry, r.entry) << r.name;
    EXPECT_EQ(c.upperMessage, r.upperMessage) << r.name;
    EXPECT_FALSE(form.ArcShift || form.HypShift) << r.name;
    EXPECT_GT(c.focusCount, focusBefore) << r.name;
    EXPECT_FALSE(form.ResultShown) << r.name;
  }
}

TEST_F(HelpKeys, ConstantsMenuClosedWithoutAChoiceChangesNothing) {
  c.SetEntryText("12");
  c.upperMessage = "before";
  PendShifts();
  form.ConstantsKey();  // no choice queued: the pop-up returns -1
  EXPECT_EQ(c.entry, "12");
  EXPECT_EQ(c.upperMessage, "before");
  EXPECT_FALSE(form.ArcShift || form.HypShift);
  EXPECT_EQ(c.focusCount, 1);
}

TEST_F(HelpKeys, ConstantsKeyOnTheKeypadOpensTheMenu) {
  c.menuChoices = {26};
  form.ClickKey(kKeyConst);
  ASSERT_EQ(c.menus.size(), 1u);
  EXPECT_EQ(c.menus[0][0].caption, "Speed of light in vacuum [ m / s ]");
  EXPECT_EQ(c.entry, "101325");
}

TEST_F(HelpKeys, ChosenConstantEvaluates) {
  c.menuChoices = {16};
  form.ConstantsKey();
  form.ExecuteKey();
  EXPECT_EQ(engine.ErrorCode, 0);
  EXPECT_DOUBLE_EQ(engine.LastAnswer, engine.Pi);
}

// ---- Variable list --------------------------------------------------------

struct OnTopCase {
  const char* name;
  bool onTopBefore;
};

TEST_F(HelpKeys, VariableListKeyDropsAndRestoresAlwaysOnTop) {
  const OnTopCase cases[] = {{"was on top", true}, {"was not on top", false}};
  for (const OnTopCase& r : cases) {
    c.onTopWhenOpened.clear();
    SetOnTop(r.onTopBefore);
    form.ListMode = 0;
    PendShifts();
    const int focusBefore = c.focusCount;
    int listModeWhileOpen = -1;
    c.whileListOpen = [&] { listModeWhileOpen = form.ListMode; };
    form.VariableListKey();
    ASSERT_EQ(c.onTopWhenOpened.size(), 1u) << r.name;
    EXPECT_FALSE(c.onTopWhenOpened[0]) << r.name;
    EXPECT_EQ(c.alwaysOnTop, r.onTopBefore) << r.name;
    EXPECT_EQ(form.AlwaysVisible != 0, r.onTopBefore) << r.name;
    EXPECT_EQ(listModeWhileOpen, 1) << r.name;
    EXPECT_FALSE(form.ArcShift || form.HypShift) << r.name;
    EXPECT_GT(c.focusCount, focusBefore) << r.name;
  }
}

TEST_F(HelpKeys, VariableListKeyOnTheKeypadOpensTheWindowOnce) {
  form.ClickKey(kKeyVarList);
  EXPECT_EQ(c.varListWindows, 1);
}

// A list window that records its rows and closes at once.
class RecordingList : public VarListControls {
 public:
  void ClearList() override { rows.clear(); }
  void AddRow(const std::string& row) override { rows.push_back(row); }
  void SetButtonEnabled(VarListButton, bool) override {}
  void SetButtonLook(VarListButton, Rgb, int, int) override {}
  void SetClipboardText(const std::string&) override {}
  void SetDefaultPointer() override {}
  void CloseWindow() override {}
  Strings rows;
};

// The engine asks the window's host; the window answers with VariableListKey.
struct ListingHost : EngineHost {
  void ShowVariableList() override { form->VariableListKey(); }
  CalculatorLogic* form = nullptr;
};

struct SolverCase {
  const char* name;
  std::string entry;
  Strings rows;
};

TEST_F(HelpKeys, SolversShowTheirRootsInTheListWindow) {
  const SolverCase cases[] = {
      {"real roots", "EQ2D(x\xB2+6=5x)", {"a =  3", "b =  2"}},
      {"complex pair 1 +- 2i", "EQ2D(x^2-2x+5)", {"a =  1 + i2", "b =  1 - i2"}},
      {"pair +- i", "EQ2D(x^2+1)", {"a =  i", "b = -i"}},
      {"cubic with a pair in b and c", "EQ3D(x^3-1)",
       {"a =  1", "b = -0.5 + i0.866025403784439", "c = -0.5 - i0.866025403784439"}},
  };
  ListingHost host;
  Engine engine(host);
  CalculatorLogic form(c, engine);
  host.form = &form;
  for (const SolverCase& r : cases) {
    Strings shown;
    c.whileListOpen = [&] {
      RecordingList controls;
      VariableListLogic list(controls, engine, form.ListMode);
      list.StartSession();
      shown = controls.rows;
      list.EndSession();
    };
    c.SetEntryText("");
    c.Type(r.entry);
    form.ExecuteKey();
    EXPECT_EQ(engine.ErrorCode, 0) << r.name << ": " << c.upperMessage;
    EXPECT_EQ(shown, r.rows) << r.name;
    EXPECT_EQ(engine.ComplexMarker, 0) << r.name;  // dropped when the list closed
  }
}

TEST_F(HelpKeys, ClearVariablesKey) {
  engine.VariableStore['x' - 'a'] = 4;
  engine.DefinedFlag['x' - 'a'] = kDefined;
  c.lowerMessage = "old";
  PendShifts();
  form.ClickKey(kKeyClearVars);
  EXPECT_EQ(engine.DefinedFlag['x' - 'a'], kUndefined);
  EXPECT_EQ(engine.VariableStore['x' - 'a'], 0);
  EXPECT_DOUBLE_EQ(engine.VariableStore['e' - 'a'], std::exp(1.0));
  EXPECT_EQ(c.upperMessage, " Variables were cleared");
  EXPECT_EQ(c.lowerMessage, "");
  EXPECT_FALSE(form.ArcShift || form.HypShift);
}

// ---- Help -----------------------------------------------------------------

struct HelpCase {
  const char* name;
  int choice;
  std::set<std::string> files;
  bool desktopAccepts;
  Strings opened;
  Warnings warnings;
  int aboutBoxes;
  bool onTopAfter;  // the window was on top before
};

TEST_F(HelpKeys, HelpMenuChoices) {
  const std::string beside = "/opt/tarvo/bin/Manual_Tarvo.pdf";
  const std::string installed = "/opt/tarvo/share/doc/tarvo/Manual_Tarvo.pdf";
  const std::string site = "Sorry, cannot connect to tarvo.example.org";
  const HelpCase cases[] = {
      {"manual beside the program", 0, {beside}, true, {beside}, {}, 0, false},
      {"manual installed", 0, {installed}, true, {installed}, {}, 0, false},
      {"manual missing: the full path tried", 0, {}, true, {}, {{"Error", "Can't find/open file " + beside}}, 0,
       false},
      {"manual there, no program opens it", 0, {beside}, false, {beside},
       {{"Error", "No program to open PDF files was found. The manual is the file " + beside}}, 0, false},
      {"home page", 1, {}, true, {std::string(kHomePageUrl)}, {}, 0, true},
      {"home page unreachable", 1, {}, false, {std::string(kHomePageUrl)}, {{"Tarvo", site}}, 0, true},
      {"donation page", 2, {}, true, {std::string(kDonationUrl)}, {}, 0, true},
      {"donation page unreachable", 2, {}, false, {std::string(kDonationUrl)}, {{"Tarvo", site}}, 0, true},
      {"about box", 3, {}, true, {}, {}, 1, true},
      {"menu closed", -1, {beside}, true, {}, {}, 0, true},
  };
  for (const HelpCase& r : cases) {
    test::FakeControls fresh;
    CalculatorLogic help(fresh, engine);
    help.AlwaysVisible = -1;
    fresh.alwaysOnTop = true;
    fresh.programDir = "/opt/tarvo/bin";
    fresh.files = r.files;
    fresh.desktopAccepts = r.desktopAccepts;
    fresh.menuChoices = {r.choice};
    help.ArcShift = help.HypShift = true;
    help.HelpKey();
    ASSERT_EQ(fresh.menus.size(), 1u) << r.name;
    EXPECT_EQ(fresh.menus[0].size(), 4u) << r.name;
    EXPECT_EQ(fresh.opened, r.opened) << r.name;
    EXPECT_EQ(fresh.warnings, r.warnings) << r.name;
    EXPECT_EQ(fresh.aboutBoxes, r.aboutBoxes) << r.name;
    EXPECT_EQ(fresh.alwaysOnTop, r.onTopAfter) << r.name;
    EXPECT_EQ(help.AlwaysVisible != 0, r.onTopAfter) << r.name;
    EXPECT_FALSE(help.ArcShift || help.HypShift) << r.name;
  }
}

TEST_F(HelpKeys, AboutBoxOpensBelowNoWindowKeptOnTop) {
  SetOnTop(true);
  c.menuChoices = {static_cast<int>(HelpChoice::kAbout)};
  form.ClickKey(kKeyHelp);
  ASSERT_EQ(c.onTopWhenOpened, std::vector<bool>{false});
  EXPECT_TRUE(c.alwaysOnTop);
}

struct F1Case {
  const char* name;
  int keyCode;
  int shift;
  int manualsOpened;
};

TEST_F(HelpKeys, F1OpensTheManual) {
  const F1Case cases[] = {
      {"F1", 112, 0, 1},
      {"F1 with Shift", 112, 1, 1},
      {"F2", 113, 0, 0},
      {"a letter", 'P', 0, 0},
  };
  for (const F1Case& r : cases) {
    c.opened.clear();
    c.programDir = "/usr/bin";
    c.files = {"/usr/bin/Manual_Tarvo.pdf"};
    form.EntryKeyDown(r.keyCode, r.shift);
    EXPECT_EQ(static_cast<int>(c.opened.size()), r.manualsOpened) << r.name;
  }
}

}  // namespace
}  // namespace tarvo
