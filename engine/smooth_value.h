// Smooth colouring's continuous escape value, in place of the integer count,
// so that colours no longer stand in bands.
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
// |z_{k+1}| is |z_k|^p but for c. The logarithms are computed from the bits
// with additions, multiplications and divisions alone, so every build gives
// the same values.
//
// Orbits are taken SMOOTH_LANES at a time, as vectors that the compiler
// splits into those of the kernel that inlines them; every lane does the
// same IEEE operations in the same order whatever the width, so the values
// do not depend on the path.
#pragma once

#include "formulas.h"
#include "portable_math.h"

#include <cstdint>

// The bailout B, as a squared modulus.
inline constexpr double SMOOTH_BAILOUT_NORM = 0x1p40;

inline constexpr int SMOOTH_LANES = 8;

// Escaped orbits waiting for their smooth values: where each left the escape
// radius, its c, its count and its pixel. No wider alignment is asked for:
// GCC for mingw-w64 does not realign the stack beyond the 16 bytes of the
// Windows x64 ABI, and would load from a place it wrongly took as aligned.
struct smooth_batch {
    double zr[SMOOTH_LANES];
    double zi[SMOOTH_LANES];
    double cr[SMOOTH_LANES];
    double ci[SMOOTH_LANES];
    double count[SMOOTH_LANES];  // the definition's n
    std::int32_t x[SMOOTH_LANES];
    std::int32_t i[SMOOTH_LANES];
    int size = 0;

    void add(std::int32_t px, std::int32_t pi, std::int32_t n, double re, double im, double c_re, double c_im)
    {
        x[size] = px;
        i[size] = pi;
        count[size] = n;
        zr[size] = re;
        zi[size] = im;
        cr[size] = c_re;
        ci[size] = c_im;
        ++size;
    }

    // Fills the unused lanes with an orbit already past B, which takes no
    // step and leaves the others' work as it is.
    void pad()
    {
        for (int l = size; l < SMOOTH_LANES; ++l) {
            zr[l] = 0x1p30;
            zi[l] = cr[l] = ci[l] = count[l] = 0.0;
            x[l] = i[l] = 0;
        }
    }
};

namespace smooth_detail {

// Four doubles, their bits, and a truth value per lane (all ones or zero):
// GNU vectors, which the compiler maps onto the vectors of the target it
// compiles for (wider ones it would split badly, comparing lane by lane).
// Helpers take them by reference, so that no vector crosses a call under
// another target's conventions.
inline constexpr int VECTOR_LANES = 4;
inline constexpr int VECTORS = SMOOTH_LANES / VECTOR_LANES;
typedef double lanes __attribute__((vector_size(8 * VECTOR_LANES)));
typedef std::uint64_t lane_bits __attribute__((vector_size(8 * VECTOR_LANES)));
typedef std::int64_t lane_truth __attribute__((vector_size(8 * VECTOR_LANES)));

// At most this many steps past the escape radius: from |z| > 2 the modulus
// at least squares, less c, at each step.
inline constexpr int MOST_STEPS = 64;
inline constexpr double SQRT2 = 1.4142135623730951;
inline constexpr std::uint64_t MANTISSA = (std::uint64_t{1} << 52) - 1;
inline constexpr std::uint64_t ONE_BITS = std::uint64_t{1023} << 52;
// 2^52 as bits: an exponent field or-ed into its mantissa, less 2^52, is the
// field as a double, with no integer conversion (which older vector units
// lack).
inline constexpr std::uint64_t TWO_52_BITS = std::uint64_t{0x433} << 52;

[[gnu::always_inline]] inline void load(lanes& to, const double* from) { __builtin_memcpy(&to, from, sizeof to); }

// pick ? a : b lane by lane, as bits: a select on the truth values would
// compare them with zero first, which SSE2 cannot do for 64-bit lanes.
[[gnu::always_inline]] inline void choose(const lane_truth& pick, const lanes& a, const lanes& b, lanes& out)
{
    const lane_bits mask = (lane_bits)pick;
    out = (lanes)((mask & (lane_bits)a) | (~mask & (lane_bits)b));
}

// log2 x for positive, finite, normal lanes, to about 1e-13, without a branch.
[[gnu::always_inline]] inline void log2_of(const lanes& x, lanes& out)
{
    const lane_bits bits = (lane_bits)x;
    lanes exponent = (lanes)((bits >> 52) | TWO_52_BITS) - (0x1p52 + 1023.0);
    lanes m = (lanes)((bits & MANTISSA) | ONE_BITS);  // x = m 2^exponent, 1 <= m < 2
    const lane_truth high = m > SQRT2;
    choose(high, m * 0.5, m, m);
    choose(high, exponent + 1.0, exponent, exponent);
    // ln m = 2 atanh f with |f| <= 0.1716: seven terms of the series.
    const lanes f = (m - 1.0) / (m + 1.0);
    const lanes f2 = f * f;
    const lanes series =
        1.0 + f2 * (1.0 / 3 + f2 * (1.0 / 5 + f2 * (1.0 / 7 + f2 * (1.0 / 9 + f2 * (1.0 / 11 + f2 * (1.0 / 13))))));
    out = exponent + 2.0 * f * series / LN2;
}

}  // namespace smooth_detail

// nu of every lane of the batch (padded), for exponent P, into nu. The
// vectors go through each step side by side, so that one's chain of
// dependent operations fills the other's waits.
template <int P>
[[gnu::always_inline]] inline void smooth_values(const smooth_batch& b, double* nu)
{
    using namespace smooth_detail;
    lanes zr[VECTORS];
    lanes zi[VECTORS];
    lanes k[VECTORS];
    lanes cr[VECTORS];
    lanes ci[VECTORS];
    for (int v = 0; v < VECTORS; ++v) {
        load(zr[v], b.zr + VECTOR_LANES * v);
        load(zi[v], b.zi + VECTOR_LANES * v);
        load(k[v], b.count + VECTOR_LANES * v);
        load(cr[v], b.cr + VECTOR_LANES * v);
        load(ci[v], b.ci + VECTOR_LANES * v);
    }
    for (int s = 0; s < MOST_STEPS; ++s) {
        lane_truth inside[VECTORS];
        lane_truth any = {};
        for (int v = 0; v < VECTORS; ++v) {
            const lanes zr2 = zr[v] * zr[v];
            const lanes zi2 = zi[v] * zi[v];
            inside[v] = zr2 + zi2 <= SMOOTH_BAILOUT_NORM;
            any |= inside[v];
            lanes next_zr = zr[v];
            lanes next_zi = zi[v];
            next_point<P>(next_zr, next_zi, zr2, zi2, cr[v], ci[v]);
            choose(inside[v], next_zr, zr[v], zr[v]);
            choose(inside[v], next_zi, zi[v], zi[v]);
            choose(inside[v], k[v] + 1.0, k[v], k[v]);
        }
        bool stepped = false;
        for (int l = 0; l < VECTOR_LANES; ++l)
            stepped |= any[l] != 0;
        if (!stepped)
            break;
    }
    // log2 |z| = log2(|z|^2) / 2, and log_p y = log2 y / log2 p.
    constexpr double LOG2_P = P == 2 ? 1.0 : P == 4 ? 2.0 : 1.5849625007211562;
    for (int v = 0; v < VECTORS; ++v) {
        const lanes modulus = zr[v] * zr[v] + zi[v] * zi[v];
        lanes log_modulus;
        log2_of(modulus, log_modulus);
        const lanes half = 0.5 * log_modulus;
        lanes log_log;
        log2_of(half, log_log);
        const lanes result = k[v] + 1.0 - log_log / LOG2_P;
        __builtin_memcpy(nu + VECTOR_LANES * v, &result, sizeof result);
    }
}
