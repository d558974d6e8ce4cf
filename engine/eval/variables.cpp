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

void ClearVariables() {
  EngineState& st = State();
  for (int i = 0; i < kVariableCount; ++i) {
    st.VariableStore[static_cast<size_t>(i)] = 0.0;
    st.DefinedFlag[static_cast<size_t>(i)] = kUndefined;
  }
  st.VariableStore[kLetterE] = Exp1();
  st.DefinedFlag[kLetterE] = kDefined;
}

void AssignVariable(char target, double value) {
  const int index = VariableIndex(target);
  if (index < 0) {
    State().ErrorCode = kErrUnknownVariable;
    return;
  }
  if (index == kLetterE) {
    State().ErrorCode = kErrConstant;
    return;
  }
  SetVariable(target, value);
}

// Routines only ever name letters; anything else is ignored rather than
// written outside the store.
void SetVariable(char letter, double value) {
  const int index = VariableIndex(letter);
  if (index < 0) return;
  State().VariableStore[static_cast<size_t>(index)] = value;
  State().DefinedFlag[static_cast<size_t>(index)] = kDefined;
}

}  // namespace tarvo
