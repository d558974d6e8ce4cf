// The functions of the expression language, one row each (FunctionRow):
// the table the normaliser reads the names from and the evaluator applies
// the tokens by.
#pragma once

#include <span>

#include "engine/tokens.h"

namespace tarvo {

inline constexpr int kFunctionCount = 114;

// Every row, in the order the normaliser replaces the names.
std::span<const FunctionRow> FunctionTable();

// The function a token code stands for (its first row); nullptr for a code
// that no row has.
const FunctionRow* FunctionOf(int code);

}  // namespace tarvo
