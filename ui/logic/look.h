// The window's looks and which one is in force: the calculator as it has
// always looked, a high-contrast look for low vision (every text at least
// 7:1 against its background, the focus always marked) and a dark look.
// A look is given for one run (the command line's --look), chosen from the
// help menu (and kept in the state folder's settings for the next runs), or
// taken from the desktop where it reports a dark or high-contrast scheme;
// in that order.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/state_files.h"

namespace tarvo {

enum class Look { kDefault, kHighContrast, kDark };
inline constexpr std::array<Look, 3> kLooks = {Look::kDefault, Look::kHighContrast, Look::kDark};

// "default", "high-contrast", "dark": the command line's and the settings
// file's names of the looks.
std::string_view LookName(Look look);
std::optional<Look> LookNamed(std::string_view name);
// How a person reads the look's name: "High-contrast look".
std::string_view LookCaption(Look look);

// The look's setting in the settings file, and its value while the window
// follows the desktop's look.
inline constexpr std::string_view kLookSetting = "look";
inline constexpr std::string_view kDesktopLookName = "desktop";

class LookSettings {
 public:
  // The look chosen in an earlier run, from the settings of `stateDir`
  // (none where it is empty). A file that cannot be read chooses nothing;
  // the result says why.
  FileResult Load(const std::string& stateDir);
  // The user's choice: a look, or none to follow the desktop's; it takes the
  // place of this run's, and is kept for the next runs (where the state
  // folder allows: the result says).
  SaveResult Choose(std::optional<Look> look);
  void SetThisRun(std::optional<Look> look) { thisRun_ = look; }
  void SetDesktop(std::optional<Look> look) { desktop_ = look; }

  Look InForce() const;
  // No look was given or chosen: the desktop's (or the default) is shown.
  bool FollowsDesktop() const { return !thisRun_ && !chosen_; }

 private:
  std::string stateDir_;
  std::optional<Look> thisRun_, chosen_, desktop_;
};

}  // namespace tarvo
