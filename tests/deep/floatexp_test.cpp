// floatexp and complex_pair against MPFR: every operation must give the
// correctly rounded 53-bit result, at any magnitude, and stay normalised.
#include "complex_pair.h"
#include "exact_arithmetic.h"
#include "floatexp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// Whether x is normalised and exactly r.
testing::AssertionResult equals(floatexp x, mpfr_srcptr r)
{
    const bool normalised =
        (x.m == 0.0 && x.e == floatexp_zero_exponent) || (std::abs(x.m) >= 1.0 && std::abs(x.m) < 2.0);
    if (normalised && mpfr_cmp(exact(x), r) == 0)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "m " << x.m << " e " << x.e << " is not the normalised " << decimal_text(r);
}

// Mantissas with every last bit that matters for rounding, at exponents from
// far below to far above the double range and at every alignment of b against
// a that decides whether b reaches a's last place.
std::vector<std::pair<floatexp, floatexp>> operand_pairs()
{
    const double mantissas[] = {
        1.0, 1.5, -1.25, 1.9999999999999998, -1.0000000000000002, 1.3333333333333333, -1.7071067811865475};
    const std::int64_t bases[] = {0, -1074, -16610, -33220, 1023, 5000};
    const std::int64_t shifts[] = {0, 1, 2, 30, 52, 53, 54, 55, 63, 64, 65, 100, -1, -53, -64, -65};
    std::vector<std::pair<floatexp, floatexp>> pairs(1);  // zero and zero
    for (const double ma : mantissas) {
        pairs.push_back({{ma, 7}, {}});
        for (const double mb : mantissas)
            for (const std::int64_t base : bases)
                for (const std::int64_t shift : shifts)
                    pairs.push_back({{ma, base}, {mb, base - shift}});
    }
    return pairs;
}

// The rows are many and quick, so they are looped over in one test; MPFR
// rounds each result once to the 53 bits of its destination, and compares exactly.
TEST(floatexp_pairs, operations_are_correctly_rounded_and_comparisons_exact)
{
    mpfr_number r(53), aa(53), bb(53);
    const auto rounds = [&](floatexp got, auto operation, auto... operands) {
        operation(r, operands..., MPFR_RNDN);
        return equals(got, r);
    };
    for (const auto& [a, b] : operand_pairs()) {
        SCOPED_TRACE(testing::Message() << "a = " << a.m << " * 2^" << a.e << ", b = " << b.m << " * 2^" << b.e);
        EXPECT_TRUE(rounds(a + b, mpfr_add, exact(a), exact(b)));
        EXPECT_TRUE(rounds(a - b, mpfr_sub, exact(a), exact(b)));
        EXPECT_TRUE(rounds(a * b, mpfr_mul, exact(a), exact(b)));
        if (!is_zero(b)) {
            EXPECT_TRUE(rounds(a / b, mpfr_div, exact(a), exact(b)));
        }
        for (const long k : {2, 3, 4, 6, -3, 27, 16384}) {
            EXPECT_TRUE(rounds(mul_small(a, static_cast<int>(k)), mpfr_mul_si, exact(a), k)) << k;
            EXPECT_TRUE(rounds(div_small(a, k), mpfr_div_si, exact(a), k)) << k;
        }
        EXPECT_TRUE(rounds(sqrt(abs(a)), mpfr_sqrt, exact(abs(a))));
        // |a + bi|^2, rounded after each operation as written.
        mpfr_sqr(aa, exact(a), MPFR_RNDN);
        mpfr_sqr(bb, exact(b), MPFR_RNDN);
        EXPECT_TRUE(rounds(norm(complex_pair<floatexp>{a, b}), mpfr_add, aa, bb));
        // Values and magnitudes order as the exact numbers do.
        EXPECT_EQ(a < b, mpfr_less_p(exact(a), exact(b)) != 0);
        EXPECT_EQ(b < a, mpfr_less_p(exact(b), exact(a)) != 0);
        EXPECT_EQ(magnitude_less(a, b), mpfr_cmpabs(exact(a), exact(b)) < 0);
    }
}

// A double keeps every bit and gives it back; x 2^-k rounds once to the
// nearest double for the k that take x across the subnormals and past them.
TEST(floatexp_doubles, keep_every_bit_and_round_once_below_the_double_range)
{
    mpfr_number r(53);
    for (const double x : {1.0, -1.0, 0.1, 1e-300, 1e-310, -1e-320, 4.9406564584124654e-324, 2.2250738585072009e-308,
                           2.2250738585072014e-308, 1.7976931348623157e308, -3.141592653589793, 0.0}) {
        mpfr_set_d(r, x, MPFR_RNDN);
        EXPECT_TRUE(equals(to_floatexp(x), r)) << x;
        EXPECT_EQ(to_double(to_floatexp(x)), x);
        for (const std::int64_t k : {0, 1, 30, 52, 53, 60, 61, 1000, 1040, 1074, 1075, 1100, 2000}) {
            const floatexp g = scale_by_power_of_two(to_floatexp(x), -k);
            EXPECT_EQ(to_double(g), mpfr_get_d(exact(g), MPFR_RNDN)) << x << " * 2^-" << k;
        }
    }
}

// The squares of doubles below 2^-511 underflow; their moduli must still order.
TEST(tiny_moduli, double_moduli_compare_without_losing_squares_to_underflow)
{
    const auto less = [](complex_pair<double> a, complex_pair<double> b) {
        mpfr_complex x(400), y(400);
        set(x, to_floatexp(a));
        set(y, to_floatexp(b));
        return mpfr_less_p(modulus(x), modulus(y)) != 0;
    };
    const double rows[][4] = {{1e-200, 0, 2e-200, 0},   {0, 3e-170, 2e-170, 2e-170}, {1e-300, 1e-300, 1.5e-300, 0},
                              {1e-320, 0, 0, 2e-320},   {1e-150, 0, 0, 1.1e-150},    {1e-100, 1e-100, 1e-200, 0},
                              {1e-200, 1e-200, 1.0, 0}, {0.5, 0.5, 0.6, 0.3},        {3e-160, 4e-160, 5e-160, 1e-162}};
    for (const auto& [ar, ai, br, bi] : rows) {
        const complex_pair<double> a{ar, ai}, b{br, bi};
        SCOPED_TRACE(testing::Message() << a.re << " " << a.im << " against " << b.re << " " << b.im);
        EXPECT_EQ(modulus_less(a, b), less(a, b));
        EXPECT_EQ(modulus_less(b, a), less(b, a));
        EXPECT_EQ(modulus_less(to_floatexp(a), to_floatexp(b)), less(a, b));
    }
}

}  // namespace
