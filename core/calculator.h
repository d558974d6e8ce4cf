// The calculator both front ends share, and the one door they go through.
// It owns the engine (whose state nothing above core/ sees), the session
// with its saved state, the output format, the entry history and, for the
// window, the tape; it runs the start-up once. The window's logic and the
// console each hold one. Each entry's result carries all it produced.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/cycle_result.h"
#include "core/entry_history.h"
#include "core/menu_entry.h"
#include "core/output_format.h"
#include "core/session.h"
#include "core/state_files.h"
#include "core/tape.h"
#include "engine/variables.h"

namespace tarvo {

class Engine;

struct SessionStart {
  FileResult files;
  // The tape's read, where the calculator keeps one: a tape that could not
  // be read whole says why (what could be read is kept).
  FileResult tape;
  // The unit the saved angle factor stood for, now in force; none when the
  // saved factor matched no unit (the engine's preset, radians, stays).
  std::optional<AngleUnit> angleUnit;
  // The start's own calculation of "0", for the display.
  CycleResult firstAnswer;
};

// What the end of a run with its tape saved: the variables and the tape.
struct SessionSave {
  SaveResult variables, tape;
  bool Busy() const { return variables.busy || tape.busy; }
  bool Ok() const { return variables.ok && tape.ok; }
};
enum class SaveParts { kBoth, kVariables, kTape };

class Calculator {
 public:
  Calculator();
  ~Calculator();
  Calculator(const Calculator&) = delete;
  Calculator& operator=(const Calculator&) = delete;

  // Start of a run: the engine's presets, the state files of `stateDir`
  // (none when empty), the angle unit they imply, the normal output format,
  // the saved last answer, then one calculation of "0", the history's first
  // entry. Files that exist but cannot be read leave the presets in force
  // and are named in the result. Where `locking`'s wait for another
  // session's lock is given up, nothing else happens and `files.busy` says so.
  SessionStart Start(const std::string& stateDir, const FolderLocking& locking = {});
  // The same, keeping the tape of `stateDir` as well (the window's): the
  // variables and the tape are read as one step, which no save of another
  // session comes between, and every entry read adds its row.
  SessionStart StartWithTape(const std::string& stateDir, const LockWait& wait = {});
  // End of a run: saves what the run wrote, keeping what other sessions
  // saved meanwhile elsewhere. It may be tried again after a failure.
  SaveResult End(const std::string& stateDir, const FolderLocking& locking = {});
  // The same for a run started with its tape: the variables' save and the
  // tape's, as one step; `parts` says which (after a failure, the one that
  // failed is tried again). Where `wait` gives up the wait for another
  // session's lock, nothing is saved and both results say `busy`.
  SessionSave EndWithTape(const std::string& stateDir, const LockWait& wait = {},
                          SaveParts parts = SaveParts::kBoth);
  // What the run wrote since its start: what its End saves over others'.
  WrittenFields Written() const;

  // One entry line through the processing cycle.
  CycleResult Calculate(std::string_view line, const CycleHooks& hooks = {});
  // The entry's text for the last answer ("0.5", "(-2)"), as the answer
  // key writes it.
  std::string LastAnswerText() const;

  // The output formats' keys and directives, on the last answer (see
  // OutputFormat).
  AnswerView ShowFormat(OutputMode mode);
  std::vector<MenuEntry> FormatMenu(OutputMode mode) const;
  std::optional<AnswerView> ChooseFromFormatMenu(OutputMode mode, int choice);

  // Puts `unit` in force and returns the help text that says so.
  std::string_view SetAngleUnit(AngleUnit unit);
  // The unit in force, as the engine's angle factor stands for it.
  AngleUnit AngleUnitInForce() const;

  // The variables as they stand, as a list shows them.
  VariableListShow Variables() const;
  // Every variable but e back to undefined.
  void ClearVariables();
  // A list has shown the complex pair a polynomial solver left: from now on
  // its letters are plain numbers.
  void ForgetComplexPair();

  // The tape (empty unless started with it), oldest row first.
  const Tape& GetTape() const { return tape_; }
  // Empties the tape, and its file of every line it holds now, at once where
  // no other session holds the state folder (else the save at the end
  // does); a run that started without its state folder empties only what
  // it saved itself.
  SaveResult ClearTape();
  // The clock the tape's rows are stamped with (this machine's unless set).
  void SetTapeClock(TapeClock clock) { clock_ = std::move(clock); }

  EntryHistory& History() { return history_; }
  const EntryHistory& History() const { return history_; }

  // The work each entry may do, in units (see the engine's work budget).
  // Only a harness that runs the engine many times slower than a release
  // build (the fuzzers) sets less.
  void SetWorkPerEntry(std::int64_t units);

 private:
  SessionStart StartSession(const std::string& stateDir, const FolderLocking& locking);

  std::unique_ptr<Engine> engine_;
  Session session_;
  OutputFormat format_;
  EntryHistory history_;
  Tape tape_;
  TapeClock clock_ = TapeTimeNow;
  bool keepsTape_ = false;
  std::string stateDir_;  // as the run started
  // What the run wrote besides the variables (the engine marks those).
  bool angleWritten_ = false;
  bool answerWritten_ = false;
};

}  // namespace tarvo
