// Hostile entries: whatever is typed or pasted, the normaliser ends quickly
// with either a token string or an error number of its own.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/state.h"
#include "prepare/normalize.h"
#include "tests/base/test_support.h"

namespace tarvo {
namespace {

using test::Readable;

class Robustness : public test::FreshEngine {};

std::string Repeat(const std::string& piece, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += piece;
  return s;
}

// A sane outcome: a token string ending in the end mark, or one of the
// normaliser's error numbers (a splitter error may leave a text behind).
void ExpectSane(Engine& engine, const std::string& name, const std::string& input) {
  engine.Reset();
  const auto start = std::chrono::steady_clock::now();
  const std::string got = NormalizeExpression(engine, input);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  const int error = engine.ErrorCode;
  if (error == 0) {
    ASSERT_FALSE(got.empty()) << name;
    EXPECT_EQ(got.back(), ':') << name;
    EXPECT_EQ(got.find_first_of("{}[]"), std::string::npos) << name << ": " << Readable(got);
  } else {
    EXPECT_TRUE(error == kErrUnknown || error == kErrSyntax || error == kErrOutOfRange ||
                error == kErrParenOpen || error == kErrParenClosed)
        << name << ": error " << error;
    if (error != kErrSyntax) {
      EXPECT_EQ(got, "") << name;
    }
  }
  // Generous even for an unoptimised, instrumented build; a pass that went
  // quadratic in its scans or exponential in its recursion takes far longer.
  EXPECT_LT(std::chrono::duration<double>(elapsed).count(), 5.0) << name;
}

TEST_F(Robustness, EveryByteAloneAndInPairs) {
  for (int a = 0; a < 256; ++a) {
    ExpectSane(engine, "byte " + std::to_string(a), std::string(1, static_cast<char>(a)));
    for (int b = 0; b < 256; b += 7)
      ExpectSane(engine, "bytes " + std::to_string(a) + " " + std::to_string(b),
                 std::string{static_cast<char>(a), static_cast<char>(b)});
  }
}

TEST_F(Robustness, LongAndHostileEntries) {
  std::string allBytes;
  for (int i = 0; i < 40; ++i)
    for (int c = 0; c < 256; ++c) allBytes += static_cast<char>(c);
  const std::vector<std::pair<std::string, std::string>> rows = {
      {"every byte, 40 times", allBytes},
      {"5000 nested open calls", Repeat("ncr(", 5000)},
      {"2000 nested closed calls", Repeat("ncr(", 2000) + "1" + Repeat(",2)", 2000)},
      {"nested in later arguments", Repeat("ncr(1,", 1666) + "1" + Repeat(")", 1666)},
      {"raw call tokens", Repeat("\xDF", 10000)},
      {"raw call tokens pairwise", Repeat("\xDF\xDF(", 3000) + "1" + Repeat(",2),2)", 500)},
      {"open parentheses", Repeat("(", 10000)},
      {"closed parentheses", Repeat(")", 10000)},
      {"closed then open", Repeat(")(", 5000)},
      {"bars", Repeat("|", 10000)},
      {"percent run", "1" + Repeat("%", 9999)},
      {"factorial run", "(1)" + Repeat("!", 9997)},
      {"long number with percents", Repeat("1", 5000) + Repeat("%", 5000)},
      {"nested factorials", Repeat("(", 3333) + "1" + Repeat(")!", 3333)},
      {"degree run", "1" + Repeat("\xB0", 9999)},
      {"degrees minutes seconds", Repeat("1\xB0" "2'3\"", 1600)},
      {"sign run", Repeat("+-", 5000)},
      {"minus run", Repeat("-", 10000)},
      {"hex literals", Repeat("&h1", 3333)},
      {"long hex literal", "&h" + std::string(9998, 'f')},
      {"powers of calls", Repeat("sin^(2)", 1400)},
      {"names and minuses", Repeat("sin-", 2500)},
      {"letters", Repeat("ab", 5000)},
      {"control bytes", Repeat(std::string("\x00\x01\x15\x18\x1d\x1e", 6), 1666)},
  };
  for (const auto& [name, input] : rows) ExpectSane(engine, name, input);
}

TEST_F(Robustness, RandomEntries) {
  std::mt19937 random(7);
  const std::string symbols = "0123456789.e+-*/^()|%!'\"\xB0\xB2\xB3\xC1\xCB\xCE\xD3\xD7,&hbsinxncr";
  for (int n = 0; n < 300; ++n) {
    std::string bytes, typed;
    const int length = 1 + static_cast<int>(random() % 400);
    for (int i = 0; i < length; ++i) {
      bytes += static_cast<char>(random() & 0xFF);
      typed += symbols[random() % symbols.size()];
    }
    ExpectSane(engine, "random bytes " + std::to_string(n), bytes);
    ExpectSane(engine, "random symbols " + std::to_string(n), typed);
  }
}

}  // namespace
}  // namespace tarvo
