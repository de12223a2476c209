// The machine's peak rate of z^2 + c steps: the bare AVX2 loop with nothing
// but escape counting, run over a view with the renderer's eight workers.
#pragma once

#include "fractal.h"

#include <cstdint>

struct peak_result {
    std::int64_t lane_steps;  // steps computed, escaped lanes included
    std::int64_t counts;      // escape counts summed
};

// Steps the pixels of the view in groups of sixteen until all of a group
// have escaped or reached the limit; false when AVX2 is missing.
bool run_peak_loop(const CFractal& fractal, peak_result& result);
