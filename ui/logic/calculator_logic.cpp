#include "ui/logic/calculator_logic.h"

#include <algorithm>
#include <new>
#include <vector>

#include "core/entry_encoding.h"
#include "ui/logic/keypad.h"
#include "ui/logic/menus.h"

namespace tarvo {
namespace {

// The review picture's upper half (y up to this) goes to older entries.
constexpr int kReviewOlderHeight = 13;

}  // namespace

FileResult CalculatorLogic::StartSession(const std::string& stateDir, const LockWait& wait) {
  shifts_.Clear();
  const SessionStart start = calculator_.StartWithTape(stateDir, wait);
  if (start.files.busy) return start.files;
  shownError_ = start.firstAnswer.error;
  answerHeldEquations_ = false;
  for (const KeyDef& row : KeyTable()) {
    c_.MoveKey(row.key, row.left, row.top);
    c_.SetKeyVisible(row.key, true);
  }
  // A saved factor that stood for no unit lights none (its preset stays).
  if (start.angleUnit) LightAngleUnitKey(*start.angleUnit);
  c_.SetUpperMessage("");
  c_.SetLowerMessage("");
  c_.SetKeyLit(Key::NormalFormat, true);
  pin_.Set(false);  // leaves the window off the top-most band
  keypadPage_ = 1;
  TurnKeypadPage();  // shows the first page
  // The display shows the start's 0 (a cleared display at start would read
  // as a fault); the entry line stays empty.
  c_.SetEntryColor(kBlack);
  ShowAnswer(start.firstAnswer.view);
  c_.SetEntryText("");
  if (!start.tape.ok) c_.SetUpperMessage("The tape could not be read: " + start.tape.reason + " ");
  return start.files;
}

CalculatorLogic::Saved CalculatorLogic::EndSession(const std::string& stateDir, const LockWait& wait, Parts parts) {
  return calculator_.EndWithTape(stateDir, wait, parts);
}

std::string CalculatorLogic::WhatASaveWrites() const {
  const WrittenFields written = calculator_.Written();
  std::vector<std::string> parts;
  std::string letters;
  for (size_t i = 0; i < written.variables.size(); ++i)
    if (written.variables[i]) letters += (letters.empty() ? "" : ", ") + std::string(1, static_cast<char>('a' + i));
  if (const size_t last = letters.rfind(", "); last != std::string::npos) letters.replace(last, 2, " and ");
  if (!letters.empty()) parts.push_back((written.variables.count() == 1 ? "the variable " : "the variables ") + letters);
  if (written.angleFactor) parts.push_back("the angle unit");
  if (written.lastAnswer) parts.push_back("the last answer");
  if (const size_t rows = calculator_.GetTape().Unsaved(); rows > 0)
    parts.push_back(std::to_string(rows) + (rows == 1 ? " row of the tape" : " rows of the tape"));
  std::string out;
  for (size_t i = 0; i < parts.size(); ++i) out += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
  return out;
}

void CalculatorLogic::ShowError(ErrorNumber error) {
  shownError_ = error;
  c_.SetEntryColor(IsNotice(error) ? kNoticeGreen : kErrorRed);
  c_.SetUpperMessage(std::string(ErrorMessage(error)) + " ");
  c_.SetLowerMessage("");
}

void CalculatorLogic::ShowAnswer(const AnswerView& view) {
  c_.ClearDisplay();
  c_.DrawResultText(view.text);
  c_.SetUpperMessage(view.upperMessage);
  c_.SetLowerMessage(view.lowerMessage);
  LightOutputKey(view.mode);
  shifts_.Clear();
}

void CalculatorLogic::ProcessEntry() {
  CycleHooks hooks;
  hooks.entryRead = [this](const std::string& entry, bool completed) {
    c_.SetEntryColor(kBlack);
    if (!completed) {
      history_.Record(entry);  // the line still holds it, blanks around
      return;
    }
    c_.SetEntryText(entry);
    c_.SetSelection(static_cast<int>(entry.size()), 0);
    RecordInHistory();  // what the entry line made of the completed text
  };
  hooks.busy = [this](bool busy) { c_.SetBusy(busy); };
  // Running out of memory while the answer is drawn ends the entry like an
  // error in the calculation does (the tape keeps what the entry gave).
  bool rowAdded = false;
  try {
    const CycleResult r = calculator_.Calculate(c_.EntryText(), hooks);
    rowAdded = r.tapeRow.has_value();
    // What the engine asked for while it calculated, before the result
    // shows: the beep of closed brackets, then a list of roots per solver.
    if (r.requests.beep) c_.Beep();
    for (const VariableListShow& shown : r.requests.variableLists) ShowVariableList(shown);
    switch (r.outcome) {
      case CycleResult::Outcome::kBlank:
        c_.Beep();
        return;
      case CycleResult::Outcome::kError:
        ShowError(r.error);
        break;
      case CycleResult::Outcome::kAnswer:
        if (const std::string clip = r.ClipboardText(); !clip.empty()) c_.SetClipboardText(clip);
        ShowAnswer(r.view);
        shownError_ = ErrorNumber::kNone;
        answerHeldEquations_ = r.heldEquations;
        break;
    }
  } catch (const std::bad_alloc&) {
    ShowError(ErrorNumber::kTooComplex);
  }
  if (rowAdded) c_.TapeRowAdded();
}

void CalculatorLogic::PutEntryBack(const std::string& entry) {
  if (history_.AtNewest()) RecordInHistory();  // what was typed stays one Up away
  resultShown_ = false;
  c_.SetEntryText(entry);
  c_.SetSelection(static_cast<int>(entry.size()), 0);
  c_.FocusEntry();
}

void CalculatorLogic::ClearTape() {
  const SaveResult r = calculator_.ClearTape();
  if (!r.ok && !r.busy) c_.SetUpperMessage("The tape's file could not be emptied: " + r.reason + " ");
}

void CalculatorLogic::ExecuteKey() {
  ProcessEntry();
  shifts_.Clear();
  if (shownError_ == ErrorNumber::kNone) {
    c_.SetUpperMessage("");
    c_.SetLowerMessage("");
    // An equation's results are no number to continue from.
    resultShown_ = !c_.EntryText().empty() && !answerHeldEquations_;
    c_.FocusEntry();
  }
}

bool CalculatorLogic::EntryFits(size_t length) {
  if (length <= static_cast<size_t>(kMaxEntryLength)) return true;
  ShowError(ErrorNumber::kEntryTooLong);
  return false;
}

void CalculatorLogic::InsertAtCaret(const std::string& keyText, std::string_view help) {
  shifts_.Clear();
  std::string k = keyText;
  if (!k.empty()) {
    if (resultShown_) c_.SetEntryText("");
    const std::string text = c_.EntryText();
    const int size = static_cast<int>(text.size());
    const int p = std::clamp(c_.SelectionStart(), 0, size);
    const int n = std::clamp(c_.SelectionLength(), 0, size - p);
    if (p > 0 && text[static_cast<size_t>(p - 1)] == ' ' && k.front() == ' ') k.erase(0, 1);
    // A key that would make the line too long writes nothing (and its help
    // would hide the message).
    if (!EntryFits(text.size() - static_cast<size_t>(n) + k.size())) return;
    c_.ReplaceEntryText(p, n, k);
  }
  c_.FocusEntry();
  if (!help.empty()) ShowHelpText(c_, help);
}

void CalculatorLogic::DeleteKey() {
  c_.FocusEntry();
  shifts_.Clear();
  const std::string text = c_.EntryText();
  const int size = static_cast<int>(text.size());
  const int p = std::clamp(c_.SelectionStart(), 0, size);
  const int n = std::clamp(c_.SelectionLength(), 0, size - p);
  if (n > 0) c_.ReplaceEntryText(p, n, "");
  else if (p > 0) c_.ReplaceEntryText(p - 1, 1, "");
}

void CalculatorLogic::ClearEntryKey() {
  RecordInHistory();
  c_.SetEntryText("");
  c_.FocusEntry();
  shifts_.Clear();
  c_.SetUpperMessage("");
  c_.SetLowerMessage("");
}

void CalculatorLogic::LastAnswerKey() { InsertAtCaret(calculator_.LastAnswerText(), "Last answer"); }

void CalculatorLogic::RecordInHistory() { history_.Record(Trim(c_.EntryText())); }

void CalculatorLogic::ReviewHistory(int y) {
  c_.FocusEntry();
  resultShown_ = false;
  if (history_.Empty()) return;
  if (history_.AtNewest()) RecordInHistory();
  const std::string& entry = y <= kReviewOlderHeight ? history_.Older() : history_.Newer();
  c_.SetEntryText(entry);
  c_.SetSelection(static_cast<int>(entry.size()), 0);
}

void CalculatorLogic::EntryLineChanged() {
  if (!(c_.EntryColor() == kBlack)) c_.SetEntryColor(kBlack);
}

int CalculatorLogic::EntryLineKeyPress(int c) {
  if (c == kEnterCharacter) {
    ExecuteKey();
    return 0;
  }
  c = TypedCharacter(c);
  if (c_.SelectionStart() != static_cast<int>(c_.EntryText().size())) resultShown_ = false;
  if (resultShown_ && TypedCharacterContinues(c)) {
    resultShown_ = false;
    ClearEntryKey();
    LastAnswerKey();
  }
  resultShown_ = false;
  return c;
}

void CalculatorLogic::EntryLineKeyDown(KeyCode key) {
  switch (key) {
    case KeyCode::kLeft:
    case KeyCode::kRight:
      resultShown_ = false;
      break;
    case KeyCode::kUp:
      ReviewHistory(kReviewOlderHeight);
      break;
    case KeyCode::kDown:
      ReviewHistory(kReviewOlderHeight + 1);
      break;
    default:
      break;
  }
}

// Only the Ctrl key itself turns the page: Ctrl with another key is one of
// the entry line's shortcuts (select all, copy, paste, undo...) and must
// leave the page alone. The window reports the Ctrl key when it is let go
// with nothing pressed in between.
void CalculatorLogic::WindowKeyDown(KeyCode key, int shift) {
  if (key == KeyCode::kF1) help_.OpenManual();
  if (key == KeyCode::kControl && shift == kCtrlHeld) TurnKeypadPage();
}

int CalculatorLogic::WindowKeyPress(int c) {
  if (c == kEscapeCharacter) {
    c_.CloseWindow();
    return 0;
  }
  if (const std::optional<Key> key = DigitKeyTyped(c)) {
    ClickKey(*key);
    return 0;
  }
  return c;
}

void CalculatorLogic::EntryKeyDown(KeyCode key, int shift) {
  WindowKeyDown(key, shift);
  EntryLineKeyDown(key);
  RestShiftKeys();
}

int CalculatorLogic::EntryKeyPress(int c) {
  int passed = WindowKeyPress(c);
  if (passed != 0) passed = EntryLineKeyPress(passed);
  RestShiftKeys();
  return passed;
}

void CalculatorLogic::DesktopLookChanged(std::optional<Look> look) {
  const Look before = looks_.InForce();
  looks_.SetDesktop(look);
  if (looks_.InForce() != before) c_.ShowLook(looks_.InForce());
}

}  // namespace tarvo
