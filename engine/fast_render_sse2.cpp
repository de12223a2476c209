// The SSE2 path: two doubles per vector, on every x86-64 processor.
#include "fast_render_paths.h"

#if defined(__x86_64__)

#include "renderer.h"

#include <cstdint>
#include <cstring>
#include <limits>

#include <emmintrin.h>

#define KERNEL_TARGET "sse2"
#include "fast_kernel.h"

namespace {

// Lane operations on two doubles.
struct sse2_lanes {
    using vec = __m128d;
    using counts = __m128i;
    // Independent orbits in flight, enough to cover the latency of each step.
    static constexpr int vectors = 4;
    static constexpr int width = 2;
    KERNEL_INLINE static vec load(const double* p) { return _mm_loadu_pd(p); }
    KERNEL_INLINE static void store(double* p, vec a) { _mm_storeu_pd(p, a); }
    KERNEL_INLINE static vec zero() { return _mm_setzero_pd(); }
    KERNEL_INLINE static vec set1(double a) { return _mm_set1_pd(a); }
    KERNEL_INLINE static vec add(vec a, vec b) { return _mm_add_pd(a, b); }
    KERNEL_INLINE static vec sub(vec a, vec b) { return _mm_sub_pd(a, b); }
    KERNEL_INLINE static vec mul(vec a, vec b) { return _mm_mul_pd(a, b); }
    KERNEL_INLINE static vec or_bits(vec a, vec b) { return _mm_or_pd(a, b); }
    KERNEL_INLINE static vec xor_bits(vec a, vec b) { return _mm_xor_pd(a, b); }
    // True where a > b or either is NaN.
    KERNEL_INLINE static vec not_le(vec a, vec b) { return _mm_cmpnle_pd(a, b); }
    KERNEL_INLINE static vec equal(vec a, vec b) { return _mm_cmpeq_pd(a, b); }
    // One bit per lane, from the lanes' sign bits.
    KERNEL_INLINE static int mask(vec a) { return _mm_movemask_pd(a); }
    KERNEL_INLINE static counts load_counts(const std::int64_t* p)
    {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    }
    KERNEL_INLINE static void store_counts(std::int64_t* p, counts a)
    {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), a);
    }
    // Adds one to each lane whose mask is all ones.
    KERNEL_INLINE static counts count(counts n, vec mask)
    {
        return _mm_sub_epi64(n, _mm_castpd_si128(mask));
    }
};

}  // namespace

void render_columns_sse2(const CFractal& fractal, const render_layout& layout, int k)
{
    colour_sink sink{fractal};
    run_worker_for_figure<sse2_lanes>(fractal, layout, k, sink);
}

void count_columns_sse2(const CFractal& fractal, int k, std::int32_t* counts)
{
    count_sink sink{counts, fractal.width};
    run_worker_for_figure<sse2_lanes>(fractal, viewer_layout(fractal), k, sink);
}

#endif
