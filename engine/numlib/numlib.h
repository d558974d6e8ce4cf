// The numeric library behind the language's functions. Every routine takes
// doubles, reports failure through ErrorCode and returns 0 then; the error
// numbers and the checks of each are stated beside it. Inside an evaluation,
// the routines with loops (factorials, divisor loops, primality, the normal
// distribution) charge their steps to the entry's work budget and fail with
// 41 once it is spent.
#pragma once

namespace tarvo {

// Inverse circular routines, results in radians (the caller applies the
// angle unit). Clear ErrorCode; outside the domain, or any fault inside: 5.
double ArcSin(double x);    // |x| <= 1
double ArcCos(double x);    // |x| <= 1
double ArcCosec(double x);  // |x| >= 1
double ArcSec(double x);    // |x| >= 1
double ArcCotan(double x);  // all; x = 0 gives pi/2

// Inverse hyperbolic routines. Clear ErrorCode; outside the domain or any
// fault inside: 5.
double ArgSinh(double x);
double ArgCosh(double x);    // x >= 1
double ArgTanh(double x);    // |x| < 1
double ArgCosech(double x);  // x != 0
double ArgSech(double x);    // 0 < x <= 1
double ArgCotanh(double x);  // |x| > 1

// Combinatorics and number theory. Each clears ErrorCode on entry (IsPrime
// never clears it, and sets only 5, or 41).
double Factorial(double n);                     // 0 <= n <= 170 whole; n > 170: 6
double Combinations(double n, double r);        // 0 < n <= 170, 0 <= r <= 170, whole
double Permutations(double n, double r);
double Gcd(double a, double b);                 // |a|,|b| <= 1E9, whole; a=0 gives b, b=0 gives a
double LeastCommonMultiple(double a, double b); // same limits; b = 0: 1
double IsPrime(double n);                       // 0 < n <= 1E9 whole; 1 prime, 0 not

// Probability and statistics. Each clears ErrorCode on entry.
double NormalLower(double z);    // P(Z < z); a fault: 1
double NormalInverse(double p);  // 0 < p < 1 else 5
double BinomialProbability(double n, double p, double r);
// Write a (lower end) and b (upper end), both defined; return the lower end.
double MeanIntervalEstimation(double n, double mean, double sd, double level);
double RateIntervalEstimation(double n, double rate, double level);

// Julian day of a date (day, month, year) and hours; 1900 <= year <= 2099
// after normalising an overflowing day or month, else 5.
double JulianDay(double day, double month, double year, double hours);
// Write x, y (rec) or r, a (pol), defined; return x or r. rec: r < 0 gives 5.
double PolarToRectangular(double r, double theta);
double RectangularToPolar(double x, double y);

}  // namespace tarvo
