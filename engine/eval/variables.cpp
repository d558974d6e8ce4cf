// The 26 one-letter variables. "e" is the constant exp(1): it is preset,
// always defined, and an assignment to it is refused.
#include <cmath>

#include "engine/errors.h"
#include "engine/eval/evaluate.h"
#include "engine/state.h"

namespace tarvo {

namespace {
constexpr int kLetterE = 'e' - 'a';
}

void ClearVariables(Engine& engine) {
  for (int i = 0; i < kVariableCount; ++i) {
    engine.VariableStore[static_cast<size_t>(i)] = 0.0;
    engine.DefinedFlag[static_cast<size_t>(i)] = kUndefined;
    engine.Written.set(static_cast<size_t>(i));
  }
  engine.VariableStore[kLetterE] = Exp1();
  engine.DefinedFlag[kLetterE] = kDefined;
}

void AssignVariable(Engine& engine, char target, double value) {
  const int index = VariableIndex(target);
  if (index < 0) Fail(engine, ErrorNumber::kUnknownVariable);
  else if (index == kLetterE) Fail(engine, ErrorNumber::kConstant);
  else SetVariable(engine, target, value);
}

// Routines only ever name letters; anything else is ignored rather than
// written outside the store.
void SetVariable(Engine& engine, char letter, double value) {
  const int index = VariableIndex(letter);
  if (index < 0) return;
  engine.VariableStore[static_cast<size_t>(index)] = value;
  engine.DefinedFlag[static_cast<size_t>(index)] = kDefined;
  engine.Written.set(static_cast<size_t>(index));
}

}  // namespace tarvo
