#include "core/calculator.h"

#include <new>

#include "core/processing_cycle.h"
#include "engine/eval/evaluate.h"
#include "engine/state.h"

namespace tarvo {

Calculator::Calculator() : engine_(std::make_unique<Engine>()) {}
Calculator::~Calculator() = default;

SessionStart Calculator::Start(const std::string& stateDir, const FolderLocking& locking) {
  keepsTape_ = false;
  tape_ = Tape();
  return StartSession(stateDir, locking);
}

SessionStart Calculator::StartWithTape(const std::string& stateDir, const LockWait& wait) {
  keepsTape_ = false;
  tape_ = Tape();
  // The variables and the tape are read as one step, which no save of
  // another session comes between.
  std::optional<StateFolderLock> lock;
  if (!stateDir.empty() && lock.emplace(stateDir, wait).Result().busy) {
    SessionStart busy;
    busy.files = lock->Result();
    return busy;
  }
  const FolderLocking locking(wait, lock ? &*lock : nullptr);
  SessionStart start = StartSession(stateDir, locking);
  if (start.files.busy) return start;
  // The start's own "0" is no row of the tape.
  keepsTape_ = true;
  start.tape = tape_.Load(stateDir, locking);
  return start;
}

SessionStart Calculator::StartSession(const std::string& stateDir, const FolderLocking& locking) {
  SessionStart start;
  StartEngine(*engine_);
  SavedState saved;
  start.files = session_.Load(stateDir, saved, locking);
  if (start.files.busy) return start;
  stateDir_ = stateDir;
  engine_->RestoreVariables(saved.values, saved.flags);
  start.angleUnit = SavedAngleUnit(saved.angleFactor);
  if (start.angleUnit) SetAngleUnit(*start.angleUnit);
  format_.Reset();
  engine_->LastAnswer = saved.lastAnswer;
  history_ = EntryHistory();
  // A run starts from a calculated 0, the history's first entry; it makes
  // the last answer 0 again.
  start.firstAnswer = Calculate("0");
  history_.Record("0");
  // What the start itself wrote is no value the run wrote.
  engine_->Written.reset();
  angleWritten_ = answerWritten_ = false;
  return start;
}

SaveResult Calculator::End(const std::string& stateDir, const FolderLocking& locking) {
  SavedState now;
  now.values = engine_->VariableStore;
  now.flags = engine_->DefinedFlag;
  now.angleFactor = engine_->AngleFactor;
  now.lastAnswer = engine_->LastAnswer;
  return session_.Save(stateDir, now, Written(), locking);
}

SessionSave Calculator::EndWithTape(const std::string& stateDir, const LockWait& wait, SaveParts parts) {
  SessionSave saved;
  std::optional<StateFolderLock> lock;  // one step, as at the start
  if (!stateDir.empty() && lock.emplace(stateDir, wait).Result().busy) {
    saved.variables = saved.tape = lock->Result();
    return saved;
  }
  const FolderLocking locking(wait, lock ? &*lock : nullptr);
  if (parts != SaveParts::kTape) saved.variables = End(stateDir, locking);
  if (parts != SaveParts::kVariables) saved.tape = tape_.Save(stateDir, locking);
  return saved;
}

WrittenFields Calculator::Written() const { return {engine_->Written, angleWritten_, answerWritten_}; }

namespace {

TapeRow RowOf(std::int64_t time, std::string entry, const CycleResult& r) {
  TapeRow row;
  row.time = time;
  row.entry = std::move(entry);
  if (r.outcome == CycleResult::Outcome::kAnswer) {
    row.shown = r.view.plain;
  } else {
    row.kind = IsNotice(r.error) ? TapeRow::Kind::kNotice : TapeRow::Kind::kError;
    row.shown = std::string(ErrorMessage(r.error));
  }
  return row;
}

}  // namespace

CycleResult Calculator::Calculate(std::string_view line, const CycleHooks& hooks) {
  std::string read;  // the entry as the cycle read it, for the tape
  CycleResult r = ProcessEntryLine(*engine_, line, hooks, keepsTape_ ? &read : nullptr);
  if (r.outcome == CycleResult::Outcome::kAnswer) answerWritten_ = true;
  // Running out of memory while the answer is formatted or kept ends the
  // entry like an error in the calculation does.
  try {
    if (r.outcome == CycleResult::Outcome::kAnswer) r.view = format_.ShowAnswer(r.value);
    if (!read.empty()) r.tapeRow = tape_.Add(RowOf(clock_(), read, r));
  } catch (const std::bad_alloc&) {
    Fail(*engine_, ErrorNumber::kTooComplex);
    r.outcome = CycleResult::Outcome::kError;
    r.error = ErrorNumber::kTooComplex;
    r.view = {};
    r.tapeRow.reset();
    if (!read.empty()) r.tapeRow = tape_.Add(RowOf(clock_(), std::move(read), r));
  }
  return r;
}

std::string Calculator::LastAnswerText() const { return tarvo::LastAnswerText(*engine_); }

AnswerView Calculator::ShowFormat(OutputMode mode) { return format_.Show(mode, engine_->LastAnswer); }

std::vector<MenuEntry> Calculator::FormatMenu(OutputMode mode) const { return format_.Menu(mode); }

std::optional<AnswerView> Calculator::ChooseFromFormatMenu(OutputMode mode, int choice) {
  return format_.ChooseFromMenu(mode, choice, engine_->LastAnswer);
}

std::string_view Calculator::SetAngleUnit(AngleUnit unit) {
  angleWritten_ = true;
  switch (unit) {
    case AngleUnit::kDegree:
      engine_->AngleFactor = 180 / engine_->Pi;
      return "Angular unit is degree: 1 right angle = 90\xB0 (90 degrees)";
    case AngleUnit::kRadian:
      engine_->AngleFactor = 1.0;
      return "Angular unit is radian: 1 right angle = \xCB/2 rad";
    case AngleUnit::kGradient:
      engine_->AngleFactor = 200 / engine_->Pi;
      return "Angular unit is gradient: 1 right angle = 100 gra";
  }
  return {};
}

AngleUnit Calculator::AngleUnitInForce() const {
  // The factor is one SetAngleUnit wrote (or the engine's preset, 1): a
  // right angle of pi/2 radians, 90 degrees or 100 gradients.
  const double rightAngle = engine_->AngleFactor * engine_->Pi / 2;
  if (rightAngle < 95) return rightAngle < 45 ? AngleUnit::kRadian : AngleUnit::kDegree;
  return AngleUnit::kGradient;
}

VariableListShow Calculator::Variables() const { return VariablesShown(*engine_); }

void Calculator::ClearVariables() { tarvo::ClearVariables(*engine_); }

void Calculator::ForgetComplexPair() { engine_->ForgetComplexPair(); }

SaveResult Calculator::ClearTape() { return tape_.Clear(stateDir_, [](const LockWaitTurn&) { return false; }); }

void Calculator::SetWorkPerEntry(std::int64_t units) { engine_->Work.PerEntry = units; }

}  // namespace tarvo
