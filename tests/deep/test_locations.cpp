#include "test_locations.h"

#include "location_finder.h"
#include "mpfr_complex.h"

namespace {

// Misiurewicz points: z -> z^2 + c at c = i (0, i, -1 + i, -i, -1 + i, ...;
// multiplier 4 + 4i); one near the tip of the main antenna (|rho| 3.84); for
// z^3 + c one at -0.3406 + 1.2712i (|rho| 5.20); for z^4 + c the tip of an
// antenna at 0.6300 + 1.0911i (multiplier 8).
constexpr const char *i_re = "0.01", *i_im = "1.01";
constexpr const char *antenna_re = "-1.771257023356246", *antenna_im = "0.066161509079845";
constexpr const char *cubic_re = "-0.3406", *cubic_im = "1.2712";
constexpr const char *quartic_re = "0.62996", *quartic_im = "1.0911";

// The nuclei the walks start from: period 7 near i, period 5 near the
// cubic and the quartic points.
constexpr const char *i7_re = "-0.007", *i7_im = "1.0036";
constexpr const char *cubic5_re = "-0.3388704021139785", *cubic5_im = "1.2733515560165134";
constexpr const char *quartic5_re = "0.6297238063734876", *quartic5_im = "1.0907136273745466";

using enum centre_recipe;

// The period-903 minibrot on the antenna of the period-301 one near i
// (9.7e-228 across: bench/deep_bench_locations.cpp finds it).
constexpr const char* period903_re =
    "0.1746986271293582680401814950740472611352599680570812558269001529701547356536924815280274588259"
    "341067837914759139882132150272371794467515036960820582952982721433018304424814673620053510618797"
    "0688718049690536331120472599336043466208187575938333907516270047281237076521498963e-112";
constexpr const char* period903_im =
    "0.1000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
    "000000000000000000005839012638343012107842405645946562116401476255819670425974566821352004127916"
    "5727273516590693990202472628470910199515903059114331907902457597661579643565741097e1";

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
    // A view 300 times the minibrot's size: every pixel comes back close to
    // 0 with the reference at each multiple of 301 iterations, where the
    // return skips begin and end.
    {.name = "quadratic_returns_period903_3e225", .exponent = 2, .recipe = text, .re = period903_re,
     .im = period903_im, .radius = "3e-225", .limit = 20000, .has_returns = true},
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

// point + offset * radius, as text at the given precision.
std::string moved(const std::string& point, double offset, const char* radius, long precision)
{
    if (offset == 0.0)
        return point;
    mpfr_number x(precision), r(precision);
    set_text(x, point);
    set_text(r, radius);
    mpfr_mul_d(r, r, offset, MPFR_RNDN);
    mpfr_add(x, x, r, MPFR_RNDN);
    return decimal_text(x);
}

}  // namespace

std::span<const test_location> deep_test_locations() { return locations; }

std::optional<oracle_view> make_view(const test_location& location)
{
    oracle_view view{"0", "0", location.radius, location.exponent, location.width, location.height, location.limit};
    const long precision = static_cast<long>(oracle_precision(view)) + 64;
    found_point point{location.re, location.im};
    if (location.recipe != centre_recipe::text) {
        const std::optional<found_point> m = find_misiurewicz(location.exponent, location.preperiod, location.period,
                                                              location.re, location.im, precision);
        if (!m)
            return std::nullopt;
        point = *m;
    }
    if (location.recipe == centre_recipe::walk) {
        const std::optional<found_point> start =
            find_nucleus(location.exponent, location.start_period, location.start_re, location.start_im, precision);
        if (!start)
            return std::nullopt;
        const std::optional<found_point> end =
            walk_to_misiurewicz(location.exponent, point, location.preperiod, location.period, *start,
                                location.start_period, location.steps, precision);
        if (!end)
            return std::nullopt;
        point = *end;
    }
    view.center_re = moved(point.re, location.offset_re, location.radius, precision);
    view.center_im = moved(point.im, location.offset_im, location.radius, precision);
    return view;
}
