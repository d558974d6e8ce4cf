// Expression preparation: the typed text of the entry line (Windows-1252
// bytes, with the entry line's symbol letters) becomes the token string that
// the evaluator reads.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {

class Engine;

// The whole normaliser, every pass in order. On success a token string
// ending with ":"; on failure the empty text with ErrorCode set (after a
// splitter failure the remaining passes still run over what the splitter
// returned, and the caller discards the result because ErrorCode is set).
// Returns "" at once, ErrorCode unchanged, when entered with an error recorded.
// An unbalanced "(" is closed with a beep through the engine host.
std::string NormalizeExpression(Engine& engine, std::string_view text);

// Marks the first separator at each multi-argument call's own level with the
// ArgumentMark (code 29). Length-preserving. On an unclosed call or a call
// with one argument: ErrorCode 3 and the empty text (inside a first argument:
// that argument becomes empty and the rest goes on). Calls nested more than
// 200 deep in first arguments: ErrorCode 1 and the empty text, as is every
// fault inside NormalizeExpression.
std::string SplitArgumentLists(Engine& engine, std::string_view text);

}  // namespace tarvo
