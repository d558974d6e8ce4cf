// The equation texts of an entry. Solvers take equations, not values: the
// text arguments of their calls leave the token string for the engine's
// equation-text slots, and each slot's number stands where its text was.
#pragma once

#include <string>

namespace tarvo {

struct EngineState;
class FunctionNames;

// Moves every equation text of a normalised token string into the slots,
// numbering them from 1 for the entry (EquationSlotCount counts them), and
// returns the string with the slot numbers in their place. The rows of
// `names` say which calls take texts: such as solve( a text as their first
// argument only; eq2d(, eq3d(, s2x2( and s3x3( texts only, and the string
// loses its blanks once they are moved. On failure ErrorCode is set (23
// more than nine texts, 3 an empty text or a call that never closes) and ""
// returned.
std::string MoveEquationTexts(EngineState& state, std::string tokens, const FunctionNames& names);

}  // namespace tarvo
