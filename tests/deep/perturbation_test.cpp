// The per-pixel loop: its perturbed step against exact arithmetic, its
// rebasing against the oracle's counts for pixels far from the reference,
// and whole images against the loop pixel by pixel.
#include "deep_render.h"
#include "exact_arithmetic.h"
#include "oracle.h"
#include "perturbation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr long exact_bits = 400;

struct step_case {
    int exponent;
    double z_re, z_im;
    double d_re, d_im;
    std::int64_t d_scale;  // d = (d_re, d_im) * 2^d_scale
    double dc_re, dc_im;
    std::int64_t dc_scale;
};

class perturbed_steps : public testing::TestWithParam<step_case> {};

// (z + d)^p - z^p + dc exactly, and the sum of the moduli of its terms.
void exact_step(const step_case& c, complex_pair<floatexp> d, complex_pair<floatexp> dc, mpfr_complex& result,
                mpfr_number& scale)
{
    mpfr_complex z(exact_bits), e(exact_bits);
    mpfr_number t(exact_bits);
    set(z, {to_floatexp(c.z_re), to_floatexp(c.z_im)});
    set(e, d);
    power_difference(c.exponent, z, e, result, scale);
    set(e, dc);
    add(result, result, e);
    mpfr_hypot(t, e.re, e.im, MPFR_RNDN);
    mpfr_add(scale, scale, t, MPFR_RNDN);
}

// |got - exact| / scale in units of 2^-53.
double error_in_units(complex_pair<floatexp> got, const mpfr_complex& exact, mpfr_srcptr scale)
{
    mpfr_complex g(exact_bits);
    set(g.re, got.re);
    set(g.im, got.im);
    mpfr_sub(g.re, g.re, exact.re, MPFR_RNDN);
    mpfr_sub(g.im, g.im, exact.im, MPFR_RNDN);
    mpfr_number e(64);
    mpfr_hypot(e, g.re, g.im, MPFR_RNDN);
    mpfr_div(e, e, scale, MPFR_RNDN);
    return mpfr_get_d(e, MPFR_RNDN) / 0x1p-53;
}

// The perturbed step for an exponent known at run time.
template <class T>
complex_pair<T> step_of(int exponent, complex_pair<T> z, complex_pair<T> d, complex_pair<T> dc)
{
    switch (exponent) {
    case 2:
        return perturbed_step<2>(z, d, dc);
    case 3:
        return perturbed_step<3>(z, d, dc);
    default:
        return perturbed_step<4>(z, d, dc);
    }
}

TEST_P(perturbed_steps, are_within_a_few_roundings_of_the_exact_difference_of_powers)
{
    const step_case c = GetParam();
    const complex_pair<floatexp> d{scale_by_power_of_two(to_floatexp(c.d_re), c.d_scale),
                                   scale_by_power_of_two(to_floatexp(c.d_im), c.d_scale)};
    const complex_pair<floatexp> dc{scale_by_power_of_two(to_floatexp(c.dc_re), c.dc_scale),
                                    scale_by_power_of_two(to_floatexp(c.dc_im), c.dc_scale)};
    mpfr_complex exact(exact_bits);
    mpfr_number scale(exact_bits);
    exact_step(c, d, dc, exact, scale);
    const complex_pair<floatexp> z{to_floatexp(c.z_re), to_floatexp(c.z_im)};
    EXPECT_LE(error_in_units(step_of(c.exponent, z, d, dc), exact, scale), 24.0) << "floatexp";
    // Double deltas only where they stay in the normal range.
    if (c.d_scale > -900 && c.dc_scale > -900) {
        const complex_pair<double> zd{c.z_re, c.z_im};
        EXPECT_LE(error_in_units(to_floatexp(step_of(c.exponent, zd, to_double(d), to_double(dc))), exact, scale), 24.0)
            << "double";
    }
}

// Deltas far below the orbit (the usual case), as large as it (just after
// a rebase, and from element 0), cancelling it (a pixel near 0), and deltas
// of deep views.
INSTANTIATE_TEST_SUITE_P(table, perturbed_steps,
                         testing::Values(step_case{2, -0.7, 0.3, 0.6, -0.8, -40, 0.3, 0.9, -50},
                                         step_case{2, 1.3, -0.4, 0.6, -0.8, -1000, 0.3, 0.9, -1010},
                                         step_case{2, 0.0, 0.0, 0.6, -0.8, -1, 0.3, 0.9, -20},
                                         step_case{2, 0.5, 0.5, -1.0, -1.0, -1, 0.3, 0.9, -30},
                                         step_case{2, 1.9, 0.1, 0.6, -0.8, -3, 0.3, 0.9, -3},
                                         step_case{2, -1.1, 0.2, 0.6, -0.8, -16600, 0.3, 0.9, -16610},
                                         step_case{3, -0.7, 0.3, 0.6, -0.8, -40, 0.3, 0.9, -50},
                                         step_case{3, 1.1, -0.4, 0.6, -0.8, -1100, 0.3, 0.9, -1110},
                                         step_case{3, 0.0, 0.0, 0.6, -0.8, -1, 0.3, 0.9, -20},
                                         step_case{3, 0.5, 0.5, -1.0, -1.0, -1, 0.3, 0.9, -30},
                                         step_case{3, -0.34, 1.27, 0.6, -0.8, -4, 0.3, 0.9, -5},
                                         step_case{4, -0.7, 0.3, 0.6, -0.8, -40, 0.3, 0.9, -50},
                                         step_case{4, 0.63, 1.09, 0.6, -0.8, -1063, 0.3, 0.9, -1070},
                                         step_case{4, 0.0, 0.0, 0.6, -0.8, -1, 0.3, 0.9, -20},
                                         step_case{4, 0.5, 0.5, -1.0, -1.0, -1, 0.3, 0.9, -30},
                                         step_case{4, 0.9, -0.2, 0.6, -0.8, -5, 0.3, 0.9, -4}));

struct rebase_case {
    int exponent;
    const char* reference_re;
    const char* reference_im;
    double pixel_re;  // the pixel's c
    double pixel_im;
    std::int32_t limit;
};

class rebasing : public testing::TestWithParam<rebase_case> {};

// Pixels far from the reference, whose orbits leave it at once and must
// rebase again and again, whether the reference escapes early or not.
TEST_P(rebasing, pixels_far_from_the_reference_get_the_oracle_count)
{
    const rebase_case c = GetParam();
    const std::optional<reference_orbit> orbit =
        compute_reference_orbit({c.reference_re, c.reference_im, c.exponent, c.limit, 128});
    ASSERT_TRUE(orbit);
    mpfr_number dr(128), di(128);
    set_text(dr, c.reference_re);
    mpfr_d_sub(dr, c.pixel_re, dr, MPFR_RNDN);
    set_text(di, c.reference_im);
    mpfr_d_sub(di, c.pixel_im, di, MPFR_RNDN);
    const complex_pair<double> dc{mpfr_get_d(dr, MPFR_RNDN), mpfr_get_d(di, MPFR_RNDN)};
    char re[64], im[64];
    std::snprintf(re, sizeof re, "%.17g", c.pixel_re);
    std::snprintf(im, sizeof im, "%.17g", c.pixel_im);
    const std::int32_t expected = oracle_escape_time(c.exponent, re, im, c.limit, 128);
    const bla_coefficients coefficients = build_bla_coefficients(*orbit);
    const floatexp max_dc = to_floatexp(std::abs(dc.re) + std::abs(dc.im));
    const bla_table table_double(*orbit, coefficients, max_dc, delta_type::double_precision);
    const bla_table table_extended(*orbit, coefficients, max_dc, delta_type::extended_range);
    EXPECT_EQ(perturbed_escape_time(*orbit, nullptr, dc, c.limit), expected);
    EXPECT_EQ(perturbed_escape_time(*orbit, &table_double, dc, c.limit), expected);
    EXPECT_EQ(perturbed_escape_time(*orbit, nullptr, to_floatexp(dc), c.limit), expected);
    EXPECT_EQ(perturbed_escape_time(*orbit, &table_extended, to_floatexp(dc), c.limit), expected);
}

INSTANTIATE_TEST_SUITE_P(
    table, rebasing,
    testing::Values(rebase_case{2, "1", "0", 0.0, 0.0,
                                1000},  // reference escapes at 2
                                        // |z_0|^2 = 4 exactly has not escaped: the count is 1, not 0.
                    rebase_case{2, "1.5", "0", 2.0, 0.0, 100}, rebase_case{3, "0", "1.5", 0.0, 2.0, 100},
                    rebase_case{4, "-1.5", "0", -2.0, 0.0, 100},
                    // The reference ends (escapes at z_0) with the pixel's point
                    // still larger than its delta: only its end makes it rebase.
                    rebase_case{2, "-2.1", "0", -1.95, 0.1, 1000}, rebase_case{3, "2.05", "0", 1.5, 0.0, 100},
                    rebase_case{2, "1", "0", -0.1225611668766536, 0.7448617666197442, 5000},
                    rebase_case{2, "0.3", "0.02", -1.3, 0.05, 3000},
                    rebase_case{2, "0", "0", -0.75, 0.1, 2000},  // reference stays at 0
                    rebase_case{2, "-0.75", "0.1", 0.26, 0.001, 3000},
                    rebase_case{2, "-1.8", "0", -1.7548776662466927, 0.0, 4000},
                    rebase_case{2, "0.5", "0.5", 0.25, 0.5, 500}, rebase_case{3, "1", "0", 0.1, 0.2, 2000},
                    rebase_case{3, "0.4", "0.6", -0.3406, 1.2712, 300}, rebase_case{3, "0", "0.5", 0.38, 0.1, 2000},
                    rebase_case{4, "1", "1", 0.2, 0.1, 2000}, rebase_case{4, "0.62996", "1.0911", 0.3, 0.5, 1000},
                    rebase_case{4, "-1", "0", -0.5, 0.3, 2000}));

struct image_case {
    const char* re;
    const char* im;
    const char* radius;
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
    const deep_frame frame{radius, c.width, c.height, c.limit};
    const delta_type type = frame_delta_type(radius);
    const bla_coefficients coefficients = build_bla_coefficients(*orbit);
    const bla_table table(*orbit, coefficients, frame_max_dc(frame), type);
    const std::size_t pixels = static_cast<std::size_t>(c.width) * c.height;
    std::vector<std::int32_t> expected(pixels);
    for (std::int32_t i = 0; i < c.height; ++i) {
        for (std::int32_t x = 0; x < c.width; ++x) {
            expected[static_cast<std::size_t>(x + c.width * i)] =
                type == delta_type::double_precision
                    ? perturbed_escape_time(*orbit, &table, pixel_delta(frame, x, i, 0.0), c.limit)
                    : perturbed_escape_time(*orbit, &table, pixel_delta(frame, x, i, floatexp{}), c.limit);
        }
    }
    for (const int workers : {1, 3, 8}) {
        std::vector<std::int32_t> counts(pixels, -1);
        render_deep(*orbit, frame, &table, type, workers, counts.data());
        EXPECT_EQ(counts, expected) << workers << " workers";
    }
    std::vector<std::int32_t> whole(pixels, -1);
    const deep_view view{c.re, c.im, c.radius, c.exponent, c.width, c.height, c.limit};
    ASSERT_TRUE(render_deep_view(view, true, 2, whole.data()));
    EXPECT_EQ(whole, expected);
}

INSTANTIATE_TEST_SUITE_P(table, deep_images,
                         testing::Values(image_case{"-0.743643887037151", "0.131825904205330", "1e-9", 2, 21, 13, 3000},
                                         image_case{"-0.3406", "1.2712", "1e-300", 3, 9, 16, 2000},
                                         image_case{"0.3", "0.5", "1e-3", 4, 16, 16, 500}));

TEST(pixel_deltas, follow_the_renderer_mapping_in_both_number_types)
{
    for (const auto& [w, h] : {std::pair{48, 27}, std::pair{27, 48}, std::pair{640, 640}}) {
        const double r = 1.4628e-5;
        const deep_frame frame{to_floatexp(r), w, h, 100};
        for (std::int32_t x : {0, 1, w / 2, w - 1}) {
            for (std::int32_t i : {0, 1, h / 2, h - 1}) {
                const complex_pair<double> d = pixel_delta(frame, x, i, 0.0);
                const std::int32_t s = std::min(w, h);
                EXPECT_EQ(d.re, (static_cast<double>(2 * x - w) * r) / s);
                EXPECT_EQ(d.im, (static_cast<double>(2 * i - h) * r) / s);
                const complex_pair<floatexp> e = pixel_delta(frame, x, i, floatexp{});
                EXPECT_EQ(to_double(e.re), d.re);
                EXPECT_EQ(to_double(e.im), d.im);
            }
        }
    }
}

}  // namespace
