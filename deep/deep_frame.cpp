#include "deep_frame.h"

#include <algorithm>
#include <cassert>

delta_type frame_delta_type(floatexp radius)
{
    return magnitude_less(radius, to_floatexp(double_delta_radius)) ? delta_type::extended_range
                                                                    : delta_type::double_precision;
}

floatexp frame_max_dc(const deep_frame& frame)
{
    // The farthest pixel is at most W r / S and H r / S away on each axis.
    assert(frame.grid.column_scale == frame.grid.row_scale);
    const floatexp w = to_floatexp(static_cast<double>(frame.grid.width));
    const floatexp h = to_floatexp(static_cast<double>(frame.grid.full_height()));
    const floatexp side = to_floatexp(static_cast<double>(frame.grid.column_scale));
    return sqrt(w * w + h * h) * frame.radius / side;
}

complex_pair<double> pixel_delta(const deep_frame& frame, std::int32_t x, std::int32_t i, double)
{
    const double r = to_double(frame.radius);
    const image_grid& g = frame.grid;
    return {(static_cast<double>(column_offset(g, x)) * r) / g.column_scale,
            (static_cast<double>(row_offset(g, i)) * r) / g.row_scale};
}

complex_pair<floatexp> pixel_delta(const deep_frame& frame, std::int32_t x, std::int32_t i, floatexp)
{
    const image_grid& g = frame.grid;
    return {div_small(to_floatexp(static_cast<double>(column_offset(g, x))) * frame.radius, g.column_scale),
            div_small(to_floatexp(static_cast<double>(row_offset(g, i))) * frame.radius, g.row_scale)};
}
