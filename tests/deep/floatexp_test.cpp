// floatexp and complex_pair against MPFR: every operation must give the
// correctly rounded 53-bit result, at any magnitude, and stay normalised.
#include "complex_pair.h"
#include "exact_arithmetic.h"
#include "floatexp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

bool normalised(floatexp x)
{
    return (x.m == 0.0 && x.e == floatexp_zero_exponent) || (std::abs(x.m) >= 1.0 && std::abs(x.m) < 2.0);
}

// Whether x is exactly the MPFR number r rounded to 53 bits.
testing::AssertionResult is_rounding_of(floatexp x, mpfr_srcptr r)
{
    if (!normalised(x))
        return testing::AssertionFailure() << "not normalised: m " << x.m << " e " << x.e;
    mpfr_number rounded(53);
    mpfr_set(rounded, r, MPFR_RNDN);
    if (mpfr_cmp(exact(x), rounded) != 0)
        return testing::AssertionFailure() << "m " << x.m << " e " << x.e << " is not the rounded result "
                                           << mpfr_get_d(rounded, MPFR_RNDN) << " (scaled)";
    return testing::AssertionSuccess();
}

struct operand_pair {
    floatexp a;
    floatexp b;
};

// Mantissas with every last bit that matters for rounding, at exponents from
// far below to far above the double range and at every alignment of b against
// a that decides whether b reaches a's last place.
std::vector<operand_pair> operand_pairs()
{
    const double mantissas[] = {
        1.0, 1.5, -1.25, 1.9999999999999998, -1.0000000000000002, 1.3333333333333333, -1.7071067811865475};
    const std::int64_t bases[] = {0, -1074, -16610, -33220, 1023, 5000};
    const std::int64_t shifts[] = {0, 1, 2, 30, 52, 53, 54, 55, 63, 64, 65, 100, -1, -53, -64, -65};
    std::vector<operand_pair> pairs;
    for (const double ma : mantissas)
        for (const double mb : mantissas)
            for (const std::int64_t base : bases)
                for (const std::int64_t shift : shifts)
                    pairs.push_back({{ma, base}, {mb, base - shift}});
    for (const double m : mantissas)
        pairs.push_back({{m, 7}, {}});
    pairs.push_back({{}, {}});
    return pairs;
}

// The rows are many and quick, so each behaviour loops over them in one test.
std::string describe(const operand_pair& p)
{
    return "a = " + std::to_string(p.a.m) + " * 2^" + std::to_string(p.a.e) + ", b = " + std::to_string(p.b.m) +
           " * 2^" + std::to_string(p.b.e);
}

TEST(floatexp_pairs, sums_differences_products_and_quotients_are_correctly_rounded)
{
    for (const operand_pair& pair : operand_pairs()) {
        SCOPED_TRACE(describe(pair));
        const auto [a, b] = pair;
        mpfr_number r(300);
        mpfr_add(r, exact(a), exact(b), MPFR_RNDN);
        EXPECT_TRUE(is_rounding_of(a + b, r));
        mpfr_sub(r, exact(a), exact(b), MPFR_RNDN);
        EXPECT_TRUE(is_rounding_of(a - b, r));
        mpfr_mul(r, exact(a), exact(b), MPFR_RNDN);
        EXPECT_TRUE(is_rounding_of(a * b, r));
        if (!is_zero(b)) {
            mpfr_number q(53);
            mpfr_div(q, exact(a), exact(b), MPFR_RNDN);
            EXPECT_TRUE(is_rounding_of(a / b, q));
        }
    }
}

TEST(floatexp_pairs, comparisons_order_values_and_magnitudes)
{
    for (const operand_pair& pair : operand_pairs()) {
        SCOPED_TRACE(describe(pair));
        const auto [a, b] = pair;
        EXPECT_EQ(a < b, mpfr_less_p(exact(a), exact(b)) != 0);
        EXPECT_EQ(b < a, mpfr_less_p(exact(b), exact(a)) != 0);
        EXPECT_EQ(magnitude_less(a, b), mpfr_cmpabs(exact(a), exact(b)) < 0);
    }
}

TEST(floatexp_pairs, small_integer_multiples_square_roots_and_moduli_are_correctly_rounded)
{
    for (const operand_pair& pair : operand_pairs()) {
        SCOPED_TRACE(describe(pair));
        const auto [a, b] = pair;
        for (const int k : {2, 3, 4, 6, -3, 27, 16384}) {
            mpfr_number r(128);
            mpfr_mul_si(r, exact(a), k, MPFR_RNDN);
            EXPECT_TRUE(is_rounding_of(mul_small(a, k), r)) << k;
            mpfr_number q(53);
            mpfr_div_si(q, exact(a), k, MPFR_RNDN);
            EXPECT_TRUE(is_rounding_of(div_small(a, k), q)) << k;
        }
        mpfr_number s(53);
        mpfr_sqrt(s, exact(abs(a)), MPFR_RNDN);
        EXPECT_TRUE(is_rounding_of(sqrt(abs(a)), s));
        // |a + bi|^2, rounded after each operation as written.
        mpfr_number aa(53), bb(53), n(53);
        mpfr_sqr(aa, exact(a), MPFR_RNDN);
        mpfr_sqr(bb, exact(b), MPFR_RNDN);
        mpfr_add(n, aa, bb, MPFR_RNDN);
        EXPECT_TRUE(is_rounding_of(norm(complex_pair<floatexp>{a, b}), n));
    }
}

class floatexp_doubles : public testing::TestWithParam<double> {};

TEST_P(floatexp_doubles, keep_every_bit_of_a_double_and_give_it_back)
{
    const double x = GetParam();
    const floatexp f = to_floatexp(x);
    ASSERT_TRUE(normalised(f));
    mpfr_number r(64);
    mpfr_set_d(r, x, MPFR_RNDN);
    EXPECT_EQ(mpfr_cmp(exact(f), r), 0);
    EXPECT_EQ(to_double(f), x);
}

TEST_P(floatexp_doubles, round_once_to_the_nearest_double_below_the_double_range)
{
    // x * 2^-k for the k that take x across the subnormals and past them.
    const floatexp f = to_floatexp(GetParam());
    for (const std::int64_t k : {0, 1, 30, 52, 53, 60, 61, 1000, 1040, 1074, 1075, 1100, 2000}) {
        const floatexp g = scale_by_power_of_two(f, -k);
        EXPECT_EQ(to_double(g), mpfr_get_d(exact(g), MPFR_RNDN)) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(table, floatexp_doubles,
                         testing::Values(1.0, -1.0, 0.1, 1e-300, 1e-310, -1e-320, 4.9406564584124654e-324,
                                         2.2250738585072009e-308, 2.2250738585072014e-308, 1.7976931348623157e308,
                                         -3.141592653589793, 0.0));

struct magnitude_pair {
    double a_re, a_im, b_re, b_im;
};

class tiny_moduli : public testing::TestWithParam<magnitude_pair> {};

TEST_P(tiny_moduli, double_moduli_compare_without_losing_squares_to_underflow)
{
    const magnitude_pair p = GetParam();
    const complex_pair<double> a{p.a_re, p.a_im};
    const complex_pair<double> b{p.b_re, p.b_im};
    mpfr_number na(400), nb(400), t(400);
    for (const auto& [z, n] : {std::pair{a, &na}, std::pair{b, &nb}}) {
        mpfr_set_d(*n, z.re, MPFR_RNDN);
        mpfr_sqr(*n, *n, MPFR_RNDN);
        mpfr_set_d(t, z.im, MPFR_RNDN);
        mpfr_sqr(t, t, MPFR_RNDN);
        mpfr_add(*n, *n, t, MPFR_RNDN);
    }
    EXPECT_EQ(modulus_less(a, b), mpfr_less_p(na, nb) != 0);
    EXPECT_EQ(modulus_less(b, a), mpfr_less_p(nb, na) != 0);
    EXPECT_EQ(modulus_less(to_floatexp(a), to_floatexp(b)), mpfr_less_p(na, nb) != 0);
}

INSTANTIATE_TEST_SUITE_P(
    table, tiny_moduli,
    testing::Values(magnitude_pair{1e-200, 0, 2e-200, 0}, magnitude_pair{0, 3e-170, 2e-170, 2e-170},
                    magnitude_pair{1e-300, 1e-300, 1.5e-300, 0}, magnitude_pair{1e-320, 0, 0, 2e-320},
                    magnitude_pair{1e-150, 0, 0, 1.1e-150}, magnitude_pair{1e-100, 1e-100, 1e-200, 0},
                    magnitude_pair{1e-200, 1e-200, 1.0, 0}, magnitude_pair{3e-160, 4e-160, 5e-160, 1e-162},
                    magnitude_pair{0.5, 0.5, 0.6, 0.3}));

}  // namespace
