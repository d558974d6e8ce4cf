// The console front end's logic: the calculator's entries, output formats and
// angle units driven by lines of text instead of keys. tarvo-cli is a thin
// shell around it, and the tests drive it directly.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/calculator.h"

namespace tarvo {

class Console {
 public:
  // Output lines (UTF-8) go to `out`, diagnostics to `err`.
  Console(std::function<void(const std::string&)> out, std::function<void(const std::string&)> err)
      : out_(std::move(out)), err_(std::move(err)) {}

  // How the loads and saves wait while another session holds the state
  // folder's lock (quietly, until it is free, unless set).
  void SetLockWait(LockWait wait) { wait_ = std::move(wait); }
  // The state folder's lock, where the run holds it for the whole run: the
  // loads and saves inside it lock nothing themselves.
  void SetHeldLock(const StateFolderLock* held) { held_ = held; }

  // Start of a run; `stateDir` empty means no variable files. False
  // (reported on `err`) when a variable file exists but cannot be read, or
  // the wait for the lock was given up (`StartResult().busy`).
  bool Start(const std::string& stateDir);
  const FileResult& StartResult() const { return started_; }
  // End of a run: saves; false (reported on `err`) when the save failed or
  // the wait for another session's lock was given up.
  bool Finish(const std::string& stateDir);

  enum class Outcome { kNothing, kSuccess, kNotice, kUnknownCommand };
  // One entry or directive, UTF-8. A line over the entry-length limit is an
  // entry, which the cycle refuses; so is a line its reader cut short.
  Outcome Run(const std::string& line, bool cutShort = false);

  Calculator& Calc() { return calculator_; }

  // The paragraph of the usage text that names the directives, wrapped at
  // `width` columns.
  static std::string DirectivesHelp(size_t width);

 private:
  Outcome RunDirective(const std::string& directive);
  Outcome Unknown(const std::string& directive);
  void Print(const AnswerView& view);
  // The variable list's rows as a list window would show them.
  void PrintVariables(const VariableListShow& shown);
  // The window's tape in the state folder, a row a line; false (reported
  // on `err`) when it could not be read whole.
  bool PrintTape();

  std::function<void(const std::string&)> out_, err_;
  Calculator calculator_;
  LockWait wait_;
  const StateFolderLock* held_ = nullptr;
  FileResult started_;
  std::string stateDir_;  // as the run started: where ":tape" reads
};

}  // namespace tarvo
