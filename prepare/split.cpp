// The argument splitter: in every multi-argument call the first separator at
// the call's own level becomes the ArgumentMark, which is where the evaluator
// starts the call's argument list.
//
// The text is rewritten in place. One pass finds, for every call token, its
// closing ")" and first separator; overwriting a separator with the mark
// changes neither, so the walk reads them from the pass until a failing
// first argument is dropped (an error path), after which the pass runs again.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

bool IsSeparator(char c) { return c == ',' || c == kArgumentMark; }

class Splitter {
 public:
  explicit Splitter(std::string_view text)
      : t_(text), callsLeft_(kMaxSplitCallsPerChar * static_cast<long>(text.size()) + kMaxSplitCallsExtra) {
    FindCallEnds();
  }

  // The rewritten text, or the empty text with ErrorCode 3.
  std::string Run() {
    size_t end = t_.size();
    if (!Walk(0, end, 0)) return {};
    return std::move(t_);
  }

 private:
  // For each call token at i, character i + 1 is taken to be its "(": the
  // closing is the first ")" after it that takes the depth below the depth
  // after i + 1, the separator the first "," or mark before that at that
  // depth (-1 when there is none). The calls waiting for either are kept on
  // stacks whose depths never decrease from bottom to top, so each call is
  // pushed and popped once.
  void FindCallEnds() {
    closing_.assign(t_.size(), -1);
    separator_.assign(t_.size(), -1);
    struct Waiting {
      std::int32_t call;
      long depth;
    };
    std::vector<Waiting> awaitingClose, awaitingSeparator;
    long depth = 0;
    for (size_t q = 0; q < t_.size(); ++q) {
      const char c = t_[q];
      const auto here = static_cast<std::int32_t>(q);
      if (c == '(') {
        ++depth;
      } else if (c == ')') {
        --depth;
        for (; !awaitingClose.empty() && awaitingClose.back().depth == depth + 1; awaitingClose.pop_back())
          closing_[static_cast<size_t>(awaitingClose.back().call)] = here;
        while (!awaitingSeparator.empty() && awaitingSeparator.back().depth > depth) awaitingSeparator.pop_back();
      } else if (IsSeparator(c)) {
        for (; !awaitingSeparator.empty() && awaitingSeparator.back().depth == depth; awaitingSeparator.pop_back())
          separator_[static_cast<size_t>(awaitingSeparator.back().call)] = here;
      }
      // The call whose "(" this character is starts waiting after it.
      if (q > 0 && IsParenFunctionToken(t_[q - 1])) {
        awaitingClose.push_back({here - 1, depth});
        awaitingSeparator.push_back({here - 1, depth});
      }
    }
  }

  // Walks characters first..end-1 as a text of its own (a call must close
  // inside it); `end` follows the text as failing first arguments inside
  // are dropped. False with ErrorCode 3 when a call fails at this level.
  bool Walk(size_t first, size_t& end, int depth) {
    if (depth > kMaxSplitDepth || --callsLeft_ < 0) throw NormalizeFault{};
    for (size_t i = first; i < end; ++i) {
      if (!IsParenFunctionToken(t_[i])) continue;
      const long closing = closing_[i];
      const long separator = separator_[i];
      if (closing < 0 || static_cast<size_t>(closing) >= end || separator < 0 || separator > closing) {
        State().ErrorCode = kErrSyntax;
        return false;
      }
      t_[static_cast<size_t>(separator)] = kArgumentMark;
      // The first argument, split as a text of its own.
      const size_t argument = i + 2;
      size_t argumentEnd = static_cast<size_t>(separator);
      if (!Walk(argument, argumentEnd, depth + 1)) {
        // It goes on empty; this call and the rest of the text go on.
        t_.erase(argument, argumentEnd - argument);
        argumentEnd = argument;
        FindCallEnds();
      }
      end -= static_cast<size_t>(separator) - argumentEnd;
      // Every call inside the first argument has just been handled, and a
      // second visit would change nothing (its separator is already the
      // mark, its own first argument already split). The skip is exact only
      // when character i + 1 is not itself a call token, which would be
      // visited next and could still rewrite that region.
      if (!IsParenFunctionToken(t_[i + 1])) i += 1 + (argumentEnd - argument);
    }
    return true;
  }

  std::string t_;
  std::vector<std::int32_t> closing_, separator_;
  long callsLeft_;
};

}  // namespace

std::string SplitArgumentListsOrFault(std::string_view text) { return Splitter(text).Run(); }

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
