#include "engine/state.h"

#include "engine/tokens.h"

namespace tarvo {

void StartEngine(Engine& engine) {
  const ErrorNumber error = engine.ErrorCode;
  engine.Reset();
  engine.ErrorCode = error;
  EngineHost& host = engine.Host();
  for (const std::string& m : TokenOrderCheck(FunctionTokenTable)) host.ReportSelfCheck(m, true);
  for (const std::string& m : FreeTokenCheck(FunctionTokenTable)) host.ReportSelfCheck(m, false);
}

}  // namespace tarvo
