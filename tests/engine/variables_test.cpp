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
  const Outcome y = Calc("y:");
  EXPECT_EQ(0, y.error);
  EXPECT_EQ(0.0, y.value);
  EXPECT_EQ(kDefined, State().DefinedFlag[Index('y')]);

  const Outcome x = Calc("x+1:");
  EXPECT_EQ(1.0, x.value);
  EXPECT_EQ(kDefined, State().DefinedFlag[Index('x')]);
  EXPECT_EQ(kUndefined, State().DefinedFlag[Index('w')]);

  EXPECT_EQ(std::exp(1.0), Calc("e:").value);
  EXPECT_EQ(std::exp(1.0) * 2, Calc("2{ImplicitProduct}e:").value);
}

TEST_F(Variables, AssignStoresAndDefines) {
  State().ErrorCode = 0;
  AssignVariable('x', 3);
  EXPECT_EQ(0, State().ErrorCode);
  EXPECT_EQ(3.0, State().VariableStore[Index('x')]);
  EXPECT_EQ(kDefined, State().DefinedFlag[Index('x')]);
  EXPECT_EQ(4.0, Calc("x+1:").value);
  AssignVariable('a', -1.5);
  AssignVariable('z', 2);
  EXPECT_EQ(-3.0, Calc("a*z:").value);
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
    ResetState();
    const auto before = State().VariableStore;
    const auto flags = State().DefinedFlag;
    AssignVariable(row.target, 2);
    EXPECT_EQ(row.error, State().ErrorCode);
    EXPECT_EQ(before, State().VariableStore);
    EXPECT_EQ(flags, State().DefinedFlag);
  }
}

TEST_F(Variables, RoutineWritesDefine) {
  SetVariable('q', 2.5);
  EXPECT_EQ(2.5, State().VariableStore[Index('q')]);
  EXPECT_EQ(kDefined, State().DefinedFlag[Index('q')]);
  const auto before = State().VariableStore;
  SetVariable('?', 1);  // not a letter: nothing is written
  SetVariable('A', 1);
  EXPECT_EQ(before, State().VariableStore);
}

TEST_F(Variables, ClearKeepsOnlyE) {
  AssignVariable('a', 1);
  AssignVariable('z', 2);
  State().VariableStore[Index('e')] = 5;  // as a loaded file may leave it
  State().DefinedFlag[Index('e')] = kUndefined;
  State().VariableStore[kStoreAngleFactor] = 9;
  State().VariableStore[kStoreLastAnswer] = 8;
  ClearVariables();
  for (char c = 'a'; c <= 'z'; ++c) {
    SCOPED_TRACE(c);
    if (c == 'e') continue;
    EXPECT_EQ(0.0, State().VariableStore[Index(c)]);
    EXPECT_EQ(kUndefined, State().DefinedFlag[Index(c)]);
  }
  EXPECT_EQ(std::exp(1.0), State().VariableStore[Index('e')]);
  EXPECT_EQ(kDefined, State().DefinedFlag[Index('e')]);
  // The two saved-file entries are not variables.
  EXPECT_EQ(9.0, State().VariableStore[kStoreAngleFactor]);
  EXPECT_EQ(8.0, State().VariableStore[kStoreLastAnswer]);
}

}  // namespace
}  // namespace tarvo::test
