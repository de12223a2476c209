#include "peak_loop.h"

#include "renderer.h"

#include <immintrin.h>

#include <thread>

namespace {

constexpr int VECTORS = 4;
constexpr int MAX_LANES = 8 * VECTORS;
constexpr int UNROLL = 8;

// Adds a finished group's steps and counts to result.
void add_group(const std::int64_t* lane_counts, int lanes, std::int64_t steps, std::int32_t limit,
               peak_result& result)
{
    result.lane_steps += lanes * steps;
    for (int l = 0; l < lanes; ++l)
        result.counts += lane_counts[l] < limit ? lane_counts[l] : limit;
}

// Steps one group of sixteen c values; escaped lanes keep stepping.
__attribute__((target("avx2"))) void step_group_avx2(const double* group_re, const double* group_im,
                                                     std::int32_t limit, peak_result& result)
{
    __m256d zr[VECTORS];
    __m256d zi[VECTORS];
    __m256d cr[VECTORS];
    __m256d ci[VECTORS];
    __m256d live[VECTORS];
    __m256i count[VECTORS];
    const __m256d four = _mm256_set1_pd(4.0);
    for (int v = 0; v < VECTORS; ++v) {
        cr[v] = zr[v] = _mm256_loadu_pd(group_re + 4 * v);
        ci[v] = zi[v] = _mm256_loadu_pd(group_im + 4 * v);
        live[v] = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
        count[v] = _mm256_setzero_si256();
    }
    std::int64_t steps = 0;
    while (steps < limit) {
#pragma GCC unroll 8
        for (int u = 0; u < UNROLL; ++u) {
#pragma GCC unroll 4
            for (int v = 0; v < VECTORS; ++v) {
                const __m256d zr2 = _mm256_mul_pd(zr[v], zr[v]);
                const __m256d zi2 = _mm256_mul_pd(zi[v], zi[v]);
                live[v] = _mm256_and_pd(live[v], _mm256_cmp_pd(_mm256_add_pd(zr2, zi2), four, _CMP_LE_OQ));
                count[v] = _mm256_sub_epi64(count[v], _mm256_castpd_si256(live[v]));
                const __m256d t = _mm256_mul_pd(zi[v], zr[v]);
                zi[v] = _mm256_add_pd(_mm256_add_pd(t, t), ci[v]);
                zr[v] = _mm256_add_pd(_mm256_sub_pd(zr2, zi2), cr[v]);
            }
        }
        steps += UNROLL;
        const __m256d any = _mm256_or_pd(_mm256_or_pd(live[0], live[1]), _mm256_or_pd(live[2], live[3]));
        if (_mm256_movemask_pd(any) == 0)
            break;
    }
    alignas(32) std::int64_t lane_counts[4 * VECTORS];
    for (int v = 0; v < VECTORS; ++v)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(lane_counts + 4 * v), count[v]);
    add_group(lane_counts, 4 * VECTORS, steps, limit, result);
}

// The same with AVX-512F on 32 c values: a masked compare keeps each vector's
// live lanes in an opmask register, a masked add counts them.
__attribute__((target("avx512f"))) void step_group_avx512(const double* group_re, const double* group_im,
                                                          std::int32_t limit, peak_result& result)
{
    __m512d zr[VECTORS];
    __m512d zi[VECTORS];
    __m512d cr[VECTORS];
    __m512d ci[VECTORS];
    __mmask8 live[VECTORS];
    __m512i count[VECTORS];
    const __m512d four = _mm512_set1_pd(4.0);
    const __m512i one = _mm512_set1_epi64(1);
    for (int v = 0; v < VECTORS; ++v) {
        cr[v] = zr[v] = _mm512_loadu_pd(group_re + 8 * v);
        ci[v] = zi[v] = _mm512_loadu_pd(group_im + 8 * v);
        live[v] = 0xFF;
        count[v] = _mm512_setzero_si512();
    }
    std::int64_t steps = 0;
    while (steps < limit) {
#pragma GCC unroll 8
        for (int u = 0; u < UNROLL; ++u) {
#pragma GCC unroll 4
            for (int v = 0; v < VECTORS; ++v) {
                const __m512d zr2 = _mm512_mul_pd(zr[v], zr[v]);
                const __m512d zi2 = _mm512_mul_pd(zi[v], zi[v]);
                live[v] = _mm512_mask_cmp_pd_mask(live[v], _mm512_add_pd(zr2, zi2), four, _CMP_LE_OQ);
                count[v] = _mm512_mask_add_epi64(count[v], live[v], count[v], one);
                const __m512d t = _mm512_mul_pd(zi[v], zr[v]);
                zi[v] = _mm512_add_pd(_mm512_add_pd(t, t), ci[v]);
                zr[v] = _mm512_add_pd(_mm512_sub_pd(zr2, zi2), cr[v]);
            }
        }
        steps += UNROLL;
        if ((live[0] | live[1] | live[2] | live[3]) == 0)
            break;
    }
    alignas(64) std::int64_t lane_counts[8 * VECTORS];
    for (int v = 0; v < VECTORS; ++v)
        _mm512_storeu_si512(lane_counts + 8 * v, count[v]);
    add_group(lane_counts, 8 * VECTORS, steps, limit, result);
}

using group_stepper = void (*)(const double*, const double*, std::int32_t, peak_result&);

// The columns of worker k, a group of lanes at a time in the renderer's order.
void peak_columns(const exact_job& job, int k, group_stepper step_group, int lanes, peak_result& result)
{
    double group_re[MAX_LANES];
    double group_im[MAX_LANES];
    int filled = 0;
    for (std::int32_t i = 0; i < job.grid.height; ++i) {
        const double im = row_im(job, i);
        for (std::int32_t x = k; x < job.grid.width; x += job.workers) {
            group_re[filled] = column_re(job, x);
            group_im[filled] = im;
            if (++filled == lanes) {
                step_group(group_re, group_im, job.view.max_iterations, result);
                filled = 0;
            }
        }
    }
    if (filled > 0) {
        // Pad with a point that escapes at once and counts nothing.
        for (int l = filled; l < lanes; ++l) {
            group_re[l] = 4.0;
            group_im[l] = 0.0;
        }
        step_group(group_re, group_im, job.view.max_iterations, result);
    }
}

}  // namespace

bool run_peak_loop(const CFractal& fractal, render_path unit, peak_result& result)
{
    __builtin_cpu_init();
    const bool avx512 = unit == render_path::avx512;
    if (!(avx512 ? __builtin_cpu_supports("avx512f") : __builtin_cpu_supports("avx2")))
        return false;
    const group_stepper step_group = avx512 ? step_group_avx512 : step_group_avx2;
    const int lanes = (avx512 ? 8 : 4) * VECTORS;
    peak_result totals[WORKER_COUNT] = {};
    const exact_job job = viewer_job(fractal);
    fan_out(job.workers, [&](int k) { peak_columns(job, k, step_group, lanes, totals[k]); });
    result = {};
    for (int k = 0; k < WORKER_COUNT; ++k) {
        result.lane_steps += totals[k].lane_steps;
        result.counts += totals[k].counts;
    }
    return true;
}
