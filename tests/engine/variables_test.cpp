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

using enum ErrorNumber;

using Variables = FreshEngine;

TEST_F(Variables, ReadAssignAndClear) {
  auto& store = engine.VariableStore;
  auto& flags = engine.DefinedFlag;
  CheckRows(engine, {{"y:", 0}, {"2{ImplicitProduct}e:", 2 * std::exp(1.0)}});
  EXPECT_TRUE(flags['y' - 'a'] == kDefined && flags['w' - 'a'] == kUndefined);
  AssignVariable(engine, 'x', 3);
  AssignVariable(engine, 'z', -1.5);
  EXPECT_TRUE(engine.ErrorCode == kNone && flags['z' - 'a'] == kDefined);
  CheckRows(engine, {{"x*z:", -4.5}});
  // Refusals change nothing; a routine's write to a non-letter is dropped.
  const auto storeBefore = store;
  const auto flagsBefore = flags;
  for (char target : {'e', '5', 'X', '`', '{', '\xE9'}) {
    engine.ErrorCode = kNone;
    AssignVariable(engine, target, 2);
    EXPECT_EQ(target == 'e' ? kConstant : kUnknownVariable, engine.ErrorCode) << target;
  }
  SetVariable(engine, '?', 1);
  SetVariable(engine, 'A', 1);
  EXPECT_TRUE(store == storeBefore && flags == flagsBefore);
  // What the session's save writes over other sessions: each variable
  // written, even to the value it held; refusals write nothing.
  engine.Written.reset();
  SetVariable(engine, 'q', store['q' - 'a']);
  EXPECT_EQ(engine.Written.to_ulong(), 1ul << ('q' - 'a'));
  // Clearing keeps e (even as a loaded file may leave it), the angle factor
  // and the last answer, and counts as writing every variable.
  store['e' - 'a'] = 5;
  flags['e' - 'a'] = kUndefined;
  engine.AngleFactor = 9;
  engine.LastAnswer = 8;
  ClearVariables(engine);
  for (int i = 0; i < 26; ++i) {
    EXPECT_EQ(i == 4 ? std::exp(1.0) : 0.0, store[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(i == 4 ? kDefined : kUndefined, flags[static_cast<size_t>(i)]) << i;
  }
  EXPECT_TRUE(engine.AngleFactor == 9 && engine.LastAnswer == 8 && engine.Written.all());
}

}  // namespace
}  // namespace tarvo::test
