// The engine's state and the engine object that owns it. The members carry
// the names the calculator's algorithms use; their initialisers are the
// start-up presets, so a default-constructed EngineState is a freshly started
// engine. Each front end (and each test) owns its Engine and hands it to what
// evaluates, so several engines can run side by side in one process.
#pragma once

#include <array>
#include <bitset>
#include <cmath>
#include <cstdint>
#include <string>

#include "engine/errors.h"
#include "engine/host.h"
#include "engine/random.h"

namespace tarvo {

inline constexpr int kVariableCount = 26;      // a..z
inline constexpr int kStoreSize = 28;          // + AngleFactor and LastAnswer when saved
inline constexpr int kStoreAngleFactor = 26;
inline constexpr int kStoreLastAnswer = 27;
inline constexpr int kEquationSlots = 10;      // slots 0..9; a calculation fills 1..9
inline constexpr std::int16_t kDefined = -1;
inline constexpr std::int16_t kUndefined = 0;

// The output format in force (EngineState::OutputMode); the code only tells
// the values apart.
enum OutputModeValue : std::int32_t {
  OUT_DMS = 1,
  OUT_BIN = 2,
  OUT_FRAC = 3,
  OUT_FIX = 7,
  OUT_SCI = 8,
  OUT_NORMAL = 9,
  OUT_DATE = 12,
  OUT_HEX = 16,
};

inline double Exp1() { return std::exp(1.0); }

// The work one entry may do, shared by every evaluation it starts (the
// solvers re-enter the evaluator). The outermost evaluation fills it; the
// evaluator and the routines it calls take from it where they work.
// The work of one entry, in units (see ChargeWork): about half a second on
// the machine the charges were measured on, whatever kind of work spends it.
// bench/ runs an entry spending it on each kind (Limit/spent_on_...).
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
  // Index = letter code - 97; 26 and 27 only carry AngleFactor and
  // LastAnswer through the saved file.
  std::array<double, kStoreSize> VariableStore = PresetStore();
  std::array<std::int16_t, kVariableCount> DefinedFlag = PresetFlags();
  // The store's slots (a..z, the angle factor, the last answer) that the
  // session has written since its start, whatever the value: its save puts
  // these over what other sessions saved meanwhile, even where the value is
  // the one it read.
  std::bitset<kStoreSize> Written{};
  // 0 none; 2 the last quadratic, 3 the last cubic left a complex pair (imaginary part in i).
  std::int32_t ComplexMarker = 0;
  std::array<std::string, kEquationSlots> EquationSlots{};
  std::int32_t EquationSlotCount = 0;
  std::int32_t OutputMode = OUT_NORMAL;
  RandomGenerator Random{};
  WorkBudget Work{};

  static std::array<double, kStoreSize> PresetStore() {
    std::array<double, kStoreSize> s{};
    s[4] = Exp1();
    return s;
  }
  static std::array<std::int16_t, kVariableCount> PresetFlags() {
    std::array<std::int16_t, kVariableCount> f{};
    f[4] = kDefined;
    return f;
  }
};

// One calculator engine: its state, work budget and random generator, and
// the front end it reports to. Not copyable: the host and whoever evaluates
// hold it by reference.
class Engine : public EngineState {
 public:
  // An engine with no front end: its host ignores every request.
  Engine() : host_(&quietHost_) {}
  explicit Engine(EngineHost& host) : host_(&host) {}
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  EngineHost& Host() const { return *host_; }
  // Back to the start-up presets; the host stays.
  void Reset() { static_cast<EngineState&>(*this) = EngineState{}; }

 private:
  EngineHost quietHost_;
  EngineHost* host_;
};

// The engine's start-up: presets the state (all but ErrorCode, which start-up
// leaves alone).
void StartEngine(Engine& engine);

// Variable index of a letter byte, or -1 when it is not a..z.
inline int VariableIndex(char c) {
  return (c >= 'a' && c <= 'z') ? c - 'a' : -1;
}

}  // namespace tarvo
