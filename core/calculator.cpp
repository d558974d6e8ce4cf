#include "core/calculator.h"

namespace tarvo {

SessionStart Calculator::Start(const std::string& stateDir, const FolderLocking& locking) {
  SessionStart start;
  StartEngine(engine_);
  SavedState saved;
  start.files = session_.Load(stateDir, saved, locking);
  if (start.files.busy) return start;
  engine_.RestoreVariables(saved.values, saved.flags);
  start.angleUnit = SavedAngleUnit(saved.angleFactor);
  unit_ = AngleUnit::kRadian;
  if (start.angleUnit) SetAngleUnit(*start.angleUnit);
  format_.Reset();
  engine_.LastAnswer = saved.lastAnswer;
  history_ = EntryHistory();
  // A run starts from a calculated 0, the history's first entry; it makes
  // the last answer 0 again.
  start.firstAnswer = Calculate("0");
  history_.Record("0");
  // What the start itself wrote is no value the run wrote.
  engine_.Written.reset();
  angleWritten_ = answerWritten_ = false;
  return start;
}

SaveResult Calculator::End(const std::string& stateDir, const FolderLocking& locking) {
  SavedState now;
  now.values = engine_.VariableStore;
  now.flags = engine_.DefinedFlag;
  now.angleFactor = engine_.AngleFactor;
  now.lastAnswer = engine_.LastAnswer;
  return session_.Save(stateDir, now, Written(), locking);
}

CycleResult Calculator::Calculate(std::string_view line, const CycleHooks& hooks) {
  CycleResult r = ProcessEntryLine(engine_, line, hooks);
  if (r.outcome == CycleResult::Outcome::kAnswer) answerWritten_ = true;
  return r;
}

std::string_view Calculator::SetAngleUnit(AngleUnit unit) {
  unit_ = unit;
  angleWritten_ = true;
  switch (unit) {
    case AngleUnit::kDegree:
      engine_.AngleFactor = 180 / engine_.Pi;
      return "Angular unit is degree: 1 right angle = 90\xB0 (90 degrees)";
    case AngleUnit::kRadian:
      engine_.AngleFactor = 1.0;
      return "Angular unit is radian: 1 right angle = \xCB/2 rad";
    case AngleUnit::kGradient:
      engine_.AngleFactor = 200 / engine_.Pi;
      return "Angular unit is gradient: 1 right angle = 100 gra";
  }
  return {};
}

}  // namespace tarvo
