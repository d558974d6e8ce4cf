// The variable list: its rows, and its window's buttons, Copy, Clear and
// what closing it leaves behind.
#include "ui/logic/variable_list_logic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/calculator.h"
#include "core/variable_rows.h"

namespace tarvo {
namespace {

using Rows = std::vector<std::string>;

// The variables as a list shows them: `values` defined, the rest preset.
VariableListShow Shown(int marker, std::initializer_list<std::pair<char, double>> values) {
  VariableListShow shown;
  shown.values = PresetValues();
  shown.flags = PresetFlags();
  shown.complexMarker = marker;
  for (const auto& [letter, value] : values) {
    shown.values[static_cast<size_t>(letter - 'a')] = value;
    shown.flags[static_cast<size_t>(letter - 'a')] = kDefined;
  }
  return shown;
}

// A started calculator with the variables the entries assign.
void Assign(Calculator& calculator, std::initializer_list<const char*> entries) {
  calculator.Start("");
  for (const char* entry : entries) ASSERT_EQ(calculator.Calculate(entry).outcome, CycleResult::Outcome::kAnswer) << entry;
}

TEST(VariableList, Rows) {
  struct Row { int marker; std::initializer_list<std::pair<char, double>> values; Rows rows; };
  const Row rows[] = {
      {0, {}, {}},
      {0, {{'x', 5}, {'y', -0.25}, {'z', -0.0}}, {"x =  5", "y = -0.25", "z =  0"}},
      {0, {{'x', 1.0 / 3}, {'y', 1.5e20}, {'z', -1.5e-7}}, {"x =  0.333333333333333", "y =  1.5E+20", "z = -1.5E-07"}},
      {0, {{'e', 2.5}, {'f', 1}, {'i', 2}}, {"f =  1", "i =  2"}},  // e never, i alone plain
      {2, {{'a', 1}, {'b', 1}, {'i', 2}, {'c', 7}}, {"a =  1 + i2", "b =  1 - i2", "c =  7"}},
      {2, {{'a', 3}, {'b', 3}, {'i', 1}}, {"a =  3 + i", "b =  3 - i"}},
      {2, {{'a', 0}, {'b', 0}, {'i', 2.5}}, {"a =  i2.5", "b = -i2.5"}},
      {2, {{'a', -0.5}, {'b', -0.5}, {'i', 0.5}}, {"a = -0.5 + i0.5", "b = -0.5 - i0.5"}},
      {2, {{'a', 1}, {'b', 1}, {'i', 0}}, {"a =  1", "b =  1"}},  // i zero: plain, i hidden
      {3, {{'a', 1}, {'b', -0.5}, {'c', -0.5}, {'i', 0.8}}, {"a =  1", "b = -0.5 + i0.8", "c = -0.5 - i0.8"}},
      {3, {{'a', -2}, {'b', 0}, {'c', 0}, {'i', 1}}, {"a = -2", "b =  i", "c = -i"}},
  };
  for (const Row& r : rows) {
    VariableListShow shown = Shown(r.marker, r.values);
    shown.values['q' - 'a'] = 9;  // a value without its flag is not listed
    EXPECT_EQ(VariableListRows(shown, kListOpen), r.rows) << r.marker << " " << r.rows.size();
    EXPECT_TRUE(VariableListRows(shown, 0).empty());
  }
}

struct FakeList : VarListControls {
  void ClearList() override { rows.clear(); }
  void AddRow(const std::string& row) override { rows.push_back(row); }
  void SetButtonEnabled(VarListButton b, bool on) override { enabled[b] = on; }
  void SetButtonLook(VarListButton b, Rgb color, int left, int top) override { look[b] = {color, {left, top}}; }
  void SetClipboardText(const std::string& text) override { clipboard.push_back(text); }
  void SetDefaultPointer() override { ++pointerResets; }
  void CloseWindow() override { ++closes; }
  Rows rows, clipboard;
  std::map<VarListButton, bool> enabled;
  std::map<VarListButton, std::pair<Rgb, std::pair<int, int>>> look;
  int pointerResets = 0, closes = 0;
};

TEST(VariableListWindow, ButtonsCopyClearAndClose) {
  Calculator calculator;
  Assign(calculator, {"a=-1", "b=-1", "i=2", "z=1e20"});
  FakeList c;
  // A solver's roots as it left them: a complex pair.
  VariableListLogic list(c, calculator, kListOpen, Shown(2, {{'a', -1}, {'b', -1}, {'i', 2}, {'z', 1e20}}));
  list.StartSession();
  EXPECT_TRUE(c.enabled[VarListButton::kCopy] && c.enabled[VarListButton::kClear]);
  list.ClickCopy();
  EXPECT_EQ(c.clipboard, Rows{"a = -1 + i2\r\nb = -1 - i2\r\nz =  1E+20\r\n"});
  list.ClickClear();
  EXPECT_TRUE(c.rows.empty());
  EXPECT_FALSE(c.enabled[VarListButton::kCopy] || c.enabled[VarListButton::kClear]);
  EXPECT_EQ(calculator.Variables().flags['z' - 'a'], kUndefined);
  EXPECT_DOUBLE_EQ(calculator.Variables().values['e' - 'a'], std::exp(1.0));  // e survives
  list.ClickCopy();  // an empty list leaves the clipboard alone
  EXPECT_EQ(c.clipboard.size(), 1u);
  for (const auto& [b, left] : {std::pair{VarListButton::kCopy, 228}, {VarListButton::kClear, 289}, {VarListButton::kExit, 348}}) {
    list.PressButton(b);
    EXPECT_EQ(c.look[b], std::make_pair(Rgb{128, 128, 255}, std::make_pair(left + 1, 9)));
    list.ReleaseButton(b);
    EXPECT_EQ(c.look[b], std::make_pair(Rgb{0, 0, 192}, std::make_pair(left, 8)));
  }
  for (KeyCode key : {KeyCode::kOther, KeyCode::kF1, KeyCode::kControl}) list.WindowKeyDown(key);
  EXPECT_EQ(c.closes, 0);
  list.WindowKeyDown(KeyCode::kEscape);
  list.ClickExit();
  EXPECT_EQ(c.closes, 2);
  list.WindowActivated();
  EXPECT_EQ(c.pointerResets, 1);
  // Closing a list that showed a cubic's complex pair leaves plain numbers.
  calculator.Calculate("eq3d(x^3=1)");
  EXPECT_EQ(calculator.Variables().complexMarker, 3);
  list.EndSession();
  EXPECT_EQ(calculator.Variables().complexMarker, 0);
}

TEST(VariableListWindow, ClearActsOnlyInAnOpenList) {
  for (int mode : {0, 2}) {
    Calculator calculator;
    Assign(calculator, {"x=3"});
    FakeList c;
    VariableListLogic list(c, calculator, mode);
    list.StartSession();
    list.ClickClear();
    EXPECT_EQ(calculator.Variables().flags['x' - 'a'], kDefined) << mode;
  }
}

}  // namespace
}  // namespace tarvo
