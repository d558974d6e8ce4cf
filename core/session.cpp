#include "core/session.h"

#include <cmath>

namespace tarvo {
namespace {

// The load's rule for a saved angle factor: near enough to one of the units'
// factors (or 0, a first run) picks that unit; a factor that matches none is
// kept, unless it is 0.
std::optional<AngleUnit> SavedAngleUnit(const EngineState& s, double saved) {
  if (saved == 0 || std::fabs(saved - 180 / s.Pi) < 0.1) return AngleUnit::kDegree;
  if (saved == 1.0) return AngleUnit::kRadian;
  if (std::fabs(saved - 200 / s.Pi) < 0.1) return AngleUnit::kGradient;
  if (s.AngleFactor == 0) return AngleUnit::kDegree;
  return std::nullopt;
}

}  // namespace

std::string_view SetAngleUnit(EngineState& s, AngleUnit unit) {
  s.Written.set(kStoreAngleFactor);
  switch (unit) {
    case AngleUnit::kDegree:
      s.AngleFactor = 180 / s.Pi;
      return "Angular unit is degree: 1 right angle = 90\xB0 (90 degrees)";
    case AngleUnit::kRadian:
      s.AngleFactor = 1.0;
      return "Angular unit is radian: 1 right angle = \xCB/2 rad";
    case AngleUnit::kGradient:
      s.AngleFactor = 200 / s.Pi;
      return "Angular unit is gradient: 1 right angle = 100 gra";
  }
  return {};
}

SessionStart Session::Start(Engine& engine, const std::string& stateDir, const LockWait& wait) {
  EngineState& s = engine;
  SessionStart start;
  s.ComplexMarker = 0;
  if (!stateDir.empty()) start.files = LoadVariableFiles(engine, stateDir, &loaded_, wait);
  s.VariableStore[4] = Exp1();
  s.DefinedFlag[4] = kDefined;
  start.angleUnit = SavedAngleUnit(s, s.VariableStore[kStoreAngleFactor]);
  if (start.angleUnit) SetAngleUnit(s, *start.angleUnit);
  s.OutputMode = OUT_NORMAL;
  s.LastAnswer = s.VariableStore[kStoreLastAnswer];
  return start;
}

SaveResult Session::End(Engine& engine, const std::string& stateDir, const LockWait& wait) {
  if (stateDir.empty()) return {};
  return SaveVariableFiles(engine, stateDir, &loaded_, wait);
}

}  // namespace tarvo
