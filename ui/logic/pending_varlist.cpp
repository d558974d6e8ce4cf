// TEMPORARY: placeholder until the variable list rows land; delete with them.
#include "ui/logic/varlist.h"
namespace tarvo {
std::vector<std::string> VariableListRows() { return {}; }
std::string VariableListClipboardText(const std::vector<std::string>&) { return {}; }
}  // namespace tarvo
