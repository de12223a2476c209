#include "deep_render.h"

#include "decimal_number.h"
#include "perturbation.h"
#include "perturbation_vector.h"

#include "worker_fanout.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

// The columns x = k, k + workers, ... of every row.
template <class T>
void render_columns(const reference_orbit& orbit, const deep_frame& frame, const bla_table* table, int workers, int k,
                    std::int32_t* counts, complex_pair<double>* points)
{
    worker_pixels pixels(frame.grid, workers, k, frame.stop);
    std::int32_t x;
    std::int32_t i;
    while (pixels.next(x, i)) {
        const complex_pair<T> dc = pixel_delta(frame, x, i, T{});
        const std::size_t at = pixel_index(frame.grid, x, i);
        counts[at] = perturbed_escape_time(orbit, table, dc, frame.limit, points ? points + at : nullptr);
    }
}

// The probes' returns, in deltas of type T.
template <class T>
std::vector<std::int64_t> probe_returns(const reference_orbit& orbit, const bla_table& table, const deep_frame& whole)
{
    std::vector<std::int64_t> returns{0};
    perturbation_tally tally;
    tally.returns = &returns;
    const image_grid& grid = whole.grid;
    for (const std::int32_t i : {0, grid.height / 2, grid.height - 1}) {
        for (const std::int32_t x :
             {0, grid.width / 4, grid.width / 2, grid.width - 1 - grid.width / 4, grid.width - 1}) {
            if (whole.stop.stop_requested())
                return {};
            tallied_escape_time(orbit, table, pixel_delta(whole, x, i, T{}), whole.limit, tally);
        }
    }
    std::sort(returns.begin(), returns.end());
    returns.erase(std::unique(returns.begin(), returns.end()), returns.end());
    return returns;
}

}  // namespace

void add_frame_returns(bla_table& table, const reference_orbit& orbit, const deep_frame& whole)
{
    // The probes look with the aligned levels alone.
    table.add_returns(orbit.elements(), {});
    std::vector<std::int64_t> returns = table.type() == delta_type::double_precision
                                            ? probe_returns<double>(orbit, table, whole)
                                            : probe_returns<floatexp>(orbit, table, whole);
    table.add_returns(orbit.elements(), std::move(returns));
}

bool returns_enabled()
{
    const char* returns = std::getenv("QUELLARIN_RETURNS");
    return !(returns && std::string_view(returns) == "off");
}

void render_deep(const reference_orbit& orbit, const deep_frame& frame, const bla_table* table, delta_type type,
                 int workers, std::int32_t* counts, complex_pair<double>* points)
{
    assert(workers >= 1 && workers <= MAX_WORKERS);
    assert(frame.grid.width > 0 && frame.grid.height > 0 && frame.limit >= 0);
    assert(table == nullptr || table->type() == type);
    // Plain steps in double deltas take the vector units the exact renderer
    // takes, with the same counts; the table's skips and floatexp deltas
    // run in scalar code.
    const render_path path = type == delta_type::double_precision && table == nullptr && vector_loop_takes(orbit)
                                 ? active_render_path()
                                 : render_path::scalar;
    const deep_lane_job job{orbit.values.data(), orbit.last(), orbit.exponent, &frame, workers, counts, points};
    const auto columns = [&](int k) {
        if (path != render_path::scalar && render_deep_columns_vector(path, job, k))
            return;
        if (type == delta_type::double_precision)
            render_columns<double>(orbit, frame, table, workers, k, counts, points);
        else
            render_columns<floatexp>(orbit, frame, table, workers, k, counts, points);
    };
    fan_out(workers, columns);
}

bool render_deep_view(const deep_view& view, bool use_table, int workers, std::int32_t* counts)
{
    const std::optional<floatexp> radius = parse_decimal(view.radius);
    if (!radius || !(radius->m > 0.0))
        return false;
    const deep_frame frame{equal_scales_grid(view.width, view.height), *radius, view.limit};
    const orbit_request request{view.center_re, view.center_im, view.exponent, std::max(view.limit, 1),
                                view_precision(*radius, view.width, view.height)};
    const std::optional<reference_orbit> orbit = compute_reference_orbit(request);
    if (!orbit)
        return false;
    const delta_type type = frame_delta_type(*radius);
    if (!use_table) {
        render_deep(*orbit, frame, nullptr, type, workers, counts);
        return true;
    }
    const bla_coefficients coefficients = build_bla_coefficients(orbit->elements());
    bla_table table(orbit->elements(), coefficients, frame_max_dc(frame), type);
    if (returns_enabled())
        add_frame_returns(table, *orbit, frame);
    render_deep(*orbit, frame, &table, type, workers, counts);
    return true;
}
