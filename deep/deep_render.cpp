#include "deep_render.h"

#include "perturbation.h"
#include "perturbation_vector.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <system_error>
#include <thread>
#include <vector>

delta_type frame_delta_type(floatexp radius)
{
    return magnitude_less(radius, to_floatexp(double_delta_radius)) ? delta_type::extended_range
                                                                    : delta_type::double_precision;
}

floatexp frame_max_dc(const deep_frame& frame)
{
    // The farthest pixel is at most W r / S and H r / S away on each axis.
    const floatexp w = to_floatexp(static_cast<double>(frame.width));
    const floatexp h = to_floatexp(static_cast<double>(frame.full_height()));
    const floatexp side = to_floatexp(static_cast<double>(std::min(frame.width, frame.full_height())));
    return sqrt(w * w + h * h) * frame.radius / side;
}

complex_pair<double> pixel_delta(const deep_frame& frame, std::int32_t x, std::int32_t i, double)
{
    const double r = to_double(frame.radius);
    const std::int32_t s = std::min(frame.width, frame.full_height());
    return {(static_cast<double>(2 * x - frame.width) * r) / s,
            (static_cast<double>(2 * (i + frame.first_row) - frame.full_height()) * r) / s};
}

complex_pair<floatexp> pixel_delta(const deep_frame& frame, std::int32_t x, std::int32_t i, floatexp)
{
    const std::int32_t s = std::min(frame.width, frame.full_height());
    return {div_small(to_floatexp(static_cast<double>(2 * x - frame.width)) * frame.radius, s),
            div_small(to_floatexp(static_cast<double>(2 * (i + frame.first_row) - frame.full_height())) * frame.radius,
                      s)};
}

namespace {

// The columns x = k, k + workers, ... of every row.
template <class T>
void render_columns(const reference_orbit& orbit, const deep_frame& frame, const bla_table* table, int workers, int k,
                    std::int32_t* counts, complex_pair<double>* points)
{
    for (std::int32_t i = 0; i < frame.height; ++i) {
        for (std::int32_t x = k; x < frame.width; x += workers) {
            const complex_pair<T> dc = pixel_delta(frame, x, i, T{});
            const std::size_t at = static_cast<std::size_t>(x) + static_cast<std::size_t>(frame.width) * i;
            counts[at] = perturbed_escape_time(orbit, table, dc, frame.limit, points ? points + at : nullptr);
        }
    }
}

}  // namespace

void render_deep(const reference_orbit& orbit, const deep_frame& frame, const bla_table* table, delta_type type,
                 int workers, std::int32_t* counts, complex_pair<double>* points)
{
    assert(workers >= 1 && workers <= max_deep_workers);
    assert(frame.width > 0 && frame.height > 0 && frame.limit >= 0);
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
    std::vector<std::thread> threads(static_cast<std::size_t>(workers - 1));
    std::vector<bool> started(threads.size(), false);
    for (std::size_t k = 0; k < threads.size(); ++k) {
        // std::thread reports a refused thread only by throwing; the calling
        // thread then renders those columns itself.
        try {
            threads[k] = std::thread(columns, static_cast<int>(k) + 1);
            started[k] = true;
        } catch (const std::system_error&) {
        }
    }
    columns(0);
    for (std::size_t k = 0; k < threads.size(); ++k) {
        if (started[k])
            threads[k].join();
        else
            columns(static_cast<int>(k) + 1);
    }
}

bool render_deep_view(const deep_view& view, bool use_table, int workers, std::int32_t* counts)
{
    const std::optional<floatexp> radius = parse_decimal(view.radius);
    if (!radius || !(radius->m > 0.0))
        return false;
    const deep_frame frame{*radius, view.width, view.height, view.limit};
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
    const bla_coefficients coefficients = build_bla_coefficients(*orbit);
    const bla_table table(*orbit, coefficients, frame_max_dc(frame), type);
    render_deep(*orbit, frame, &table, type, workers, counts);
    return true;
}
