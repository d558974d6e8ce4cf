// Shared test helpers: a fresh engine for every test, and token strings
// written readably.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>

#include "engine/errors.h"
#include "engine/eval/functions.h"
#include "engine/state.h"
#include "engine/tokens.h"
#include "prepare/normalize.h"

namespace tarvo {
// Failure messages show an error by its number.
inline void PrintTo(ErrorNumber error, std::ostream* out) { *out << static_cast<int>(error); }
}  // namespace tarvo

namespace tarvo::test {

// Every test starts from a freshly started engine of its own.
class FreshEngine : public ::testing::Test {
 protected:
  Engine engine;
};

// The engine's function table as the normaliser reads it.
inline const FunctionNames& EngineNames() {
  static const FunctionNames names(FunctionTable());
  return names;
}

// Tokens that no typed name turns into, by the name of their Token.
struct NamedToken {
  std::string_view name;
  Token token;
};
inline constexpr NamedToken kTokenNames[] = {
    {"NthRoot", Token::NthRoot}, {"Xor", Token::Xor}, {"Or", Token::Or},
    {"ImplicitProduct", Token::ImplicitProduct}, {"ReciprocalSum", Token::ReciprocalSum},
    {"NotEqual", Token::NotEqual}, {"LessOrEqual", Token::LessOrEqual},
    {"GreaterOrEqual", Token::GreaterOrEqual}, {"ArgumentMark", Token::ArgumentMark},
    {"Mod", Token::Mod}, {"And", Token::And}, {"Negate", Token::Negate},
    {"AbsoluteBars", Token::AbsoluteBars}, {"PowerOf2", Token::PowerOf2},
    {"PowerOf3", Token::PowerOf3}, {"PowerOf4", Token::PowerOf4}, {"PowerOf9", Token::PowerOf9},
};

// Calls `found(name, byte)` for every named token and every typed function
// name, until it returns true.
template <typename Found>
bool FindToken(Found found) {
  for (const NamedToken& n : kTokenNames)
    if (found(n.name, ByteOf(n.token))) return true;
  for (const FunctionRow& f : FunctionTable())
    if (found(f.name, ByteOf(f.token))) return true;
  return false;
}

// Token strings in a readable notation: {name} is the token of a function
// name as typed ("{sin}30:") or a token from kTokenNames
// ("2{ImplicitProduct}x:" is 2 times x); {N} is byte N, for a byte that is
// no token.
inline std::string Tok(std::string_view readable) {
  std::string out;
  for (size_t i = 0; i < readable.size(); ++i) {
    if (readable[i] != '{') {
      out += readable[i];
      continue;
    }
    const size_t close = readable.find('}', i);
    const std::string_view name = readable.substr(i + 1, close - i - 1);
    i = close;
    const auto named = [&](std::string_view n, char byte) { return n == name && (out += byte, true); };
    if (FindToken(named)) continue;
    if (!name.empty() && name.find_first_not_of("0123456789") == std::string_view::npos)
      out += static_cast<char>(std::stoi(std::string(name)));
    else ADD_FAILURE() << "no token named " << name;
  }
  return out;
}

// The inverse, for failure messages: a token as {name}, other control bytes
// as {code}.
inline std::string Readable(std::string_view bytes) {
  std::string out;
  for (char ch : bytes) {
    const int c = static_cast<unsigned char>(ch);
    const auto token = [&](std::string_view n, char b) { return b == ch && (out += "{" + std::string(n) + "}", true); };
    if (FindToken(token)) continue;
    if (c < 32 || c >= 128) out += "{" + std::to_string(c) + "}";
    else out += ch;
  }
  return out;
}

// `piece` written `times` times over: long and deeply nested entries.
inline std::string Repeat(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

}  // namespace tarvo::test
