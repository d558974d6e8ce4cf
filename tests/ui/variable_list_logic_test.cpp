// The variable list window's logic: its rows and buttons, Copy, Clear, and
// what closing it leaves behind.
#include "ui/logic/variable_list_logic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/state.h"
#include "tests/base/test_support.h"

namespace tarvo {
namespace {

using Rows = std::vector<std::string>;
using Assignments = std::initializer_list<std::pair<char, double>>;

struct Look {
  Rgb color;
  int left, top;
  friend bool operator==(const Look&, const Look&) = default;
};

class FakeList : public VarListControls {
 public:
  void ClearList() override {
    rows.clear();
    ++clears;
  }
  void AddRow(const std::string& row) override { rows.push_back(row); }
  void SetButtonEnabled(VarListButton b, bool on) override { enabled[b] = on; }
  void SetButtonLook(VarListButton b, Rgb color, int left, int top) override { look[b] = {color, left, top}; }
  void SetClipboardText(const std::string& text) override {
    clipboard = text;
    ++clipboardWrites;
  }
  void SetDefaultPointer() override { ++pointerResets; }
  void CloseWindow() override { ++closes; }

  Rows rows;
  int clears = 0;
  std::map<VarListButton, bool> enabled;
  std::map<VarListButton, Look> look;
  std::string clipboard;
  int clipboardWrites = 0;
  int pointerResets = 0;
  int closes = 0;
};

class VarListWindow : public test::FreshEngine {
 protected:
  void Define(Assignments values) {
    for (const auto& [letter, value] : values) {
      engine.VariableStore[static_cast<size_t>(letter - 'a')] = value;
      engine.DefinedFlag[static_cast<size_t>(letter - 'a')] = kDefined;
    }
  }
  FakeList c;
  VariableListLogic list{c, engine, 1};
};

struct LoadCase {
  const char* name;
  int listMode;
  int marker;
  Assignments values;
  Rows rows;
  bool buttons;  // Copy and Clear enabled
};

TEST_F(VarListWindow, LoadFillsTheListAndEnablesTheButtons) {
  const LoadCase cases[] = {
      {"nothing defined", 1, 0, {}, {}, false},
      {"e alone is not a row", 1, 0, {{'e', std::exp(1.0)}}, {}, false},
      {"plain values", 1, 0, {{'x', 2.5}, {'y', -0.25}}, {"x =  2.5", "y = -0.25"}, true},
      {"quadratic pair", 1, 2, {{'a', 1}, {'b', 1}, {'i', 2}}, {"a =  1 + i2", "b =  1 - i2"}, true},
      {"quadratic pair +- i", 1, 2, {{'a', 0}, {'b', 0}, {'i', 1}}, {"a =  i", "b = -i"}, true},
      {"cubic pair", 1, 3, {{'a', 2}, {'b', 0.5}, {'c', 0.5}, {'i', 1.5}},
       {"a =  2", "b =  0.5 + i1.5", "c =  0.5 - i1.5"}, true},
      {"pair already dropped: i listed", 1, 0, {{'a', 1}, {'b', 1}, {'i', 2}},
       {"a =  1", "b =  1", "i =  2"}, true},
      {"list mode not 1: nothing", 0, 0, {{'x', 1}}, {}, false},
  };
  for (const LoadCase& r : cases) {
    engine.Reset();
    engine.ComplexMarker = r.marker;
    Define(r.values);
    FakeList controls;
    VariableListLogic window(controls, engine, r.listMode);
    window.StartSession();
    EXPECT_EQ(controls.rows, r.rows) << r.name;
    EXPECT_EQ(window.Rows(), r.rows) << r.name;
    EXPECT_EQ(controls.enabled[VarListButton::kCopy], r.buttons) << r.name;
    EXPECT_EQ(controls.enabled[VarListButton::kClear], r.buttons) << r.name;
    EXPECT_EQ(controls.clears, 1) << r.name;
  }
}

TEST_F(VarListWindow, CopyPutsEveryRowWithCrLf) {
  engine.ComplexMarker = 2;
  Define({{'a', -1}, {'b', -1}, {'i', 2}, {'z', 1e20}});
  list.StartSession();
  list.ClickCopy();
  EXPECT_EQ(c.clipboard, "a = -1 + i2\r\nb = -1 - i2\r\nz =  1E+20\r\n");
  EXPECT_EQ(c.clipboardWrites, 1);
}

TEST_F(VarListWindow, CopyOfAnEmptyListLeavesTheClipboard) {
  list.StartSession();
  list.ClickCopy();
  EXPECT_EQ(c.clipboardWrites, 0);
}

struct ClearCase {
  const char* name;
  int listMode;
  bool cleared;
};

TEST_F(VarListWindow, ClearActsOnlyInListModeOne) {
  const ClearCase cases[] = {{"list mode 1", 1, true}, {"list mode 0", 0, false}, {"list mode 2", 2, false}};
  for (const ClearCase& r : cases) {
    engine.Reset();
    Define({{'x', 3}, {'y', 4}});
    FakeList controls;
    VariableListLogic window(controls, engine, r.listMode);
    window.StartSession();
    window.ClickClear();
    EXPECT_EQ(engine.DefinedFlag['x' - 'a'] == kUndefined, r.cleared) << r.name;
    EXPECT_EQ(engine.VariableStore['y' - 'a'] == 0, r.cleared) << r.name;
    EXPECT_DOUBLE_EQ(engine.VariableStore['e' - 'a'], std::exp(1.0)) << r.name;
    EXPECT_EQ(engine.DefinedFlag['e' - 'a'], kDefined) << r.name;
    EXPECT_EQ(controls.clears, 2) << r.name;  // refilled either way
  }
}

TEST_F(VarListWindow, ClearEmptiesTheListAndDisablesTheButtons) {
  Define({{'x', 3}});
  list.StartSession();
  ASSERT_TRUE(c.enabled[VarListButton::kCopy]);
  list.ClickClear();
  EXPECT_TRUE(c.rows.empty());
  EXPECT_FALSE(c.enabled[VarListButton::kCopy]);
  EXPECT_FALSE(c.enabled[VarListButton::kClear]);
}

TEST_F(VarListWindow, UnloadDropsTheComplexPair) {
  engine.ComplexMarker = 3;
  list.StartSession();
  list.EndSession();
  EXPECT_EQ(engine.ComplexMarker, 0);
}

struct KeyCase {
  const char* name;
  int keyCode;
  int closes;
};

TEST_F(VarListWindow, EscapeClosesOtherKeysDoNot) {
  const KeyCase cases[] = {{"Escape", 27, 1}, {"Enter", 13, 0}, {"letter", 'X', 0}, {"F1", 112, 0}};
  for (const KeyCase& r : cases) {
    c.closes = 0;
    list.WindowKeyDown(r.keyCode);
    EXPECT_EQ(c.closes, r.closes) << r.name;
  }
}

TEST_F(VarListWindow, ExitCloses) {
  list.ClickExit();
  EXPECT_EQ(c.closes, 1);
}

TEST_F(VarListWindow, ActivateResetsThePointer) {
  list.WindowActivated();
  EXPECT_EQ(c.pointerResets, 1);
}

struct ButtonCase {
  const char* name;
  VarListButton button;
  Look pressed, released;
};

TEST_F(VarListWindow, ButtonsPressedAndReleased) {
  const Rgb light{128, 128, 255}, dark{0, 0, 192};
  const ButtonCase cases[] = {
      {"Copy", VarListButton::kCopy, {light, 229, 9}, {dark, 228, 8}},
      {"Clear", VarListButton::kClear, {light, 290, 9}, {dark, 289, 8}},
      {"Exit", VarListButton::kExit, {light, 349, 9}, {dark, 348, 8}},
  };
  for (const ButtonCase& r : cases) {
    list.PressButton(r.button);
    EXPECT_EQ(c.look[r.button], r.pressed) << r.name;
    list.ReleaseButton(r.button);
    EXPECT_EQ(c.look[r.button], r.released) << r.name;
  }
}

}  // namespace
}  // namespace tarvo
