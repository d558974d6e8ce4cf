#include "ui/logic/look.h"

#include <chrono>
#include <iterator>

#include "core/settings.h"

namespace tarvo {

namespace {

// Each look's name (the command line's and the settings file's) and its
// menu caption, in the order of kLooks.
struct LookRow {
  Look look;
  std::string_view name, caption;
};
constexpr LookRow kLookRows[] = {
    {Look::kDefault, "default", "Default look"},
    {Look::kHighContrast, "high-contrast", "High-contrast look"},
    {Look::kDark, "dark", "Dark look"},
};
static_assert(std::size(kLookRows) == kLooks.size());

const LookRow& RowOf(Look look) {
  for (const LookRow& row : kLookRows)
    if (row.look == look) return row;
  return kLookRows[0];
}

}  // namespace

std::string_view LookName(Look look) { return RowOf(look).name; }

std::optional<Look> LookNamed(std::string_view name) {
  for (const LookRow& row : kLookRows)
    if (row.name == name) return row.look;
  return std::nullopt;
}

std::string_view LookCaption(Look look) { return RowOf(look).caption; }

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
