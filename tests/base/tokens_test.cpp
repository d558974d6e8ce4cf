// The token-table rules are checked as the code compiles; here each check
// is shown to refuse a table that breaks its rule.
#include "engine/tokens.h"

namespace tarvo {
namespace {

constexpr FunctionToken kShortNameFirst[] = {{"sin", Token::Sine}, {"sinh", Token::HyperbolicSine}};
constexpr FunctionToken kLongNameFirst[] = {{"sinh", Token::HyperbolicSine}, {"sin", Token::Sine}};
static_assert(!KeepsOrderRule(kShortNameFirst));
static_assert(KeepsOrderRule(kLongNameFirst));

// The first `count` function codes, then `extra` as the last entry when given.
template <size_t count, size_t size = count>
constexpr std::array<FunctionToken, size> Codes(Token extra = Token::End) {
  std::array<FunctionToken, size> t{};
  for (size_t i = 0; i < count; ++i) t[i] = {"", static_cast<Token>(kFirstFunctionCode + i)};
  if (size > count) t.back() = {"", extra};
  return t;
}
constexpr size_t kCodeCount = kLastFunctionCode - kFirstFunctionCode + 1;
static_assert(CoversFunctionCodes(Codes<kCodeCount>()));
static_assert(!CoversFunctionCodes(Codes<kCodeCount - 1>()));
static_assert(!CoversFunctionCodes(Codes<kCodeCount, kCodeCount + 1>(Token::Plus)));

}  // namespace
}  // namespace tarvo
