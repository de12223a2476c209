// The deep loop on AVX-512: eight lanes per vector, the lanes' truth values
// in opmask registers. Only AVX-512F is enabled here; its FMA instructions
// are never asked for and -ffp-contract=off keeps the compiler from forming
// them, so every multiply and add rounds on its own as in the scalar loop.
#include "perturbation_vector.h"

#if defined(__x86_64__)

#define LANE_TARGET "avx512f"
#include "lane_target.h"
#include "lanes_avx512.h"

#include "perturbation_lanes.h"

void render_deep_columns_avx512(const deep_lane_job& job, int k) { run_deep_lanes_for<avx512_lanes>(job, k); }

#endif
