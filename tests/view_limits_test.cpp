#include "view_limits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

namespace {

// Each bound from both sides, and a NaN, which every part refuses: the
// wheel takes the floor 1e-14 itself, the dialog only what lies above it.
TEST(ViewLimits, EachPartAcceptsItsOwnRange)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    // radius, dialog, wheel
    const std::tuple<double, bool, bool> radii[] = {
        {1e-14, false, true}, {std::nextafter(1e-14, 0.0), false, false}, {std::nextafter(1e-14, 1.0), true, true},
        {4.0, true, true},    {std::nextafter(4.0, 5.0), false, false},   {0.0, false, false},
        {-1.0, false, false}, {nan, false, false},
    };
    for (const auto& [r, dialog, wheel] : radii) {
        EXPECT_EQ(dialog_accepts_radius(r), dialog) << r;
        EXPECT_EQ(wheel_accepts_radius(r), wheel) << r;
    }
    // centre coordinate, dialog, renderer
    const std::tuple<double, bool, bool> centres[] = {
        {-2.0, true, true}, {2.0, true, true}, {std::nextafter(2.0, 3.0), false, true},
        {std::nextafter(-2.0, -3.0), false, true}, {1e300, false, true}, {inf, false, false}, {nan, false, false},
    };
    for (const auto& [v, dialog, renderer] : centres) {
        EXPECT_EQ(dialog_accepts_center(v), dialog) << v;
        EXPECT_EQ(renderer_accepts_center(v), renderer) << v;
    }
    // iterations, figure, palette: the values either side of each end
    const std::tuple<std::int32_t, bool, bool, bool> integers[] = {
        {-1, false, false, false}, {0, false, true, true}, {1, true, true, true},   {2, true, true, true},
        {3, true, false, true},    {14, true, false, true}, {15, true, false, false}, {60000, true, false, false},
        {60001, false, false, false},
    };
    for (const auto& [n, iterations, figure, palette] : integers) {
        EXPECT_EQ(dialog_accepts_iterations(n), iterations) << n;
        EXPECT_EQ(accepts_figure(n), figure) << n;
        EXPECT_EQ(accepts_palette(n), palette) << n;
    }
}

}  // namespace
