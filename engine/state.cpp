#include "engine/state.h"

namespace tarvo {

FailedValue Fail(EngineState& state, ErrorNumber error) {
  state.ErrorCode = error;
  return {};
}

void StartEngine(Engine& engine) {
  const ErrorNumber error = engine.ErrorCode;
  engine.Reset();
  engine.ErrorCode = error;
}

}  // namespace tarvo
