// The approximation table: a skip of l steps must agree with l plain
// perturbed steps wherever the table calls it valid, and a lookup must give
// the longest valid skip that fits.
#include "bla_table.h"
#include "exact_arithmetic.h"
#include "reference_orbit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>

namespace {

constexpr long exact_bits = 256;

// What a skip may lose per step: no more than plain steps in double lose.
constexpr double double_precision = 0x1p-53;

// d <- (z + d)^p - z^p + dc.
void plain_step(int p, const mpfr_complex& z, mpfr_complex& d, const mpfr_complex& dc)
{
    power_difference(p, z, d, d);
    add(d, d, dc);
}

// |a||b| + |c||d|.
mpfr_number sum_of_products(const mpfr_complex& a, const mpfr_complex& b, const mpfr_complex& c, const mpfr_complex& d)
{
    mpfr_number x(exact_bits), y(exact_bits);
    mpfr_hypot(x, a.re, a.im, MPFR_RNDN);
    mpfr_hypot(y, b.re, b.im, MPFR_RNDN);
    mpfr_mul(x, x, y, MPFR_RNDN);
    mpfr_number u(exact_bits);
    mpfr_hypot(u, c.re, c.im, MPFR_RNDN);
    mpfr_hypot(y, d.re, d.im, MPFR_RNDN);
    mpfr_mul(u, u, y, MPFR_RNDN);
    mpfr_add(x, x, u, MPFR_RNDN);
    return x;
}

struct table_case {
    const char* re;
    const char* im;
    int exponent;
    std::int32_t limit;
    double max_dc_mantissa;
    std::int64_t max_dc_exponent;  // max |dc| = mantissa * 2^exponent
};

class bla_tables : public testing::TestWithParam<table_case> {
protected:
    void SetUp() override
    {
        const table_case c = GetParam();
        orbit_ = compute_reference_orbit({c.re, c.im, c.exponent, c.limit, 200});
        ASSERT_TRUE(orbit_);
        coefficients_ = build_bla_coefficients(*orbit_);
        max_dc_ = scale_by_power_of_two(to_floatexp(c.max_dc_mantissa), c.max_dc_exponent);
    }

    std::optional<reference_orbit> orbit_;
    bla_coefficients coefficients_;
    floatexp max_dc_;
};

// The error of a skip, relative to the sizes of its two terms, in units of
// its length times the double's precision.
TEST_P(bla_tables, a_skip_agrees_with_its_plain_steps_anywhere_within_its_radius)
{
    const table_case c = GetParam();
    const bla_table table(*orbit_, coefficients_, max_dc_, delta_type::extended_range);
    const bla_layout& layout = table.layout();
    int checked = 0;
    for (int k = 1; k <= std::min(layout.levels, 10); ++k) {
        const std::int64_t count = layout.offsets[k + 1] - layout.offsets[k];
        for (const std::int64_t j : {std::int64_t{0}, count / 3, count / 2, count - 1}) {
            const std::int64_t m = 1 + (j << k);
            const std::int64_t index = layout.index(k, m);
            const floatexp radius = table.radius(index);
            if (is_zero(radius))
                continue;
            const bla_coefficient& coefficient = table.coefficients().entries[static_cast<std::size_t>(index)];
            for (const double fraction : {0.999, 0.5}) {
                for (const double angle : {0.3, 2.1, 4.4}) {
                    // magnitude_bound(d) = fraction * radius, |dc| = max |dc| at another angle.
                    const double dr = std::cos(angle), di = std::sin(angle);
                    const double scale = fraction / (std::abs(dr) + std::abs(di));
                    mpfr_complex d(exact_bits), dc(exact_bits), skip(exact_bits), t(exact_bits), a(exact_bits),
                        b(exact_bits), z(exact_bits);
                    set(d, {to_floatexp(dr * scale) * radius, to_floatexp(di * scale) * radius});
                    set(dc, {to_floatexp(std::cos(2 * angle + 1)) * max_dc_,
                             to_floatexp(std::sin(2 * angle + 1)) * max_dc_});
                    set(a, coefficient.a);
                    set(b, coefficient.b);
                    // The scale of the result: |A||d| + |B||dc|.
                    const mpfr_number reference = sum_of_products(a, d, b, dc);
                    multiply(skip, a, d);
                    multiply(t, b, dc);
                    add(skip, skip, t);
                    for (std::int64_t s = 0; s < (std::int64_t{1} << k); ++s) {
                        set(z, orbit_->extended[static_cast<std::size_t>(m + s)]);
                        plain_step(c.exponent, z, d, dc);
                    }
                    mpfr_sub(t.re, skip.re, d.re, MPFR_RNDN);
                    mpfr_sub(t.im, skip.im, d.im, MPFR_RNDN);
                    mpfr_number relative(64);
                    mpfr_hypot(relative, t.re, t.im, MPFR_RNDN);
                    mpfr_div(relative, relative, reference, MPFR_RNDN);
                    const double units = mpfr_get_d(relative, MPFR_RNDN) /
                                         (static_cast<double>(std::int64_t{1} << k) * double_precision);
                    EXPECT_LE(units, 4.0) << "level " << k << " at " << m << ", |d| " << fraction << " of the radius";
                    ++checked;
                }
            }
        }
    }
    EXPECT_GE(checked, 12) << "too few valid skips to test";
}

// The longest skip from m of at most room steps whose radius exceeds bound,
// found by trying every level; double deltas see radii below the normal
// range as zero.
std::int64_t longest_valid(const bla_table& table, std::int64_t m, std::int64_t room, floatexp bound)
{
    const bla_layout& layout = table.layout();
    std::int64_t longest = 0;
    for (int k = 1; k <= layout.levels; ++k) {
        const std::int64_t length = std::int64_t{1} << k;
        if (m < 1 || ((m - 1) & (length - 1)) != 0 || length > room)
            break;
        const floatexp r = table.radius(layout.index(k, m));
        if (table.type() == delta_type::double_precision ? to_double(bound) < (r.e >= -1022 ? to_double(r) : 0.0)
                                                         : magnitude_less(bound, r))
            longest = length;
    }
    return longest;
}

TEST_P(bla_tables, a_lookup_gives_the_longest_valid_skip_that_fits)
{
    for (const delta_type type : {delta_type::extended_range, delta_type::double_precision}) {
        const bla_table table(*orbit_, coefficients_, max_dc_, type);
        const bla_layout& layout = table.layout();
        const std::int64_t last = orbit_->last();
        int found = 0;
        for (std::int64_t m = 0; m <= last; m += 1 + m / 7) {
            for (const std::int64_t room : {last - m, (last - m) / 3, std::min<std::int64_t>(5, last - m)}) {
                // Bounds below, at and above the radius of each skip that starts at m.
                for (int level = 1; m >= 1 && level <= layout.levels; ++level) {
                    const std::int64_t length = std::int64_t{1} << level;
                    if (((m - 1) & (length - 1)) != 0 || m + length > last)
                        break;
                    for (const double factor : {0.75, 1.0, 1.25}) {
                        const floatexp bound = to_floatexp(factor) * table.radius(layout.index(level, m));
                        const bla_step step = type == delta_type::double_precision
                                                  ? table.find(m, room, to_double(bound))
                                                  : table.find(m, room, bound);
                        const std::int64_t expected = longest_valid(table, m, room, bound);
                        const auto entry = [&](std::int64_t l) {
                            return layout.index(std::countr_zero(static_cast<std::uint64_t>(l)), m);
                        };
                        if (type == delta_type::double_precision && step.length < expected) {
                            // Refused only for coefficients a double cannot hold.
                            const bla_coefficient& refused =
                                table.coefficients().entries[static_cast<std::size_t>(entry(expected))];
                            EXPECT_TRUE(std::abs(norm(refused.a).e) > 1700 || std::abs(norm(refused.b).e) > 1700);
                            continue;
                        }
                        ASSERT_EQ(step.length, expected) << "at " << m << ", room " << room;
                        if (step.length != 0) {
                            EXPECT_EQ(step.index, entry(step.length));
                            ++found;
                        }
                    }
                }
            }
        }
        EXPECT_GT(found, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(table, bla_tables,
                         testing::Values(table_case{"-0.1225611668766536", "0.7448617666197442", 2, 3000, 1.0, -80},
                                         table_case{"-0.743643887037151", "0.131825904205330", 2, 3000, 1.0, -70},
                                         table_case{"-0.75", "0.01", 2, 2000, 1.0, -1000},
                                         table_case{"-0.3406", "1.2712", 3, 1000, 1.5, -60},
                                         table_case{"0.2", "0.3", 3, 2000, 1.0, -3000},
                                         table_case{"0.62996", "1.0911", 4, 1000, 1.0, -90},
                                         table_case{"0.3", "0.5", 4, 2000, 1.0, -17000},
                                         table_case{"0.1", "0.1", 2, 1000, 0.0, 0}));

}  // namespace
