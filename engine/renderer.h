// Fills an image with workers that share its columns, and measures how long
// that took: the viewer's image from its window record, and any image of an
// exact_job.
#pragma once

#include "fractal.h"
#include "image_definition.h"
#include "worker_fanout.h"

#include <cstdint>
#include <thread>

// The viewer's job: its record's view and pixels on the viewer's grid, eight workers.
exact_job viewer_job(const CFractal& fractal);

// Renders the columns x = k, k + 8, k + 16, ... of the viewer's image.
void render_columns(const CFractal& fractal, int k);

// Starts worker k of the viewer's image on a thread of its own; false when
// the platform refuses one.
using worker_starter = bool (*)(std::thread& thread, const CFractal& fractal, int k);
bool start_render_worker(std::thread& thread, const CFractal& fractal, int k);

// Renders the viewer's whole image with WORKER_COUNT workers and returns
// the elapsed milliseconds. The columns of a worker that could not be
// started are rendered on the calling thread, so the image is always
// complete; it never returns while a started worker still runs. Showing
// the time is the caller's.
std::int32_t compute_image(const CFractal& fractal, worker_starter start = start_render_worker);

// The same for a job, whose workers (1 to MAX_WORKERS) run on threads of their own.
std::int32_t compute_image(const exact_job& job);

// The same, writing each pixel's escape count to counts[x + width * i]
// instead of its colour.
std::int32_t compute_image_counts(const exact_job& job, std::int32_t* counts);

// Or each pixel's smooth value, as smooth_sink writes it; with values null,
// its smooth colour into the image.
std::int32_t compute_image_smooth(const exact_job& job, double* values);
