// The per-pixel loop: its perturbed step against exact arithmetic, its
// rebasing against the oracle's counts for pixels far from the reference,
// and whole images against the loop pixel by pixel.
#include "decimal_number.h"
#include "deep_render.h"
#include "exact_arithmetic.h"
#include "oracle.h"
#include "perturbation.h"

#include "image_definition.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr long exact_bits = 400;

// |got - ((z + d)^p - z^p + dc)|, exactly, in units of 2^-53 of the sum of
// the moduli of its terms, (|z| + |d|)^p - |z|^p + |dc|.
double step_error(int p, complex_pair<floatexp> z, complex_pair<floatexp> d, complex_pair<floatexp> dc,
                  complex_pair<floatexp> got)
{
    mpfr_complex x(exact_bits), y(exact_bits), value(exact_bits), terms(exact_bits);
    set(x, z);
    set(y, d);
    power_difference(p, x, y, value);
    for (mpfr_complex* v : {&x, &y}) {
        mpfr_hypot(v->re, v->re, v->im, MPFR_RNDN);
        mpfr_set_ui(v->im, 0, MPFR_RNDN);
    }
    power_difference(p, x, y, terms);
    set(y, dc);
    add(value, value, y);
    mpfr_add(terms.re, terms.re, modulus(y), MPFR_RNDN);
    set(y, got);
    subtract(y, y, value);
    mpfr_div(terms.re, modulus(y), terms.re, MPFR_RNDN);
    return mpfr_get_d(terms.re, MPFR_RNDN) / 0x1p-53;
}

// z, then d = (d_re, d_im) 2^d_scale and dc = (0.3, 0.9) 2^dc_scale: deltas
// far below the orbit (the usual case), as large as it (just after a rebase,
// and from element 0), cancelling it (a pixel near 0), near the escape
// radius, and deltas of deep views.
struct step_case {
    double z_re, z_im, d_re, d_im;
    std::int64_t d_scale, dc_scale;
};
constexpr step_case step_cases[] = {{-0.7, 0.3, 0.6, -0.8, -40, -50}, {1.3, -0.4, 0.6, -0.8, -1000, -1010},
                                    {0.0, 0.0, 0.6, -0.8, -1, -20},   {0.5, 0.5, -1.0, -1.0, -1, -30},
                                    {1.9, 0.1, 0.6, -0.8, -3, -3},    {-0.34, 1.27, 0.6, -0.8, -4, -5},
                                    {0.9, -0.2, 0.6, -0.8, -5, -4},   {-1.1, 0.2, 0.6, -0.8, -16600, -16610}};

complex_pair<floatexp> scaled(double re, double im, std::int64_t k)
{
    return {scale_by_power_of_two(to_floatexp(re), k), scale_by_power_of_two(to_floatexp(im), k)};
}

template <int P>
void expect_steps_within_a_few_roundings()
{
    for (const step_case& c : step_cases) {
        SCOPED_TRACE(testing::Message() << "p " << P << ", z " << c.z_re << " " << c.z_im << ", d scale " << c.d_scale);
        const complex_pair<floatexp> z = scaled(c.z_re, c.z_im, 0), d = scaled(c.d_re, c.d_im, c.d_scale);
        const complex_pair<floatexp> dc = scaled(0.3, 0.9, c.dc_scale);
        EXPECT_LE(step_error(P, z, d, dc, perturbed_step<P>(z, d, dc)), 24.0) << "floatexp";
        // Double deltas only where they stay in the normal range.
        if (c.d_scale > -900) {
            const complex_pair<double> got = perturbed_step<P>(to_double(z), to_double(d), to_double(dc));
            EXPECT_LE(step_error(P, z, d, dc, to_floatexp(got)), 24.0) << "double";
        }
    }
}

TEST(perturbed_steps, are_within_a_few_roundings_of_the_exact_difference_of_powers)
{
    expect_steps_within_a_few_roundings<2>();
    expect_steps_within_a_few_roundings<3>();
    expect_steps_within_a_few_roundings<4>();
}

struct rebase_case {
    int exponent;
    const char *reference_re, *reference_im, *pixel_re, *pixel_im;
    std::int32_t limit;
};

class rebasing : public testing::TestWithParam<rebase_case> {};

// Enough to resolve the pixels of the deepest row below.
constexpr long rebase_bits = 256;

// Pixels whose orbits leave the reference's and must rebase again and
// again, whether the reference escapes early or not: plain or skipping, in
// either delta type, they get the oracle's count.
TEST_P(rebasing, pixels_that_rebase_get_the_oracle_count)
{
    const rebase_case c = GetParam();
    const std::optional<reference_orbit> orbit =
        compute_reference_orbit({c.reference_re, c.reference_im, c.exponent, c.limit, rebase_bits});
    ASSERT_TRUE(orbit);
    mpfr_number pixel(rebase_bits), reference(rebase_bits);
    const auto offset = [&](const char* pixel_text, const char* reference_text) {
        set_text(pixel, pixel_text);
        set_text(reference, reference_text);
        mpfr_sub(pixel, pixel, reference, MPFR_RNDN);
        return mpfr_get_d(pixel, MPFR_RNDN);
    };
    const complex_pair<double> dc{offset(c.pixel_re, c.reference_re), offset(c.pixel_im, c.reference_im)};
    const std::int32_t expected = oracle_escape_time(c.exponent, c.pixel_re, c.pixel_im, c.limit, rebase_bits);
    const bla_coefficients coefficients = build_bla_coefficients(orbit->elements());
    const floatexp max_dc = to_floatexp(std::abs(dc.re) + std::abs(dc.im));
    const bla_table table_double(orbit->elements(), coefficients, max_dc, delta_type::double_precision);
    const bla_table table_extended(orbit->elements(), coefficients, max_dc, delta_type::extended_range);
    EXPECT_EQ(perturbed_escape_time(*orbit, nullptr, dc, c.limit), expected);
    EXPECT_EQ(perturbed_escape_time(*orbit, &table_double, dc, c.limit), expected);
    EXPECT_EQ(perturbed_escape_time(*orbit, nullptr, to_floatexp(dc), c.limit), expected);
    EXPECT_EQ(perturbed_escape_time(*orbit, &table_extended, to_floatexp(dc), c.limit), expected);
}

// Pixels far from the reference: first one whose reference escapes at 2,
// then ones with |z_0|^2 = 4 exactly, which has not escaped (the count is 1,
// not 0), then ones whose reference ends (escapes at z_0) with their point
// still larger than their delta, so that only its end makes them rebase, and
// one whose reference stays at 0. Then a pixel at the nucleus of the period-3
// minibrot next to a reference that is not: it rebases every period and then
// skips, and the limit must stop its skips. Last a pixel inside a minibrot
// 1e-25 across, next to a reference outside it that escapes early: its orbit
// comes far closer to 0 than the reference's, where only a rebase keeps its
// delta's precision.
constexpr rebase_case rebase_cases[] = {
    {2, "1", "0", "0", "0", 1000}, {2, "1.5", "0", "2", "0", 100}, {3, "0", "1.5", "0", "2", 100},
    {4, "-1.5", "0", "-2", "0", 100}, {2, "-2.1", "0", "-1.95", "0.1", 1000}, {3, "2.05", "0", "1.5", "0", 100},
    {2, "0", "0", "-0.75", "0.1", 2000}, {2, "1", "0", "-0.1225611668766536", "0.7448617666197442", 5000},
    {2, "0.3", "0.02", "-1.3", "0.05", 3000}, {2, "-0.75", "0.1", "0.26", "0.001", 3000},
    {2, "-1.8", "0", "-1.7548776662466927", "0", 4000}, {2, "0.5", "0.5", "0.25", "0.5", 500},
    {3, "1", "0", "0.1", "0.2", 2000}, {3, "0.4", "0.6", "-0.3406", "1.2712", 300},
    {3, "0", "0.5", "0.38", "0.1", 2000}, {4, "1", "1", "0.2", "0.1", 2000},
    {4, "0.62996", "1.0911", "0.3", "0.5", 1000}, {4, "-1", "0", "-0.5", "0.3", 2000},
    {2, "-1.75487766624669276", "0", "-1.754877666246692760049508896358528692", "0", 100},
    {2, "-1.0175834102199221814784526e-13", "0.9999999999997960705819755538469544", "-1.0175834102205221814784526e-13",
     "0.9999999999997960705819755208469544", 3000}};

INSTANTIATE_TEST_SUITE_P(table, rebasing, testing::ValuesIn(rebase_cases));

struct image_case {
    const char *re, *im, *radius;
    int exponent;
    std::int32_t width, height, limit;
};

class deep_images : public testing::TestWithParam<image_case> {};

TEST_P(deep_images, hold_each_pixel_count_of_the_loop_at_its_place_whatever_the_workers)
{
    const image_case c = GetParam();
    const floatexp radius = *parse_decimal(c.radius);
    const std::optional<reference_orbit> orbit =
        compute_reference_orbit({c.re, c.im, c.exponent, c.limit, view_precision(radius, c.width, c.height)});
    ASSERT_TRUE(orbit);
    const deep_frame frame{equal_scales_grid(c.width, c.height), radius, c.limit};
    const delta_type type = frame_delta_type(radius);
    const bla_coefficients coefficients = build_bla_coefficients(orbit->elements());
    const bla_table table(orbit->elements(), coefficients, frame_max_dc(frame), type);
    std::vector<std::int32_t> expected;
    for (std::int32_t i = 0; i < c.height; ++i)
        for (std::int32_t x = 0; x < c.width; ++x)
            expected.push_back(
                type == delta_type::double_precision
                    ? perturbed_escape_time(*orbit, &table, pixel_delta(frame, x, i, 0.0), c.limit)
                    : perturbed_escape_time(*orbit, &table, pixel_delta(frame, x, i, floatexp{}), c.limit));
    for (const int workers : {1, 3, 8}) {
        std::vector<std::int32_t> counts(expected.size(), -1);
        render_deep(*orbit, frame, &table, type, workers, counts.data());
        EXPECT_EQ(counts, expected) << workers << " workers";
    }
    std::vector<std::int32_t> whole(expected.size(), -1);
    ASSERT_TRUE(
        render_deep_view({c.re, c.im, c.radius, c.exponent, c.width, c.height, c.limit}, true, 2, whole.data()));
    EXPECT_EQ(whole, expected);
}

constexpr image_case image_cases[] = {{"-0.743643887037151", "0.131825904205330", "1e-9", 2, 21, 13, 3000},
                                      {"-0.3406", "1.2712", "1e-300", 3, 9, 16, 2000},
                                      {"0.3", "0.5", "1e-3", 4, 16, 16, 500}};

INSTANTIATE_TEST_SUITE_P(table, deep_images, testing::ValuesIn(image_cases));

// A deep pixel's offset plus the centre is the point the exact renderer's
// column and row sample, bit for bit, on a whole frame and on its bands
// (whose row i is the frame's row first + i); the floatexp offset is the
// double one wherever a double holds it.
TEST(pixel_deltas, are_the_exact_renderers_points_less_the_centre)
{
    const double r = 1.4628e-5;
    const double cx = -0.743643887037151;
    const double cy = 0.131825904205330;
    for (const auto& [w, h] : {std::pair{48, 27}, std::pair{27, 48}, std::pair{640, 640}}) {
        const image_grid whole = equal_scales_grid(w, h);
        for (const auto& [first, rows] : {std::pair{0, h}, std::pair{1, 2}, std::pair{h - 3, 3}}) {
            const image_grid band = band_of(whole, first, rows);
            const deep_frame frame{band, to_floatexp(r), 100};
            const exact_job exact{band, {cx, cy, r, 100, 0, 0}, {}, 1};
            for (const std::int32_t x : {0, 1, w / 2, w - 1}) {
                for (const std::int32_t i : {0, rows / 2, rows - 1}) {
                    const complex_pair<double> d = pixel_delta(frame, x, i, 0.0);
                    EXPECT_EQ(d.re + cx, column_re(exact, x)) << w << "x" << h << " x " << x;
                    EXPECT_EQ(d.im + cy, row_im(exact, i)) << w << "x" << h << " band " << first << " row " << i;
                    const deep_frame whole_frame{whole, to_floatexp(r), 100};
                    EXPECT_EQ(d.im, pixel_delta(whole_frame, x, first + i, 0.0).im);
                    EXPECT_EQ(to_double(pixel_delta(frame, x, i, floatexp{}).re), d.re);
                    EXPECT_EQ(to_double(pixel_delta(frame, x, i, floatexp{}).im), d.im);
                }
            }
        }
    }
}

}  // namespace
