#include "renderer.h"

#include "render_paths.h"

#include <cassert>
#include <chrono>
#include <system_error>

namespace {

// Starts body on the thread; false when the platform refuses one.
template <class Body>
bool start_thread(std::thread& thread, Body body)
{
    // std::thread reports a refused thread only by throwing; this is the one
    // place the program catches anything, and it turns it into a plain result.
    try {
        thread = std::thread(body);
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

// Runs layout.workers workers, each started by start(thread, k), and returns
// the elapsed milliseconds; columns(k) does worker k's work on the calling
// thread when its thread could not be started.
template <class Start, class Columns>
std::int32_t run_workers(const render_layout& layout, Start start, Columns columns)
{
    const auto t0 = std::chrono::steady_clock::now();
    std::thread workers[MAX_WORKERS];
    bool started[MAX_WORKERS] = {};
    for (int k = 0; k < layout.workers; ++k)
        started[k] = start(workers[k], k);
    // Columns are disjoint, so the calling thread can fill in for a missing
    // worker while the others run.
    for (int k = 0; k < layout.workers; ++k) {
        if (!started[k])
            columns(k);
    }
    for (int k = 0; k < layout.workers; ++k) {
        if (started[k])
            workers[k].join();
    }
    const auto t1 = std::chrono::steady_clock::now();
    return static_cast<std::int32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(t1 - t0).count());
}

}  // namespace

bool start_worker_thread(std::thread& thread, const CFractal& fractal, int k)
{
    return start_thread(thread, [&fractal, k] { render_columns(fractal, k); });
}

std::int32_t compute_image(const CFractal& fractal, worker_starter start)
{
    const render_layout layout = viewer_layout(fractal);
    return run_workers(
        layout, [&](std::thread& thread, int k) { return start(thread, fractal, k); },
        [&](int k) { render_columns(fractal, layout, k); });
}

std::int32_t compute_image(const CFractal& fractal, const render_layout& layout)
{
    assert(layout.workers >= 1 && layout.workers <= MAX_WORKERS);
    const auto columns = [&fractal, &layout](int k) { render_columns(fractal, layout, k); };
    return run_workers(
        layout, [&](std::thread& thread, int k) { return start_thread(thread, [&columns, k] { columns(k); }); },
        columns);
}

std::int32_t compute_image_counts(const CFractal& fractal, const render_layout& layout, std::int32_t* counts)
{
    assert(layout.workers >= 1 && layout.workers <= MAX_WORKERS);
    const auto columns = [&fractal, &layout, counts](int k) { count_columns(fractal, layout, k, counts); };
    return run_workers(
        layout, [&](std::thread& thread, int k) { return start_thread(thread, [&columns, k] { columns(k); }); },
        columns);
}

std::int32_t compute_image_smooth(const CFractal& fractal, const render_layout& layout, double* values)
{
    assert(layout.workers >= 1 && layout.workers <= MAX_WORKERS);
    const auto columns = [&fractal, &layout, values](int k) { smooth_columns(fractal, layout, k, values); };
    return run_workers(
        layout, [&](std::thread& thread, int k) { return start_thread(thread, [&columns, k] { columns(k); }); },
        columns);
}
