// The reference orbit against the oracle's own iteration, its ends, its
// reading of decimal text, and the precision and memory it asks for.
#include "bla_table.h"
#include "mpfr_number.h"
#include "reference_orbit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

struct orbit_case {
    const char* re;
    const char* im;
    int exponent;
    std::int32_t limit;
    long precision;
};

class reference_orbits : public testing::TestWithParam<orbit_case> {};

// z_n of the definition at the case's precision by plain complex products.
std::vector<complex_pair<double>> plain_orbit(const orbit_case& c, std::int64_t steps)
{
    mpfr_complex z(c.precision), k(c.precision), t(c.precision), p(c.precision);
    set_text(k.re, c.re);
    set_text(k.im, c.im);
    mpfr_set(z.re, k.re, MPFR_RNDN);
    mpfr_set(z.im, k.im, MPFR_RNDN);
    std::vector<complex_pair<double>> points;
    for (std::int64_t n = 0; n < steps; ++n) {
        points.push_back({mpfr_get_d(z.re, MPFR_RNDN), mpfr_get_d(z.im, MPFR_RNDN)});
        mpfr_set(p.re, z.re, MPFR_RNDN);
        mpfr_set(p.im, z.im, MPFR_RNDN);
        for (int j = 1; j < c.exponent; ++j) {
            mpfr_mul(t.re, p.re, z.re, MPFR_RNDN);
            mpfr_mul(t.im, p.im, z.im, MPFR_RNDN);
            mpfr_sub(t.re, t.re, t.im, MPFR_RNDN);
            mpfr_mul(t.im, p.re, z.im, MPFR_RNDN);
            mpfr_fma(t.im, p.im, z.re, t.im, MPFR_RNDN);
            mpfr_set(p.re, t.re, MPFR_RNDN);
            mpfr_set(p.im, t.im, MPFR_RNDN);
        }
        mpfr_add(z.re, p.re, k.re, MPFR_RNDN);
        mpfr_add(z.im, p.im, k.im, MPFR_RNDN);
    }
    return points;
}

TEST_P(reference_orbits, elements_follow_the_definition_from_a_leading_zero)
{
    const orbit_case c = GetParam();
    const std::optional<reference_orbit> orbit =
        compute_reference_orbit({c.re, c.im, c.exponent, c.limit, c.precision});
    ASSERT_TRUE(orbit);
    ASSERT_EQ(orbit->values.size(), orbit->extended.size());
    ASSERT_GE(orbit->size(), 2);
    EXPECT_EQ(orbit->values[0].re, 0.0);
    EXPECT_EQ(orbit->values[0].im, 0.0);
    const std::vector<complex_pair<double>> expected = plain_orbit(c, orbit->size() - 1);
    for (std::int64_t n = 0; n + 1 < orbit->size(); ++n) {
        const complex_pair<double> z = orbit->values[static_cast<std::size_t>(n + 1)];
        const complex_pair<double> e = expected[static_cast<std::size_t>(n)];
        // Both round at the case's precision in different orders; chaos can
        // grow that difference, but nowhere near 2^-40 of a point.
        ASSERT_LE(std::abs(z.re - e.re) + std::abs(z.im - e.im), 0x1p-40 * (1 + std::abs(e.re) + std::abs(e.im)))
            << "element " << n + 1;
        EXPECT_EQ(to_double(orbit->extended[static_cast<std::size_t>(n + 1)].re), z.re);
    }
}

TEST_P(reference_orbits, ends_at_the_first_escaped_point_or_at_the_limit)
{
    const orbit_case c = GetParam();
    const std::optional<reference_orbit> orbit =
        compute_reference_orbit({c.re, c.im, c.exponent, c.limit, c.precision});
    ASSERT_TRUE(orbit);
    const auto outside = [](complex_pair<double> z) { return z.re * z.re + z.im * z.im > 4.0; };
    for (std::int64_t k = 1; k < orbit->last(); ++k)
        ASSERT_FALSE(outside(orbit->values[static_cast<std::size_t>(k)])) << "element " << k;
    if (orbit->escaped) {
        EXPECT_TRUE(outside(orbit->values.back()));
        EXPECT_LE(orbit->size(), static_cast<std::int64_t>(c.limit) + 2);
    } else {
        EXPECT_EQ(orbit->size(), static_cast<std::int64_t>(c.limit) + 2);
    }
}

INSTANTIATE_TEST_SUITE_P(table, reference_orbits,
                         testing::Values(orbit_case{"-0.743643887037151", "0.131825904205330", 2, 3000, 128},
                                         orbit_case{"-0.1225611668766536", "0.7448617666197442", 2, 500, 200},
                                         orbit_case{"0.3", "0.5", 2, 100, 80}, orbit_case{"-2", "0", 2, 50, 64},
                                         orbit_case{"0.26", "0", 2, 100, 64},
                                         orbit_case{"-0.3406", "1.2712", 3, 400, 160},
                                         orbit_case{"0.2", "0.3", 3, 200, 96},
                                         orbit_case{"0.62996", "1.0911", 4, 400, 160},
                                         orbit_case{"0.3", "0.5", 4, 300, 96}, orbit_case{"1", "1", 4, 10, 64}));

TEST(reference_orbit, reports_progress_in_increasing_counts_up_to_its_size)
{
    std::vector<std::int64_t> reports;
    const std::optional<reference_orbit> orbit =
        compute_reference_orbit({"-0.1225611668766536", "0.7448617666197442", 2, 100000, 64},
                                [&](std::int64_t done) { reports.push_back(done); });
    ASSERT_TRUE(orbit);
    ASSERT_GE(reports.size(), static_cast<std::size_t>(100000 / orbit_progress_interval));
    for (std::size_t k = 1; k < reports.size(); ++k)
        EXPECT_GE(reports[k], reports[k - 1]);
    EXPECT_EQ(reports.back(), orbit->size());
}

struct text_case {
    const char* text;
    bool valid;
};

class decimal_texts : public testing::TestWithParam<text_case> {};

TEST_P(decimal_texts, read_as_the_correctly_rounded_number_or_not_at_all)
{
    const text_case t = GetParam();
    const std::optional<floatexp> value = parse_decimal(t.text);
    ASSERT_EQ(value.has_value(), t.valid);
    const std::optional<reference_orbit> orbit = compute_reference_orbit({t.text, "0", 2, 1, 64});
    EXPECT_EQ(orbit.has_value(), t.valid);
    if (!t.valid)
        return;
    mpfr_number expected(53), got(64);
    set_text(expected, t.text);
    mpfr_set_d(got, value->m, MPFR_RNDN);
    mpfr_mul_2si(got, got, static_cast<long>(value->e), MPFR_RNDN);
    EXPECT_EQ(mpfr_cmp(got, expected), 0);
}

const std::string long_text = "-0." + std::string(20000, '3') + "e-5";

INSTANTIATE_TEST_SUITE_P(table, decimal_texts,
                         testing::Values(text_case{"1e-5000", true},
                                         text_case{"-1.2345678901234567890123e-10000", true}, text_case{"+.5", true},
                                         text_case{"5.", true}, text_case{"0", true}, text_case{"-0.000123E+7", true},
                                         text_case{long_text.c_str(), true}, text_case{"", false},
                                         text_case{"-", false}, text_case{".", false}, text_case{"1e", false},
                                         text_case{"1e+", false}, text_case{" 1", false}, text_case{"1 ", false},
                                         text_case{"1.2.3", false}, text_case{"--1", false}, text_case{"inf", false},
                                         text_case{"nan", false}, text_case{"@inf@", false}, text_case{"0x10", false},
                                         text_case{"1@5", false}, text_case{"1e5.5", false}));

TEST(reference_orbit, refuses_exponents_limits_and_precisions_out_of_range)
{
    EXPECT_FALSE(compute_reference_orbit({"0", "0", 1, 10, 64}));
    EXPECT_FALSE(compute_reference_orbit({"0", "0", 5, 10, 64}));
    EXPECT_FALSE(compute_reference_orbit({"0", "0", 2, 0, 64}));
    EXPECT_FALSE(compute_reference_orbit({"0", "0", 2, 10, 0}));
}

struct precision_case {
    const char* radius;
    std::int32_t width;
    std::int32_t height;
};

class view_precisions : public testing::TestWithParam<precision_case> {};

TEST_P(view_precisions, resolve_the_pixel_spacing_with_the_margin_and_little_more)
{
    const precision_case c = GetParam();
    const floatexp radius = *parse_decimal(c.radius);
    const std::int64_t bits = view_precision(radius, c.width, c.height);
    // 2^-(bits - margin) <= spacing < 2^-(bits - margin - 2)
    mpfr_number spacing(64);
    set_text(spacing, c.radius);
    mpfr_mul_ui(spacing, spacing, 2, MPFR_RNDN);
    mpfr_div_ui(spacing, spacing, static_cast<unsigned long>(std::min(c.width, c.height)), MPFR_RNDN);
    const long resolved = -static_cast<long>(mpfr_get_exp(spacing));  // spacing in [2^-resolved-1, 2^-resolved)
    EXPECT_GE(bits, resolved + 1 + view_precision_margin - 1);
    EXPECT_LE(bits, std::max<long>(resolved + 2 + view_precision_margin, 64));
}

INSTANTIATE_TEST_SUITE_P(table, view_precisions,
                         testing::Values(precision_case{"2", 640, 640}, precision_case{"1e-14", 640, 640},
                                         precision_case{"1e-300", 1280, 720}, precision_case{"1e-5000", 48, 27},
                                         precision_case{"1e-10000", 16384, 16}, precision_case{"3.7e-227", 1280, 720}));

TEST(reference_orbit, memory_estimate_covers_the_orbit_and_its_table_and_grows_linearly)
{
    // c = 0 never escapes, so the orbit has limit + 2 elements.
    for (const std::int32_t limit : {10, 1000, 100000}) {
        const std::optional<reference_orbit> orbit = compute_reference_orbit({"0", "0", 2, limit, 64});
        ASSERT_TRUE(orbit);
        ASSERT_EQ(orbit->size(), limit + 2);
        const bla_coefficients coefficients = build_bla_coefficients(*orbit);
        const bla_table table(*orbit, coefficients, to_floatexp(1e-10), delta_type::double_precision);
        const std::int64_t used =
            orbit->size() * static_cast<std::int64_t>(sizeof(orbit->values[0]) + sizeof(orbit->extended[0])) +
            static_cast<std::int64_t>(coefficients.entries.size() *
                                      (sizeof(bla_coefficient) + sizeof(floatexp) + sizeof(double_skip)));
        const std::int64_t estimate = orbit_and_table_bytes(orbit->size());
        EXPECT_GE(estimate, used);
        EXPECT_LE(estimate, used + used / 8);
    }
    const std::int64_t million = orbit_and_table_bytes(1000002);
    EXPECT_NEAR(static_cast<double>(orbit_and_table_bytes(2000002)), 2.0 * million, 1e-4 * million);
    EXPECT_NEAR(static_cast<double>(orbit_and_table_bytes(10000002)), 10.0 * million, 1e-4 * million);
}

}  // namespace
