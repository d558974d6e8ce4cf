// A run of the calculator as both front ends share it: the presets and the
// variable files it starts from, the angle unit they imply, and the save at
// its end. Also the angle-unit keys, which the console has as directives.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/state.h"
#include "core/state_files.h"

namespace tarvo {

enum class AngleUnit { kDegree, kRadian, kGradient };

// Sets the engine's angle unit and returns the help text that says so.
std::string_view SetAngleUnit(EngineState& state, AngleUnit unit);

struct SessionStart {
  FileResult files;
  // The unit the saved angle factor stood for, now in force; none when the
  // saved factor matched no unit (the factor is then left as it was).
  std::optional<AngleUnit> angleUnit;
};

class Session {
 public:
  // Presets, the variable files of `stateDir` (none when empty), the angle
  // unit they imply, the normal output format and the saved last answer.
  // Files that exist but cannot be read are left alone (the run starts from
  // the presets) and named in the result.
  // `wait` says how to wait while another session holds the folder's lock;
  // given up, the run starts from the presets (`files.busy`).
  SessionStart Start(Engine& engine, const std::string& stateDir, const LockWait& wait = {});
  // From here on what the engine's store holds is the user's doing: the
  // start's own calculation does not count as a value the session wrote.
  static void BeginEntries(Engine& engine) { engine.Written.reset(); }
  // Writes the run's store into the variable files of `stateDir` (nothing
  // when empty), keeping what other sessions saved meanwhile where this one
  // did not write. It may be tried again after a failure.
  SaveResult End(Engine& engine, const std::string& stateDir, const LockWait& wait = {});

 private:
  // The variables as the files gave them at load: a slot the files no
  // longer hold as read was saved by another session in between.
  StoredPair loaded_ = {};
};

}  // namespace tarvo
