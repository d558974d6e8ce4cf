#include "core/session.h"

#include <cmath>
#include <numbers>

namespace tarvo {

std::optional<AngleUnit> SavedAngleUnit(double saved) {
  if (saved == 0 || std::fabs(saved - 180 / std::numbers::pi) < 0.1) return AngleUnit::kDegree;
  if (saved == 1.0) return AngleUnit::kRadian;
  if (std::fabs(saved - 200 / std::numbers::pi) < 0.1) return AngleUnit::kGradient;
  return std::nullopt;
}

FileResult Session::Load(const std::string& stateDir, SavedState& state, const FolderLocking& locking) {
  FileResult r;
  if (!stateDir.empty()) r = LoadStateFiles(stateDir, state, locking);
  loaded_ = state;
  return r;
}

SaveResult Session::Save(const std::string& stateDir, const SavedState& state, const WrittenFields& written,
                         const FolderLocking& locking) {
  if (stateDir.empty()) return {};
  return SaveStateFiles(stateDir, state, &loaded_, written, locking);
}

}  // namespace tarvo
