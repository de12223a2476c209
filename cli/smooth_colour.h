// Smooth colouring: a continuous escape value in place of the integer
// count, so that colours no longer stand in bands.
//
// For a point whose orbit escapes at the definition's count n (|z_n|^2 > 4),
// the orbit is continued, z <- z^p + c, to the first step k >= n with
// |z_k| > B = 2^20, and
//
//     nu = k + 1 - log_p(log2 |z_k|),
//
// the standard renormalised count k + 1 - log_p(ln |z_k| / ln B) shifted by
// log_p(ln B / ln 2), which keeps it close to n (in [n, n + 1] but for the
// pull of c): it is continuous in c wherever k changes, since there
// |z_{k+1}| is |z_k|^p but for c. The logarithms are computed from the
// bits with additions, multiplications and divisions alone, so every build
// gives the same colours.
#pragma once

#include "fractal.h"
#include "linear_light.h"

#include <cstdint>

// The bailout B, as a squared modulus.
inline constexpr double SMOOTH_BAILOUT_NORM = 0x1p40;

// nu for a point c whose orbit of exponent p escaped at count n at the point
// z; NaN when n is at the limit (no escape).
double smooth_count(int exponent, std::int32_t n, std::int32_t limit, double zr, double zi, double cr, double ci);

// The colour of nu: the interpolation in linear light between palette
// entries floor(nu) mod L and floor(nu) + 1 mod L, by the fraction of nu;
// black for NaN. Three bytes, blue-green-red, at pixel.
void smooth_pixel(const CFractal& fractal, double nu, const linear_light& light, std::uint8_t* pixel);
