// Hostile entries: whatever is typed or pasted, the normaliser ends with
// either a token string or an error number of its own (a deep recursion or
// a quadratic scan shows as a crash or a test timeout).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/state.h"
#include "prepare/normalize.h"
#include "tests/base/test_support.h"

namespace tarvo {
namespace {

using enum ErrorNumber;

using test::Repeat;

TEST(Robustness, EveryByteAndLongHostileEntries) {
  std::vector<std::string> inputs = {
      Repeat("ncr(", 5000), Repeat("ncr(1,", 1666) + "1" + Repeat(")", 1666),
      Repeat("\xDF\xDF(", 3000) + "1" + Repeat(",2),2)", 500), Repeat(")(", 5000),
      Repeat("|", 10000), "1" + Repeat("%", 9999), Repeat("(", 3333) + "1" + Repeat(")!", 3333),
      Repeat("1\xB0" "2'3\"", 1600), Repeat("+-", 5000), Repeat("&h1", 3333),
      Repeat("sin^(2)", 1400), Repeat("sin-", 2500), Repeat(std::string("\x00\x01\x15\x18\x1d\x1e", 6), 1666)};
  for (int c = 0; c < 256; ++c) inputs.push_back({'(', static_cast<char>(c), '1'});
  for (const std::string& input : inputs) {
    Engine engine;
    const std::string got = NormalizeExpression(engine, input, test::EngineNames());
    const std::string name = test::Readable(input.substr(0, 12));
    if (engine.ErrorCode == kNone) {
      ASSERT_FALSE(got.empty()) << name;
      EXPECT_EQ(got.back(), ':') << name;
      EXPECT_EQ(got.find_first_of("{}[]"), std::string::npos) << name << ": " << test::Readable(got);
    } else {
      EXPECT_TRUE(engine.ErrorCode == kUnknown || engine.ErrorCode == kSyntax ||
                  engine.ErrorCode == kOutOfRange || engine.ErrorCode == kParenOpen ||
                  engine.ErrorCode == kParenClosed) << name << ": error " << static_cast<int>(engine.ErrorCode);
      if (engine.ErrorCode != kSyntax) {
        EXPECT_EQ(got, "") << name;
      }
    }
  }
}

}  // namespace
}  // namespace tarvo
