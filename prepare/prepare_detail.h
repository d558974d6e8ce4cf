// Shared between the normaliser and the argument splitter; not part of the
// module's interface.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {
class Engine;
class FunctionNames;
}  // namespace tarvo

namespace tarvo::detail {

// An arithmetic or resource fault inside expression preparation. It unwinds
// to the public entry point, which reports ErrorCode 1 and yields the empty
// text: no partially normalised text ever escapes.
struct NormalizeFault {};

// Calls nested deeper than this in first arguments are treated as the stack
// exhaustion they would have caused: a NormalizeFault. 200 levels is far
// beyond any expression a person types on one entry line.
inline constexpr int kMaxSplitDepth = 200;

// A backstop on the splitter's total work: more recursive calls than this
// many per character of the text is a NormalizeFault. A text whose calls are
// all written name-and-"(" makes at most one call per call token.
inline constexpr long kMaxSplitCallsPerChar = 2;
inline constexpr long kMaxSplitCallsExtra = 64;

// SplitArgumentLists, except that a fault throws NormalizeFault rather than
// being reported: the normaliser's own handler reports it.
std::string SplitArgumentListsOrFault(Engine& engine, std::string_view text, const FunctionNames& names);

}  // namespace tarvo::detail
