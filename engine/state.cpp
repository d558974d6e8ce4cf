#include "engine/state.h"

namespace tarvo {

void StartEngine(Engine& engine) {
  const int error = engine.ErrorCode;
  engine.Reset();
  engine.ErrorCode = error;
}

}  // namespace tarvo
