// Logarithm and exponential from additions, multiplications and divisions
// alone, so that what is computed from them is the same whichever C library
// the program runs on.
#pragma once

// ln 2, to the double nearest it.
inline constexpr double LN2 = 0.6931471805599453094;

// The natural logarithm of a positive, finite x, to within an ulp or two.
double portable_log(double x);

// e to the power y, to within an ulp or two, for |y| up to about 700.
double portable_exp(double y);
