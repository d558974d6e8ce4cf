// The token tables' byte sets and look-ups, their start-up self checks, the
// error table's edges, the start-up presets and the random sequence.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/errors.h"
#include "engine/state.h"
#include "engine/tokens.h"

namespace tarvo {
namespace {

TEST(Tables, ByteSetsAndOperatorLookUp) {
  for (int c = 0; c <= 255; ++c)
    EXPECT_EQ(c >= kFirstFunctionCode && c <= kLastFunctionCode, IsFunctionToken(static_cast<char>(c))) << c;
  EXPECT_TRUE(IsParenFunctionToken(ByteOf(Token::LogToBase)));
  EXPECT_FALSE(IsParenFunctionToken(ByteOf(Token::Sine)));
  // A token spelled twice is found at its first position, with that priority.
  EXPECT_EQ(10, OperatorNumber(ByteOf(Token::NotEqual)));
  EXPECT_EQ(14, OperatorNumber(ByteOf(Token::GreaterOrEqual)));
  EXPECT_EQ(8, OperatorPriority(OperatorNumber(ByteOf(Token::ImplicitProduct))));
  EXPECT_EQ(0, OperatorNumber('('));
  EXPECT_EQ(0, OperatorNumber(ByteOf(Token::Sine)));
}

TEST(Tables, SelfChecksReportBrokenTablesOnly) {
  EXPECT_TRUE(TokenOrderCheck(FunctionTokenTable).empty());
  EXPECT_TRUE(FreeTokenCheck(FunctionTokenTable).empty());
  // "sinh" moved to just after "sin": one ordering message naming both.
  std::vector<FunctionToken> table(FunctionTokenTable.begin(), FunctionTokenTable.end());
  auto sinh = std::find_if(table.begin(), table.end(), [](auto& e) { return e.name == "sinh"; });
  const FunctionToken moved = *sinh;
  table.erase(sinh);
  table.insert(std::find_if(table.begin(), table.end(), [](auto& e) { return e.name == "sin"; }) + 1, moved);
  const auto order = TokenOrderCheck(table);
  ASSERT_EQ(1u, order.size());
  EXPECT_NE(std::string::npos, order[0].find("'sin' est\xE1 contenido en 'sinh'"));
  // The only entry of code 177 removed: one free-code message.
  std::erase_if(table, [](auto& e) { return e.code == Token::IsPrime; });
  const auto free = FreeTokenCheck(table);
  ASSERT_EQ(1u, free.size());
  EXPECT_EQ("C\xF3" "digo ASCII  177 disponible como TOKEN para funciones", free[0]);
}

TEST(Tables, ErrorTableEdges) {
  EXPECT_TRUE(ErrorMessage(0) == "No errors" && ErrorMessage(42) == "Error: Entry too long");
  for (int empty : {-1, 32, 36, 40, 43}) EXPECT_EQ("", ErrorMessage(empty)) << empty;
  for (int code : {33, 34, 35}) EXPECT_TRUE(IsNotice(code)) << code;
  for (int code : {1, 5, 11, 27, 32, 36}) EXPECT_FALSE(IsNotice(code)) << code;
}

TEST(Tables, StartUpPresetsAndRandomSequence) {
  Engine engine;
  engine.VariableStore[23] = 9;
  engine.AngleFactor = 3;
  engine.ErrorCode = 7;  // start-up leaves it alone
  StartEngine(engine);
  EXPECT_TRUE(engine.ErrorCode == 7 && engine.AngleFactor == 1.0 && engine.LastAnswer == 0);
  EXPECT_DOUBLE_EQ(M_PI, engine.Pi);
  for (size_t i = 0; i < 26; ++i) {
    EXPECT_EQ(i == 4 ? std::exp(1.0) : 0, engine.VariableStore[i]) << i;
    EXPECT_EQ(i == 4 ? -1 : 0, engine.DefinedFlag[i]) << i;
  }
  RandomGenerator a, b;
  for (int i = 0; i < 10000; ++i) {
    const float x = a.Next();
    ASSERT_TRUE(x == b.Next() && x >= 0.0f && x < 1.0f) << i;
  }
}

}  // namespace
}  // namespace tarvo
