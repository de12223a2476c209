// The escape-time formulas: the definition every image is held to.
//
// The orbit starts at z0 = c. At each step n: if |z|^2 > 4 (strictly; a NaN
// squared modulus has not escaped) return n; if n >= limit return n; else
// move to the next point, computed wholly from the old one, in IEEE double
// arithmetic in exactly the order written in formulas.cpp. Faster renderers
// must give the same counts, so no FMA and no reassociation anywhere.
#pragma once

#include <cfloat>
#include <cstdint>

// x87 arithmetic keeps intermediates in extended precision, which changes
// the counts; the definition needs each operation rounded to double.
static_assert(FLT_EVAL_METHOD == 0, "floating point here carries excess precision (FLT_EVAL_METHOD != 0, e.g. x87); "
                                    "build for SSE2 doubles (x86-64, or -msse2 -mfpmath=sse)");

// One step of the definition for exponent P: the point after z = zr + zi i
// (whose squares zr2 and zi2 the escape test has formed) for c = re + im i,
// in the definition's order of operations. T is a double, or a vector of
// doubles (smooth colouring's lanes), which does the same in every lane.
template <int P, class T>
[[gnu::always_inline]] inline void next_point(T& zr, T& zi, const T& zr2, const T& zi2, const T& re, const T& im)
{
    T next_zr;
    T next_zi;
    if constexpr (P == 2) {
        next_zi = (zi * zr + zi * zr) + im;
        next_zr = (zr2 - zi2) + re;
    } else if constexpr (P == 3) {
        next_zr = zr * (zr2 - 3.0 * zi2) + re;
        next_zi = zi * (3.0 * zr2 - zi2) + im;
    } else {
        static_assert(P == 4);
        next_zr = ((zr2 - 6.0 * zi2) * zr2 + zi2 * zi2) + re;
        next_zi = (zr2 - zi2) * (4.0 * (zi * zr)) + im;
    }
    zr = next_zr;
    zi = next_zi;
}

using escape_time_function = std::int32_t (*)(double re, double im, std::int32_t limit);

std::int32_t escape_time_power2(double re, double im, std::int32_t limit);
std::int32_t escape_time_power3(double re, double im, std::int32_t limit);
std::int32_t escape_time_power4(double re, double im, std::int32_t limit);

// The same orbits, also giving the last point: for a count below the limit,
// z_n, the first point past the escape radius (smooth colouring continues
// the orbit from it).
using escape_point_function = std::int32_t (*)(double re, double im, std::int32_t limit, double& zr, double& zi);

std::int32_t escape_point_power2(double re, double im, std::int32_t limit, double& zr, double& zi);
std::int32_t escape_point_power3(double re, double im, std::int32_t limit, double& zr, double& zi);
std::int32_t escape_point_power4(double re, double im, std::int32_t limit, double& zr, double& zi);

inline constexpr int FIGURE_COUNT = 3;

// Indexed by CFractal::figure_index.
inline constexpr escape_time_function figure_functions[FIGURE_COUNT] = {
    escape_time_power2,
    escape_time_power3,
    escape_time_power4,
};

inline constexpr escape_point_function figure_point_functions[FIGURE_COUNT] = {
    escape_point_power2,
    escape_point_power3,
    escape_point_power4,
};

// The entries of the dialog's figure list, in table order.
inline constexpr const char16_t* figure_names[FIGURE_COUNT] = {
    u"マンデルブロ集合",
    u"指数3のマンデルブロ集合",
    u"指数4のマンデルブロ集合",
};
