// Escape counts of a whole deep view by perturbation against the orbit of
// its centre.
//
// Pixel (x, i), memory row i from the bottom, samples
// c = centre + (((2x - W) r) / S, ((2i - H) r) / S) with S = min(W, H): the
// grid's mapping (image_grid.h), with the centre at the reference's full precision and
// the radius r below the double range if need be. A zoom movie into one
// centre keeps one reference_orbit and one bla_coefficients for all its
// frames and builds only each frame's bla_table.
#pragma once

#include "bla_table.h"
#include "complex_pair.h"
#include "floatexp.h"
#include "reference_orbit.h"

#include "image_grid.h"

#include <cstdint>
#include <string_view>

// A frame, or a band of one, on a grid of equal scales; its radius may lie
// below the double range.
struct deep_frame {
    image_grid grid;
    floatexp radius;
    std::int32_t limit = 0;
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

// Writes the count of pixel (x, i) to counts[x + W i], in deltas of the
// given type, with the table's skips unless table is null (a table must be
// for this frame and type). Worker k of `workers` takes the columns
// x = k, k + workers, ...; the counts do not depend on the number. With
// points, points[x + W i] gets each escaped pixel's first point past the
// escape radius, for smooth colouring.
void render_deep(const reference_orbit& orbit, const deep_frame& frame, const bla_table* table, delta_type type,
                 int workers, std::int32_t* counts, complex_pair<double>* points = nullptr);

struct deep_view {
    std::string_view center_re;  // decimal text of any length
    std::string_view center_im;
    std::string_view radius;  // decimal text, e.g. "1e-5000"
    int exponent = 2;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t limit = 0;
};

// The whole pipeline for one view: reference at view_precision, table
// (when use_table) and counts. False, with nothing written, when a text is
// not a number or the radius is not positive.
bool render_deep_view(const deep_view& view, bool use_table, int workers, std::int32_t* counts);
