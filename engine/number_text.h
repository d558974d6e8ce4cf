// The one conversion of a double to text, and the signed fractional part.
#pragma once

#include <string>

namespace tarvo {

// At most 15 significant digits, rounded to nearest; "." as the point whatever
// the locale; no leading zero below 1 (".5", "-.25"); no trailing zeros or
// point; "0" for both zeros. Magnitudes of 1E15 and above and below 1E-4 use
// the exponent form "1E+15", "1.5E-07" (sign and at least two digits).
// Infinities and NaNs never reach it from the engine; they are written
// "inf", "-inf" and "nan" rather than failing.
std::string NumberText(double x);

// (|x| - floor(|x|)) * sign(x) for |x| <= 1E15, else 0; a NaN gives 0.
double FracPart(double x);

}  // namespace tarvo
