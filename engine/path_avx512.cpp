// The AVX-512 path: eight doubles per vector, the lanes' truth values in
// opmask registers. Only AVX-512F is enabled here; its FMA instructions are
// never asked for and -ffp-contract=off keeps the compiler from forming
// them, so every multiply and add rounds on its own as in the definition.
#include "path_entries.h"

#if defined(__x86_64__)

#include <cstdint>
#include <cstring>
#include <limits>

#include <immintrin.h>

#define KERNEL_TARGET "avx512f"
#include "vector_kernel.h"

namespace {

// Lane operations on eight doubles.
struct avx512_lanes {
    using vec = __m512d;
    using counts = __m512i;
    using flags = __mmask8;
    // Independent orbits in flight: four vectors cover the latency of a step
    // and leave the registers for the constants, and 32 lanes fill the
    // kernel's lane bits.
    static constexpr int vectors = 4;
    static constexpr int width = 8;
    KERNEL_INLINE static vec load(const double* p) { return _mm512_loadu_pd(p); }
    KERNEL_INLINE static void store(double* p, vec a) { _mm512_storeu_pd(p, a); }
    KERNEL_INLINE static vec set1(double a) { return _mm512_set1_pd(a); }
    KERNEL_INLINE static vec add(vec a, vec b) { return _mm512_add_pd(a, b); }
    KERNEL_INLINE static vec sub(vec a, vec b) { return _mm512_sub_pd(a, b); }
    KERNEL_INLINE static vec mul(vec a, vec b) { return _mm512_mul_pd(a, b); }
    // AVX-512F has the bit-wise operations for integers only.
    KERNEL_INLINE static vec xor_bits(vec a, vec b)
    {
        return _mm512_castsi512_pd(_mm512_xor_si512(_mm512_castpd_si512(a), _mm512_castpd_si512(b)));
    }
    KERNEL_INLINE static flags all_lanes() { return 0xFF; }
    // The lanes that are not NaN.
    KERNEL_INLINE static flags ordered(vec a) { return _mm512_cmp_pd_mask(a, a, _CMP_ORD_Q); }
    // The lanes of keep where a == b does not hold (true for NaN), in one instruction.
    KERNEL_INLINE static flags and_not_equal(flags keep, vec a, vec b)
    {
        return _mm512_mask_cmp_pd_mask(keep, a, b, _CMP_NEQ_UQ);
    }
    KERNEL_INLINE static int bits(flags f) { return f; }
    KERNEL_INLINE static counts load_counts(const std::int64_t* p) { return _mm512_loadu_si512(p); }
    KERNEL_INLINE static void store_counts(std::int64_t* p, counts a) { _mm512_storeu_si512(p, a); }
    KERNEL_INLINE static counts zero_counts() { return _mm512_setzero_si512(); }
    // Escape operations, the flags meaning the lanes still inside: the lanes
    // where a <= b (false for NaN); a + b in those, NaN in the others, by a
    // masked add; one more in each lane inside, by a masked subtract; the steps
    // inside after a visit.
    KERNEL_INLINE static flags escape_test(vec a, vec b) { return _mm512_cmp_pd_mask(a, b, _CMP_LE_OQ); }
    KERNEL_INLINE static vec add_or_nan(flags f, vec a, vec b)
    {
        return _mm512_mask_add_pd(_mm512_set1_pd(std::numeric_limits<double>::quiet_NaN()), f, a, b);
    }
    // a + b in the lanes inside, the old value in the others: an escaped
    // point stays where it left, for smooth colouring.
    KERNEL_INLINE static vec add_or_keep(flags f, vec a, vec b, vec old) { return _mm512_mask_add_pd(old, f, a, b); }
    // The lanes where a <= b.
    KERNEL_INLINE static flags at_most(vec a, vec b) { return _mm512_cmp_pd_mask(a, b, _CMP_LE_OQ); }
    // Subtracting all ones, which the compiler makes in a register, rather
    // than adding a one it would keep in memory.
    KERNEL_INLINE static counts count(counts n, flags f) { return _mm512_mask_sub_epi64(n, f, n, _mm512_set1_epi64(-1)); }
    KERNEL_INLINE static counts tally(counts inside, counts counted, std::int64_t) { return _mm512_add_epi64(inside, counted); }
};

}  // namespace

void render_columns_avx512(const exact_job& job, int k)
{
    const colour_sink sink{job};
    run_worker_for_figure<avx512_lanes>(job, k, sink);
}

void count_columns_avx512(const exact_job& job, int k, std::int32_t* counts)
{
    const count_sink sink{job, counts};
    run_worker_for_figure<avx512_lanes>(job, k, sink);
}

void smooth_columns_avx512(const exact_job& job, int k, double* values)
{
    smooth_batch batch;
    const smooth_sink sink{job, values, batch,
                           smooth_store<store_on_path>(job.view.figure_index, values == nullptr)};
    run_worker_for_figure<avx512_lanes>(job, k, sink);
}

#endif
