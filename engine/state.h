// The engine's state and the engine object that owns it. The members carry
// the names the calculator's algorithms use; their initialisers are the
// start-up presets, so a default-constructed EngineState is a freshly started
// engine. The calculator (core/) owns one Engine and hands it to what
// evaluates, normalises and solves; a test makes its own, so several engines
// can run side by side in one process. Nothing above core/ sees it.
#pragma once

#include <array>
#include <bitset>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/random.h"
#include "engine/variables.h"

namespace tarvo {

inline constexpr int kEquationSlots = 10;  // slots 0..9; a calculation fills 1..9

// The work one entry may do, shared by every evaluation it starts (the
// solvers re-enter the evaluator). The outermost evaluation fills it; the
// evaluator and the routines it calls take from it where they work.
// The work of one entry, in units (see ChargeWork): meant as about half a
// second of a release build, whatever kind of work spends it; bench/ runs
// an entry spending it on each kind (Limit/spent_on_...) and says how long.
inline constexpr std::int64_t kWorkBudget = 500000000;

struct WorkBudget {
  // What each entry may spend. Only a harness that runs the engine many
  // times slower than a release build (the fuzzers) sets less.
  std::int64_t PerEntry = kWorkBudget;
  // Units left (see ChargeWork); below 0 once the entry is abandoned.
  std::int64_t Remaining = 0;
  // Evaluations running now; 0 between entries, when nothing is charged.
  std::int32_t Depth = 0;
  // Once non-zero, the error every evaluation and routine of the entry ends
  // with: the budget is spent (41) or the solvers nested too deep (1).
  std::int32_t Abandoned = 0;
};

struct EngineState {
  ErrorNumber ErrorCode = ErrorNumber::kNone;  // recorded through Fail
  double Pi = 4.0 * std::atan(1.0);
  double AngleFactor = 1.0;
  double LastAnswer = 0.0;
  // Index = letter code - 97.
  std::array<double, kVariableCount> VariableStore = PresetValues();
  std::array<std::int16_t, kVariableCount> DefinedFlag = PresetFlags();
  // The variables the engine has written since the session's start,
  // whatever the value (an assignment, a solver's result, a cleared store):
  // the session's save puts these over what other sessions saved meanwhile,
  // even where the value is the one it read.
  std::bitset<kVariableCount> Written{};
  // 0 none; 2 the last quadratic, 3 the last cubic left a complex pair (imaginary part in i).
  std::int32_t ComplexMarker = 0;
  std::array<std::string, kEquationSlots> EquationSlots{};
  std::int32_t EquationSlotCount = 0;
  RandomGenerator Random{};
  WorkBudget Work{};
  EntryRequests Requests{};
};

// One calculator engine: its state, work budget and random generator. It
// never calls out while it calculates: what a front end is to do afterwards
// it leaves in Requests. Not copyable: whoever evaluates holds it by
// reference.
class Engine : public EngineState {
 public:
  Engine() = default;
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // Back to the start-up presets.
  void Reset() { static_cast<EngineState&>(*this) = EngineState{}; }

  // The variables a session starts from (its saved state): e stays the
  // constant exp(1), whatever they hold, and nothing counts as written.
  void RestoreVariables(const std::array<double, kVariableCount>& values,
                        const std::array<std::int16_t, kVariableCount>& flags) {
    VariableStore = values;
    DefinedFlag = flags;
    VariableStore['e' - 'a'] = Exp1();
    DefinedFlag['e' - 'a'] = kDefined;
    Written.reset();
  }
  // The complex pair a polynomial solver left belongs to the list that
  // showed it: once that list has been seen, its letters are plain numbers.
  void ForgetComplexPair() { ComplexMarker = 0; }
};

// The engine's start-up: presets the state, all but ErrorCode, which
// start-up leaves alone.
void StartEngine(Engine& engine);

// The variables as they stand, as the variable list shows them.
inline VariableListShow VariablesShown(const EngineState& s) {
  VariableListShow show;
  for (size_t i = 0; i < show.values.size(); ++i) show.values[i] = s.VariableStore[i];
  show.flags = s.DefinedFlag;
  show.complexMarker = s.ComplexMarker;
  return show;
}

}  // namespace tarvo
