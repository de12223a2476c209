#include "renderer.h"

#include "render_paths.h"

#include <cassert>
#include <chrono>

namespace {

// Milliseconds that body takes.
template <class Body>
std::int32_t timed(const Body& body)
{
    const auto t0 = std::chrono::steady_clock::now();
    body();
    const auto t1 = std::chrono::steady_clock::now();
    return static_cast<std::int32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(t1 - t0).count());
}

}  // namespace

exact_job viewer_job(const CFractal& fractal)
{
    const std::size_t bytes = 3 * static_cast<std::size_t>(fractal.width) * static_cast<std::size_t>(fractal.height);
    return {viewer_grid(fractal.width, fractal.height), view_of(fractal), {fractal.pixels, bytes}, WORKER_COUNT};
}

void render_columns(const CFractal& fractal, int k) { render_columns(viewer_job(fractal), k); }

bool start_render_worker(std::thread& thread, const CFractal& fractal, int k)
{
    return start_worker_thread(thread, [&fractal, k] { render_columns(fractal, k); });
}

std::int32_t compute_image(const CFractal& fractal, worker_starter start)
{
    const exact_job job = viewer_job(fractal);
    return timed([&] {
        fan_out(
            job.workers, [&](std::thread& thread, int k) { return start(thread, fractal, k); },
            [&](int k) { render_columns(job, k); });
    });
}

std::int32_t compute_image(const exact_job& job)
{
    assert(job.workers >= 1 && job.workers <= MAX_WORKERS);
    return timed([&] { fan_out(job.workers, [&job](int k) { render_columns(job, k); }); });
}

std::int32_t compute_image_counts(const exact_job& job, std::int32_t* counts)
{
    assert(job.workers >= 1 && job.workers <= MAX_WORKERS);
    return timed([&] { fan_out(job.workers, [&job, counts](int k) { count_columns(job, k, counts); }); });
}

std::int32_t compute_image_smooth(const exact_job& job, double* values)
{
    assert(job.workers >= 1 && job.workers <= MAX_WORKERS);
    return timed([&] { fan_out(job.workers, [&job, values](int k) { smooth_columns(job, k, values); }); });
}
