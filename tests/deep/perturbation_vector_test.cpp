// The vector loop of deep views against the scalar loop, count for count,
// on every vector path the processor has: the test locations and small
// views of each exponent, with the table and without.
#include "deep_render.h"
#include "perturbation.h"
#include "perturbation_vector.h"
#include "render_paths.h"
#include "test_locations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr render_path vector_paths[] = {render_path::sse2, render_path::avx2, render_path::avx512};

// Restores the renderer's path when a test ends.
struct path_guard {
    render_path saved = active_render_path();
    ~path_guard() { force_render_path(saved); }
};

// The scalar loop's counts of the frame, pixel by pixel.
std::vector<std::int32_t> scalar_counts(const reference_orbit& orbit, const deep_frame& frame, const bla_table* table)
{
    std::vector<std::int32_t> counts;
    for (std::int32_t i = 0; i < frame.height; ++i)
        for (std::int32_t x = 0; x < frame.width; ++x)
            counts.push_back(perturbed_escape_time(orbit, table, pixel_delta(frame, x, i, 0.0), frame.limit));
    return counts;
}

// The counts of the vector loop on the given path, worker by worker, with
// the table's skips when table is not null.
std::vector<std::int32_t> vector_counts(render_path path, const reference_orbit& orbit, const deep_frame& frame,
                                        const bla_table* table, int workers)
{
    std::vector<std::int32_t> counts(static_cast<std::size_t>(frame.width) * frame.height, -1);
    const std::vector<double> gate = table ? skip_gate(orbit, *table) : std::vector<double>{};
    const deep_lane_job job{orbit.values.data(), orbit.last(), orbit.exponent, table, gate.data(),
                            &frame, workers, counts.data()};
    for (int k = 0; k < workers; ++k)
        EXPECT_TRUE(render_deep_columns_vector(path, job, k));
    return counts;
}

// The frame on each vector path the processor has, with 1 and 3 workers,
// against expected; without the table also through render_deep, which
// takes the vector loop for plain steps.
void expect_every_path(const reference_orbit& orbit, const deep_frame& frame, const bla_table* table,
                       const std::vector<std::int32_t>& expected, const std::string& label)
{
    path_guard guard;
    int runs = 0;
    for (const render_path path : vector_paths) {
        if (path > best_render_path())
            continue;
        force_render_path(path);
        for (const int workers : {1, 3}) {
            std::vector<std::vector<std::int32_t>> results{vector_counts(path, orbit, frame, table, workers)};
            if (!table) {
                results.emplace_back(expected.size(), -1);
                render_deep(orbit, frame, nullptr, delta_type::double_precision, workers, results.back().data());
            }
            for (const std::vector<std::int32_t>& counts : results) {
                ++runs;
                const auto first =
                    std::mismatch(counts.begin(), counts.end(), expected.begin()).first - counts.begin();
                EXPECT_TRUE(counts == expected) << label << " on " << render_path_name(path) << ", " << workers
                                                << " workers, " << (table ? "with" : "without")
                                                << " the table; first different pixel x + width * row: " << first;
            }
        }
    }
    // Every x86-64 processor has SSE2, so there the vector loop has run.
#if defined(__x86_64__)
    EXPECT_GT(runs, 0);
#endif
}

void expect_view(const char* re, const char* im, const char* radius_text, int exponent, std::int32_t width,
                 std::int32_t height, std::int32_t limit, const std::string& label)
{
    const floatexp radius = *parse_decimal(radius_text);
    const std::optional<reference_orbit> orbit = compute_reference_orbit(
        {re, im, exponent, std::max(limit, 1), view_precision(radius, width, height)});
    ASSERT_TRUE(orbit);
    const deep_frame frame{radius, width, height, limit};
    ASSERT_EQ(frame_delta_type(radius), delta_type::double_precision);
    const bla_coefficients coefficients = build_bla_coefficients(*orbit);
    const bla_table table(*orbit, coefficients, frame_max_dc(frame), delta_type::double_precision);
    for (const bla_table* t : {static_cast<const bla_table*>(nullptr), &table})
        expect_every_path(*orbit, frame, t, scalar_counts(*orbit, frame, t), label);
}

struct small_view {
    const char* name;
    const char* re;
    const char* im;
    const char* radius;
    int exponent;
    std::int32_t width, height, limit;
};

class vector_small_views : public testing::TestWithParam<small_view> {};

TEST_P(vector_small_views, give_the_scalar_counts_on_every_path)
{
    const small_view& v = GetParam();
    expect_view(v.re, v.im, v.radius, v.exponent, v.width, v.height, v.limit, v.name);
}

// Views whose pixels escape early and late, reach the limit, rebase on
// their own and at the end of an escaping reference, take many skips or
// few; views with fewer pixels than lanes, and limits of 0 and 1.
// clang-format off
INSTANTIATE_TEST_SUITE_P(table, vector_small_views, testing::Values(
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
    small_view{"limit_1", "0.3", "0.5", "2", 3, 9, 7, 1}),
    [](const testing::TestParamInfo<small_view>& info) { return info.param.name; });
// clang-format on

// The test locations in double deltas (their entries in locations_test.cpp).
constexpr const char* i_re = "0.01";
constexpr const char* i_im = "1.01";
constexpr const char* i7_re = "-0.007";
constexpr const char* i7_im = "1.0036";
constexpr const char* cubic_re = "-0.3406";
constexpr const char* cubic_im = "1.2712";
constexpr const char* cubic5_re = "-0.3388704021139785";
constexpr const char* cubic5_im = "1.2733515560165134";
constexpr const char* quartic_re = "0.62996";
constexpr const char* quartic_im = "1.0911";
constexpr const char* quartic5_re = "0.6297238063734876";
constexpr const char* quartic5_im = "1.0907136273745466";

using enum centre_recipe;

// clang-format off
const test_location locations[] = {
    {.name = "seahorse_valley_1e5", .exponent = 2, .recipe = text, .re = "-0.743643887037151",
     .im = "0.131825904205330", .radius = "1.4628e-5", .limit = 5000},
    {.name = "quadratic_minibrot_period29_1e20", .exponent = 2, .recipe = walk, .re = i_re, .im = i_im,
     .preperiod = 2, .period = 2, .start_re = i7_re, .start_im = i7_im, .start_period = 7, .steps = 11,
     .radius = "1e-20", .limit = 5000},
    {.name = "cubic_minibrot_period20_1e20", .exponent = 3, .recipe = walk, .re = cubic_re, .im = cubic_im,
     .preperiod = 2, .period = 1, .start_re = cubic5_re, .start_im = cubic5_im, .start_period = 5, .steps = 15,
     .offset_re = -0.3, .offset_im = 0.25, .radius = "1e-20", .limit = 3000},
    {.name = "quartic_minibrot_period18_1e20", .exponent = 4, .recipe = walk, .re = quartic_re, .im = quartic_im,
     .preperiod = 2, .period = 1, .start_re = quartic5_re, .start_im = quartic5_im, .start_period = 5,
     .steps = 13, .radius = "1e-20", .limit = 3000},
    {.name = "quadratic_escaping_reference_1e25", .exponent = 2, .recipe = walk, .re = i_re, .im = i_im,
     .preperiod = 2, .period = 2, .start_re = i7_re, .start_im = i7_im, .start_period = 7, .steps = 14,
     .offset_re = 0.8, .radius = "1e-25", .limit = 3000, .reference_escapes_early = true},
    {.name = "quadratic_minibrot_period381_1e285", .exponent = 2, .recipe = walk, .re = i_re, .im = i_im,
     .preperiod = 2, .period = 2, .start_re = i7_re, .start_im = i7_im, .start_period = 7, .steps = 187,
     .radius = "1e-285", .width = 24, .height = 14, .limit = 8000, .both_delta_types = true},
};
// clang-format on

class vector_locations : public testing::TestWithParam<test_location> {};

TEST_P(vector_locations, give_the_scalar_counts_on_every_path)
{
    const std::optional<oracle_view> view = make_view(GetParam());
    ASSERT_TRUE(view) << "Newton's method did not converge";
    expect_view(view->center_re.c_str(), view->center_im.c_str(), view->radius.c_str(), view->exponent, view->width,
                view->height, view->limit, GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(table, vector_locations, testing::ValuesIn(locations),
                         [](const testing::TestParamInfo<test_location>& info) { return info.param.name; });

// The gate is the least bound that no skip accepts: at it, find gives no
// skip; just below it, where it is not zero, find gives one.
TEST(skip_gate, is_the_largest_radius_of_the_skips_from_each_element)
{
    struct centre {
        int exponent;
        const char* re;
        const char* im;
    };
    for (const auto& [exponent, re, im] : {centre{2, "-0.743643887037151", "0.131825904205330"},
                                           centre{3, "0.1", "0.2"}, centre{4, "0.2", "0.1"}}) {
        const std::optional<reference_orbit> orbit = compute_reference_orbit({re, im, exponent, 3000, 128});
        ASSERT_TRUE(orbit);
        const bla_coefficients coefficients = build_bla_coefficients(*orbit);
        const bla_table table(*orbit, coefficients, to_floatexp(1e-20), delta_type::double_precision);
        const std::vector<double> gate = skip_gate(*orbit, table);
        ASSERT_EQ(static_cast<std::int64_t>(gate.size()), orbit->size());
        int open = 0;
        for (std::int64_t m = 0; m < orbit->size(); ++m) {
            const double g = gate[static_cast<std::size_t>(m)];
            const std::int64_t room = orbit->last() - m;
            EXPECT_EQ(table.find(m, room, g).length, 0) << "exponent " << exponent << ", m " << m;
            if (g > 0.0) {
                ++open;
                EXPECT_NE(table.find(m, room, std::nextafter(g, 0.0)).length, 0)
                    << "exponent " << exponent << ", m " << m;
            }
        }
        EXPECT_GT(open, 100) << "exponent " << exponent << ", " << orbit->size() << " elements";
    }
}

}  // namespace
