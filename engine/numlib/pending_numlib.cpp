// TEMPORARY: placeholders until the numeric library and solvers land; delete with them.
#include "engine/errors.h"
#include "engine/numlib/numlib.h"
#include "engine/solvers/solvers.h"
#include "engine/state.h"

namespace tarvo {
namespace { double Pending() { State().ErrorCode = kErrInternal; return 0; } }
double SnapToInteger(double v) { return v; }
std::string EquationAsFunction(std::string_view t) { return std::string(t); }
double SolveQuadratic(std::string_view) { return Pending(); }
double SolveCubic(std::string_view) { return Pending(); }
double SolveLinear2x2(std::string_view, std::string_view) { return Pending(); }
double SolveLinear3x3(std::string_view, std::string_view, std::string_view) { return Pending(); }
double SolveOnInterval(std::string_view, double, double, double) { return Pending(); }
}  // namespace tarvo
