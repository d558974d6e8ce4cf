// Expression preparation: the typed text of the entry line (Windows-1252
// bytes, with the entry line's symbol letters) becomes the token string that
// the evaluator reads.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "engine/tokens.h"

namespace tarvo {

class Engine;

namespace detail {
struct NameSets;
}  // namespace detail

// A function table's names as the normaliser finds them, with the sets that
// let it pass over the names a text cannot hold. Made once per table (the
// engine's, or a test's); the table must outlive it.
class FunctionNames {
 public:
  explicit FunctionNames(std::span<const FunctionRow> table);
  ~FunctionNames();
  FunctionNames(const FunctionNames&) = delete;
  FunctionNames& operator=(const FunctionNames&) = delete;

  const detail::NameSets& Sets() const { return *sets_; }

 private:
  std::unique_ptr<const detail::NameSets> sets_;
};

// The whole normaliser, every pass in order, with the names of `names`. On
// success a token string ending with ":"; on failure the empty text with
// ErrorCode set (after a splitter failure the remaining passes still run
// over what the splitter returned, and the caller discards the result
// because ErrorCode is set). Returns "" at once, ErrorCode unchanged, when
// entered with an error recorded. An unbalanced "(" is closed, and the
// engine's requests of the entry ask for a beep.
std::string NormalizeExpression(Engine& engine, std::string_view text, const FunctionNames& names);

// Marks the first separator at each multi-argument call's own level with the
// ArgumentMark (code 29). Length-preserving. On an unclosed call or a call
// with one argument: ErrorCode 3 and the empty text (inside a first argument:
// that argument becomes empty and the rest goes on). Calls nested more than
// 200 deep in first arguments: ErrorCode 1 and the empty text, as is every
// fault inside NormalizeExpression.
std::string SplitArgumentLists(Engine& engine, std::string_view text, const FunctionNames& names);

}  // namespace tarvo
