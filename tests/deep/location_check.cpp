#include "location_check.h"

#include "decimal_number.h"
#include "deep_render.h"
#include "reference_orbit.h"

#include <algorithm>
#include <optional>

namespace {

// The workers of a render: the column split is part of what is tested, and
// the counts do not depend on their number.
constexpr int check_workers = 2;

// Counts of the view by the deep renderer in the mode's delta type (the
// table is built either way, and only used when asked for); notes the
// table's returns in the mode.
std::vector<std::int32_t> deep_counts(const oracle_view& view, const reference_orbit& orbit, location_mode& mode)
{
    const deep_frame frame{equal_scales_grid(view.width, view.height), *parse_decimal(view.radius), view.limit};
    std::vector<std::int32_t> counts(static_cast<std::size_t>(view.width) * view.height, -1);
    const bla_coefficients coefficients = build_bla_coefficients(orbit.elements());
    bla_table table(orbit.elements(), coefficients, frame_max_dc(frame), mode.type);
    if (mode.use_returns)
        add_frame_returns(table, orbit, frame);
    mode.returns = table.has_returns() ? static_cast<std::int64_t>(table.returns().size()) : 0;
    render_deep(orbit, frame, mode.use_table ? &table : nullptr, mode.type, check_workers, counts.data());
    return counts;
}

}  // namespace

location_check check_location(const test_location& location)
{
    location_check check;
    const std::optional<oracle_view> found = make_view(location);
    if (!found) {
        check.problem = "Newton's method did not converge";
        return check;
    }
    check.view = *found;
    const oracle_view& view = check.view;
    const oracle_image oracle = oracle_render(view);
    check.pixels = static_cast<std::int64_t>(view.width) * view.height;
    if (oracle.decidable_pixels * 4 < check.pixels * 3) {
        check.problem = "only " + std::to_string(oracle.decidable_pixels) + " of " + std::to_string(check.pixels) +
                        " pixels are decidable, fewer than three quarters";
        return check;
    }

    const floatexp radius = *parse_decimal(view.radius);
    const orbit_request request{view.center_re, view.center_im, view.exponent, view.limit,
                                view_precision(radius, view.width, view.height)};
    const std::optional<reference_orbit> orbit = compute_reference_orbit(request);
    if (!orbit) {
        check.problem = "no reference orbit";
        return check;
    }
    if (location.reference_escapes_early && !(orbit->escaped && orbit->size() * 4 < view.limit)) {
        check.problem = "the reference was to escape early and reached " + std::to_string(orbit->size());
        return check;
    }

    const delta_type natural = frame_delta_type(radius);
    const delta_type other =
        natural == delta_type::double_precision ? delta_type::extended_range : delta_type::double_precision;
    for (const delta_type type : {natural, other}) {
        if (type == other && !location.both_delta_types)
            continue;
        for (const int skips : {2, 1, 0}) {
            location_mode mode{.type = type, .use_table = skips >= 1, .use_returns = skips == 2};
            const std::vector<std::int32_t> counts = deep_counts(view, *orbit, mode);
            mode.agreement = agreement(oracle, counts.data());
            check.modes.push_back(mode);
        }
    }
    return check;
}

std::int64_t location_check::most_returns() const
{
    std::int64_t most = 0;
    for (const location_mode& mode : modes)
        most = std::max(most, mode.returns);
    return most;
}

const char* delta_type_name(delta_type type)
{
    return type == delta_type::double_precision ? "double" : "floatexp";
}
