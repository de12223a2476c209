// The deep loop on AVX-512: eight lanes per vector, the lanes' truth values
// in opmask registers. Only AVX-512F is enabled here; its FMA instructions
// are never asked for and -ffp-contract=off keeps the compiler from forming
// them, so every multiply and add rounds on its own as in the scalar loop.
#include "perturbation_vector.h"

#if defined(__x86_64__)

#include <immintrin.h>

#define LANES_TARGET "avx512f"
#include "perturbation_lanes.h"

namespace {

struct avx512_lanes {
    using vec = __m512d;
    using flags = __mmask8;
    static constexpr int vectors = 4;
    static constexpr int width = 8;
    LANES_INLINE static vec load(const double* p) { return _mm512_loadu_pd(p); }
    LANES_INLINE static void store(double* p, vec a) { _mm512_storeu_pd(p, a); }
    LANES_INLINE static vec set1(double a) { return _mm512_set1_pd(a); }
    LANES_INLINE static vec add(vec a, vec b) { return _mm512_add_pd(a, b); }
    LANES_INLINE static vec sub(vec a, vec b) { return _mm512_sub_pd(a, b); }
    LANES_INLINE static vec mul(vec a, vec b) { return _mm512_mul_pd(a, b); }
    LANES_INLINE static flags greater(vec a, vec b) { return _mm512_cmp_pd_mask(a, b, _CMP_GT_OQ); }
    LANES_INLINE static flags greater_equal(vec a, vec b) { return _mm512_cmp_pd_mask(a, b, _CMP_GE_OQ); }
    LANES_INLINE static flags less(vec a, vec b) { return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ); }
    LANES_INLINE static flags equal(vec a, vec b) { return _mm512_cmp_pd_mask(a, b, _CMP_EQ_OQ); }
    LANES_INLINE static flags either(flags a, flags b) { return a | b; }
    LANES_INLINE static flags both(flags a, flags b) { return a & b; }
    LANES_INLINE static flags choose(flags f, flags a, flags b) { return (f & a) | (~f & b); }
    LANES_INLINE static vec select(flags f, vec a, vec b) { return _mm512_mask_blend_pd(f, b, a); }
    LANES_INLINE static int bits(flags f) { return f; }
    LANES_INLINE static void gather_pair(const double* base, vec m, vec& re, vec& im)
    {
        const __m256i index = to_index(m);
        const __m256i offset = _mm256_add_epi32(index, index);
        re = gather_at(base, offset);
        im = gather_at(base + 1, offset);
    }
    // The masked forms with every lane set: the plain ones read an
    // uninitialised source register, as far as the compiler can tell.
    LANES_INLINE static __m256i to_index(vec m) { return _mm512_maskz_cvttpd_epi32(0xFF, m); }
    LANES_INLINE static vec gather_at(const double* base, __m256i offset)
    {
        return _mm512_mask_i32gather_pd(_mm512_setzero_pd(), 0xFF, offset, base, 8);
    }
};

}  // namespace

void render_deep_columns_avx512(const deep_lane_job& job, int k) { run_deep_lanes_for<avx512_lanes>(job, k); }

#endif
