// Logarithm and exponential from additions, multiplications and divisions
// alone, so that what is computed from them is the same whichever C library
// the program runs on.
#pragma once

// The natural logarithm of a positive, finite x, to within an ulp or two.
double portable_log(double x);

// e to the power y, to within an ulp or two, for |y| up to about 700.
double portable_exp(double y);
