// The deep loop on AVX2: four lanes per vector, elements fetched by gathers.
// Only AVX2 is enabled here, not FMA, so every multiply and add rounds on
// its own as in the scalar loop.
#include "perturbation_vector.h"

#if defined(__x86_64__)

#define LANE_TARGET "avx2"
#include "lane_target.h"
#include "lanes_avx2.h"

#include "perturbation_lanes.h"

void render_deep_columns_avx2(const deep_lane_job& job, int k) { run_deep_lanes_for<avx2_lanes>(job, k); }

#endif
