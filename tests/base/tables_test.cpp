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

// The byte sets built from the tables: exactly the function codes, and the
// call forms only.
TEST(FunctionTable, ByteSetsHoldExactlyTheTableCodes) {
  for (int c = 0; c <= 255; ++c) {
    const bool function = c >= kFirstFunctionCode && c <= kLastFunctionCode;
    EXPECT_EQ(IsFunctionToken(static_cast<char>(c)), function) << c;
  }
  EXPECT_TRUE(IsParenFunctionToken(ByteOf(Token::LogToBase)));
  EXPECT_FALSE(IsParenFunctionToken(ByteOf(Token::Sine)));
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
    if (e.code != Token::IsPrime) missing.push_back(e);
  auto free = FreeTokenCheck(missing);
  ASSERT_EQ(free.size(), 1u);
  EXPECT_EQ(free[0], "C\xF3" "digo ASCII  177 disponible como TOKEN para funciones");
}

// A token spelled twice is found at its first position, with that priority.
TEST(OperatorTable, SharedTokenIsFoundAtItsFirstPosition) {
  EXPECT_EQ(OperatorNumber(ByteOf(Token::NotEqual)), 10);
  EXPECT_EQ(OperatorNumber(ByteOf(Token::GreaterOrEqual)), 14);
  EXPECT_EQ(OperatorPriority(OperatorNumber(ByteOf(Token::ImplicitProduct))), 8);
  EXPECT_EQ(OperatorNumber('('), 0);
  EXPECT_EQ(OperatorNumber(ByteOf(Token::Sine)), 0);
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
