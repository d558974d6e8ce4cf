// The constants menu: each constant's description and caption.
#include "ui/logic/menus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvo {
namespace {

TEST(ConstantDescription, ValueGoesBeforeEachBracket) {
  const std::pair<int, std::string> rows[] = {
      {17, "N\xFAmero \xCB"},  // pi is named, not valued
      {18, "e constant"},      // no bracket: the caption as it is
      {25, "Bohr radius = 5.291772108E-11 [ m ]"},
      {3, "Electron mass  = 9.1093826E-31 [ kg ]"},
      {15, "Molar volume of ideal gas at s.t.p. = 0.022413996 [ m\xB3 / mol ] "},
      {22, "Rydberg constant (oo)  = 10973731.568525 [ 1 / m ]"},
      {0, ""}, {29, ""}, {-1, ""},
  };
  for (const auto& [index, text] : rows) EXPECT_EQ(ConstantDescription(index), text) << index;
  const std::vector<MenuEntry> menu = ConstantsMenuEntries();
  ASSERT_EQ(menu.size(), static_cast<size_t>(kConstantCount));
  for (const Constant& c : kConstants) EXPECT_EQ(menu[static_cast<size_t>(c.index - 1)].caption, c.caption);
}

}  // namespace
}  // namespace tarvo

namespace tarvo {
namespace {

// Digits typed in a menu of counts choose the count they spell, at once
// when no longer count begins with them.
TEST(CountTyped, DigitsChooseTheirCount) {
  const std::vector<std::string_view> fixed = {"0 decimals", "1 decimal", "2 decimals", "9 decimals", "", "Normal"};
  const std::vector<std::string_view> scientific = {"1 digit", "2 digits", "9 digits", "10 digits", "11 digits",
                                                    "12 digits", "", "Normal"};
  struct Row {
    const std::vector<std::string_view>* menu;
    std::string_view typed;
    int entry;
    bool final;
  };
  const Row rows[] = {
      {&fixed, "0", 0, true},       {&fixed, "1", 1, true},        {&fixed, "9", 3, true},
      {&fixed, "5", -1, false},     {&fixed, "", -1, false},       {&fixed, "10", -1, false},
      {&scientific, "1", 0, false},  // 10, 11 and 12 begin with it too
      {&scientific, "12", 5, true}, {&scientific, "10", 3, true},  {&scientific, "2", 1, true},
      {&scientific, "0", -1, false}, {&scientific, "13", -1, false},
  };
  for (const Row& r : rows) {
    const TypedCount t = CountTyped(*r.menu, r.typed);
    EXPECT_EQ(t.entry, r.entry) << r.typed;
    EXPECT_EQ(t.final, r.final) << r.typed;
  }
  const std::vector<std::string_view> constants = {"Speed of light in vacuum [ m / s ]", "pi constant"};
  EXPECT_EQ(CountTyped(constants, "1").entry, -1);
}

}  // namespace
}  // namespace tarvo
