// TEMPORARY: placeholders until the numeric library and solvers land; delete with them.
#include "engine/errors.h"
#include "engine/numlib/numlib.h"
#include "engine/solvers/solvers.h"
#include "engine/state.h"

namespace tarvo {
namespace { double Pending() { State().ErrorCode = kErrInternal; return 0; } }
double Factorial(double) { return Pending(); }
double Combinations(double, double) { return Pending(); }
double Permutations(double, double) { return Pending(); }
double Gcd(double, double) { return Pending(); }
double LeastCommonMultiple(double, double) { return Pending(); }
double IsPrime(double) { return Pending(); }
double NormalLower(double) { return Pending(); }
double NormalInverse(double) { return Pending(); }
double BinomialProbability(double, double, double) { return Pending(); }
double MeanIntervalEstimation(double, double, double, double) { return Pending(); }
double RateIntervalEstimation(double, double, double) { return Pending(); }
double JulianDay(double, double, double, double) { return Pending(); }
double PolarToRectangular(double, double) { return Pending(); }
double RectangularToPolar(double, double) { return Pending(); }
double SnapToInteger(double v) { return v; }
std::string EquationAsFunction(std::string_view t) { return std::string(t); }
double SolveQuadratic(std::string_view) { return Pending(); }
double SolveCubic(std::string_view) { return Pending(); }
double SolveLinear2x2(std::string_view, std::string_view) { return Pending(); }
double SolveLinear3x3(std::string_view, std::string_view, std::string_view) { return Pending(); }
double SolveOnInterval(std::string_view, double, double, double) { return Pending(); }
}  // namespace tarvo
