// The variables: reading marks defined, assignment and its refusals, the
// writes of routines, and clearing.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/errors.h"
#include "engine/eval/evaluate.h"
#include "engine/state.h"
#include "tests/engine/eval_support.h"

namespace tarvo::test {
namespace {

int Index(char letter) { return letter - 'a'; }

class Variables : public FreshEngine {};

TEST_F(Variables, ReadingMarksDefined) {
  const Outcome y = Calc(engine, "y:");
  EXPECT_EQ(0, y.error);
  EXPECT_EQ(0.0, y.value);
  EXPECT_EQ(kDefined, engine.DefinedFlag[Index('y')]);

  const Outcome x = Calc(engine, "x+1:");
  EXPECT_EQ(1.0, x.value);
  EXPECT_EQ(kDefined, engine.DefinedFlag[Index('x')]);
  EXPECT_EQ(kUndefined, engine.DefinedFlag[Index('w')]);

  EXPECT_EQ(std::exp(1.0), Calc(engine, "e:").value);
  EXPECT_EQ(std::exp(1.0) * 2, Calc(engine, "2{ImplicitProduct}e:").value);
}

TEST_F(Variables, AssignStoresAndDefines) {
  engine.ErrorCode = 0;
  AssignVariable(engine, 'x', 3);
  EXPECT_EQ(0, engine.ErrorCode);
  EXPECT_EQ(3.0, engine.VariableStore[Index('x')]);
  EXPECT_EQ(kDefined, engine.DefinedFlag[Index('x')]);
  EXPECT_EQ(4.0, Calc(engine, "x+1:").value);
  AssignVariable(engine, 'a', -1.5);
  AssignVariable(engine, 'z', 2);
  EXPECT_EQ(-3.0, Calc(engine, "a*z:").value);
}

TEST_F(Variables, AssignRefusals) {
  struct RefusalRow {
    const char* name;
    char target;
    int error;
  };
  const RefusalRow rows[] = {
      {"the constant e", 'e', kErrConstant},
      {"a digit", '5', kErrUnknownVariable},
      {"upper case", 'X', kErrUnknownVariable},
      {"before a", '`', kErrUnknownVariable},
      {"after z", '{', kErrUnknownVariable},
      {"accented letter", '\xE9', kErrUnknownVariable},
      {"byte 0", '\0', kErrUnknownVariable},
  };
  for (const RefusalRow& row : rows) {
    SCOPED_TRACE(row.name);
    engine.Reset();
    const auto before = engine.VariableStore;
    const auto flags = engine.DefinedFlag;
    AssignVariable(engine, row.target, 2);
    EXPECT_EQ(row.error, engine.ErrorCode);
    EXPECT_EQ(before, engine.VariableStore);
    EXPECT_EQ(flags, engine.DefinedFlag);
  }
}

TEST_F(Variables, RoutineWritesDefine) {
  SetVariable(engine, 'q', 2.5);
  EXPECT_EQ(2.5, engine.VariableStore[Index('q')]);
  EXPECT_EQ(kDefined, engine.DefinedFlag[Index('q')]);
  const auto before = engine.VariableStore;
  SetVariable(engine, '?', 1);  // not a letter: nothing is written
  SetVariable(engine, 'A', 1);
  EXPECT_EQ(before, engine.VariableStore);
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
    SCOPED_TRACE(c);
    if (c == 'e') continue;
    EXPECT_EQ(0.0, engine.VariableStore[Index(c)]);
    EXPECT_EQ(kUndefined, engine.DefinedFlag[Index(c)]);
  }
  EXPECT_EQ(std::exp(1.0), engine.VariableStore[Index('e')]);
  EXPECT_EQ(kDefined, engine.DefinedFlag[Index('e')]);
  // The two saved-file entries are not variables.
  EXPECT_EQ(9.0, engine.VariableStore[kStoreAngleFactor]);
  EXPECT_EQ(8.0, engine.VariableStore[kStoreLastAnswer]);
}

}  // namespace
}  // namespace tarvo::test
