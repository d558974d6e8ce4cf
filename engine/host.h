// The engine's only way back to a front end. The window, the console and the
// tests each implement it; the base class does nothing.
#pragma once

#include <string>

namespace tarvo {

class EngineHost {
 public:
  virtual ~EngineHost() = default;
  // A solver has stored its roots and wants the variable list shown now; the
  // call returns when the list has been dismissed.
  virtual void ShowVariableList() {}
  // A start-up self-check found a fault in the token tables (Windows-1252 text).
  virtual void ReportSelfCheck(const std::string& /*text*/, bool /*critical*/) {}
  // The system beep (the normaliser closes open parentheses with one).
  virtual void Beep() {}
};

}  // namespace tarvo
