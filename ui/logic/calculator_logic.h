// What the main window does, without a widget. It joins the parts that each
// do one job (the processing cycle, the history, the output format, the
// shifts, the pin and help actions, the keypad table) to the keys and the
// controls of one window, which it drives through MainControls.
#pragma once

#include <string>

#include "engine/state.h"
#include "ui/logic/controls.h"
#include "ui/logic/help_actions.h"
#include "ui/logic/key_codes.h"
#include "ui/logic/keypad.h"
#include "core/entry_history.h"
#include "core/output_format.h"
#include "core/session.h"
#include "ui/logic/shift_state.h"

namespace tarvo {

class CalculatorLogic {
 public:
  CalculatorLogic(MainControls& controls, Engine& engine)
      : c_(controls), engine_(engine), format_(engine), pin_(controls, shifts_), help_(controls, pin_) {}

  // Start of a run: the session's presets and files, the keypad, then one
  // calculation of "0". End of a run: the save (see Session). Where `wait`
  // gives up the wait for another session's lock, nothing starts or is
  // saved and the result says `busy`: the window tries again later.
  FileResult StartSession(const std::string& stateDir, const LockWait& wait = {});
  SaveResult EndSession(const std::string& stateDir, const LockWait& wait = {});

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

  // The execute key: the processing cycle on the entry line.
  void ExecuteKey();

  const EntryHistory& History() const { return history_; }
  int KeypadPage() const { return keypadPage_; }

 private:
  void ProcessEntry();
  void ShowError();
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
  void LightOutputKey(std::int32_t mode);
  void LightAngleUnitKey(AngleUnit unit);
  // The shift keys back at rest, the indicator hidden, once no shift is
  // pending: run after every action that may clear a shift.
  void RestShiftKeys();
  void WindowKeyDown(KeyCode key, int shift);
  int WindowKeyPress(int c);
  int EntryLineKeyPress(int c);
  void EntryLineKeyDown(KeyCode key);

  MainControls& c_;
  Engine& engine_;
  Session session_;
  EntryHistory history_;
  OutputFormat format_;
  ShiftState shifts_;
  AlwaysOnTopPin pin_;
  HelpActions help_;
  int keypadPage_ = 0;
  // A result is on show: a typed operator continues from it, anything else
  // starts a new entry.
  bool resultShown_ = false;
};

}  // namespace tarvo
