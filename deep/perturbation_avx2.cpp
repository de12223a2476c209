// The deep loop on AVX2: four lanes per vector, elements fetched by gathers.
// Only AVX2 is enabled here, not FMA, so every multiply and add rounds on
// its own as in the scalar loop.
#include "perturbation_vector.h"

#if defined(__x86_64__)

#include <immintrin.h>

#define LANES_TARGET "avx2"
#include "perturbation_lanes.h"

namespace {

struct avx2_lanes {
    using vec = __m256d;
    using flags = __m256d;  // all ones in a set lane
    static constexpr int vectors = 4;
    static constexpr int width = 4;
    LANES_INLINE static vec load(const double* p) { return _mm256_loadu_pd(p); }
    LANES_INLINE static void store(double* p, vec a) { _mm256_storeu_pd(p, a); }
    LANES_INLINE static vec set1(double a) { return _mm256_set1_pd(a); }
    LANES_INLINE static vec add(vec a, vec b) { return _mm256_add_pd(a, b); }
    LANES_INLINE static vec sub(vec a, vec b) { return _mm256_sub_pd(a, b); }
    LANES_INLINE static vec mul(vec a, vec b) { return _mm256_mul_pd(a, b); }
    LANES_INLINE static flags greater(vec a, vec b) { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
    LANES_INLINE static flags greater_equal(vec a, vec b) { return _mm256_cmp_pd(a, b, _CMP_GE_OQ); }
    LANES_INLINE static flags less(vec a, vec b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
    LANES_INLINE static flags equal(vec a, vec b) { return _mm256_cmp_pd(a, b, _CMP_EQ_OQ); }
    LANES_INLINE static flags either(flags a, flags b) { return _mm256_or_pd(a, b); }
    LANES_INLINE static flags both(flags a, flags b) { return _mm256_and_pd(a, b); }
    LANES_INLINE static flags choose(flags f, flags a, flags b) { return _mm256_blendv_pd(b, a, f); }
    LANES_INLINE static vec select(flags f, vec a, vec b) { return _mm256_blendv_pd(b, a, f); }
    LANES_INLINE static int bits(flags f) { return _mm256_movemask_pd(f); }
    // 32-bit offsets in doubles: 2 m fits for the orbits vector_loop_takes.
    LANES_INLINE static void gather_pair(const double* base, vec m, vec& re, vec& im)
    {
        const __m128i index = _mm256_cvttpd_epi32(m);
        const __m128i offset = _mm_add_epi32(index, index);
        re = gather_at(base, offset);
        im = gather_at(base + 1, offset);
    }
    // The masked form with every lane set: the plain one reads an
    // uninitialised source register, as far as the compiler can tell.
    LANES_INLINE static vec gather_at(const double* base, __m128i offset)
    {
        return _mm256_mask_i32gather_pd(_mm256_setzero_pd(), base, offset, all_lanes(), 8);
    }
    LANES_INLINE static vec all_lanes() { return _mm256_castsi256_pd(_mm256_set1_epi64x(-1)); }
};

}  // namespace

void render_deep_columns_avx2(const deep_lane_job& job, int k) { run_deep_lanes_for<avx2_lanes>(job, k); }

#endif
