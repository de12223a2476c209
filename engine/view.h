// A view of the plane, wherever one is held: the window's record, the
// renderer's options, a stored file, a benchmark.
#pragma once

#include <cstdint>

// The start-up view.
inline constexpr std::int32_t IMAGE_WIDTH = 640;
inline constexpr std::int32_t IMAGE_HEIGHT = 640;
inline constexpr double DEFAULT_CENTER_X = 0.0;
inline constexpr double DEFAULT_CENTER_Y = 0.0;
inline constexpr double DEFAULT_RADIUS = 2.0;
inline constexpr std::int32_t DEFAULT_MAX_ITERATIONS = 1000;

// What a view of the plane consists of, wherever a view is held: the
// window's record, the renderer's options, a stored file, a benchmark. By
// default the start-up view (centre 0 + 0i, radius 2, 1000 iterations,
// first figure, first palette). Fields are added at the end, with defaults,
// so that brace-initialised views keep their meaning.
struct view_parameters {
    double center_x = DEFAULT_CENTER_X;
    double center_y = DEFAULT_CENTER_Y;
    double radius = DEFAULT_RADIUS;
    std::int32_t max_iterations = DEFAULT_MAX_ITERATIONS;
    std::int32_t figure_index = 0;
    std::int32_t palette_index = 0;

    // Field by field; the doubles by value, so 0.0 equals -0.0 and a NaN nothing.
    bool operator==(const view_parameters&) const = default;
};
