// The 26 one-letter variables as values: how many there are, their
// defined-flags and presets, and the variables as a list shows them. Plain
// data that the engine fills and the front ends read, without the engine.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace tarvo {

inline constexpr int kVariableCount = 26;  // a..z
inline constexpr std::int16_t kDefined = -1;
inline constexpr std::int16_t kUndefined = 0;

inline double Exp1() { return std::exp(1.0); }

// The values and defined-flags a run starts from: e is exp(1), defined.
inline std::array<double, kVariableCount> PresetValues() {
  std::array<double, kVariableCount> s{};
  s['e' - 'a'] = Exp1();
  return s;
}
inline std::array<std::int16_t, kVariableCount> PresetFlags() {
  std::array<std::int16_t, kVariableCount> f{};
  f['e' - 'a'] = kDefined;
  return f;
}

// The variables as a list shows them: their values and flags, and whether
// the last quadratic (2) or cubic (3) equation left a complex pair in its
// result variables (the imaginary part in i), 0 when none.
struct VariableListShow {
  std::array<double, kVariableCount> values{};
  std::array<std::int16_t, kVariableCount> flags{};
  std::int32_t complexMarker = 0;
};

// What the front end is to do once an entry is done, as the engine asked
// while it calculated: the engine never calls out.
struct EntryRequests {
  std::vector<VariableListShow> variableLists;  // one per solver that showed its roots, in order
  bool beep = false;  // brackets the entry left open were closed
};

// Variable index of a letter byte, or -1 when it is not a..z.
inline int VariableIndex(char c) {
  return (c >= 'a' && c <= 'z') ? c - 'a' : -1;
}

}  // namespace tarvo
