// Equation solvers. Each treats the user's equation (a token string without
// its end mark) as a black box evaluated by Evaluate at sample values of its
// unknowns, stores the solutions in variables and reports through ErrorCode.
#pragma once

#include <string>
#include <string_view>

namespace tarvo {

class Engine;

// A value within about 5E-8 of a whole number becomes that number.
double SnapToInteger(Engine& engine, double v);

// L=R becomes L-(R) (only the first "=" counts); a text without "=" stays.
std::string EquationAsFunction(std::string_view text);

double SolveQuadratic(Engine& engine, std::string_view equation);  // EQ2D: a, b, i; shows the variable list
double SolveCubic(Engine& engine, std::string_view equation);      // EQ3D: a, b, c, i; shows the variable list
double SolveLinear2x2(Engine& engine, std::string_view eq1, std::string_view eq2);  // x, y, d
double SolveLinear3x3(Engine& engine, std::string_view eq1, std::string_view eq2, std::string_view eq3);  // x, y, z, d
double SolveOnInterval(Engine& engine, std::string_view equation, double a, double b, double h);  // SOLVE: a, b, c, d, f..w

}  // namespace tarvo
