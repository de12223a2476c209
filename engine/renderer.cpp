#include "renderer.h"

#include "fast_render.h"
#include "formulas.h"
#include "palettes.h"

#include <cassert>
#include <chrono>
#include <cstring>
#include <system_error>

void put_pixel(const CFractal& fractal, std::int32_t x, std::int32_t i, std::int32_t n)
{
    std::uint8_t* pixel = fractal.pixels + 3 * (static_cast<std::size_t>(x) +
                                                static_cast<std::size_t>(fractal.width) * i);
    if (n < fractal.max_iterations) {
        const std::uint32_t j = static_cast<std::uint32_t>(n) % palette_lengths[fractal.palette_index];
        std::memcpy(pixel, palette_colors[fractal.palette_index][j], 3);
    } else {
        std::memset(pixel, 0, 3);
    }
}

void render_columns(const CFractal& fractal, int k)
{
    assert(fractal.pixels != nullptr);
    assert(fractal.figure_index >= 0 && fractal.figure_index < FIGURE_COUNT);
    assert(fractal.palette_index >= 0 && fractal.palette_index < PALETTE_COUNT);
    if (render_columns_fast(fractal, k))
        return;
    // The scalar path: the definition itself.
    const escape_time_function escape_time = figure_functions[fractal.figure_index];
    for (std::int32_t i = 0; i < fractal.height; ++i) {
        const double im = row_im(fractal, i);
        for (std::int32_t x = k; x < fractal.width; x += WORKER_COUNT)
            put_pixel(fractal, x, i, escape_time(column_re(fractal, x), im, fractal.max_iterations));
    }
}

bool start_worker_thread(std::thread& thread, const CFractal& fractal, int k)
{
    // std::thread reports a refused thread only by throwing; this is the one
    // place the program catches anything, and it turns it into a plain result.
    try {
        thread = std::thread(render_columns, std::cref(fractal), k);
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

std::int32_t compute_image(const CFractal& fractal, worker_starter start)
{
    const auto t0 = std::chrono::steady_clock::now();
    std::thread workers[WORKER_COUNT];
    bool started[WORKER_COUNT] = {};
    for (int k = 0; k < WORKER_COUNT; ++k)
        started[k] = start(workers[k], fractal, k);
    // Columns are disjoint, so the calling thread can fill in for a missing
    // worker while the others run.
    for (int k = 0; k < WORKER_COUNT; ++k) {
        if (!started[k])
            render_columns(fractal, k);
    }
    for (int k = 0; k < WORKER_COUNT; ++k) {
        if (started[k])
            workers[k].join();
    }
    const auto t1 = std::chrono::steady_clock::now();
    return static_cast<std::int32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(t1 - t0).count());
}
