// The SSE2 path: two doubles per vector, on every x86-64 processor.
#include "path_entries.h"

#if defined(__x86_64__)

#include <cstdint>
#include <cstring>
#include <limits>

#include <emmintrin.h>

#define KERNEL_TARGET "sse2"
#include "vector_kernel.h"

namespace {

// Lane operations on two doubles.
struct sse2_lanes {
    using vec = __m128d;
    using counts = __m128i;
    using flags = __m128d;  // all ones in a set lane
    // Independent orbits in flight, enough to cover the latency of each step.
    static constexpr int vectors = 4;
    static constexpr int width = 2;
    KERNEL_INLINE static vec load(const double* p) { return _mm_loadu_pd(p); }
    KERNEL_INLINE static void store(double* p, vec a) { _mm_storeu_pd(p, a); }
    KERNEL_INLINE static vec set1(double a) { return _mm_set1_pd(a); }
    KERNEL_INLINE static vec add(vec a, vec b) { return _mm_add_pd(a, b); }
    KERNEL_INLINE static vec sub(vec a, vec b) { return _mm_sub_pd(a, b); }
    KERNEL_INLINE static vec mul(vec a, vec b) { return _mm_mul_pd(a, b); }
    KERNEL_INLINE static vec xor_bits(vec a, vec b) { return _mm_xor_pd(a, b); }
    KERNEL_INLINE static flags all_lanes() { return _mm_castsi128_pd(_mm_set1_epi64x(-1)); }
    // The lanes that are not NaN.
    KERNEL_INLINE static flags ordered(vec a) { return _mm_cmpord_pd(a, a); }
    // The lanes of keep where a == b does not hold (true for NaN).
    KERNEL_INLINE static flags and_not_equal(flags keep, vec a, vec b)
    {
        return _mm_and_pd(keep, _mm_cmpneq_pd(a, b));
    }
    // One bit per lane.
    KERNEL_INLINE static int bits(flags f) { return _mm_movemask_pd(f); }
    KERNEL_INLINE static counts load_counts(const std::int64_t* p)
    {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    }
    KERNEL_INLINE static void store_counts(std::int64_t* p, counts a)
    {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), a);
    }
    KERNEL_INLINE static counts zero_counts() { return _mm_setzero_si128(); }
    // Escape operations, the flags meaning the escaped lanes: the lanes where
    // a > b or either is NaN; a + b, NaN in the escaped lanes; one more in
    // each escaped lane; the steps inside after a visit of `steps` steps.
    KERNEL_INLINE static flags escape_test(vec a, vec b) { return _mm_cmpnle_pd(a, b); }
    KERNEL_INLINE static vec add_or_nan(flags f, vec a, vec b) { return _mm_or_pd(_mm_add_pd(a, b), f); }
    // a + b in the lanes inside, the old value in the escaped ones: an
    // escaped point stays where it left, for smooth colouring.
    KERNEL_INLINE static vec add_or_keep(flags f, vec a, vec b, vec old)
    {
        return _mm_or_pd(_mm_and_pd(f, old), _mm_andnot_pd(f, _mm_add_pd(a, b)));
    }
    // The lanes where a <= b.
    KERNEL_INLINE static flags at_most(vec a, vec b) { return _mm_cmple_pd(a, b); }
    KERNEL_INLINE static counts count(counts n, flags f) { return _mm_sub_epi64(n, _mm_castpd_si128(f)); }
    KERNEL_INLINE static counts tally(counts inside, counts escaped, std::int64_t steps)
    {
        return _mm_sub_epi64(_mm_add_epi64(inside, _mm_set1_epi64x(steps)), escaped);
    }
};

}  // namespace

void render_columns_sse2(const exact_job& job, int k)
{
    const colour_sink sink{job};
    run_worker_for_figure<sse2_lanes>(job, k, sink);
}

void count_columns_sse2(const exact_job& job, int k, std::int32_t* counts)
{
    const count_sink sink{job, counts};
    run_worker_for_figure<sse2_lanes>(job, k, sink);
}

void smooth_columns_sse2(const exact_job& job, int k, double* values)
{
    smooth_batch batch;
    const smooth_sink sink{job, values, batch,
                           smooth_store<store_on_path>(job.view.figure_index, values == nullptr)};
    run_worker_for_figure<sse2_lanes>(job, k, sink);
}

#endif
