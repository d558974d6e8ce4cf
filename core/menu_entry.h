// An entry of a pop-up menu, as the output format offers its FIX and SCI
// menus and the window its constants and help menus.
#pragma once

#include <string>

namespace tarvo {

// One entry of a pop-up menu; a separator has no caption. Entries of a menu
// that only runs commands (constants, help) carry no check box.
struct MenuEntry {
  std::string caption;
  bool checked = false;
  bool separator = false;
  bool checkable = true;
};

}  // namespace tarvo
