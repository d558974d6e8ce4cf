#include "prepare/equation_texts.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "engine/bytes.h"
#include "engine/errors.h"
#include "engine/state.h"
#include "engine/tokens.h"
#include "prepare/normalize.h"
#include "prepare/normalize_index.h"

namespace tarvo {
namespace {

constexpr char kArgumentMark = ByteOf(Token::ArgumentMark);

// Stores an equation text in the next slot. False (ErrorCode set) when the
// slots are exhausted or the text is empty.
bool StoreEquationText(EngineState& s, std::string_view text) {
  if (++s.EquationSlotCount > kEquationSlots - 1) return Fail(s, ErrorNumber::kTooManyEquations);
  s.EquationSlots[static_cast<size_t>(s.EquationSlotCount)] = text;
  if (text.empty()) return Fail(s, ErrorNumber::kSyntax);
  return true;
}

// The text before the first argument mark after the call's "(" that stands
// at the depth where the text began, counting every bracket after it.
std::string MoveFirstArgumentText(EngineState& state, std::string s, Token code) {
  const char call[] = {ByteOf(code), '('};
  for (size_t p = s.find(call, 0, 2); p != std::string::npos; p = s.find(call, p + 2, 2)) {
    const size_t start = p + 2;
    long depth = 0;
    size_t mark = std::string::npos;
    for (size_t j = start; j < s.size() && mark == std::string::npos; ++j) {
      if (s[j] == '(') ++depth;
      if (s[j] == ')') --depth;
      if (s[j] == kArgumentMark && depth == 0) mark = j;
    }
    if (mark == std::string::npos) continue;
    if (!StoreEquationText(state, std::string_view(s).substr(start, mark - start))) return {};
    s.replace(start, mark - start, std::to_string(state.EquationSlotCount));
  }
  return s;
}

// Each argument between the call's brackets. An argument is blanked and
// its slot number written over its start, so that the positions after it
// stay valid; the blanks go once every call is done.
std::string MoveEveryArgumentText(EngineState& state, std::string s, Token code) {
  const char call[] = {ByteOf(code), '('};
  for (size_t p = s.find(call, 0, 2); p != std::string::npos; p = s.find(call, p + 2, 2)) {
    size_t before = p + 1;  // the "(" or separator before the argument
    long depth = 0;
    bool stored = false;
    for (size_t j = before; j < s.size(); ++j) {
      const char c = s[j];
      if (c == '(') ++depth;
      if (c == ')') --depth;
      if (((c == ',' || c == kArgumentMark) && depth == 1) || depth == 0) {
        if (!StoreEquationText(state, std::string_view(s).substr(before + 1, j - before - 1))) return {};
        const std::string number = std::to_string(state.EquationSlotCount);
        std::fill(s.begin() + static_cast<std::ptrdiff_t>(before + 1), s.begin() + static_cast<std::ptrdiff_t>(j), ' ');
        s.replace(before + 1, number.size(), number);
        before = j;
        stored = true;
        if (depth == 0) break;
      }
    }
    if (!stored) return Fail(state, ErrorNumber::kSyntax);
  }
  std::erase(s, ' ');
  return s;
}

}  // namespace

std::string MoveEquationTexts(EngineState& state, std::string tokens, const FunctionNames& names) {
  state.EquationSlotCount = 0;
  // A call whose token is not in the string changes nothing (and the
  // normaliser leaves no blank for MoveEveryArgumentText to drop): most
  // strings hold none.
  const detail::NameSets& sets = names.Sets();
  bool anyText = false;
  for (char c : tokens) anyText = anyText || sets.textToken[static_cast<size_t>(Code(c))];
  if (!anyText) return tokens;
  bool present[256] = {};
  auto survey = [&] {
    std::fill(std::begin(present), std::end(present), false);
    for (char c : tokens) present[Code(c)] = true;
  };
  survey();
  auto holds = [&present](Token t) { return present[CodeOf(t)] || present[Code(' ')]; };
  // The calls whose first argument is a text, by code, then those whose
  // every argument is one.
  for (Token t : sets.firstTextTokens) {
    if (state.ErrorCode == ErrorNumber::kNone && holds(t)) {
      tokens = MoveFirstArgumentText(state, std::move(tokens), t);
      survey();
    }
  }
  for (Token t : sets.everyTextTokens) {
    if (state.ErrorCode == ErrorNumber::kNone && holds(t)) {
      tokens = MoveEveryArgumentText(state, std::move(tokens), t);
      survey();
    }
  }
  return tokens;
}

}  // namespace tarvo
