// The rows of the variable list: every defined variable but e, complex pairs
// written once. Shared by the list window and the console.
#pragma once

#include <string>
#include <vector>

#include "engine/variables.h"

namespace tarvo {

// The list mode of an open list, the only one the front ends ask for.
inline constexpr int kListOpen = 1;

// Rows as the list shows them ("x =  5", "a =  1 + i2"); empty unless the
// list mode is 1.
std::vector<std::string> VariableListRows(const VariableListShow& shown, int listMode);

// What "Copy" puts on the clipboard: each row followed by CR LF.
std::string VariableListClipboardText(const std::vector<std::string>& rows);

}  // namespace tarvo
