// Fills the image buffer of a CFractal with eight workers that share its
// columns, and measures how long that took.
#pragma once

#include "fractal.h"

#include <cstdint>
#include <thread>

inline constexpr int WORKER_COUNT = 8;

// Real part sampled by column x: the lower-left corner of the pixel's cell.
// The integer 2x - W is formed first, then converted; the order of the
// operations is part of the definition of the image.
inline double column_re(const CFractal& fractal, std::int32_t x)
{
    return (static_cast<double>(2 * x - fractal.width) * fractal.radius) / fractal.width + fractal.center_x;
}

// Imaginary part sampled by memory row i; row 0 is the bottom of the screen.
inline double row_im(const CFractal& fractal, std::int32_t i)
{
    return (static_cast<double>(2 * i - fractal.height) * fractal.radius) / fractal.height + fractal.center_y;
}

// Writes the colour of escape count n to the pixel at column x of memory row i:
// black for a point that did not escape, else palette entry n mod length.
void put_pixel(const CFractal& fractal, std::int32_t x, std::int32_t i, std::int32_t n);

// Renders the columns x = k, k + 8, k + 16, ... of every row.
void render_columns(const CFractal& fractal, int k);

// Starts worker k on a thread of its own; false when the platform refuses one.
using worker_starter = bool (*)(std::thread& thread, const CFractal& fractal, int k);
bool start_worker_thread(std::thread& thread, const CFractal& fractal, int k);

// Renders the whole image with WORKER_COUNT workers and returns the elapsed
// milliseconds. The columns of a worker that could not be started are
// rendered on the calling thread, so the image is always complete; it never
// returns while a started worker still runs. Showing the time is the caller's.
std::int32_t compute_image(const CFractal& fractal, worker_starter start = start_worker_thread);
