// What the solvers share: sampling the user's equation through the
// evaluator, and the store writes of their results.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {
class Engine;
}  // namespace tarvo

namespace tarvo::solver {

inline constexpr int kX = 'x' - 'a';
inline constexpr int kY = 'y' - 'a';
inline constexpr int kZ = 'z' - 'a';

// The equation as a function whose zeros are its solutions, with the end
// mark the evaluator expects.
std::string Terminated(std::string_view equation);

// Stores the sample point in x (y, z) as plain values, without defining them
// (the evaluation marks them defined when it reads them), and evaluates.
// ErrorCode is neither cleared nor read here: the evaluator returns 0 at once
// while it is non-zero, so each solver clears it where it must.
double EvaluateAt(Engine& engine, const std::string& function, double x);
double EvaluateAt(Engine& engine, const std::string& function, double x, double y);
double EvaluateAt(Engine& engine, const std::string& function, double x, double y, double z);

// Value 0 and undefined, as a solver leaves its sampling variable.
void ClearSample(Engine& engine, int index);
// Leave the value, drop the defined-flag.
void Undefine(Engine& engine, int index);

}  // namespace tarvo::solver
