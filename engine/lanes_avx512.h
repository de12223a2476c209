// The lane operations on eight doubles per vector, the truth values in opmask registers, for the exact kernel
// (vector_kernel.h) and the perturbation loop (perturbation_lanes.h) alike.
// Include after lane_target.h, with LANE_TARGET "avx512f".
#pragma once

#include <cstdint>
#include <limits>

#include <immintrin.h>

namespace {

// Lane operations on eight doubles per vector.
struct avx512_lanes {
    using vec = __m512d;
    using counts = __m512i;
    using flags = __mmask8;
    // Independent orbits (or pixels) in flight: four vectors cover the latency of a step
    // and leave the registers for the constants (the exact kernel's lanes
    // still inside live in opmask registers), and 32 lanes fill the kernel's
    // lane bits.
    static constexpr int vectors = 4;
    static constexpr int width = 8;
    LANE_INLINE static vec load(const double* p) { return _mm512_loadu_pd(p); }
    LANE_INLINE static void store(double* p, vec a) { _mm512_storeu_pd(p, a); }
    LANE_INLINE static vec set1(double a) { return _mm512_set1_pd(a); }
    LANE_INLINE static vec add(vec a, vec b) { return _mm512_add_pd(a, b); }
    LANE_INLINE static vec sub(vec a, vec b) { return _mm512_sub_pd(a, b); }
    LANE_INLINE static vec mul(vec a, vec b) { return _mm512_mul_pd(a, b); }
    // AVX-512F has the bit-wise operations for integers only.
    LANE_INLINE static vec xor_bits(vec a, vec b)
    {
        return _mm512_castsi512_pd(_mm512_xor_si512(_mm512_castpd_si512(a), _mm512_castpd_si512(b)));
    }
    LANE_INLINE static flags all_lanes() { return 0xFF; }
    // The lanes of keep where a == b does not hold (true for NaN), in one instruction.
    LANE_INLINE static flags and_not_equal(flags keep, vec a, vec b)
    {
        return _mm512_mask_cmp_pd_mask(keep, a, b, _CMP_NEQ_UQ);
    }
    LANE_INLINE static int bits(flags f) { return f; }
    LANE_INLINE static counts load_counts(const std::int64_t* p) { return _mm512_loadu_si512(p); }
    LANE_INLINE static void store_counts(std::int64_t* p, counts a) { _mm512_storeu_si512(p, a); }
    LANE_INLINE static counts zero_counts() { return _mm512_setzero_si512(); }
    // Escape operations, the flags meaning the lanes still inside: the lanes
    // of inside where a <= b, in one masked compare; one more in each lane
    // inside, by a masked subtract of all ones, which the compiler makes in a
    // register, rather than an add of a one it would keep in memory; a + b in
    // the lanes inside and the old value in the others, by a masked add (an
    // escaped point stays where it left, for smooth colouring).
    LANE_INLINE static flags still_inside(flags inside, vec a, vec b)
    {
        return _mm512_mask_cmp_pd_mask(inside, a, b, _CMP_LE_OQ);
    }
    LANE_INLINE static counts count(counts n, flags inside)
    {
        return _mm512_mask_sub_epi64(n, inside, n, _mm512_set1_epi64(-1));
    }
    LANE_INLINE static counts add_counts(counts a, counts b) { return _mm512_add_epi64(a, b); }
    LANE_INLINE static vec add_or_keep(flags inside, vec a, vec b, vec old)
    {
        return _mm512_mask_add_pd(old, inside, a, b);
    }
    // For the perturbation loop.
    LANE_INLINE static flags greater(vec a, vec b) { return _mm512_cmp_pd_mask(a, b, _CMP_GT_OQ); }
    LANE_INLINE static flags greater_equal(vec a, vec b) { return _mm512_cmp_pd_mask(a, b, _CMP_GE_OQ); }
    LANE_INLINE static flags less(vec a, vec b) { return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ); }
    LANE_INLINE static flags equal(vec a, vec b) { return _mm512_cmp_pd_mask(a, b, _CMP_EQ_OQ); }
    LANE_INLINE static flags either(flags a, flags b) { return a | b; }
    LANE_INLINE static flags both(flags a, flags b) { return a & b; }
    LANE_INLINE static flags choose(flags f, flags a, flags b) { return (f & a) | (~f & b); }
    LANE_INLINE static vec select(flags f, vec a, vec b) { return _mm512_mask_blend_pd(f, b, a); }
    LANE_INLINE static void gather_pair(const double* base, vec m, vec& re, vec& im)
    {
        const __m256i index = to_index(m);
        const __m256i offset = _mm256_add_epi32(index, index);
        re = gather_at(base, offset);
        im = gather_at(base + 1, offset);
    }
    // The masked forms with every lane set: the plain ones read an
    // uninitialised source register, as far as the compiler can tell.
    LANE_INLINE static __m256i to_index(vec m) { return _mm512_maskz_cvttpd_epi32(0xFF, m); }
    LANE_INLINE static vec gather_at(const double* base, __m256i offset)
    {
        return _mm512_mask_i32gather_pd(_mm512_setzero_pd(), 0xFF, offset, base, 8);
    }
};

}  // namespace
