#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/bytes.h"
#include "engine/errors.h"
#include "engine/state.h"
#include "engine/tokens.h"
#include "tests/base/test_support.h"

namespace tarvo {
namespace {

int CodeOf(std::string_view name) {
  for (const auto& e : FunctionTokenTable)
    if (e.name == name) return e.code;
  return -1;
}

TEST(FunctionTable, SizesAndLookups) {
  EXPECT_EQ(AllFunctionTokens().size(), 113u);
  EXPECT_EQ(ParenFunctionTokens().size(), 28u);
  EXPECT_EQ(CodeOf("sin"), 165);
  EXPECT_EQ(CodeOf("#hypsin"), 153);
  EXPECT_EQ(CodeOf("#inf"), 219);
  EXPECT_EQ(CodeOf("#nter"), 219);
  EXPECT_EQ(CodeOf("lgb"), 223);
  EXPECT_EQ(CodeOf("#neg"), kTokNegation);
  for (int c = 227; c <= 255; ++c) EXPECT_FALSE(IsFunctionToken(static_cast<char>(c))) << c;
  for (int c = 128; c <= 226; ++c) EXPECT_TRUE(IsFunctionToken(static_cast<char>(c))) << c;
  EXPECT_FALSE(IsFunctionToken('a'));
}

TEST(FunctionTable, EveryCallFormNameIsANameWithTheSameCode) {
  for (const auto& p : ParenFunctionTable) {
    ASSERT_EQ(p.name.back(), '(');
    EXPECT_EQ(CodeOf(p.name.substr(0, p.name.size() - 1)), p.code) << p.name;
    EXPECT_TRUE(IsParenFunctionToken(static_cast<char>(p.code)));
  }
  EXPECT_FALSE(IsParenFunctionToken(static_cast<char>(165)));
}

TEST(SelfChecks, GivenTablesAreSilent) {
  EXPECT_TRUE(TokenOrderCheck(FunctionTokenTable).empty());
  EXPECT_TRUE(FreeTokenCheck(FunctionTokenTable).empty());
}

TEST(SelfChecks, BrokenTablesAreReported) {
  std::vector<FunctionToken> table(FunctionTokenTable.begin(), FunctionTokenTable.end());
  // Move "sinh" to just after "sin": one ordering message naming both.
  auto sinh = std::find_if(table.begin(), table.end(), [](auto& e) { return e.name == "sinh"; });
  const FunctionToken moved = *sinh;
  table.erase(sinh);
  auto sin = std::find_if(table.begin(), table.end(), [](auto& e) { return e.name == "sin"; });
  table.insert(sin + 1, moved);
  auto order = TokenOrderCheck(table);
  ASSERT_EQ(order.size(), 1u);
  EXPECT_NE(order[0].find("'sin' est\xE1 contenido en 'sinh'"), std::string::npos);
  EXPECT_EQ(order[0].rfind("ERROR de orden de definici\xF3n de TOKENS en Sub Main: \r\n", 0), 0u);

  // Remove the only entry of code 177: one free-code message.
  std::vector<FunctionToken> missing;
  for (const auto& e : FunctionTokenTable)
    if (e.code != 177) missing.push_back(e);
  auto free = FreeTokenCheck(missing);
  ASSERT_EQ(free.size(), 1u);
  EXPECT_EQ(free[0], "C\xF3" "digo ASCII  177 disponible como TOKEN para funciones");
}

TEST(OperatorTable, LookupGivesFirstPositionAndItsPriority) {
  EXPECT_EQ(AllOperatorTokens().size(), 29u);
  EXPECT_EQ(AllOperatorTokens().substr(0, 7), std::string(":)+-@*") + Chr(25));
  struct Row { int code; int number; int priority; };
  const Row rows[] = {
      {':', 1, 0}, {')', 2, 0}, {'+', 3, 5}, {'@', 5, 6}, {'*', 6, 7}, {25, 7, 9},
      {'/', 8, 7}, {'^', 9, 9}, {26, 10, 4}, {27, 12, 4}, {28, 14, 4}, {'\\', 21, 7},
      {29, 22, 1}, {',', 23, 1}, {30, 24, 7}, {24, 28, 8}, {21, 29, 9}, {'(', 0, 0},
      {'a', 0, 0}, {200, 0, 0},
  };
  for (const Row& r : rows) {
    const int n = OperatorNumber(static_cast<char>(r.code));
    EXPECT_EQ(n, r.number) << r.code;
    EXPECT_EQ(OperatorPriority(n), r.priority) << r.code;
  }
}

TEST(ErrorMessages, TextsAndKinds) {
  EXPECT_EQ(ErrorMessage(0), "No errors");
  EXPECT_EQ(ErrorMessage(4), "Error: Too complex expression");
  EXPECT_EQ(ErrorMessage(23), "Error: Too many equations/functions");
  EXPECT_EQ(ErrorMessage(35), "Some/all solutions are complex");
  EXPECT_EQ(ErrorMessage(32), "");
  EXPECT_EQ(ErrorMessage(36), "");
  EXPECT_EQ(ErrorMessage(41), "Error: Calculation too long");
  EXPECT_EQ(ErrorMessage(42), "Error: Entry too long");
  EXPECT_EQ(ErrorMessage(43), "");
  EXPECT_EQ(ErrorMessage(-1), "");
  for (int code : {33, 34, 35}) EXPECT_TRUE(IsNotice(code)) << code;
  for (int code : {1, 3, 5, 7, 8, 11, 24, 27}) EXPECT_FALSE(IsNotice(code)) << code;
}

class StartUp : public test::FreshEngine {};

TEST_F(StartUp, PresetsAfterStart) {
  engine.VariableStore[23] = 9;
  engine.AngleFactor = 3;
  engine.ErrorCode = 7;  // start-up leaves it alone
  StartEngine(engine);
  const EngineState& s = engine;
  EXPECT_EQ(s.ErrorCode, 7);
  EXPECT_EQ(s.LastAnswer, 0);
  EXPECT_EQ(s.AngleFactor, 1.0);
  EXPECT_DOUBLE_EQ(s.Pi, M_PI);
  EXPECT_EQ(s.VariableStore[4], std::exp(1.0));
  EXPECT_EQ(s.DefinedFlag[4], -1);
  for (int i = 0; i < 26; ++i) {
    if (i == 4) continue;
    EXPECT_EQ(s.VariableStore[static_cast<size_t>(i)], 0) << i;
    EXPECT_EQ(s.DefinedFlag[static_cast<size_t>(i)], 0) << i;
  }
  EXPECT_EQ(WeekdayNames[0], "Monday");
  EXPECT_EQ(MonthNames[12], "December");
}

TEST_F(StartUp, RandomSequenceRepeatsAndStaysBelowOne) {
  RandomGenerator a, b;
  for (int i = 0; i < 10000; ++i) {
    const float x = a.Next();
    ASSERT_EQ(x, b.Next());
    ASSERT_GE(x, 0.0f);
    ASSERT_LT(x, 1.0f);
  }
}

}  // namespace
}  // namespace tarvo
