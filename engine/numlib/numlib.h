// The numeric library behind the language's functions. Every routine takes
// doubles, reports failure through ErrorCode and returns 0 then; the error
// numbers and the checks of each are stated beside it. Inside an evaluation,
// the routines with loops (factorials, divisor loops, primality, the normal
// distribution) charge their steps to the entry's work budget and fail with
// 41 once it is spent.
#pragma once

namespace tarvo {

class Engine;

// Charges the work of `functions` circular functions of `radians` beyond
// what a function of a usual angle costs: the library reduces a huge angle
// to one turn on a slow path. False, ErrorCode 41, when the budget is spent.
bool ChargeAngleReduction(Engine& engine, double radians, int functions);

// Inverse circular routines, results in radians (the caller applies the
// angle unit). Clear ErrorCode; outside the domain, or any fault inside: 5.
double ArcSin(Engine& engine, double x);    // |x| <= 1
double ArcCos(Engine& engine, double x);    // |x| <= 1
double ArcCosec(Engine& engine, double x);  // |x| >= 1
double ArcSec(Engine& engine, double x);    // |x| >= 1
double ArcCotan(Engine& engine, double x);  // all; x = 0 gives pi/2

// Inverse hyperbolic routines. Clear ErrorCode; outside the domain or any
// fault inside: 5.
double ArgSinh(Engine& engine, double x);
double ArgCosh(Engine& engine, double x);    // x >= 1
double ArgTanh(Engine& engine, double x);    // |x| < 1
double ArgCosech(Engine& engine, double x);  // x != 0
double ArgSech(Engine& engine, double x);    // 0 < x <= 1
double ArgCotanh(Engine& engine, double x);  // |x| > 1

// Combinatorics and number theory. Each clears ErrorCode on entry (IsPrime
// never clears it, and sets only 5, or 41).
double Factorial(Engine& engine, double n);                     // 0 <= n <= 170 whole; n > 170: 6
double Combinations(Engine& engine, double n, double r);        // 0 < n <= 170, 0 <= r <= 170, whole
double Permutations(Engine& engine, double n, double r);
double Gcd(Engine& engine, double a, double b);                 // |a|,|b| <= 1E9, whole; a=0 gives b, b=0 gives a
double LeastCommonMultiple(Engine& engine, double a, double b); // same limits; b = 0: 1
double IsPrime(Engine& engine, double n);                       // 0 < n <= 1E9 whole; 1 prime, 0 not

// Probability and statistics. Each clears ErrorCode on entry.
double NormalLower(Engine& engine, double z);    // P(Z < z); a fault: 1
double NormalInverse(Engine& engine, double p);  // 0 < p < 1 else 5
double BinomialProbability(Engine& engine, double n, double p, double r);
// Write a (lower end) and b (upper end), both defined; return the lower end.
double MeanIntervalEstimation(Engine& engine, double n, double mean, double sd, double level);
double RateIntervalEstimation(Engine& engine, double n, double rate, double level);

// Julian day of a date (day, month, year) and hours; 1900 <= year <= 2099
// after normalising an overflowing day or month, else 5.
double JulianDay(Engine& engine, double day, double month, double year, double hours);
// Write x, y (rec) or r, a (pol), defined; return x or r. rec: r < 0 gives 5.
double PolarToRectangular(Engine& engine, double r, double theta);
double RectangularToPolar(Engine& engine, double x, double y);

}  // namespace tarvo
