// The argument splitter: in every multi-argument call the first separator at
// the call's own level becomes the ArgumentMark, which is where the evaluator
// starts the call's argument list.
//
// The text is rewritten in place. One pass finds where each call closes and
// where its first separator is; overwriting a separator with the mark changes
// neither, so the walk reads them from the pass. A first argument that fails
// is dropped only from the result: it is balanced and holds no separator at
// its own level, so no scan that crosses it from outside can tell it is
// gone, and the walk never enters it again.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/bytes.h"
#include "engine/errors.h"
#include "engine/state.h"
#include "engine/tokens.h"
#include "prepare/normalize.h"
#include "prepare/normalize_index.h"
#include "prepare/prepare_detail.h"

namespace tarvo {
namespace detail {
namespace {

constexpr char kArgumentMark = ByteOf(Token::ArgumentMark);

bool IsSeparator(char c) { return c == ',' || c == kArgumentMark; }

class Splitter {
 public:
  Splitter(Engine& engine, std::string_view text, const std::array<bool, 256>& callTokens)
      : engine_(engine), callTokens_(callTokens),
        t_(text), callsLeft_(kMaxSplitCallsPerChar * static_cast<long>(text.size()) + kMaxSplitCallsExtra) {
    FindCallEnds();
  }

  // The rewritten text, or the empty text with ErrorCode 3.
  std::string Run() {
    if (!Walk(0, t_.size(), 0)) return {};
    if (droppedUntil_.empty()) return std::move(t_);
    std::string kept;
    kept.reserve(t_.size());
    for (size_t k = 0; k < t_.size(); ++k) {
      if (droppedUntil_[k] != 0) k = static_cast<size_t>(droppedUntil_[k]);
      kept += t_[k];
    }
    return kept;
  }

 private:
  // A call's "(" is whatever character follows its token; after a dropped
  // first argument that can also be the separator the argument ended at
  // (when the token was itself the "(" of the call before it). For each such
  // position p: the first ")" after it that takes the depth below the depth
  // after p, and the first "," or mark before that at that depth (-1 when
  // there is none). The positions waiting for either are kept on stacks
  // whose depths never decrease from bottom to top, so each is pushed and
  // popped once.
  void FindCallEnds() {
    ends_.assign(t_.size(), Ends{});
    struct Waiting {
      std::int32_t open;
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
          ends_[static_cast<size_t>(awaitingClose.back().open)].closing = here;
        while (!awaitingSeparator.empty() && awaitingSeparator.back().depth > depth) awaitingSeparator.pop_back();
      } else if (IsSeparator(c)) {
        for (; !awaitingSeparator.empty() && awaitingSeparator.back().depth == depth; awaitingSeparator.pop_back())
          ends_[static_cast<size_t>(awaitingSeparator.back().open)].separator = here;
      }
      if ((q > 0 && IsCallToken(t_[q - 1])) || IsSeparator(c)) {
        awaitingClose.push_back({here, depth});
        awaitingSeparator.push_back({here, depth});
      }
    }
  }

  bool IsCallToken(char c) const { return callTokens_[static_cast<size_t>(Code(c))]; }

  // The position after p in the text as it now reads (a dropped argument skipped).
  size_t After(size_t p) const {
    if (p + 1 < droppedUntil_.size() && droppedUntil_[p + 1] != 0) return static_cast<size_t>(droppedUntil_[p + 1]);
    return p + 1;
  }

  // Walks characters first..end-1 as a text of its own (a call must close
  // inside it). False with ErrorCode 3 when a call fails at this level.
  bool Walk(size_t first, size_t end, int depth) {
    if (depth > kMaxSplitDepth || --callsLeft_ < 0) throw NormalizeFault{};
    for (size_t i = first; i < end;) {
      if (!IsCallToken(t_[i])) {
        i = After(i);
        continue;
      }
      const size_t open = After(i);
      const Ends ends = open < t_.size() ? ends_[open] : Ends{};
      const long closing = ends.closing;
      const long separator = ends.separator;
      if (closing < 0 || static_cast<size_t>(closing) >= end || separator < 0 || separator > closing)
        return Fail(engine_, ErrorNumber::kSyntax);
      const auto mark = static_cast<size_t>(separator);
      t_[mark] = kArgumentMark;
      // The first argument, split as a text of its own. When it fails it
      // goes on empty, and this call and the rest of the text go on.
      if (!Walk(open + 1, mark, depth + 1) && open + 1 < mark) {
        if (droppedUntil_.empty()) droppedUntil_.assign(t_.size(), 0);
        droppedUntil_[open + 1] = static_cast<std::int32_t>(mark);
      }
      // Every call inside the first argument has just been handled, and a
      // second visit would change nothing (its separator is already the
      // mark, its own first argument already split). The skip is exact only
      // when the "(" is not itself a call token, which would be visited
      // next and could still rewrite that region.
      i = IsCallToken(t_[open]) ? open : mark;
    }
    return true;
  }

  Engine& engine_;
  const std::array<bool, 256>& callTokens_;
  std::string t_;
  // By the position of a call's "(" (see FindCallEnds).
  struct Ends {
    std::int32_t closing = -1;
    std::int32_t separator = -1;
  };
  std::vector<Ends> ends_;
  // Non-zero at the start of a dropped first argument: where it ended.
  std::vector<std::int32_t> droppedUntil_;
  long callsLeft_;
};

}  // namespace

std::string SplitArgumentListsOrFault(Engine& engine, std::string_view text, const FunctionNames& names) {
  return Splitter(engine, text, names.Sets().callToken).Run();
}

}  // namespace detail

std::string SplitArgumentLists(Engine& engine, std::string_view text, const FunctionNames& names) {
  try {
    return detail::SplitArgumentListsOrFault(engine, text, names);
  } catch (const detail::NormalizeFault&) {
    return Fail(engine, ErrorNumber::kUnknown);
  }
}

}  // namespace tarvo
