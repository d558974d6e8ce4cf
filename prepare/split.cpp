// The argument splitter: in every multi-argument call the first separator at
// the call's own level becomes the ArgumentMark, which is where the evaluator
// starts the call's argument list.
#include <string>
#include <string_view>

#include "engine/bytes.h"
#include "engine/errors.h"
#include "engine/state.h"
#include "engine/tokens.h"
#include "prepare/normalize.h"
#include "prepare/prepare_detail.h"

namespace tarvo {
namespace detail {
namespace {

const char kArgumentMark = static_cast<char>(kTokArgumentMark);

// Position (1-based, in rest) of the ")" that closes a call whose "(" stands
// just before rest; 0 when the call is never closed.
long ClosingPosition(std::string_view rest) {
  long depth = 1;
  for (long j = 1; j <= static_cast<long>(rest.size()); ++j) {
    const char c = rest[static_cast<size_t>(j - 1)];
    if (c == '(') ++depth;
    else if (c == ')') --depth;
    if (depth == 0) return j;
  }
  return 0;
}

// Position of the first "," or ArgumentMark at the call's own level; 0 when
// the call has a single argument. A mark already present is accepted, so a
// call marked once is left as it is.
long FirstSeparator(std::string_view args) {
  long depth = 0;
  for (long k = 1; k <= static_cast<long>(args.size()); ++k) {
    const char c = args[static_cast<size_t>(k - 1)];
    if (c == '(') ++depth;
    else if (c == ')') --depth;
    if (depth == 0 && (c == ',' || c == kArgumentMark)) return k;
  }
  return 0;
}

// The pieces are not trimmed of blanks: the normaliser removes every blank
// before it calls here, and trimming would break the length-preserving walk.
std::string SplitAt(std::string_view text, int depth, long& callsLeft) {
  if (depth > kMaxSplitDepth || --callsLeft < 0) throw NormalizeFault{};
  std::string t(text);
  const long length = static_cast<long>(t.size());
  for (long i = 1; i <= length; ++i) {
    // The text shrinks when a nested call fails (its first argument is
    // dropped); At() gives '\0' past the end, which is no token.
    if (!IsParenFunctionToken(At(t, i))) continue;
    // Character i + 1 is taken to be the call's "(" whatever it is.
    const std::string head = Left(t, i + 1);
    const std::string rest = Mid(t, i + 2);
    const long j = ClosingPosition(rest);
    if (j == 0) {
      State().ErrorCode = kErrSyntax;
      return {};
    }
    const std::string tail = Mid(rest, j);
    std::string args = Left(rest, j - 1);
    const long k = FirstSeparator(args);
    if (k == 0) {
      State().ErrorCode = kErrSyntax;
      return {};
    }
    args[static_cast<size_t>(k - 1)] = kArgumentMark;
    // A failure inside the first argument leaves it empty and ErrorCode 3 set;
    // this call and the rest of the text go on.
    const std::string first = SplitAt(Left(args, k - 1), depth + 1, callsLeft);
    const std::string others = Mid(args, k);
    t = head + first + others + tail;
    // Every call inside the first argument has just been handled by the
    // recursion, and a second visit would change nothing (its separator is
    // already the mark, its own first argument already split). Visiting them
    // anyway repeats each nested level's work for every enclosing level, so
    // the cost doubles with each level of nesting. The skip is exact only
    // when character i + 1 is not itself a call token, which would be visited
    // next and could still rewrite that region.
    if (!IsParenFunctionToken(At(t, i + 1))) i += 1 + static_cast<long>(first.size());
  }
  return t;
}

}  // namespace

std::string SplitArgumentListsOrFault(std::string_view text) {
  long callsLeft = kMaxSplitCallsPerChar * static_cast<long>(text.size()) + kMaxSplitCallsExtra;
  return SplitAt(text, 0, callsLeft);
}

}  // namespace detail

std::string SplitArgumentLists(std::string_view text) {
  try {
    return detail::SplitArgumentListsOrFault(text);
  } catch (const detail::NormalizeFault&) {
    State().ErrorCode = kErrUnknown;
    return {};
  }
}

}  // namespace tarvo
