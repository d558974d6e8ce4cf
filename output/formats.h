// The output formats as text. Each takes a finite double and returns the text
// the display shows (without the leading blank that the output keys add).
#pragma once

#include <optional>
#include <string>

namespace tarvo {

std::string FormatFixed(double x, int decimals);     // decimals 0..9
std::string FormatScientific(double x, int digits);  // digits 1..12

// x rounded at a negative decimal place: -1 whole, -5 four decimals;
// nothing when the rounding overflows.
std::optional<double> RoundAtPlace(double x, int place);

struct Fraction {
  double numerator;
  double denominator;
};
// A numerator and denominator close to x (within 1E-6); x over 1 when none.
// Nothing when a rounding step fails.
std::optional<Fraction> ToFraction(double x);
// Fraction, multiple of pi ("2pi/3") or rationalised root ("3sqr2/4").
std::string FormatFraction(double x);

std::string FormatHex(double magnitude);     // digits of |x|, "0" for 0
std::string FormatBinary(double magnitude);  // digits of a whole magnitude
// What the hexadecimal / binary keys draw after the blank ("-&h 1A",
// "&b 101.1"), or nothing when |x| is beyond the key's limit (1E14 / 1E11)
// and the normal format must be shown instead.
std::optional<std::string> HexKeyText(double x);
std::optional<std::string> BinaryKeyText(double x);
std::string FormatDms(double x);             // 12° 20' 44.16"
std::string FormatJulianDate(double j);      // Monday, March 12th, 2007
// What the date key draws: the date inside its range, else NumberText.
std::string DateKeyText(double j);

}  // namespace tarvo
