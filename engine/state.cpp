#include "engine/state.h"

namespace tarvo {

void StartEngine(Engine& engine) {
  const ErrorNumber error = engine.ErrorCode;
  engine.Reset();
  engine.ErrorCode = error;
}

}  // namespace tarvo
