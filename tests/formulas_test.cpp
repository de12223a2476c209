#include "formulas.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <tuple>

namespace {

// Each row pins one rule of the escape loop for every exponent: c, the limit,
// and the counts of z^2 + c, z^3 + c and z^4 + c.
constexpr std::tuple<double, double, std::int32_t, std::array<std::int32_t, 3>> escape_cases[] = {
    {2.0, 1.0, 1000, {0, 0, 0}},  // |c|^2 > 4 escapes before the first step
    {2.0, 0.0, 1000, {1, 1, 1}},  // |z|^2 == 4 is no escape: one step is taken
    {-2.0, 0.0, 1000, {1000, 1, 1}},  // a fixed point of z^2 + c only
    {-2.0000000000000004, 0.0, 1000, {0, 0, 0}},
    {5.0, 5.0, 0, {0, 0, 0}},  // a limit of 0 returns 0 whatever the point
    {2.0, 0.0, 1, {1, 1, 1}},  // escaping exactly at the limit reads as never escaping
    {NAN, 0.0, 50, {50, 50, 50}},  // a NaN modulus has not escaped
    {-INFINITY, 0.0, 50, {0, 0, 0}},
    {0.0, 1.0, 60000, {60000, 60000, 2}},  // c = i: a cycle under z^2 + c and z^3 + c
    {-1.0, 0.5, 1000, {4, 1, 2}},  // counted escapes
    {0.5, 0.0, 1000, {4, 5, 11}},
};

TEST(EscapeTime, DefinitionEdgeCases)
{
    for (const auto& [re, im, limit, expected] : escape_cases) {
        for (int figure = 0; figure < 3; ++figure) {
            EXPECT_EQ(figure_functions[figure](re, im, limit), expected[figure])
                << "figure " << figure << " at (" << re << ", " << im << ") limit " << limit;
        }
    }
}

}  // namespace
