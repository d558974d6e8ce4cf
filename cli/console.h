// The console front end's logic: the processing cycle, the output formats and
// the angle units driven by lines of text instead of keys. tarvo-cli is a thin
// shell around it, and the tests drive it directly.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/host.h"
#include "engine/state.h"
#include "core/output_format.h"
#include "core/session.h"

namespace tarvo {

class Console : public EngineHost {
 public:
  // Drives `engine`, whose host is to be this console (the engine's owner
  // makes the two together). Output lines (UTF-8) go to `out`, diagnostics
  // to `err`.
  Console(Engine& engine, std::function<void(const std::string&)> out,
          std::function<void(const std::string&)> err)
      : out_(std::move(out)), err_(std::move(err)), engine_(engine), format_(engine) {}

  // How the loads and saves wait while another session holds the state
  // folder's lock (quietly, until it is free, unless set).
  void SetLockWait(LockWait wait) { wait_ = std::move(wait); }

  // Start of a run; `stateDir` empty means no variable files. False
  // (reported on `err`) when a variable file exists but cannot be read, or
  // the wait for the lock was given up (`StartResult().busy`).
  bool Start(const std::string& stateDir);
  const FileResult& StartResult() const { return started_; }
  // End of a run: saves; false (reported on `err`) when the save failed.
  bool Finish(const std::string& stateDir);

  enum class Outcome { kNothing, kSuccess, kNotice, kUnknownCommand };
  // One entry or directive, UTF-8. A line over the entry-length limit is an
  // entry, which the cycle refuses; so is a line its reader cut short.
  Outcome Run(const std::string& line, bool cutShort = false);

  // EngineHost
  void ShowVariableList() override;
  void ReportSelfCheck(const std::string& text, bool critical) override;

 private:
  Outcome RunDirective(const std::string& directive);
  void Print(const AnswerView& view);

  std::function<void(const std::string&)> out_, err_;
  Engine& engine_;
  Session session_;
  LockWait wait_;
  FileResult started_;
  OutputFormat format_;
  std::string line_;  // the result line being printed, its storage reused
};

// A console and the engine it drives, made together: the console is the
// engine's host, and only keeps the reference until the engine exists.
struct ConsoleSession {
  ConsoleSession(std::function<void(const std::string&)> out, std::function<void(const std::string&)> err)
      : console(engine, std::move(out), std::move(err)) {}
  Console console;
  Engine engine{console};
};

}  // namespace tarvo
