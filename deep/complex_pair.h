// A complex number over double or floatexp, with the few operations the
// perturbation loop and the approximation table use, each in a fixed order
// of real operations (no library complex: its products may call routines
// whose rounding the build does not control).
#pragma once

#include "floatexp.h"

#include <cmath>

template <class T>
struct complex_pair {
    T re{};
    T im{};
};

// The real operations the complex ones are built from, for double and
// floatexp alike.
inline double mul_small(double x, int k) { return x * k; }
inline double abs_value(double x) { return std::abs(x); }
inline floatexp abs_value(floatexp x) { return abs(x); }

// Sum, difference, product, square and small integer multiple, each in
// the order of real operations written.
template <class T>
complex_pair<T> operator+(complex_pair<T> a, complex_pair<T> b)
{
    return {a.re + b.re, a.im + b.im};
}

template <class T>
complex_pair<T> operator-(complex_pair<T> a, complex_pair<T> b)
{
    return {a.re - b.re, a.im - b.im};
}

template <class T>
complex_pair<T> operator*(complex_pair<T> a, complex_pair<T> b)
{
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

template <class T>
complex_pair<T> square(complex_pair<T> a)
{
    const T t = a.re * a.im;
    return {a.re * a.re - a.im * a.im, t + t};
}

template <class T>
complex_pair<T> mul_small(complex_pair<T> a, int k)
{
    return {mul_small(a.re, k), mul_small(a.im, k)};
}

// |a|^2.
template <class T>
T norm(complex_pair<T> a)
{
    return a.re * a.re + a.im * a.im;
}

// |re| + |im|: at least |a| and at most sqrt(2) |a|, with no squares to
// underflow, which makes it the bound a validity radius is checked with.
template <class T>
T magnitude_bound(complex_pair<T> a)
{
    return abs_value(a.re) + abs_value(a.im);
}

// Conversions between the two number types, part by part.
inline complex_pair<floatexp> to_floatexp(complex_pair<double> a) { return {to_floatexp(a.re), to_floatexp(a.im)}; }
inline complex_pair<double> to_double(complex_pair<floatexp> a) { return {to_double(a.re), to_double(a.im)}; }

// |a|^2 > 4, the escape test.
inline bool outside_escape_radius(complex_pair<double> a) { return norm(a) > 4.0; }
inline bool outside_escape_radius(complex_pair<floatexp> a) { return norm(a) > floatexp{1.0, 2}; }

// Squared moduli below SMALL_NORM may have lost bits to underflow (doubles
// below 2^-450 do); two such are compared scaled up by SMALL_MODULUS_SCALE,
// an exact power of two that brings them back into the normal range.
inline constexpr double SMALL_NORM = 0x1p-900;
inline constexpr double SMALL_MODULUS_SCALE = 0x1p600;

// |a| < |b|, compared through the squared moduli, scaled where both are small.
inline bool modulus_less(complex_pair<double> a, complex_pair<double> b)
{
    const double nb = norm(b);
    if (nb >= SMALL_NORM)
        return norm(a) < nb;
    if (norm(a) >= SMALL_NORM)
        return false;
    const double up = SMALL_MODULUS_SCALE;
    return norm(complex_pair<double>{a.re * up, a.im * up}) < norm(complex_pair<double>{b.re * up, b.im * up});
}

inline bool modulus_less(complex_pair<floatexp> a, complex_pair<floatexp> b)
{
    return magnitude_less(norm(a), norm(b));
}
