// What the main window does, without a widget. It joins the calculator both
// front ends share (its door to the engine, the session, the output
// formats, the history and the tape) and the parts that each do one window
// job (the shifts, the pin and help actions, the keypad table) to the keys
// and the controls of one window, which it drives through MainControls.
#pragma once

#include <optional>
#include <string>

#include "core/calculator.h"
#include "ui/logic/controls.h"
#include "ui/logic/help_actions.h"
#include "ui/logic/key_codes.h"
#include "ui/logic/keypad.h"
#include "ui/logic/look.h"
#include "ui/logic/shift_state.h"

namespace tarvo {

class CalculatorLogic {
 public:
  explicit CalculatorLogic(MainControls& controls)
      : c_(controls), pin_(controls, shifts_), help_(controls, pin_, looks_) {}

  // Start of a run: the calculator's start with its tape (see
  // Calculator::StartWithTape), the keypad, and the start's "0" on the
  // display; a tape that could not be read whole is named on the message
  // line. End of a run: the calculator's save of the variables and the tape
  // (see Calculator::EndWithTape). Where
  // `wait` gives up the wait for another session's lock, nothing starts or
  // is saved and the result says `busy`: the window tries again later.
  FileResult StartSession(const std::string& stateDir, const LockWait& wait = {});
  using Saved = SessionSave;
  using Parts = SaveParts;
  Saved EndSession(const std::string& stateDir, const LockWait& wait = {}, Parts parts = Parts::kBoth);
  // What the end of the run would write into the state folder (the
  // variables it wrote, the angle unit, the last answer, the tape's new
  // rows), in words: "the variables x and y, the last answer and 3 rows of
  // the tape"; empty when nothing.
  std::string WhatASaveWrites() const;
  // The clock the tape's rows are stamped with (this machine's unless set).
  void SetTapeClock(TapeClock clock) { calculator_.SetTapeClock(std::move(clock)); }

  // A keypad key clicked (or its keyboard binding), pressed and let go.
  void ClickKey(Key key);
  void HoldKey(Key key);
  void ReleaseKey(Key key);
  // Keys pressed in the entry line: the window sees them first. `shift`
  // holds the kShiftHeld, kCtrlHeld and kAltHeld bits. The result of
  // EntryKeyPress is the character the line receives (0: none).
  void EntryKeyDown(KeyCode key, int shift);
  int EntryKeyPress(int c);
  void EntryLineMouseDown() { resultShown_ = false; }
  // The line's text changed: an error's colour goes.
  void EntryLineChanged();
  // True when a line of `length` characters is no longer than an entry may
  // be; otherwise shows the "entry too long" error and returns false.
  bool EntryFits(size_t length);
  // The history review picture clicked at height `y`: the upper half goes
  // to the older entry, the lower half to the newer.
  void ReviewHistory(int y);
  // The page selector, the always-on-top pin and the variable list window.
  void TurnKeypadPage();
  void PressPageSelector();
  void ReleasePageSelector();
  void ToggleAlwaysOnTop() {
    pin_.Toggle();
    RestShiftKeys();  // the pin clears a pending shift, so its key must not look held
  }
  void VariableListKey();
  // The variable list over the window, as `shown` (a solver's roots) or the
  // variables as they stand; the pin drops while it is open.
  void ShowVariableList(const std::optional<VariableListShow>& shown);

  // The execute key: the processing cycle on the entry line, its entry and
  // result (or message) a new row of the tape.
  void ExecuteKey();

  // The desktop, having taken the manual, could not open it after all.
  void ManualNotOpened(const std::string& path) { help_.ManualNotOpened(path); }
  // The tape window opens or closes (its key, the help menu's entry).
  void ToggleTape() { help_.ToggleTape(); }
  // A row of the tape chosen: its entry replaces the line, as the history
  // review's do.
  void PutEntryBack(const std::string& entry);
  // Empties the tape, and its file of every line it holds now, at once where
  // no other session holds the state folder (else the save at the end
  // does); a session that started without the saved values empties only
  // what it saved itself.
  void ClearTape();
  const Tape& GetTape() const { return calculator_.GetTape(); }

  // The window's looks: the one in force, and whence it comes.
  LookSettings& Looks() { return looks_; }
  // The desktop's look changed (none: it reports none); shown where the
  // window follows it.
  void DesktopLookChanged(std::optional<Look> look);

  const EntryHistory& History() const { return history_; }
  Calculator& Calc() { return calculator_; }

 private:
  void ProcessEntry();
  void ShowError(ErrorNumber error);
  void ShowAnswer(const AnswerView& view);
  void InsertAtCaret(const std::string& keyText, std::string_view help);
  void DeleteKey();
  void ClearEntryKey();
  void LastAnswerKey();
  void RecordInHistory();
  void OutputKey(Key key);
  void AngleUnitKey(Key key);
  void ShiftKey(bool arc);
  void ConstantsKey();
  void ClearVariablesKey();
  void HelpKey();
  void LightOneKeyOf(KeyRole role, Key lit);
  void LightOutputKey(OutputMode mode);
  void LightAngleUnitKey(AngleUnit unit);
  // The shift keys back at rest, the indicator hidden, once no shift is
  // pending: run after every action that may clear a shift.
  void RestShiftKeys();
  void WindowKeyDown(KeyCode key, int shift);
  int WindowKeyPress(int c);
  int EntryLineKeyPress(int c);
  void EntryLineKeyDown(KeyCode key);

  MainControls& c_;
  Calculator calculator_;
  EntryHistory& history_ = calculator_.History();
  ShiftState shifts_;
  LookSettings looks_;
  AlwaysOnTopPin pin_;
  HelpActions help_;
  int keypadPage_ = 0;
  // A result is on show: a typed operator continues from it, anything else
  // starts a new entry.
  bool resultShown_ = false;
  // The error (or notice) the message line shows since the last entry that
  // ended in one or in an answer; none once an answer shows. A blank entry
  // changes neither.
  ErrorNumber shownError_ = ErrorNumber::kNone;
  // The last answer came from equations: no number to go on from.
  bool answerHeldEquations_ = false;
};

}  // namespace tarvo
