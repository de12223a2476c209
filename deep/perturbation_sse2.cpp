// The deep loop on SSE2: two lanes per vector, on every x86-64 processor.
// SSE2 has no gather: each lane's element is one 16-byte load of its pair.
#include "perturbation_vector.h"

#if defined(__x86_64__)

#define LANE_TARGET "sse2"
#include "lane_target.h"
#include "lanes_sse2.h"

#include "perturbation_lanes.h"

void render_deep_columns_sse2(const deep_lane_job& job, int k) { run_deep_lanes_for<sse2_lanes>(job, k); }

#endif
