#include "perturbation_vector.h"

#include <algorithm>
#include <bit>

std::vector<double> skip_gate(const reference_orbit& orbit, const bla_table& table)
{
    const bla_layout& layout = table.layout();
    std::vector<double> gate(static_cast<std::size_t>(orbit.size()), 0.0);
    // Skips start only at m = 1 + j 2^k; the levels find may try from m are
    // those up to the trailing zeros of m - 1 (all of them from m = 1).
    for (std::int64_t m = 1; m < orbit.size(); m += 2) {
        const auto offset = static_cast<std::uint64_t>(m - 1);
        const int top = offset == 0 ? layout.levels : std::min(std::countr_zero(offset), layout.levels);
        double bound = 0.0;
        for (int k = 1; k <= top; ++k) {
            const std::int64_t index = layout.index(k, m);
            if (index >= layout.offsets[k + 1])
                continue;
            // A double skip's radius is this value or 0, so the gate is never below it.
            bound = std::max(bound, to_double(table.radius(index)));
        }
        gate[static_cast<std::size_t>(m)] = bound;
    }
    return gate;
}

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
