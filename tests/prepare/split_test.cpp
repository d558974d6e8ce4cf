// The argument splitter on token texts (names already replaced by their
// call tokens, as the normaliser hands them over).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

#include "engine/bytes.h"
#include "engine/errors.h"
#include "engine/state.h"
#include "engine/tokens.h"
#include "prepare/normalize.h"
#include "tests/base/test_support.h"

namespace tarvo {
namespace {

using test::Readable;
using test::Tok;

class Split : public test::FreshEngine {};

TEST_F(Split, MarksTheFirstSeparatorOfEachCall) {
  struct Row {
    const char* name;
    const char* input;  // Tok() notation
    const char* want;
    int error;
  };
  const Row rows[] = {
      {"two arguments", "{ncr}(5,2)", "{ncr}(5{ArgumentMark}2)", 0},
      {"only the first comma", "{lcm}(4,6,8)", "{lcm}(4{ArgumentMark}6,8)", 0},
      {"call in the first argument", "{ncr}({ncr}(5,2),3)", "{ncr}({ncr}(5{ArgumentMark}2){ArgumentMark}3)", 0},
      {"call in the second argument", "{ncr}(3,{ncr}(5,2))", "{ncr}(3{ArgumentMark}{ncr}(5{ArgumentMark}2))", 0},
      {"comma inside a group is not the call's", "{ncr}((1,2),3)", "{ncr}((1,2){ArgumentMark}3)", 0},
      {"already marked stays", "{ncr}(5{ArgumentMark}2)", "{ncr}(5{ArgumentMark}2)", 0},
      {"two calls side by side", "{ncr}(1,2)+{npr}(3,4)", "{ncr}(1{ArgumentMark}2)+{npr}(3{ArgumentMark}4)", 0},
      {"three levels in first arguments", "{lcm}({gcm}({ncr}(1,2),3),4)",
       "{lcm}({gcm}({ncr}(1{ArgumentMark}2){ArgumentMark}3){ArgumentMark}4)", 0},
      {"no call at all", "1,2,(3)", "1,2,(3)", 0},
      {"empty text", "", "", 0},
      {"one argument", "{ncr}(5)", "", kErrSyntax},
      {"never closed", "{ncr}(5,2", "", kErrSyntax},
      {"token at the very end", "1+{ncr}", "", kErrSyntax},
      {"failing first argument is dropped", "{ncr}({ncr}(5),2)", "{ncr}({ArgumentMark}2)", kErrSyntax},
      {"a later call still fails the whole", "{ncr}(1,2)+{ncr}(3)", "", kErrSyntax},
  };
  for (const Row& r : rows) {
    engine.Reset();
    EXPECT_EQ(Readable(SplitArgumentLists(engine, Tok(r.input))), Readable(Tok(r.want))) << r.name;
    EXPECT_EQ(engine.ErrorCode, r.error) << r.name;
  }
}

TEST_F(Split, DoesNotClearAnEarlierError) {
  engine.ErrorCode = kErrOutOfRange;
  EXPECT_EQ(SplitArgumentLists(engine, Tok("{ncr}(5,2)")), Tok("{ncr}(5{ArgumentMark}2)"));
  EXPECT_EQ(engine.ErrorCode, kErrOutOfRange);
}

std::string NestedInFirstArguments(int depth) {
  std::string s;
  for (int i = 0; i < depth; ++i) s += Tok("{ncr}(");
  s += "1";
  for (int i = 0; i < depth; ++i) s += ",2)";
  return s;
}

TEST_F(Split, NestingInFirstArgumentsIsBoundedAt200) {
  const std::string deep = SplitArgumentLists(engine, NestedInFirstArguments(200));
  EXPECT_EQ(engine.ErrorCode, 0);
  ASSERT_EQ(deep.size(), NestedInFirstArguments(200).size());
  EXPECT_EQ(deep.find(','), std::string::npos) << "every level marked";

  engine.Reset();
  EXPECT_EQ(SplitArgumentLists(engine, NestedInFirstArguments(201)), "");
  EXPECT_EQ(engine.ErrorCode, kErrUnknown);
}

TEST_F(Split, DeepNestingInLaterArgumentsIsNoRecursion) {
  std::string s;
  for (int i = 0; i < 2000; ++i) s += Tok("{ncr}(1,");
  s += "1" + std::string(2000, ')');
  const std::string got = SplitArgumentLists(engine, s);
  EXPECT_EQ(engine.ErrorCode, 0);
  EXPECT_EQ(got.size(), s.size());
  EXPECT_EQ(got.find(','), std::string::npos);
}

// The algorithm read literally: every call token is visited by the walk,
// including those the recursion already handled. Exponential in the nesting,
// so only for short texts.
std::string LiteralSplit(Engine& engine, std::string_view text) {
  std::string t(text);
  const long length = static_cast<long>(t.size());
  for (long i = 1; i <= length; ++i) {
    if (!IsParenFunctionToken(At(t, i))) continue;
    const std::string head = Left(t, i + 1);
    const std::string rest = Mid(t, i + 2);
    long depth = 1, j = 0;
    for (long x = 1; x <= static_cast<long>(rest.size()) && j == 0; ++x) {
      depth += rest[x - 1] == '(' ? 1 : rest[x - 1] == ')' ? -1 : 0;
      if (depth == 0) j = x;
    }
    if (j == 0) {
      engine.ErrorCode = kErrSyntax;
      return {};
    }
    std::string args = Left(rest, j - 1);
    long k = 0;
    depth = 0;
    for (long x = 1; x <= static_cast<long>(args.size()) && k == 0; ++x) {
      const char c = args[x - 1];
      depth += c == '(' ? 1 : c == ')' ? -1 : 0;
      if (depth == 0 && (c == ',' || c == ByteOf(Token::ArgumentMark))) k = x;
    }
    if (k == 0) {
      engine.ErrorCode = kErrSyntax;
      return {};
    }
    args[k - 1] = ByteOf(Token::ArgumentMark);
    t = head + LiteralSplit(engine, Left(args, k - 1)) + Mid(args, k) + Mid(rest, j);
  }
  return t;
}

TEST_F(Split, AgreesWithTheLiteralWalkOnShortTexts) {
  // Call tokens with and without their "(", separators, marks, brackets.
  const std::string alphabet = Tok("{ncr}{ncr}{lcm}((((),,,1{ArgumentMark}");
  std::mt19937 random(20240611);
  int disagreements = 0;
  for (int n = 0; n < 40000; ++n) {
    std::string s;
    const int length = 1 + static_cast<int>(random() % 20);
    for (int i = 0; i < length; ++i) s += alphabet[random() % alphabet.size()];
    engine.Reset();
    const std::string want = LiteralSplit(engine, s);
    const int wantError = engine.ErrorCode;
    engine.Reset();
    const std::string got = SplitArgumentLists(engine, s);
    if (got != want || engine.ErrorCode != wantError) {
      ADD_FAILURE() << Readable(s) << " gives " << Readable(got) << " error "
                    << engine.ErrorCode << ", expected " << Readable(want) << " error "
                    << wantError;
      if (++disagreements == 5) break;
    }
  }
}

// A failing first argument is dropped; the calls around it, and a call
// token standing as the "(" of the call before it, read on past the gap.
TEST_F(Split, AgreesWithTheLiteralWalkAroundDroppedArguments) {
  const char* const texts[] = {
      "{ncr}({ncr}(5),2)",
      "{gcm}{gcm}({ncr}(5),2),3)",
      "{gcm}{gcm}({ncr}(5),2,3)",
      "{ncr}({ncr}({ncr}(1),2),3)",
      "{ncr}({ncr}({ncr}(1),2)+{ncr}(4),3)+{npr}(7,8)",
      "{gcm}{ncr}({ncr}(1),{ncr}(2,3)),4)",
      "{ncr}({gcm}{gcm}({ncr}(1),2),3),4)",
  };
  for (const char* text : texts) {
    engine.Reset();
    const std::string want = LiteralSplit(engine, Tok(text));
    const int wantError = engine.ErrorCode;
    engine.Reset();
    EXPECT_EQ(Readable(SplitArgumentLists(engine, Tok(text))), Readable(want)) << text;
    EXPECT_EQ(engine.ErrorCode, wantError) << text;
  }
}

}  // namespace
}  // namespace tarvo
