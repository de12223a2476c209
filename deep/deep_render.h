// Escape counts of a whole deep view by perturbation against the orbit of
// its centre.
//
// Each pixel is where deep_frame.h puts it. A zoom movie into one
// centre keeps one reference_orbit and one bla_coefficients for all its
// frames and builds only each frame's bla_table.
#pragma once

#include "bla_table.h"
#include "complex_pair.h"
#include "deep_frame.h"
#include "floatexp.h"
#include "reference_orbit.h"

#include <cstdint>
#include <string_view>

// Writes the count of pixel (x, i) to counts[x + W i], in deltas of the
// given type, with the table's skips unless table is null (a table must be
// for this frame and type). Worker k of `workers` takes the columns
// x = k, k + workers, ...; the counts do not depend on the number. With
// points, points[x + W i] gets each escaped pixel's first point past the
// escape radius, for smooth colouring.
void render_deep(const reference_orbit& orbit, const deep_frame& frame, const bla_table* table, delta_type type,
                 int workers, std::int32_t* counts, complex_pair<double>* points = nullptr);

// Adds to the table the returns of the frame's probe pixels (a few across
// the whole frame, of which frame may be a band), and so its return skips;
// none once the frame's stop is requested.
void add_frame_returns(bla_table& table, const reference_orbit& orbit, const deep_frame& whole);

// Whether return skips are used: QUELLARIN_RETURNS=off turns them off for
// tests and benchmarks.
bool returns_enabled();

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
