// Fills the image buffer of a CFractal with workers that share its columns
// (the viewer's eight, or as many as a layout asks for), and measures how
// long that took.
#pragma once

#include "fractal.h"

#include <cstdint>
#include <thread>

inline constexpr int WORKER_COUNT = 8;

// The most workers a layout may ask for; their handles live on the stack.
inline constexpr int MAX_WORKERS = 1024;

// How an image maps onto the plane and is shared among workers: column x
// samples re = ((2x - W) r) / column_scale + center_x, memory row i samples
// im = ((2i - H) r) / row_scale + center_y, and worker k owns the columns
// k, k + workers, k + 2 workers, ... Any scales and worker count give the
// same bytes for the same scales, so one kernel serves every layout.
struct render_layout {
    std::int32_t column_scale;
    std::int32_t row_scale;
    int workers;
};

// The viewer's layout: each side divided by its own length, eight workers.
inline render_layout viewer_layout(const CFractal& fractal)
{
    return {fractal.width, fractal.height, WORKER_COUNT};
}

// Real part sampled by column x: the lower-left corner of the pixel's cell.
// The integer 2x - W is formed first, then converted; the order of the
// operations is part of the definition of the image.
inline double column_re(const CFractal& fractal, const render_layout& layout, std::int32_t x)
{
    return (static_cast<double>(2 * x - fractal.width) * fractal.radius) / layout.column_scale + fractal.center_x;
}

inline double column_re(const CFractal& fractal, std::int32_t x)
{
    return column_re(fractal, viewer_layout(fractal), x);
}

// Imaginary part sampled by memory row i; row 0 is the bottom of the screen.
inline double row_im(const CFractal& fractal, const render_layout& layout, std::int32_t i)
{
    return (static_cast<double>(2 * i - fractal.height) * fractal.radius) / layout.row_scale + fractal.center_y;
}

inline double row_im(const CFractal& fractal, std::int32_t i)
{
    return row_im(fractal, viewer_layout(fractal), i);
}

// Writes the colour of escape count n to the pixel at column x of memory row i:
// black for a point that did not escape, else palette entry n mod length.
void put_pixel(const CFractal& fractal, std::int32_t x, std::int32_t i, std::int32_t n);

// Renders the columns x = k, k + workers, k + 2 workers, ... of every row.
void render_columns(const CFractal& fractal, const render_layout& layout, int k);

// Renders the columns x = k, k + 8, k + 16, ... of the viewer's layout.
void render_columns(const CFractal& fractal, int k);

// Starts worker k on a thread of its own; false when the platform refuses one.
using worker_starter = bool (*)(std::thread& thread, const CFractal& fractal, int k);
bool start_worker_thread(std::thread& thread, const CFractal& fractal, int k);

// Renders the whole image with WORKER_COUNT workers and returns the elapsed
// milliseconds. The columns of a worker that could not be started are
// rendered on the calling thread, so the image is always complete; it never
// returns while a started worker still runs. Showing the time is the caller's.
std::int32_t compute_image(const CFractal& fractal, worker_starter start = start_worker_thread);

// The same with the given layout, whose workers (1 to MAX_WORKERS) run on
// threads of their own.
std::int32_t compute_image(const CFractal& fractal, const render_layout& layout);
