// An extended-range number: a double mantissa with a separate integer
// exponent, value = m * 2^e. The mantissa is 0 or has |m| in [1, 2), so a
// value keeps all 53 bits however small or large it is: 1e-5000 is as exact
// as 1. Every operation rounds once, as IEEE double does, and builds its
// powers of two from bits, so the results are the same on every C library.
#pragma once

#include <bit>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <limits>

// The exponent of zero: below every value that arises, so that comparing
// exponents orders magnitudes, and far enough from the end of the type that
// adding or subtracting two exponents cannot overflow.
inline constexpr std::int64_t floatexp_zero_exponent = std::numeric_limits<std::int64_t>::min() / 4;

// Zero by default.
struct floatexp {
    double m = 0.0;
    std::int64_t e = floatexp_zero_exponent;
};

inline constexpr std::uint64_t double_exponent_mask = 0x7ffull << 52;
inline constexpr int double_exponent_bias = 1023;

// 2^k as a double for k in [-1022, 1023], from its bits (exact).
inline double power_of_two(std::int64_t k)
{
    assert(k >= -1022 && k <= 1023);
    return std::bit_cast<double>(static_cast<std::uint64_t>(k + double_exponent_bias) << 52);
}

// m * 2^e normalised, for a finite m that is zero or normal; the sums,
// products and quotients of normalised mantissas are never subnormal, so
// this is all the loop needs. Moving the exponent field is exact.
inline floatexp normalise_normal(double m, std::int64_t e)
{
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(m);
    const std::int64_t biased = static_cast<std::int64_t>((bits & double_exponent_mask) >> 52);
    assert(biased != 0x7ff);
    if (biased == 0) {
        assert(m == 0.0);
        return {0.0, floatexp_zero_exponent};
    }
    const double mantissa = std::bit_cast<double>((bits & ~double_exponent_mask) |
                                                  (static_cast<std::uint64_t>(double_exponent_bias) << 52));
    return {mantissa, e + biased - double_exponent_bias};
}

// Any finite double as a floatexp, subnormals included (scaled up first, exactly).
inline floatexp to_floatexp(double x)
{
    assert(std::isfinite(x));
    if (x != 0.0 && std::abs(x) < std::numeric_limits<double>::min())
        return normalise_normal(x * 0x1p64, -64);
    return normalise_normal(x, 0);
}

// The nearest double: exact in the normal range, rounded once below it
// (the last multiplication is the only inexact one), infinite above it.
inline double to_double(floatexp x)
{
    if (x.e > 1023)
        return x.m > 0.0 ? std::numeric_limits<double>::infinity() : -std::numeric_limits<double>::infinity();
    if (x.e >= -1022)
        return x.m * power_of_two(x.e);
    if (x.e >= -1022 - 60)
        return (x.m * power_of_two(x.e + 60)) * 0x1p-60;
    return x.m * 0.0;  // keeps the sign of zero
}

// Whether x is zero, its negation and its magnitude: all exact.
inline bool is_zero(floatexp x) { return x.m == 0.0; }
inline floatexp operator-(floatexp x) { return {-x.m, x.e}; }
inline floatexp abs(floatexp x) { return {std::abs(x.m), x.e}; }

// x * 2^k, exactly.
inline floatexp scale_by_power_of_two(floatexp x, std::int64_t k) { return is_zero(x) ? x : floatexp{x.m, x.e + k}; }

// a + b, correctly rounded: the smaller is aligned to the larger exactly.
inline floatexp operator+(floatexp a, floatexp b)
{
    if (a.e < b.e) {
        const floatexp t = a;
        a = b;
        b = t;
    }
    const std::int64_t shift = a.e - b.e;
    // Past 64 places b is below a quarter of a's last place and rounds away;
    // up to there its scaled mantissa stays normal, so the scaling is exact.
    if (shift > 64)
        return a;
    return normalise_normal(a.m + b.m * power_of_two(-shift), a.e);
}

// a - b, a * b and a / b, each correctly rounded.
inline floatexp operator-(floatexp a, floatexp b) { return a + (-b); }
inline floatexp operator*(floatexp a, floatexp b) { return normalise_normal(a.m * b.m, a.e + b.e); }
inline floatexp operator/(floatexp a, floatexp b)
{
    assert(!is_zero(b));
    return normalise_normal(a.m / b.m, a.e - b.e);
}

// x * k and x / k for a small integer k (|k| < 2^53), one rounding each.
inline floatexp mul_small(floatexp x, int k) { return normalise_normal(x.m * k, x.e); }
inline floatexp div_small(floatexp x, std::int64_t k)
{
    assert(k != 0);
    return normalise_normal(x.m / static_cast<double>(k), x.e);
}

// The square root of x >= 0, correctly rounded (sqrt is, on every C library).
inline floatexp sqrt(floatexp x)
{
    assert(x.m >= 0.0);
    if (is_zero(x))
        return x;
    double m = x.m;
    std::int64_t e = x.e;
    if (e & 1) {
        m *= 2.0;
        e -= 1;
    }
    return normalise_normal(std::sqrt(m), e / 2);
}

// |a| < |b|.
inline bool magnitude_less(floatexp a, floatexp b)
{
    return a.e < b.e || (a.e == b.e && std::abs(a.m) < std::abs(b.m));
}

// a < b as signed values.
inline bool operator<(floatexp a, floatexp b)
{
    const bool a_negative = a.m < 0.0;
    const bool b_negative = b.m < 0.0;
    if (a_negative != b_negative)
        return a_negative;
    return a_negative ? magnitude_less(b, a) : magnitude_less(a, b);
}

// a > b as signed values, and equality (normalised values have one form each).
inline bool operator>(floatexp a, floatexp b) { return b < a; }
inline bool operator==(floatexp a, floatexp b) { return a.m == b.m && a.e == b.e; }

// The smaller of two values (named so that no min macro of a platform header can clash).
inline floatexp smaller_of(floatexp a, floatexp b) { return b < a ? b : a; }
