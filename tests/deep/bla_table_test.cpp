// The approximation table: a skip of l steps must agree with l plain
// perturbed steps wherever the table calls it valid, and a lookup must give
// the longest valid skip that fits; the same for the skips between returns.
#include "bla_table.h"
#include "exact_arithmetic.h"
#include "reference_orbit.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace {

constexpr long exact_bits = 256;

struct table_case {
    const char *re, *im;
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
        coefficients_ = build_bla_coefficients(orbit_->elements());
    }

    // A delta with magnitude_bound(d) = fraction * radius at the angle, and
    // a dc of the largest |dc| at another angle.
    std::pair<complex_pair<floatexp>, complex_pair<floatexp>> delta_and_dc(double fraction, double angle,
                                                                           floatexp radius) const
    {
        const double dr = std::cos(angle), di = std::sin(angle);
        const floatexp scale = to_floatexp(fraction / (std::abs(dr) + std::abs(di))) * radius;
        return {{to_floatexp(dr) * scale, to_floatexp(di) * scale},
                {to_floatexp(std::cos(2 * angle + 1)) * max_dc_, to_floatexp(std::sin(2 * angle + 1)) * max_dc_}};
    }

    // How far a skip's result lies from `length` plain steps from element m
    // taken at exact_bits, relative to the sizes |A d| + |B dc| of its two
    // terms, in units of its length times the double's precision.
    double skip_error(std::int64_t m, std::int64_t length, complex_pair<floatexp> d, complex_pair<floatexp> dc,
                      complex_pair<floatexp> skipped, floatexp sizes) const
    {
        mpfr_complex plain(exact_bits), c(exact_bits), z(exact_bits);
        set(plain, d);
        set(c, dc);
        for (std::int64_t s = 0; s < length; ++s) {
            set(z, orbit_->extended[static_cast<std::size_t>(m + s)]);
            power_difference(GetParam().exponent, z, plain, plain);
            add(plain, plain, c);
        }
        set(z, skipped);
        subtract(z, z, plain);
        mpfr_div(z.re, modulus(z), exact(sizes), MPFR_RNDN);
        return mpfr_get_d(z.re, MPFR_RNDN) / (static_cast<double>(length) * 0x1p-53);
    }

    const floatexp max_dc_ = scale_by_power_of_two(to_floatexp(GetParam().max_dc_mantissa), GetParam().max_dc_exponent);
    std::optional<reference_orbit> orbit_;
    bla_coefficients coefficients_;
};

// The error of a skip, relative to the sizes |A||d| + |B||dc| of its two
// terms, in units of its length times the double's precision: a skip may
// lose no more than as many plain double steps.
TEST_P(bla_tables, a_skip_agrees_with_its_plain_steps_anywhere_within_its_radius)
{
    const bla_table table(orbit_->elements(), coefficients_, max_dc_, delta_type::extended_range);
    const bla_layout& layout = table.layout();
    int checked = 0;
    for (int k = 1; k <= std::min(layout.levels, 10); ++k) {
        const std::int64_t count = layout.offsets[k + 1] - layout.offsets[k];
        for (const std::int64_t j : {std::int64_t{0}, count / 3, count / 2, count - 1}) {
            const std::int64_t m = 1 + (j << k);
            const bla_step skip{std::int64_t{1} << k, layout.index(k, m)};
            const floatexp radius = table.radius(skip.index);
            if (is_zero(radius))
                continue;
            const bla_coefficient& coefficient = coefficients_.entries[static_cast<std::size_t>(skip.index)];
            for (const double fraction : {0.999, 0.5}) {
                for (const double angle : {0.3, 2.1, 4.4}) {
                    const auto [d, dc] = delta_and_dc(fraction, angle, radius);
                    const floatexp sizes = sqrt(norm(coefficient.a) * norm(d)) + sqrt(norm(coefficient.b) * norm(dc));
                    EXPECT_LE(skip_error(m, skip.length, d, dc, table.apply(skip, d, dc), sizes), 4.0)
                        << "level " << k << " at " << m << ", |d| " << fraction << " of the radius";
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
    std::int64_t longest = 0;
    for (int k = 1; k <= table.layout().levels; ++k) {
        const std::int64_t length = std::int64_t{1} << k;
        if (((m - 1) & (length - 1)) != 0 || length > room)
            break;
        const floatexp r = table.radius(table.layout().index(k, m));
        if (table.type() == delta_type::double_precision ? to_double(bound) < (r.e >= -1022 ? to_double(r) : 0.0)
                                                         : magnitude_less(bound, r))
            longest = length;
    }
    return longest;
}

TEST_P(bla_tables, a_lookup_gives_the_longest_valid_skip_that_fits)
{
    for (const delta_type type : {delta_type::extended_range, delta_type::double_precision}) {
        const bla_table table(orbit_->elements(), coefficients_, max_dc_, type);
        const bla_layout& layout = table.layout();
        const std::int64_t last = orbit_->last();
        const auto entry = [&](std::int64_t m, std::int64_t length) {
            return layout.index(std::countr_zero(static_cast<std::uint64_t>(length)), m);
        };
        int found = 0;
        for (std::int64_t m = 1; m <= last; m += 1 + m / 7) {
            for (const std::int64_t room : {last - m, (last - m) / 3, std::min<std::int64_t>(5, last - m)}) {
                // Bounds below, at and above the radius of each skip that starts at m.
                for (std::int64_t length = 2;
                     length <= std::int64_t{1} << layout.levels && ((m - 1) & (length - 1)) == 0 && m + length <= last;
                     length *= 2) {
                    for (const double factor : {0.75, 1.0, 1.25}) {
                        const floatexp bound = to_floatexp(factor) * table.radius(entry(m, length));
                        const bla_step step = type == delta_type::double_precision
                                                  ? table.find(m, room, to_double(bound))
                                                  : table.find(m, room, bound);
                        const std::int64_t expected = longest_valid(table, m, room, bound);
                        if (type == delta_type::double_precision && step.length < expected) {
                            // Refused only for coefficients a double cannot hold.
                            const bla_coefficient& refused =
                                coefficients_.entries[static_cast<std::size_t>(entry(m, expected))];
                            EXPECT_TRUE(std::abs(norm(refused.a).e) > 1700 || std::abs(norm(refused.b).e) > 1700);
                            continue;
                        }
                        ASSERT_EQ(step.length, expected) << "at " << m << ", room " << room;
                        EXPECT_TRUE(step.length == 0 || step.index == entry(m, step.length));
                        found += step.length != 0;
                    }
                }
            }
        }
        EXPECT_GT(found, 0);
    }
}

// Returns every 37 elements (a little sparser than the table keeps), with
// two next to each other (100, 101), as a frame's probes might find them.
std::vector<std::int64_t> some_returns(std::int64_t elements)
{
    std::vector<std::int64_t> returns;
    for (std::int64_t m = 0; m + 1 < elements; m += 37) {
        returns.push_back(m);
        if (m == 74)
            returns.insert(returns.end(), {100, 101});
    }
    return returns;
}

// The return skip from element m found with a bound below every radius
// that is not 0: the longest there is, at most 2^return_levels returns long.
return_step longest_return(const bla_table& table, std::int64_t m, std::int64_t room)
{
    std::int64_t cursor = 0;
    if (table.type() == delta_type::double_precision)
        return table.find_return(m, cursor, room, 0.0);
    return table.find_return(m, cursor, room, floatexp{1.0, -100000});
}

TEST_P(bla_tables, a_return_skip_agrees_with_its_plain_steps_anywhere_within_its_radius)
{
    if (orbit_->size() < 600)
        GTEST_SKIP() << "an orbit of " << orbit_->size() << " elements is too short for returns";
    bla_table table(orbit_->elements(), coefficients_, max_dc_, delta_type::extended_range);
    const std::vector<std::int64_t> returns = some_returns(orbit_->size());
    table.add_returns(orbit_->elements(), returns);
    ASSERT_TRUE(table.has_returns());
    int checked = 0;
    for (std::size_t i = 0; i + 1 < returns.size() && checked < 60; ++i) {
        for (const std::int64_t m : {returns[i], returns[i] + 1}) {
            for (std::int64_t room : {orbit_->last() - m, std::int64_t{70}}) {
                const return_step skip = longest_return(table, m, room);
                if (skip.length == 0 || is_zero(table.radius(skip)))
                    continue;
                ASSERT_LE(skip.length, room);
                ASSERT_EQ(table.returns()[static_cast<std::size_t>(skip.lands_on)], m + skip.length);
                for (const double fraction : {0.999, 0.5}) {
                    const auto [d, dc] = delta_and_dc(fraction, 0.7 + static_cast<double>(i), table.radius(skip));
                    // The skip's terms, A d and B dc, measured as the skip itself computes them.
                    const floatexp sizes = sqrt(norm(table.apply(skip, d, {}))) + sqrt(norm(table.apply(skip, {}, dc)));
                    EXPECT_LE(skip_error(m, skip.length, d, dc, table.apply(skip, d, dc), sizes), 4.0)
                        << "from " << m << ", " << skip.length << " steps, |d| " << fraction << " of the radius";
                    ++checked;
                }
            }
        }
    }
    EXPECT_GE(checked, 2) << "too few valid return skips to test";
}

// From return i (through it) or the element after it, the skips land on
// returns i + 1, i + 2, i + 4, ...: a room that ends on one of them gets
// that skip, any other room a shorter one, and a bound at or above a skip's
// radius a shorter one too.
TEST_P(bla_tables, a_return_lookup_gives_the_longest_valid_skip_that_fits)
{
    if (orbit_->size() < 600)
        GTEST_SKIP() << "an orbit of " << orbit_->size() << " elements is too short for returns";
    for (const delta_type type : {delta_type::extended_range, delta_type::double_precision}) {
        bla_table table(orbit_->elements(), coefficients_, max_dc_, type);
        const std::vector<std::int64_t> returns = some_returns(orbit_->size());
        table.add_returns(orbit_->elements(), returns);
        const auto at = [&](std::int64_t i) { return returns[static_cast<std::size_t>(i)]; };
        const auto count = static_cast<std::int64_t>(returns.size());
        int found = 0;
        for (std::int64_t i = 0; i + 1 < count; ++i) {
            for (const std::int64_t m : {at(i), at(i) + 1}) {
                // After return 100 comes return 101 itself: the skips from there go through it.
                const std::int64_t first = m == at(i) || at(i + 1) != m ? i : i + 1;
                const return_step longest = longest_return(table, m, orbit_->last() - m);
                if (longest.length == 0)
                    continue;
                for (std::int64_t lands = first + 1; lands <= longest.lands_on; ++lands) {
                    const std::int64_t room = at(lands) - m;
                    const return_step reach = longest_return(table, m, room);
                    if (std::has_single_bit(static_cast<std::uint64_t>(lands - first)))
                        ASSERT_EQ(reach.length, room) << "from " << m << " to return " << lands;
                    else
                        ASSERT_LT(reach.length, room) << "from " << m << " to return " << lands;
                    if (reach.length == 0)
                        continue;
                    ASSERT_EQ(at(reach.lands_on), m + reach.length);
                    const floatexp r = table.radius(reach);
                    for (const double factor : {0.75, 1.0, 1.25}) {
                        const floatexp bound = to_floatexp(factor) * r;
                        std::int64_t cursor = 0;
                        const return_step step = type == delta_type::double_precision
                                                     ? table.find_return(m, cursor, room, to_double(bound))
                                                     : table.find_return(m, cursor, room, bound);
                        if (factor < 1.0)
                            EXPECT_EQ(step.length, reach.length) << "from " << m << ", bound " << factor;
                        else
                            EXPECT_LT(step.length, reach.length) << "from " << m << ", bound " << factor;
                        found += factor < 1.0;
                    }
                }
            }
        }
        EXPECT_GT(found, 0);
    }
}

constexpr table_case table_cases[] = {{"-0.1225611668766536", "0.7448617666197442", 2, 3000, 1.0, -80},
                                      {"-0.743643887037151", "0.131825904205330", 2, 3000, 1.0, -70},
                                      {"-0.75", "0.01", 2, 2000, 1.0, -1000},
                                      {"-0.3406", "1.2712", 3, 1000, 1.5, -60},
                                      {"0.2", "0.3", 3, 2000, 1.0, -3000},
                                      {"0.62996", "1.0911", 4, 1000, 1.0, -90},
                                      {"0.3", "0.5", 4, 2000, 1.0, -17000},
                                      {"0.1", "0.1", 2, 1000, 0.0, 0}};

INSTANTIATE_TEST_SUITE_P(table, bla_tables, testing::ValuesIn(table_cases));

}  // namespace
