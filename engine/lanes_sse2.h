// The lane operations on two doubles per vector, on every x86-64 processor, for the exact kernel
// (vector_kernel.h) and the perturbation loop (perturbation_lanes.h) alike.
// Include after lane_target.h, with LANE_TARGET "sse2".
#pragma once

#include <cstdint>
#include <limits>

#include <emmintrin.h>

namespace {

// Lane operations on two doubles per vector.
struct sse2_lanes {
    using vec = __m128d;
    using counts = __m128i;
    using flags = __m128d;  // all ones in a set lane
    // Independent orbits (or pixels) in flight, enough to cover the latency of each step.
    static constexpr int vectors = 4;
    static constexpr int width = 2;
    LANE_INLINE static vec load(const double* p) { return _mm_loadu_pd(p); }
    LANE_INLINE static void store(double* p, vec a) { _mm_storeu_pd(p, a); }
    LANE_INLINE static vec set1(double a) { return _mm_set1_pd(a); }
    LANE_INLINE static vec add(vec a, vec b) { return _mm_add_pd(a, b); }
    LANE_INLINE static vec sub(vec a, vec b) { return _mm_sub_pd(a, b); }
    LANE_INLINE static vec mul(vec a, vec b) { return _mm_mul_pd(a, b); }
    LANE_INLINE static vec xor_bits(vec a, vec b) { return _mm_xor_pd(a, b); }
    LANE_INLINE static flags all_lanes() { return _mm_castsi128_pd(_mm_set1_epi64x(-1)); }
    // The lanes of keep where a == b does not hold (true for NaN).
    LANE_INLINE static flags and_not_equal(flags keep, vec a, vec b) { return _mm_and_pd(keep, _mm_cmpneq_pd(a, b)); }
    // One bit per lane.
    LANE_INLINE static int bits(flags f) { return _mm_movemask_pd(f); }
    LANE_INLINE static counts load_counts(const std::int64_t* p)
    {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    }
    LANE_INLINE static void store_counts(std::int64_t* p, counts a)
    {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), a);
    }
    LANE_INLINE static counts zero_counts() { return _mm_setzero_si128(); }
    // Escape operations, the flags meaning the lanes still inside: the lanes
    // of inside where a <= b (false for NaN); one more in each lane inside,
    // by subtracting its all-ones; a + b in the lanes inside and the old
    // value in the others (an escaped point stays where it left, for smooth
    // colouring).
    LANE_INLINE static flags still_inside(flags inside, vec a, vec b) { return _mm_and_pd(inside, _mm_cmple_pd(a, b)); }
    LANE_INLINE static counts count(counts n, flags inside) { return _mm_sub_epi64(n, _mm_castpd_si128(inside)); }
    LANE_INLINE static counts add_counts(counts a, counts b) { return _mm_add_epi64(a, b); }
    LANE_INLINE static vec add_or_keep(flags inside, vec a, vec b, vec old)
    {
        return _mm_or_pd(_mm_and_pd(inside, _mm_add_pd(a, b)), _mm_andnot_pd(inside, old));
    }
    // For the perturbation loop.
    // Ordered compares: false where either is NaN.
    LANE_INLINE static flags greater(vec a, vec b) { return _mm_cmpgt_pd(a, b); }
    LANE_INLINE static flags greater_equal(vec a, vec b) { return _mm_cmpge_pd(a, b); }
    LANE_INLINE static flags less(vec a, vec b) { return _mm_cmplt_pd(a, b); }
    LANE_INLINE static flags equal(vec a, vec b) { return _mm_cmpeq_pd(a, b); }
    LANE_INLINE static flags either(flags a, flags b) { return _mm_or_pd(a, b); }
    LANE_INLINE static flags both(flags a, flags b) { return _mm_and_pd(a, b); }
    // f ? a : b, lane by lane, for flags and for values.
    LANE_INLINE static flags choose(flags f, flags a, flags b) { return select(f, a, b); }
    LANE_INLINE static vec select(flags f, vec a, vec b) { return _mm_or_pd(_mm_and_pd(f, a), _mm_andnot_pd(f, b)); }
    // The pairs base[2 m], base[2 m + 1] of each lane's element m.
    LANE_INLINE static void gather_pair(const double* base, vec m, vec& re, vec& im)
    {
        const vec a = _mm_loadu_pd(base + 2 * _mm_cvttsd_si64(m));
        const vec b = _mm_loadu_pd(base + 2 * _mm_cvttsd_si64(_mm_unpackhi_pd(m, m)));
        re = _mm_unpacklo_pd(a, b);
        im = _mm_unpackhi_pd(a, b);
    }
};

}  // namespace
