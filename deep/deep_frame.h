// A deep frame's pixels: where each lies from the reference's centre.
//
// Pixel (x, i), memory row i from the bottom, samples
// c = centre + (((2x - W) r) / S, ((2i - H) r) / S) with S = min(W, H): the
// grid's mapping (image_grid.h), with the centre at the reference's full
// precision and the radius r below the double range if need be.
#pragma once

#include "bla_table.h"
#include "complex_pair.h"
#include "floatexp.h"

#include "image_grid.h"

#include <cstdint>
#include <stop_token>

// A frame, or a band of one, on a grid of equal scales; its radius may lie
// below the double range.
struct deep_frame {
    image_grid grid;
    floatexp radius;
    std::int32_t limit = 0;
    std::stop_token stop = {};  // once requested, the workers end, the counts unfinished
};

// Below this radius the pixels' deltas would come near the end of the
// double range, where they lose bits: such frames take floatexp deltas.
inline constexpr double double_delta_radius = 1e-290;

// The delta type a frame's radius calls for.
delta_type frame_delta_type(floatexp radius);

// The largest |dc| of the whole frame's pixels, for its table's radii: a
// band takes the whole frame's table, so its counts are the frame's.
floatexp frame_max_dc(const deep_frame& frame);

// The offset of pixel (x, i) from the centre, in the mapping's order of operations.
complex_pair<double> pixel_delta(const deep_frame& frame, std::int32_t x, std::int32_t i, double);
complex_pair<floatexp> pixel_delta(const deep_frame& frame, std::int32_t x, std::int32_t i, floatexp);
