#include "render_paths.h"

#include "path_entries.h"
#include "worker_fanout.h"

#include <atomic>
#include <cassert>
#include <iterator>

namespace {

// One way of computing the columns of a worker, into colours, counts or smooth values.
struct path_entry {
    const char* name;
    void (*render_columns)(const exact_job& job, int k);
    void (*count_columns)(const exact_job& job, int k, std::int32_t* counts);
    void (*smooth_columns)(const exact_job& job, int k, double* values);
};

// Indexed by render_path; a build for another processor has the scalar row only.
constexpr path_entry paths[] = {
    {"scalar", render_columns_scalar, count_columns_scalar, smooth_columns_scalar},
#if defined(__x86_64__)
    {"sse2", render_columns_sse2, count_columns_sse2, smooth_columns_sse2},
    {"avx2", render_columns_avx2, count_columns_avx2, smooth_columns_avx2},
    {"avx512", render_columns_avx512, count_columns_avx512, smooth_columns_avx512},
#endif
};

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

const path_entry& entry_of(render_path path)
{
    const auto p = static_cast<std::size_t>(path);
    assert(p < std::size(paths));
    return paths[p];
}

// The forced path as an integer; -1 until a path is forced.
std::atomic<int> forced_path{-1};

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
    constexpr const char* names[] = {"scalar", "sse2", "avx2", "avx512"};
    return names[static_cast<int>(path)];
}

std::optional<render_path> render_path_from_name(std::string_view name)
{
    for (int p = 0; p <= static_cast<int>(render_path::avx512); ++p) {
        if (name == render_path_name(static_cast<render_path>(p)))
            return static_cast<render_path>(p);
    }
    return std::nullopt;
}

void render_columns(const exact_job& job, int k)
{
    assert(!job.pixels.empty());
    assert(job.view.palette_index >= 0 && job.view.palette_index < PALETTE_COUNT);
    assert(job.workers >= 1 && job.workers <= MAX_WORKERS);
    entry_of(active_render_path()).render_columns(job, k);
}

void count_columns(const exact_job& job, int k, std::int32_t* counts)
{
    assert(job.workers >= 1 && job.workers <= MAX_WORKERS);
    entry_of(active_render_path()).count_columns(job, k, counts);
}

void smooth_columns(const exact_job& job, int k, double* values)
{
    assert(job.workers >= 1 && job.workers <= MAX_WORKERS);
    entry_of(active_render_path()).smooth_columns(job, k, values);
}

void compute_counts(const exact_job& job, render_path path, std::int32_t* counts)
{
    const path_entry& entry = entry_of(runnable(path));
    for (int k = 0; k < job.workers; ++k)
        entry.count_columns(job, k, counts);
}
