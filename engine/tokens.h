// The token tables: every function name and every operator spelling of the
// expression language with the one-byte token that stands for it in a token
// string. The tables are constant data; their order matters, because the
// normaliser replaces names in table order.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo {

// Token codes the normaliser and the evaluator name.
inline constexpr int kTokNthRoot = 21;         // x (21) y: the x-th root of y
inline constexpr int kTokImplicitProduct = 24; // ImplicitProduct
inline constexpr int kTokReciprocalSum = 25;   // "//"
inline constexpr int kTokArgumentMark = 29;    // ArgumentMark ("#OPAF")
inline constexpr int kTokMod = 30;             // " MOD "
inline constexpr int kTokNegation = 129;       // NegationToken ("#neg")
inline constexpr int kTokArcSin = 136;
inline constexpr int kTokFactorial = 169;
inline constexpr int kTokAbsBar = 178;         // "#moab"
inline constexpr int kTokPowerPrefixFirst = 192;  // PowerPrefixToken 192..199: power code-190
inline constexpr int kTokPowerPrefixLast = 199;
inline constexpr int kFirstFunctionCode = 128;
inline constexpr int kLastFunctionCode = 226;

struct FunctionToken {
  std::string_view name;
  int code;
};

struct OperatorToken {
  std::string_view spelling;
  int code;       // the token's byte
  int priority;   // 0 for the closing tokens ":" and ")"
};

inline constexpr int kFunctionTokenCount = 113;
inline constexpr int kParenFunctionCount = 28;
inline constexpr int kOperatorTokenCount = 29;

extern const std::array<FunctionToken, kFunctionTokenCount> FunctionTokenTable;
extern const std::array<FunctionToken, kParenFunctionCount> ParenFunctionTable;
extern const std::array<OperatorToken, kOperatorTokenCount> OperatorTokenTable;

// The token bytes of the tables concatenated in position order.
const std::string& AllFunctionTokens();   // 113 bytes
const std::string& ParenFunctionTokens(); // 28 bytes
const std::string& AllOperatorTokens();   // 29 bytes

// Set tests on a byte, without a search.
bool IsFunctionToken(char c);
bool IsParenFunctionToken(char c);

// The evaluator's operator lookup: the 1-based position of the first
// occurrence of c in AllOperatorTokens, 0 when c is no operator.
int OperatorNumber(char c);
// The priority stored at an operator number (1..29).
int OperatorPriority(int number);

extern const std::array<std::string_view, 7> WeekdayNames;   // 0 = Monday
extern const std::array<std::string_view, 13> MonthNames;    // 1 = January, 0 empty

// The start-up self-checks, over any table so that a broken one can be tested.
// Each returns the texts of the messages it would show.
// TokenOrderCheck: a name found inside a later name is an ordering fault.
std::vector<std::string> TokenOrderCheck(std::span<const FunctionToken> table);
// FreeTokenCheck: every code 128..226 that no entry uses.
std::vector<std::string> FreeTokenCheck(std::span<const FunctionToken> table);

}  // namespace tarvo
