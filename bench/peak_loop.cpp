#include "peak_loop.h"

#include "renderer.h"

#include <immintrin.h>

#include <thread>

namespace {

constexpr int VECTORS = 4;
constexpr int LANES = 4 * VECTORS;
constexpr int UNROLL = 8;

// Steps one group of sixteen c values; escaped lanes keep stepping.
__attribute__((target("avx2"))) void step_group(const double* group_re, const double* group_im, std::int32_t limit,
                                                peak_result& result)
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
    result.lane_steps += LANES * steps;
    alignas(32) std::int64_t lane_counts[LANES];
    for (int v = 0; v < VECTORS; ++v)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(lane_counts + 4 * v), count[v]);
    for (std::int64_t n : lane_counts)
        result.counts += n < limit ? n : limit;
}

// The columns of worker k, sixteen pixels at a time in the renderer's order.
void peak_columns(const CFractal& fractal, int k, peak_result& result)
{
    double group_re[LANES];
    double group_im[LANES];
    int filled = 0;
    for (std::int32_t i = 0; i < fractal.height; ++i) {
        const double im = row_im(fractal, i);
        for (std::int32_t x = k; x < fractal.width; x += WORKER_COUNT) {
            group_re[filled] = column_re(fractal, x);
            group_im[filled] = im;
            if (++filled == LANES) {
                step_group(group_re, group_im, fractal.max_iterations, result);
                filled = 0;
            }
        }
    }
    if (filled > 0) {
        // Pad with a point that escapes at once and counts nothing.
        for (int l = filled; l < LANES; ++l) {
            group_re[l] = 4.0;
            group_im[l] = 0.0;
        }
        step_group(group_re, group_im, fractal.max_iterations, result);
    }
}

}  // namespace

bool run_peak_loop(const CFractal& fractal, peak_result& result)
{
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("avx2"))
        return false;
    peak_result totals[WORKER_COUNT] = {};
    std::thread workers[WORKER_COUNT];
    for (int k = 0; k < WORKER_COUNT; ++k)
        workers[k] = std::thread(peak_columns, std::cref(fractal), k, std::ref(totals[k]));
    result = {};
    for (int k = 0; k < WORKER_COUNT; ++k) {
        workers[k].join();
        result.lane_steps += totals[k].lane_steps;
        result.counts += totals[k].counts;
    }
    return true;
}
