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
  EngineState& st = engine;
  for (int i = 0; i < kVariableCount; ++i) {
    st.VariableStore[static_cast<size_t>(i)] = 0.0;
    st.DefinedFlag[static_cast<size_t>(i)] = kUndefined;
    st.Written.set(static_cast<size_t>(i));
  }
  st.VariableStore[kLetterE] = Exp1();
  st.DefinedFlag[kLetterE] = kDefined;
}

void AssignVariable(Engine& engine, char target, double value) {
  const int index = VariableIndex(target);
  if (index < 0) {
    engine.ErrorCode = kErrUnknownVariable;
    return;
  }
  if (index == kLetterE) {
    engine.ErrorCode = kErrConstant;
    return;
  }
  SetVariable(engine, target, value);
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
