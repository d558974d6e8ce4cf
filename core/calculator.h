// The calculator both front ends share. It owns the engine, the session
// with its saved state, the output format and the entry history, and runs
// the start-up once; the window's logic and the console each hold one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/entry_history.h"
#include "core/output_format.h"
#include "core/processing_cycle.h"
#include "core/session.h"
#include "engine/state.h"

namespace tarvo {

struct SessionStart {
  FileResult files;
  // The unit the saved angle factor stood for, now in force; none when the
  // saved factor matched no unit (the engine's preset, radians, stays).
  std::optional<AngleUnit> angleUnit;
  // The start's own calculation of "0", for the display.
  CycleResult firstAnswer;
};

class Calculator {
 public:
  Calculator() = default;
  Calculator(const Calculator&) = delete;
  Calculator& operator=(const Calculator&) = delete;

  // Start of a run: the engine's presets, the state files of `stateDir`
  // (none when empty), the angle unit they imply, the normal output format,
  // the saved last answer, then one calculation of "0", the history's first
  // entry. Files that exist but cannot be read leave the presets in force
  // and are named in the result. Where `locking`'s wait for another
  // session's lock is given up, nothing else happens and `files.busy` says so.
  SessionStart Start(const std::string& stateDir, const FolderLocking& locking = {});
  // End of a run: saves what the run wrote, keeping what other sessions
  // saved meanwhile elsewhere. It may be tried again after a failure.
  SaveResult End(const std::string& stateDir, const FolderLocking& locking = {});
  // What the run wrote since its start: what its End saves over others'.
  WrittenFields Written() const { return {engine_.Written, angleWritten_, answerWritten_}; }

  // One entry line through the processing cycle.
  CycleResult Calculate(std::string_view line, const CycleHooks& hooks = {});

  AngleUnit Unit() const { return unit_; }
  // Puts `unit` in force and returns the help text that says so.
  std::string_view SetAngleUnit(AngleUnit unit);

  Engine& GetEngine() { return engine_; }
  const Engine& GetEngine() const { return engine_; }
  OutputFormat& Format() { return format_; }
  EntryHistory& History() { return history_; }
  const EntryHistory& History() const { return history_; }

 private:
  Engine engine_;
  Session session_;
  OutputFormat format_{engine_};  // after the engine, whose answer it shows
  EntryHistory history_;
  AngleUnit unit_ = AngleUnit::kRadian;  // the engine's preset factor, 1
  // What the run wrote besides the variables (the engine marks those).
  bool angleWritten_ = false;
  bool answerWritten_ = false;
};

}  // namespace tarvo
