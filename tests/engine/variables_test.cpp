// The variables: reading marks a letter defined, assignment and its
// refusals, the routines' writes, and clearing.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/errors.h"
#include "engine/eval/evaluate.h"
#include "engine/state.h"
#include "tests/engine/eval_support.h"

namespace tarvo::test {
namespace {

int Index(char letter) { return letter - 'a'; }

using Variables = FreshEngine;

TEST_F(Variables, ReadingAndAssigning) {
  CheckRows(engine, {{"y:", 0, 0}, {"2{ImplicitProduct}e:", 2 * std::exp(1.0), 0}});
  EXPECT_EQ(kDefined, engine.DefinedFlag[Index('y')]);
  EXPECT_EQ(kUndefined, engine.DefinedFlag[Index('w')]);
  AssignVariable(engine, 'x', 3);
  AssignVariable(engine, 'z', -1.5);
  EXPECT_EQ(0, engine.ErrorCode);
  EXPECT_EQ(kDefined, engine.DefinedFlag[Index('z')]);
  CheckRows(engine, {{"x*z:", -4.5, 0}});
  // Refusals change nothing; a routine's write to a non-letter is dropped.
  const auto before = engine.VariableStore;
  const auto flags = engine.DefinedFlag;
  const std::pair<char, int> refusals[] = {{'e', kErrConstant}, {'5', kErrUnknownVariable},
                                           {'X', kErrUnknownVariable}, {'`', kErrUnknownVariable},
                                           {'{', kErrUnknownVariable}, {'\xE9', kErrUnknownVariable}};
  for (const auto& [target, error] : refusals) {
    engine.ErrorCode = 0;
    AssignVariable(engine, target, 2);
    EXPECT_EQ(error, engine.ErrorCode) << target;
  }
  SetVariable(engine, '?', 1);
  SetVariable(engine, 'A', 1);
  EXPECT_EQ(before, engine.VariableStore);
  EXPECT_EQ(flags, engine.DefinedFlag);
  SetVariable(engine, 'q', 2.5);
  EXPECT_EQ(2.5, engine.VariableStore[Index('q')]);
  EXPECT_EQ(kDefined, engine.DefinedFlag[Index('q')]);
}

TEST_F(Variables, ClearKeepsOnlyE) {
  AssignVariable(engine, 'a', 1);
  AssignVariable(engine, 'z', 2);
  engine.VariableStore[Index('e')] = 5;  // as a loaded file may leave it
  engine.DefinedFlag[Index('e')] = kUndefined;
  engine.VariableStore[kStoreAngleFactor] = 9;
  engine.VariableStore[kStoreLastAnswer] = 8;
  ClearVariables(engine);
  for (char c = 'a'; c <= 'z'; ++c) {
    if (c == 'e') continue;
    EXPECT_EQ(0.0, engine.VariableStore[Index(c)]) << c;
    EXPECT_EQ(kUndefined, engine.DefinedFlag[Index(c)]) << c;
  }
  EXPECT_EQ(std::exp(1.0), engine.VariableStore[Index('e')]);
  EXPECT_EQ(kDefined, engine.DefinedFlag[Index('e')]);
  // The two saved-file entries are not variables.
  EXPECT_EQ(9.0, engine.VariableStore[kStoreAngleFactor]);
  EXPECT_EQ(8.0, engine.VariableStore[kStoreLastAnswer]);
}

}  // namespace
}  // namespace tarvo::test
