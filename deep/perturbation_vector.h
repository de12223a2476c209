// The per-pixel loop of deep views in double deltas on the vector units:
// the same counts as perturbed_escape_time, bit for bit, several pixels at
// a time. Each lane is a pixel with its own element m, step count n, delta
// and dc. Only plain perturbation (no table) runs here: the table's skips
// differ from lane to lane in length and in what they read, and taken one
// lane at a time they measured slower than the scalar loop.
#pragma once

#include "complex_pair.h"
#include "deep_frame.h"
#include "reference_orbit.h"
#include "render_paths.h"

#include <cstdint>

// What a worker of the vector loop needs: the view, the orbit and where the
// counts go.
struct deep_lane_job {
    const complex_pair<double>* z = nullptr;  // the orbit's elements
    std::int64_t last = 0;                    // index of its last element
    int exponent = 2;
    const deep_frame* frame = nullptr;
    int workers = 1;
    std::int32_t* counts = nullptr;
    complex_pair<double>* points = nullptr;  // with smooth colouring: each escaped pixel's point past the radius
};

// Whether the vector loop can take this orbit: the lanes index it with
// 32-bit offsets of doubles, so it must have at most 2^30 elements.
bool vector_loop_takes(const reference_orbit& orbit);

// Writes the counts of worker k's columns (x = k, k + workers, ...) on the
// given path, which the processor must be able to run (as active_render_path()
// is); false, with nothing written, when that path is scalar.
bool render_deep_columns_vector(render_path path, const deep_lane_job& job, int k);

// The entries of each unit's file; call one only when the processor has its unit.
#if defined(__x86_64__)
void render_deep_columns_sse2(const deep_lane_job& job, int k);
void render_deep_columns_avx2(const deep_lane_job& job, int k);
void render_deep_columns_avx512(const deep_lane_job& job, int k);
#endif
