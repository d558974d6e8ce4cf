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
