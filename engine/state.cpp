#include "engine/state.h"

#include "engine/tokens.h"

namespace tarvo {

EngineHost& NullHost() {
  static EngineHost host;
  return host;
}

EngineState& State() {
  static EngineState state;
  return state;
}

void ResetState() { State() = EngineState{}; }

void StartEngine() {
  EngineHost* host = State().Host;
  const int error = State().ErrorCode;  // start-up does not touch ErrorCode
  State() = EngineState{};
  State().Host = host;
  State().ErrorCode = error;
  for (const std::string& m : TokenOrderCheck(FunctionTokenTable)) host->ReportSelfCheck(m, true);
  for (const std::string& m : FreeTokenCheck(FunctionTokenTable)) host->ReportSelfCheck(m, false);
}

}  // namespace tarvo
