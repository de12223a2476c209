// The machine's peak rate of z^2 + c steps: a bare loop with nothing but
// escape counting, four vectors in flight, run over a view with the
// renderer's eight workers, in AVX2 or in AVX-512.
#pragma once

#include "fractal.h"
#include "render_paths.h"

#include <cstdint>

struct peak_result {
    std::int64_t lane_steps;  // steps computed, escaped lanes included
    std::int64_t counts;      // escape counts summed
};

// Steps the pixels of the view in groups of four vectors until all of a
// group have escaped or reached the limit, with the instructions of unit
// (avx2 or avx512); false when the processor lacks them.
bool run_peak_loop(const CFractal& fractal, render_path unit, peak_result& result);
