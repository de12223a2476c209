// The AVX2 path: four doubles per vector. Only AVX2 is enabled here, not
// FMA, so every multiply and add rounds on its own as in the definition.
#include "path_entries.h"

#if defined(__x86_64__)

#include <cstdint>
#include <cstring>
#include <limits>

#include <immintrin.h>

#define KERNEL_TARGET "avx2"
#include "vector_kernel.h"

namespace {

// Lane operations on four doubles.
struct avx2_lanes {
    using vec = __m256d;
    using counts = __m256i;
    using flags = __m256d;  // all ones in a set lane
    // Independent orbits in flight: four vectors cover the latency of a step;
    // eight measured slower, their state no longer fitting the 16 registers.
    static constexpr int vectors = 4;
    static constexpr int width = 4;
    KERNEL_INLINE static vec load(const double* p) { return _mm256_loadu_pd(p); }
    KERNEL_INLINE static void store(double* p, vec a) { _mm256_storeu_pd(p, a); }
    KERNEL_INLINE static vec set1(double a) { return _mm256_set1_pd(a); }
    KERNEL_INLINE static vec add(vec a, vec b) { return _mm256_add_pd(a, b); }
    KERNEL_INLINE static vec sub(vec a, vec b) { return _mm256_sub_pd(a, b); }
    KERNEL_INLINE static vec mul(vec a, vec b) { return _mm256_mul_pd(a, b); }
    KERNEL_INLINE static vec xor_bits(vec a, vec b) { return _mm256_xor_pd(a, b); }
    KERNEL_INLINE static flags all_lanes() { return _mm256_castsi256_pd(_mm256_set1_epi64x(-1)); }
    // The lanes that are not NaN.
    KERNEL_INLINE static flags ordered(vec a) { return _mm256_cmp_pd(a, a, _CMP_ORD_Q); }
    // The lanes of keep where a == b does not hold (true for NaN).
    KERNEL_INLINE static flags and_not_equal(flags keep, vec a, vec b)
    {
        return _mm256_and_pd(keep, _mm256_cmp_pd(a, b, _CMP_NEQ_UQ));
    }
    // One bit per lane.
    KERNEL_INLINE static int bits(flags f) { return _mm256_movemask_pd(f); }
    KERNEL_INLINE static counts load_counts(const std::int64_t* p)
    {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    KERNEL_INLINE static void store_counts(std::int64_t* p, counts a)
    {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), a);
    }
    KERNEL_INLINE static counts zero_counts() { return _mm256_setzero_si256(); }
    // Escape operations, the flags meaning the escaped lanes: the lanes where
    // a > b or either is NaN; a + b, NaN in the escaped lanes; one more in
    // each escaped lane; the steps inside after a visit of `steps` steps.
    KERNEL_INLINE static flags escape_test(vec a, vec b) { return _mm256_cmp_pd(a, b, _CMP_NLE_UQ); }
    KERNEL_INLINE static vec add_or_nan(flags f, vec a, vec b) { return _mm256_or_pd(_mm256_add_pd(a, b), f); }
    // a + b in the lanes inside, the old value in the escaped ones: an
    // escaped point stays where it left, for smooth colouring.
    KERNEL_INLINE static vec add_or_keep(flags f, vec a, vec b, vec old)
    {
        return _mm256_blendv_pd(_mm256_add_pd(a, b), old, f);
    }
    // The lanes where a <= b.
    KERNEL_INLINE static flags at_most(vec a, vec b) { return _mm256_cmp_pd(a, b, _CMP_LE_OQ); }
    KERNEL_INLINE static counts count(counts n, flags f) { return _mm256_sub_epi64(n, _mm256_castpd_si256(f)); }
    KERNEL_INLINE static counts tally(counts inside, counts escaped, std::int64_t steps)
    {
        return _mm256_sub_epi64(_mm256_add_epi64(inside, _mm256_set1_epi64x(steps)), escaped);
    }
};

}  // namespace

void render_columns_avx2(const exact_job& job, int k)
{
    const colour_sink sink{job};
    run_worker_for_figure<avx2_lanes>(job, k, sink);
}

void count_columns_avx2(const exact_job& job, int k, std::int32_t* counts)
{
    const count_sink sink{job, counts};
    run_worker_for_figure<avx2_lanes>(job, k, sink);
}

void smooth_columns_avx2(const exact_job& job, int k, double* values)
{
    smooth_batch batch;
    const smooth_sink sink{job, values, batch,
                           smooth_store<store_on_path>(job.view.figure_index, values == nullptr)};
    run_worker_for_figure<avx2_lanes>(job, k, sink);
}

#endif
