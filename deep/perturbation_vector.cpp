#include "perturbation_vector.h"

bool vector_loop_takes(const reference_orbit& orbit) { return orbit.size() <= (std::int64_t{1} << 30); }

bool render_deep_columns_vector(render_path path, const deep_lane_job& job, int k)
{
    switch (path) {
#if defined(__x86_64__)
    case render_path::sse2:
        render_deep_columns_sse2(job, k);
        return true;
    case render_path::avx2:
        render_deep_columns_avx2(job, k);
        return true;
    case render_path::avx512:
        render_deep_columns_avx512(job, k);
        return true;
#endif
    default:
        return false;
    }
}
