// Fills the image buffer of a CFractal with workers that share its columns
// (the viewer's eight, or as many as a layout asks for), and measures how
// long that took.
#pragma once

#include "image_definition.h"

#include <cstdint>
#include <thread>

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

// The same, writing each pixel's escape count to counts[x + width * i]
// instead of its colour.
std::int32_t compute_image_counts(const CFractal& fractal, const render_layout& layout, std::int32_t* counts);

// Or each pixel's smooth value, as smooth_sink writes it; with values null,
// its smooth colour into the image.
std::int32_t compute_image_smooth(const CFractal& fractal, const render_layout& layout, double* values);
