// A run's saved state: what it read from the state files at its start, and
// the save at its end that keeps what other sessions saved meanwhile.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/state_files.h"

namespace tarvo {

enum class AngleUnit { kDegree, kRadian, kGradient };

// The unit a saved angle factor stands for: near enough to one of the units'
// factors (or 0, a first run) picks that unit; a factor that matches none
// picks none.
std::optional<AngleUnit> SavedAngleUnit(double savedFactor);

class Session {
 public:
  // Reads the state files of `stateDir` (none when empty) over `state`.
  // Files that exist but cannot be read are left alone (`state` keeps what
  // it held) and named in the result; `locking` says how to wait while another
  // session holds the folder's lock (given up: `busy`).
  FileResult Load(const std::string& stateDir, SavedState& state, const FolderLocking& locking = {});
  // Writes `state` into the state files of `stateDir` (nothing when empty),
  // keeping what other sessions saved meanwhile where this one wrote
  // nothing. It may be tried again after a failure.
  SaveResult Save(const std::string& stateDir, const SavedState& state, const WrittenFields& written,
                  const FolderLocking& locking = {});

 private:
  // As the files gave it at load: a field the files no longer hold as read
  // was saved by another session in between.
  SavedState loaded_;
};

}  // namespace tarvo
