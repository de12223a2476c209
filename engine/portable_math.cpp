#include "portable_math.h"

#include <cmath>

double portable_log(double x)
{
    int exponent = 0;
    double m = std::frexp(x, &exponent);  // exact: x = m 2^exponent, 0.5 <= m < 1
    if (m < 0.7071067811865476) {
        m *= 2.0;
        --exponent;
    }
    // log m = 2 atanh f, |f| < 0.172: the series is below an ulp after 12 terms.
    const double f = (m - 1.0) / (m + 1.0);
    const double f2 = f * f;
    double sum = 0.0;
    for (int n = 25; n >= 1; n -= 2)
        sum = sum * f2 + 1.0 / n;
    return exponent * LN2 + 2.0 * f * sum;
}

double portable_exp(double y)
{
    const double n = std::nearbyint(y / LN2);
    const double r = y - n * LN2;  // |r| <= 0.35: the series is below an ulp after 18 terms
    double sum = 1.0;
    for (int k = 18; k >= 1; --k)
        sum = 1.0 + sum * r / k;
    return std::ldexp(sum, static_cast<int>(n));
}
