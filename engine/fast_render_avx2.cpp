// The AVX2 path: four doubles per vector. Only AVX2 is enabled here, not
// FMA, so every multiply and add rounds on its own as in the definition.
#include "fast_render_paths.h"

#if defined(__x86_64__)

#include "renderer.h"

#include <cstdint>
#include <cstring>
#include <limits>

#include <immintrin.h>

#define KERNEL_TARGET "avx2"
#include "fast_kernel.h"

namespace {

// Lane operations on four doubles.
struct avx2_lanes {
    using vec = __m256d;
    using counts = __m256i;
    // Independent orbits in flight: eight vectors keep the units busy through
    // the latency of each step, more than the registers hold.
    static constexpr int vectors = 8;
    static constexpr int width = 4;
    KERNEL_INLINE static vec load(const double* p) { return _mm256_loadu_pd(p); }
    KERNEL_INLINE static void store(double* p, vec a) { _mm256_storeu_pd(p, a); }
    KERNEL_INLINE static vec zero() { return _mm256_setzero_pd(); }
    KERNEL_INLINE static vec set1(double a) { return _mm256_set1_pd(a); }
    KERNEL_INLINE static vec add(vec a, vec b) { return _mm256_add_pd(a, b); }
    KERNEL_INLINE static vec sub(vec a, vec b) { return _mm256_sub_pd(a, b); }
    KERNEL_INLINE static vec mul(vec a, vec b) { return _mm256_mul_pd(a, b); }
    KERNEL_INLINE static vec or_bits(vec a, vec b) { return _mm256_or_pd(a, b); }
    KERNEL_INLINE static vec xor_bits(vec a, vec b) { return _mm256_xor_pd(a, b); }
    // True where a > b or either is NaN.
    KERNEL_INLINE static vec not_le(vec a, vec b) { return _mm256_cmp_pd(a, b, _CMP_NLE_UQ); }
    KERNEL_INLINE static vec equal(vec a, vec b) { return _mm256_cmp_pd(a, b, _CMP_EQ_OQ); }
    // One bit per lane, from the lanes' sign bits.
    KERNEL_INLINE static int mask(vec a) { return _mm256_movemask_pd(a); }
    KERNEL_INLINE static counts load_counts(const std::int64_t* p)
    {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    KERNEL_INLINE static void store_counts(std::int64_t* p, counts a)
    {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), a);
    }
    // Adds one to each lane whose mask is all ones.
    KERNEL_INLINE static counts count(counts n, vec mask)
    {
        return _mm256_sub_epi64(n, _mm256_castpd_si256(mask));
    }
};

}  // namespace

void render_columns_avx2(const CFractal& fractal, const render_layout& layout, int k)
{
    colour_sink sink{fractal};
    run_worker_for_figure<avx2_lanes>(fractal, layout, k, sink);
}

void count_columns_avx2(const CFractal& fractal, int k, std::int32_t* counts)
{
    count_sink sink{counts, fractal.width};
    run_worker_for_figure<avx2_lanes>(fractal, viewer_layout(fractal), k, sink);
}

#endif
