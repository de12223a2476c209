// Deep views held to the oracle: at each location, of the pixels whose
// count the oracle can decide, at least 99.9 % get exactly that count, with
// the approximation table and without.
#include "deep_render.h"
#include "oracle.h"
#include "reference_orbit.h"
#include "test_locations.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <vector>

namespace {

// Misiurewicz points: z -> z^2 + c at c = i (0, i, -1 + i, -i, -1 + i, ...;
// multiplier 4 + 4i); one near the tip of the main antenna (|rho| 3.84); for
// z^3 + c one at -0.3406 + 1.2712i (|rho| 5.20); for z^4 + c the tip of an
// antenna at 0.6300 + 1.0911i (multiplier 8).
constexpr const char* i_re = "0.01";
constexpr const char* i_im = "1.01";
constexpr const char* antenna_re = "-1.771257023356246";
constexpr const char* antenna_im = "0.066161509079845";
constexpr const char* cubic_re = "-0.3406";
constexpr const char* cubic_im = "1.2712";
constexpr const char* quartic_re = "0.62996";
constexpr const char* quartic_im = "1.0911";

// The nuclei the walks start from: period 7 near i, period 5 near the
// cubic and the quartic points.
constexpr const char* i7_re = "-0.007";
constexpr const char* i7_im = "1.0036";
constexpr const char* cubic5_re = "-0.3388704021139785";
constexpr const char* cubic5_im = "1.2733515560165134";
constexpr const char* quartic5_re = "0.6297238063734876";
constexpr const char* quartic5_im = "1.0907136273745466";

using enum centre_recipe;

// Minibrots of a walk lie at distances shrinking by |rho| a step and have
// sizes of about that distance to the power p / (p - 1); the steps put one
// about a radius across in the view.
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
    // The centre lies outside the minibrot, so the reference escapes long
    // before the pixels inside it: they rebase at its end, again and again.
    {.name = "quadratic_escaping_reference_1e25", .exponent = 2, .recipe = walk, .re = i_re, .im = i_im,
     .preperiod = 2, .period = 2, .start_re = i7_re, .start_im = i7_im, .start_period = 7, .steps = 14,
     .offset_re = 0.8, .radius = "1e-25", .limit = 3000, .reference_escapes_early = true},
    {.name = "quadratic_minibrot_period381_1e285", .exponent = 2, .recipe = walk, .re = i_re, .im = i_im,
     .preperiod = 2, .period = 2, .start_re = i7_re, .start_im = i7_im, .start_period = 7, .steps = 187,
     .radius = "1e-285", .width = 24, .height = 14, .limit = 8000, .both_delta_types = true},
    {.name = "cubic_minibrot_period281_1e300", .exponent = 3, .recipe = walk, .re = cubic_re, .im = cubic_im,
     .preperiod = 2, .period = 1, .start_re = cubic5_re, .start_im = cubic5_im, .start_period = 5, .steps = 276,
     .radius = "1e-300", .width = 24, .height = 14, .limit = 8000, .both_delta_types = true},
    {.name = "quartic_minibrot_period268_1e320", .exponent = 4, .recipe = walk, .re = quartic_re,
     .im = quartic_im, .preperiod = 2, .period = 1, .start_re = quartic5_re, .start_im = quartic5_im,
     .start_period = 5, .steps = 263, .offset_re = 0.37, .offset_im = -0.21, .radius = "1e-320", .width = 24,
     .height = 14, .limit = 4000},
    {.name = "quadratic_misiurewicz_i_1e1000", .exponent = 2, .recipe = misiurewicz, .re = i_re, .im = i_im,
     .preperiod = 2, .period = 2, .offset_re = 0.31, .offset_im = -0.17, .radius = "1e-1000", .width = 16,
     .height = 9, .limit = 10000},
    {.name = "cubic_misiurewicz_1e1000", .exponent = 3, .recipe = misiurewicz, .re = cubic_re, .im = cubic_im,
     .preperiod = 2, .period = 1, .radius = "1e-1000", .width = 16, .height = 9, .limit = 5000},
    {.name = "quadratic_misiurewicz_antenna_1e5000", .exponent = 2, .recipe = misiurewicz, .re = antenna_re,
     .im = antenna_im, .preperiod = 5, .period = 1, .offset_re = 0.21, .offset_im = 0.13, .radius = "1e-5000",
     .width = 8, .height = 5, .limit = 12000},
};
// clang-format on

class deep_locations : public testing::TestWithParam<test_location> {};

// Counts of the view by the deep renderer in the given delta type.
std::vector<std::int32_t> deep_counts(const oracle_view& view, const reference_orbit& orbit, bool use_table,
                                      delta_type type)
{
    const deep_frame frame{*parse_decimal(view.radius), view.width, view.height, view.limit};
    std::vector<std::int32_t> counts(static_cast<std::size_t>(view.width) * view.height, -1);
    if (!use_table) {
        render_deep(orbit, frame, nullptr, type, 2, counts.data());
        return counts;
    }
    const bla_coefficients coefficients = build_bla_coefficients(orbit);
    const bla_table table(orbit, coefficients, frame_max_dc(frame), type);
    render_deep(orbit, frame, &table, type, 2, counts.data());
    return counts;
}

TEST_P(deep_locations, decidable_pixels_agree_with_the_oracle)
{
    const test_location& location = GetParam();
    const std::optional<oracle_view> found = make_view(location);
    ASSERT_TRUE(found) << "Newton's method did not converge";
    const oracle_view& view = *found;
    const oracle_image oracle = oracle_render(view);
    const std::int64_t pixels = static_cast<std::int64_t>(view.width) * view.height;
    // Enough decidable pixels for the agreement to mean something.
    ASSERT_GE(oracle.decidable_pixels * 4, pixels * 3);

    const floatexp radius = *parse_decimal(view.radius);
    const orbit_request request{view.center_re, view.center_im, view.exponent, view.limit,
                                view_precision(radius, view.width, view.height)};
    const std::optional<reference_orbit> orbit = compute_reference_orbit(request);
    ASSERT_TRUE(orbit);
    if (location.reference_escapes_early) {
        ASSERT_TRUE(orbit->escaped && orbit->size() * 4 < view.limit) << "the reference reached " << orbit->size();
    }

    const delta_type natural = frame_delta_type(radius);
    const delta_type other =
        natural == delta_type::double_precision ? delta_type::extended_range : delta_type::double_precision;
    for (const delta_type type : {natural, other}) {
        if (type == other && !location.both_delta_types)
            continue;
        for (const bool use_table : {true, false}) {
            const std::vector<std::int32_t> counts = deep_counts(view, *orbit, use_table, type);
            const oracle_agreement result = agreement(oracle, counts.data());
            std::printf("%s: %s table, %s deltas: %lld of %lld decidable pixels agree (%lld pixels)\n", location.name,
                        use_table ? "with" : "without", type == delta_type::double_precision ? "double" : "floatexp",
                        static_cast<long long>(result.agreeing), static_cast<long long>(result.decidable),
                        static_cast<long long>(pixels));
            EXPECT_GE(result.agreeing * 1000, result.decidable * 999)
                << (use_table ? "with" : "without") << " the table, "
                << (type == delta_type::double_precision ? "double" : "floatexp") << " deltas: " << result.agreeing
                << " of " << result.decidable << " decidable pixels agree";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(table, deep_locations, testing::ValuesIn(locations),
                         [](const testing::TestParamInfo<test_location>& info) { return info.param.name; });

}  // namespace
