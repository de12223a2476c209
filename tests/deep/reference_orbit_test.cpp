// The reference orbit against the definition and the oracle's count, its
// reading of decimal text, and the precision it asks for.
#include "reference_orbit.h"
#include "decimal_number.h"
#include "exact_arithmetic.h"
#include "oracle.h"

#include <gtest/gtest.h>

#include <stop_token>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

struct orbit_case {
    const char *re, *im;
    int exponent;
    std::int32_t limit;
    long precision;
};

class reference_orbits : public testing::TestWithParam<orbit_case> {};

// Element n is z_(n-1) of the definition from a leading zero, here by plain
// complex products at the case's precision, up to the oracle's count.
TEST_P(reference_orbits, follow_the_definition_to_the_first_escaped_point_or_the_limit)
{
    const orbit_case c = GetParam();
    const std::optional<reference_orbit> orbit =
        compute_reference_orbit({c.re, c.im, c.exponent, c.limit, c.precision});
    ASSERT_TRUE(orbit);
    ASSERT_EQ(orbit->values.size(), orbit->extended.size());
    EXPECT_EQ(orbit->size() - 2, oracle_escape_time(c.exponent, c.re, c.im, c.limit, c.precision));
    EXPECT_EQ(orbit->escaped, norm(orbit->values.back()) > 4.0);
    mpfr_complex k(c.precision), z(c.precision), power(c.precision);
    set_text(k.re, c.re);
    set_text(k.im, c.im);
    mpfr_set_ui(z.re, 0, MPFR_RNDN);
    mpfr_set_ui(z.im, 0, MPFR_RNDN);
    for (std::size_t n = 0; n < orbit->values.size(); ++n) {
        const complex_pair<double> v = orbit->values[n], e{mpfr_get_d(z.re, MPFR_RNDN), mpfr_get_d(z.im, MPFR_RNDN)};
        // Both round at the case's precision in different orders; chaos can
        // grow that difference, but nowhere near 2^-40 of a point.
        ASSERT_LE(std::abs(v.re - e.re) + std::abs(v.im - e.im), 0x1p-40 * (1 + std::abs(e.re) + std::abs(e.im)))
            << "element " << n;
        EXPECT_EQ(to_double(orbit->extended[n].re), v.re);
        multiply(power, z, z);
        for (int j = 2; j < c.exponent; ++j)
            multiply(power, power, z);
        add(z, power, k);
    }
}

constexpr orbit_case orbit_cases[] = {{"-0.743643887037151", "0.131825904205330", 2, 3000, 128},
                                      {"-0.1225611668766536", "0.7448617666197442", 2, 500, 200},
                                      {"0.3", "0.5", 2, 100, 80},
                                      {"-2", "0", 2, 50, 64},
                                      {"0.26", "0", 2, 100, 64},
                                      {"-0.3406", "1.2712", 3, 400, 160},
                                      {"0.2", "0.3", 3, 200, 96},
                                      {"0.62996", "1.0911", 4, 400, 160},
                                      {"0.3", "0.5", 4, 300, 96},
                                      {"1", "1", 4, 10, 64}};

INSTANTIATE_TEST_SUITE_P(table, reference_orbits, testing::ValuesIn(orbit_cases));

TEST(reference_orbit, reports_progress_in_increasing_counts_up_to_its_size)
{
    std::vector<std::int64_t> reports;
    const std::optional<reference_orbit> orbit =
        compute_reference_orbit({"-0.1225611668766536", "0.7448617666197442", 2, 100000, 64},
                                [&](std::int64_t done) { reports.push_back(done); });
    ASSERT_TRUE(orbit);
    ASSERT_GE(reports.size(), static_cast<std::size_t>(100000 / orbit_progress_interval));
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    EXPECT_EQ(reports.back(), orbit->size());
}

// An orbit whose stop is requested on its way is given up at the next look.
TEST(reference_orbit, is_given_up_once_its_stop_is_requested)
{
    std::stop_source stop;
    std::int64_t last = 0;
    const orbit_request request{"-0.1225611668766536", "0.7448617666197442", 2, 100000, 64, stop.get_token()};
    EXPECT_FALSE(compute_reference_orbit(request, [&](std::int64_t done) {
        last = done;
        stop.request_stop();
    }));
    EXPECT_EQ(last, orbit_progress_interval);
}

// Valid text by the parser and the orbit alike, as the nearest 53-bit number.
TEST(decimal_texts, read_as_the_correctly_rounded_number_or_not_at_all)
{
    const std::string long_text = "-0." + std::string(20000, '3') + "e-5";
    mpfr_number expected(53);
    for (const std::string& text : std::vector<std::string>{"1e-5000", "-1.2345678901234567890123e-10000", "+.5", "5.",
                                                            "0", "-0.000123E+7", long_text}) {
        ASSERT_TRUE(set_text(expected, text));
        const std::optional<floatexp> value = parse_decimal(text);
        ASSERT_TRUE(value) << text;
        EXPECT_EQ(mpfr_cmp(exact(*value), expected), 0) << text;
        EXPECT_TRUE(compute_reference_orbit({text, "0", 2, 1, 64})) << text;
    }
    for (const char* text :
         {"", "-", ".", "1e", "1e+", " 1", "1 ", "1.2.3", "--1", "inf", "nan", "@inf@", "0x10", "1@5", "1e5.5"}) {
        EXPECT_FALSE(parse_decimal(text)) << text;
        EXPECT_FALSE(compute_reference_orbit({text, "0", 2, 1, 64})) << text;
    }
}

TEST(reference_orbit, refuses_exponents_limits_and_precisions_out_of_range)
{
    EXPECT_FALSE(compute_reference_orbit({"0", "0", 1, 10, 64}));
    EXPECT_FALSE(compute_reference_orbit({"0", "0", 5, 10, 64}));
    EXPECT_FALSE(compute_reference_orbit({"0", "0", 2, 0, 64}));
    EXPECT_FALSE(compute_reference_orbit({"0", "0", 2, 10, 0}));
}

// 2^-(bits - margin) <= 2r / S, with bits the least multiple of 64 that
// holds the spacing's bits and the margin: views a notch apart mostly share it.
TEST(view_precision, resolves_the_pixel_spacing_with_the_margin_in_whole_limbs)
{
    const std::tuple<const char*, int, int> views[] = {{"2", 640, 640},         {"1e-14", 640, 640},
                                                       {"1e-300", 1280, 720},   {"1e-5000", 48, 27},
                                                       {"1e-10000", 16384, 16}, {"3.7e-227", 1280, 720}};
    mpfr_number spacing(64);
    for (const auto& [radius, width, height] : views) {
        set_text(spacing, radius);
        mpfr_mul_ui(spacing, spacing, 2, MPFR_RNDN);
        mpfr_div_ui(spacing, spacing, static_cast<unsigned long>(std::min(width, height)), MPFR_RNDN);
        const long resolved = -mpfr_get_exp(spacing);  // spacing in [2^-resolved-1, 2^-resolved)
        const std::int64_t bits = view_precision(*parse_decimal(radius), width, height);
        EXPECT_GE(bits, resolved + view_precision_margin) << radius;
        EXPECT_EQ(bits % 64, 0) << radius;
        EXPECT_LT(bits, std::max<long>(resolved + 2 + view_precision_margin + 64, 128)) << radius;
    }
}

}  // namespace
