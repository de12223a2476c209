// The lane operations on four doubles per vector, for the exact kernel
// (vector_kernel.h) and the perturbation loop (perturbation_lanes.h) alike.
// Include after lane_target.h, with LANE_TARGET "avx2".
#pragma once

#include <cstdint>
#include <limits>

#include <immintrin.h>

namespace {

// Lane operations on four doubles per vector.
struct avx2_lanes {
    using vec = __m256d;
    using counts = __m256i;
    using flags = __m256d;  // all ones in a set lane
    // Independent orbits (or pixels) in flight: four vectors cover the latency of a step;
    // eight measured slower, their state no longer fitting the 16 registers.
    static constexpr int vectors = 4;
    static constexpr int width = 4;
    LANE_INLINE static vec load(const double* p) { return _mm256_loadu_pd(p); }
    LANE_INLINE static void store(double* p, vec a) { _mm256_storeu_pd(p, a); }
    LANE_INLINE static vec set1(double a) { return _mm256_set1_pd(a); }
    LANE_INLINE static vec add(vec a, vec b) { return _mm256_add_pd(a, b); }
    LANE_INLINE static vec sub(vec a, vec b) { return _mm256_sub_pd(a, b); }
    LANE_INLINE static vec mul(vec a, vec b) { return _mm256_mul_pd(a, b); }
    LANE_INLINE static vec xor_bits(vec a, vec b) { return _mm256_xor_pd(a, b); }
    LANE_INLINE static flags all_lanes() { return _mm256_castsi256_pd(_mm256_set1_epi64x(-1)); }
    // The lanes of keep where a == b does not hold (true for NaN).
    LANE_INLINE static flags and_not_equal(flags keep, vec a, vec b)
    {
        return _mm256_and_pd(keep, _mm256_cmp_pd(a, b, _CMP_NEQ_UQ));
    }
    // One bit per lane.
    LANE_INLINE static int bits(flags f) { return _mm256_movemask_pd(f); }
    LANE_INLINE static counts load_counts(const std::int64_t* p)
    {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    LANE_INLINE static void store_counts(std::int64_t* p, counts a)
    {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), a);
    }
    LANE_INLINE static counts zero_counts() { return _mm256_setzero_si256(); }
    // Escape operations, the flags meaning the lanes still inside: the lanes
    // of inside where a <= b (false for NaN); one more in each lane inside,
    // by subtracting its all-ones; a + b in the lanes inside and the old
    // value in the others (an escaped point stays where it left, for smooth
    // colouring).
    LANE_INLINE static flags still_inside(flags inside, vec a, vec b)
    {
        return _mm256_and_pd(inside, _mm256_cmp_pd(a, b, _CMP_LE_OQ));
    }
    LANE_INLINE static counts count(counts n, flags inside) { return _mm256_sub_epi64(n, _mm256_castpd_si256(inside)); }
    LANE_INLINE static counts add_counts(counts a, counts b) { return _mm256_add_epi64(a, b); }
    LANE_INLINE static vec add_or_keep(flags inside, vec a, vec b, vec old)
    {
        return _mm256_blendv_pd(old, _mm256_add_pd(a, b), inside);
    }
    // For the perturbation loop.
    LANE_INLINE static flags greater(vec a, vec b) { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
    LANE_INLINE static flags greater_equal(vec a, vec b) { return _mm256_cmp_pd(a, b, _CMP_GE_OQ); }
    LANE_INLINE static flags less(vec a, vec b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
    LANE_INLINE static flags equal(vec a, vec b) { return _mm256_cmp_pd(a, b, _CMP_EQ_OQ); }
    LANE_INLINE static flags either(flags a, flags b) { return _mm256_or_pd(a, b); }
    LANE_INLINE static flags both(flags a, flags b) { return _mm256_and_pd(a, b); }
    LANE_INLINE static flags choose(flags f, flags a, flags b) { return _mm256_blendv_pd(b, a, f); }
    LANE_INLINE static vec select(flags f, vec a, vec b) { return _mm256_blendv_pd(b, a, f); }
    // 32-bit offsets in doubles: 2 m fits for the orbits vector_loop_takes.
    LANE_INLINE static void gather_pair(const double* base, vec m, vec& re, vec& im)
    {
        const __m128i index = _mm256_cvttpd_epi32(m);
        const __m128i offset = _mm_add_epi32(index, index);
        re = gather_at(base, offset);
        im = gather_at(base + 1, offset);
    }
    // The masked form with every lane set: the plain one reads an
    // uninitialised source register, as far as the compiler can tell.
    LANE_INLINE static vec gather_at(const double* base, __m128i offset)
    {
        return _mm256_mask_i32gather_pd(_mm256_setzero_pd(), base, offset, all_lanes(), 8);
    }
};

}  // namespace
