// What the solvers share: the snap to whole numbers, an equation as a
// function, and the sampling of it through the evaluator.
#include <cmath>

#include "engine/eval/evaluate.h"
#include "engine/solvers/solver_support.h"
#include "engine/solvers/solvers.h"
#include "engine/state.h"

namespace tarvo {

// Rounds a solver's result to the whole number it lies within about 5E-8 of
// (2.99999999 gives 3; 2.99 and 0.5 stay). Clears ErrorCode. Magnitudes where
// v * 1E7 overflows come back unchanged (they are whole anyway).
double SnapToInteger(Engine& engine, double v) {
  engine.ErrorCode = ErrorNumber::kNone;
  const double n = std::floor(v + 0.5);
  const double m = std::floor(v * 1e7 + 0.5);
  if (!std::isfinite(m)) return v;
  return n * 1e7 == m ? n : v;
}

// Only the first "=" divides the sides: "a=b=c" becomes "a-(b=c)", which
// the evaluator then refuses as it would any stray "=".
std::string EquationAsFunction(std::string_view text) {
  const size_t eq = text.find('=');
  if (eq == std::string_view::npos) return std::string(text);
  std::string out(text.substr(0, eq));
  out += "-(";
  out += text.substr(eq + 1);
  out += ")";
  return out;
}

namespace solver {

std::string Terminated(std::string_view equation) { return EquationAsFunction(equation) + ":"; }

// A solver's own work for one sample, in work units (see ChargeWork); the
// evaluation charges its own.
constexpr long kSampleUnits = 15;

// Every sample and bisection step of every solver comes through here.
double EvaluateAt(Engine& engine, const std::string& function, double x) {
  if (!ChargeWork(engine, kSampleUnits)) return 0.0;
  engine.VariableStore[kX] = x;
  engine.Written.set(kX);
  return Evaluate(engine, function);
}

double EvaluateAt(Engine& engine, const std::string& function, double x, double y) {
  engine.VariableStore[kY] = y;
  engine.Written.set(kY);
  return EvaluateAt(engine, function, x);
}

double EvaluateAt(Engine& engine, const std::string& function, double x, double y, double z) {
  engine.VariableStore[kZ] = z;
  engine.Written.set(kZ);
  return EvaluateAt(engine, function, x, y);
}

void ClearSample(Engine& engine, int index) {
  engine.VariableStore[static_cast<size_t>(index)] = 0.0;
  Undefine(engine, index);
}

void Undefine(Engine& engine, int index) {
  engine.DefinedFlag[static_cast<size_t>(index)] = kUndefined;
  engine.Written.set(static_cast<size_t>(index));
}

}  // namespace solver
}  // namespace tarvo
