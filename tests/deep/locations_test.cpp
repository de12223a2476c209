// Deep views held to the oracle: at each location of the table
// (test_locations.cpp), every pixel whose count the oracle can decide gets
// exactly that count, with the approximation table and its return skips,
// with the table alone and without either.
// `make verify-deep` prints the comparison, passed or not, as a report.
#include "location_check.h"
#include "test_locations.h"

#include "decimal_number.h"
#include "deep_render.h"
#include "perturbation.h"
#include "reference_orbit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string_view>

namespace {

class deep_locations : public testing::TestWithParam<test_location> {};

TEST_P(deep_locations, decidable_pixels_agree_with_the_oracle)
{
    const test_location& location = GetParam();
    const location_check check = check_location(location);
    ASSERT_TRUE(check.problem.empty()) << check.problem;
    for (const location_mode& mode : check.modes) {
        const char* const skips = mode.use_returns ? "with return skips"
                                  : mode.use_table ? "with the table alone"
                                                   : "plain";
        EXPECT_TRUE(mode.agrees()) << skips << ", " << delta_type_name(mode.type)
                                   << " deltas: " << mode.agreement.agreeing << " of " << mode.agreement.decidable
                                   << " decidable pixels agree";
    }
    if (location.has_returns) {
        EXPECT_GT(check.most_returns(), 0) << "no return skips were built";
    }
}

// Near the period-903 minibrot the pixels come back close to 0 with the
// reference again and again: with return skips a pixel gets the same count
// with less work than with the aligned levels alone, which cross a stretch
// between two returns in several skips.
TEST(return_skips, give_the_same_counts_for_less_work)
{
    const auto locations = deep_test_locations();
    const auto location = std::find_if(locations.begin(), locations.end(), [](const test_location& l) {
        return std::string_view(l.name) == "quadratic_returns_period903_3e225";
    });
    ASSERT_NE(location, locations.end());
    const std::optional<oracle_view> view = make_view(*location);
    ASSERT_TRUE(view);
    const deep_frame frame{equal_scales_grid(view->width, view->height), *parse_decimal(view->radius), view->limit};
    const std::optional<reference_orbit> orbit = compute_reference_orbit(
        {view->center_re, view->center_im, 2, view->limit, view_precision(frame.radius, view->width, view->height)});
    ASSERT_TRUE(orbit);
    const bla_coefficients coefficients = build_bla_coefficients(orbit->elements());
    bla_table aligned(orbit->elements(), coefficients, frame_max_dc(frame), delta_type::double_precision);
    bla_table returns(orbit->elements(), coefficients, frame_max_dc(frame), delta_type::double_precision);
    add_frame_returns(returns, *orbit, frame);
    ASSERT_TRUE(returns.has_returns());
    perturbation_tally with, without;
    for (const std::int32_t x : {3, 20, 41}) {
        const complex_pair<double> dc = pixel_delta(frame, x, 7, 0.0);
        const std::int32_t a = tallied_escape_time(*orbit, returns, dc, frame.limit, with);
        const std::int32_t b = tallied_escape_time(*orbit, aligned, dc, frame.limit, without);
        EXPECT_EQ(a, b) << "pixel " << x;
    }
    EXPECT_GT(with.return_skips, 0);
    const auto work = [](const perturbation_tally& t) { return t.skips + t.plain_steps + t.missed_lookups; };
    EXPECT_LT(10 * work(with), 9 * work(without))
        << "skips, plain steps and lookups in vain: " << work(with) << " against " << work(without);
}

INSTANTIATE_TEST_SUITE_P(table, deep_locations, testing::ValuesIn(deep_test_locations()),
                         [](const testing::TestParamInfo<test_location>& info) { return info.param.name; });

}  // namespace
