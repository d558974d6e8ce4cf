#include "ui/logic/look.h"

#include <chrono>

#include "core/settings.h"

namespace tarvo {

std::string_view LookName(Look look) {
  switch (look) {
    case Look::kDefault: return "default";
    case Look::kHighContrast: return "high-contrast";
    case Look::kDark: return "dark";
  }
  return "default";
}

std::optional<Look> LookNamed(std::string_view name) {
  for (const Look look : kLooks)
    if (LookName(look) == name) return look;
  return std::nullopt;
}

std::string_view LookCaption(Look look) {
  switch (look) {
    case Look::kDefault: return "Default look";
    case Look::kHighContrast: return "High-contrast look";
    case Look::kDark: return "Dark look";
  }
  return "Default look";
}

FileResult LookSettings::Load(const std::string& stateDir) {
  stateDir_ = stateDir;
  chosen_.reset();
  if (stateDir.empty()) return {};
  std::optional<std::string> value;
  const FileResult r = ReadSetting(stateDir, kLookSetting, value);
  // An unknown name (a newer program's look) follows the desktop.
  if (value) chosen_ = LookNamed(*value);
  return r;
}

SaveResult LookSettings::Choose(std::optional<Look> look) {
  chosen_ = look;
  thisRun_.reset();
  if (stateDir_.empty()) return {};
  // Another session saves its files in a moment; a wait longer than that
  // would hold up the window for a setting.
  const LockWait briefly = [](const LockWaitTurn& turn) { return turn.waited < std::chrono::seconds(2); };
  return SaveSetting(stateDir_, kLookSetting, look ? LookName(*look) : kDesktopLookName, briefly);
}

Look LookSettings::InForce() const {
  if (thisRun_) return *thisRun_;
  if (chosen_) return *chosen_;
  return desktop_.value_or(Look::kDefault);
}

}  // namespace tarvo
