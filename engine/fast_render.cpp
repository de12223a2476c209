#include "fast_render.h"

#include "fast_render_paths.h"
#include "formulas.h"
#include "renderer.h"

#include <atomic>
#include <cstring>
#include <iterator>

namespace {

constexpr const char* path_names[] = {"scalar", "sse2", "avx2", "avx512"};

// Asks the processor and the operating system which vector units it has.
// GCC's and clang's probes report AVX2 only when XCR0 enables the YMM
// state, and AVX-512F only when it enables the opmask and ZMM states too.
render_path detect_best_path()
{
#if defined(__x86_64__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f"))
        return render_path::avx512;
    return __builtin_cpu_supports("avx2") ? render_path::avx2 : render_path::sse2;
#else
    return render_path::scalar;
#endif
}

// The given path when the processor can run it, else the best one it can.
render_path runnable(render_path path)
{
    const render_path best = best_render_path();
    return path <= best ? path : best;
}

// The forced path as an integer; -1 until a path is forced.
std::atomic<int> forced_path{-1};

// The definition's loop over the columns of worker k, storing counts.
void count_columns_definition(const CFractal& fractal, int k, std::int32_t* counts)
{
    const escape_time_function escape_time = figure_functions[fractal.figure_index];
    for (std::int32_t i = 0; i < fractal.height; ++i) {
        const double im = row_im(fractal, i);
        for (std::int32_t x = k; x < fractal.width; x += WORKER_COUNT)
            counts[static_cast<std::size_t>(x) + static_cast<std::size_t>(fractal.width) * i] =
                escape_time(column_re(fractal, x), im, fractal.max_iterations);
    }
}

}  // namespace

render_path best_render_path()
{
    static const render_path best = detect_best_path();
    return best;
}

render_path active_render_path()
{
    const int forced = forced_path.load(std::memory_order_relaxed);
    return forced >= 0 ? static_cast<render_path>(forced) : best_render_path();
}

void force_render_path(render_path path)
{
    forced_path.store(static_cast<int>(runnable(path)), std::memory_order_relaxed);
}

const char* render_path_name(render_path path)
{
    return path_names[static_cast<int>(path)];
}

render_path render_path_from_name(const char* name, render_path otherwise)
{
    if (name == nullptr)
        return otherwise;
    for (int p = 0; p < static_cast<int>(std::size(path_names)); ++p) {
        if (std::strcmp(name, path_names[p]) == 0)
            return static_cast<render_path>(p);
    }
    return otherwise;
}

void compute_counts(const CFractal& fractal, render_path path, std::int32_t* counts)
{
    const render_path chosen = runnable(path);
    for (int k = 0; k < WORKER_COUNT; ++k) {
        switch (chosen) {
#if defined(__x86_64__)
        case render_path::avx512:
            count_columns_avx512(fractal, k, counts);
            break;
        case render_path::avx2:
            count_columns_avx2(fractal, k, counts);
            break;
        case render_path::sse2:
            count_columns_sse2(fractal, k, counts);
            break;
#endif
        default:
            count_columns_definition(fractal, k, counts);
            break;
        }
    }
}

bool render_columns_fast(const CFractal& fractal, const render_layout& layout, int k)
{
    switch (active_render_path()) {
#if defined(__x86_64__)
    case render_path::avx512:
        render_columns_avx512(fractal, layout, k);
        return true;
    case render_path::avx2:
        render_columns_avx2(fractal, layout, k);
        return true;
    case render_path::sse2:
        render_columns_sse2(fractal, layout, k);
        return true;
#endif
    default:
        return false;
    }
}
