// The vector loop of deep views against the scalar loop, count for count,
// on each vector path: the test locations in double deltas and small views
// of each exponent.
#include "deep_render.h"
#include "decimal_number.h"
#include "perturbation.h"
#include "perturbation_vector.h"
#include "render_paths.h"
#include "test_locations.h"
#include "../test_views.h"  // the paths and their guard

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace {

// A frame's counts, and the escaped pixels' points past the radius (zero
// for the others).
struct frame_escapes {
    std::vector<std::int32_t> counts;
    std::vector<complex_pair<double>> points;
};

// The scalar loop's, without the table, pixel by pixel.
frame_escapes scalar_counts(const reference_orbit& orbit, const deep_frame& frame)
{
    frame_escapes e;
    for (std::int32_t i = 0; i < frame.grid.height; ++i) {
        for (std::int32_t x = 0; x < frame.grid.width; ++x) {
            complex_pair<double> w{};
            e.counts.push_back(perturbed_escape_time(orbit, nullptr, pixel_delta(frame, x, i, 0.0), frame.limit, &w));
            e.points.push_back(e.counts.back() < frame.limit ? w : complex_pair<double>{});
        }
    }
    return e;
}

// The vector loop's on the given path, worker by worker.
frame_escapes vector_counts(render_path path, const reference_orbit& orbit, const deep_frame& frame, int workers)
{
    const std::size_t pixels = static_cast<std::size_t>(frame.grid.width) * frame.grid.height;
    frame_escapes e{std::vector<std::int32_t>(pixels, -1), std::vector<complex_pair<double>>(pixels)};
    const deep_lane_job job{orbit.values.data(), orbit.last(), orbit.exponent, &frame, workers, e.counts.data(),
                            e.points.data()};
    for (int k = 0; k < workers; ++k)
        EXPECT_TRUE(render_deep_columns_vector(path, job, k));
    for (std::size_t p = 0; p < pixels; ++p)
        if (e.counts[p] >= frame.limit)
            e.points[p] = {};
    return e;
}

struct small_view {
    const char *name, *re, *im, *radius;
    int exponent;
    std::int32_t width, height, limit;
};

// The frame on the vector path, with 1 and 3 workers, directly and through
// render_deep, against the scalar loop.
void expect_view(const small_view& v, render_path path)
{
    SKIP_WITHOUT_UNIT(path);
    const floatexp radius = *parse_decimal(v.radius);
    const std::optional<reference_orbit> orbit = compute_reference_orbit(
        {v.re, v.im, v.exponent, std::max(v.limit, 1), view_precision(radius, v.width, v.height)});
    ASSERT_TRUE(orbit);
    const deep_frame frame{equal_scales_grid(v.width, v.height), radius, v.limit};
    ASSERT_EQ(frame_delta_type(radius), delta_type::double_precision);
    const frame_escapes expected = scalar_counts(*orbit, frame);
    path_guard guard;
    force_render_path(path);
    for (const int workers : {1, 3}) {
        std::vector<std::int32_t> through_render(expected.counts.size(), -1);
        render_deep(*orbit, frame, nullptr, delta_type::double_precision, workers, through_render.data());
        const frame_escapes lanes = vector_counts(path, *orbit, frame, workers);
        for (const std::vector<std::int32_t>& counts : {lanes.counts, through_render}) {
            const auto first =
                std::mismatch(counts.begin(), counts.end(), expected.counts.begin()).first - counts.begin();
            EXPECT_TRUE(counts == expected.counts) << v.name << " on " << render_path_name(path) << ", " << workers
                                                   << " workers; first different pixel x + width * row: " << first;
        }
        // The escaped points bit for bit, both with one for every pixel.
        const std::size_t bytes = expected.points.size() * sizeof expected.points[0];
        EXPECT_EQ(std::memcmp(lanes.points.data(), expected.points.data(), bytes), 0)
            << v.name << " on " << render_path_name(path) << ": the escaped points";
    }
}

const auto vector_paths = testing::Values(render_path::sse2, render_path::avx2, render_path::avx512);

// A test's name for its view or location and path.
template <typename T>
std::string view_path_name(const testing::TestParamInfo<std::tuple<T, render_path>>& info)
{
    return std::get<0>(info.param).name + std::string("_") + render_path_name(std::get<1>(info.param));
}

class vector_small_views : public testing::TestWithParam<std::tuple<small_view, render_path>> {};

TEST_P(vector_small_views, give_the_scalar_counts) { expect_view(std::get<0>(GetParam()), std::get<1>(GetParam())); }

// Views whose pixels escape early and late, reach the limit, rebase on
// their own and at the end of an escaping reference; views with fewer
// pixels than lanes, and limits of 0 and 1.
// clang-format off
INSTANTIATE_TEST_SUITE_P(table, vector_small_views, testing::Combine(testing::Values(
    small_view{"seahorse_1e9", "-0.743643887037151", "0.131825904205330", "1e-9", 2, 21, 13, 3000},
    small_view{"whole_set", "-0.5", "0", "1.5", 2, 40, 30, 200},
    small_view{"escaping_reference", "1", "0", "2", 2, 17, 11, 500},
    small_view{"near_zero_1e200", "0", "0", "1e-200", 2, 7, 5, 300},
    small_view{"cubic_1e12", "-0.3406", "1.2712", "1e-12", 3, 19, 9, 2000},
    small_view{"cubic_whole", "0", "0", "1.3", 3, 23, 17, 300},
    small_view{"cubic_1e280", "-0.3406", "1.2712", "1e-280", 3, 9, 16, 2000},
    small_view{"quartic_1e3", "0.3", "0.5", "1e-3", 4, 16, 16, 500},
    small_view{"quartic_whole", "0", "0", "1.2", 4, 21, 19, 300},
    small_view{"quartic_antenna_1e14", "0.62996", "1.0911", "1e-14", 4, 13, 11, 2000},
    small_view{"three_pixels", "-0.75", "0.1", "1e-3", 2, 3, 1, 1000},
    small_view{"one_pixel", "-1.8", "0", "1e-6", 2, 1, 1, 4000},
    small_view{"limit_0", "-0.5", "0", "1.5", 2, 9, 7, 0},
    small_view{"limit_1", "0.3", "0.5", "2", 3, 9, 7, 1}), vector_paths), view_path_name<small_view>);
// clang-format on

// The test locations whose radius calls for double deltas.
std::vector<test_location> double_delta_locations()
{
    std::vector<test_location> locations;
    for (const test_location& location : deep_test_locations())
        if (frame_delta_type(*parse_decimal(location.radius)) == delta_type::double_precision)
            locations.push_back(location);
    return locations;
}

class vector_locations : public testing::TestWithParam<std::tuple<test_location, render_path>> {};

TEST_P(vector_locations, give_the_scalar_counts)
{
    const auto& [location, path] = GetParam();
    const std::optional<oracle_view> view = make_view(location);
    ASSERT_TRUE(view) << "Newton's method did not converge";
    expect_view({location.name, view->center_re.c_str(), view->center_im.c_str(), view->radius.c_str(), view->exponent,
                 view->width, view->height, view->limit},
                path);
}

INSTANTIATE_TEST_SUITE_P(table, vector_locations,
                         testing::Combine(testing::ValuesIn(double_delta_locations()), vector_paths),
                         view_path_name<test_location>);

}  // namespace
