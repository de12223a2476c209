#include "formulas.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr double nan_value = std::numeric_limits<double>::quiet_NaN();
constexpr double inf_value = std::numeric_limits<double>::infinity();

struct escape_case {
    int figure;
    double re;
    double im;
    std::int32_t limit;
    std::int32_t expected;
};

// Each row pins one rule of the escape loop for one exponent.
constexpr escape_case escape_cases[] = {
    // |c|^2 > 4 escapes before the first step.
    {0, 2.0, 1.0, 1000, 0}, {1, 2.0, 1.0, 1000, 0}, {2, 2.0, 1.0, 1000, 0},
    // The origin never escapes.
    {0, 0.0, 0.0, 1000, 1000}, {1, 0.0, 0.0, 1000, 1000}, {2, 0.0, 0.0, 1000, 1000},
    // |z|^2 == 4 is not an escape: one step is taken (2 -> 6, 10, 18).
    {0, 2.0, 0.0, 1000, 1}, {1, 2.0, 0.0, 1000, 1}, {2, 2.0, 0.0, 1000, 1},
    {0, 0.0, 2.0, 1000, 1}, {1, 0.0, 2.0, 1000, 1}, {2, 0.0, 2.0, 1000, 1},
    // -2 is a fixed point of z^2 + c only.
    {0, -2.0, 0.0, 1000, 1000}, {1, -2.0, 0.0, 1000, 1}, {2, -2.0, 0.0, 1000, 1},
    // A limit of 0 returns 0 whatever the point.
    {0, 0.0, 0.0, 0, 0}, {1, 0.0, 0.0, 0, 0}, {2, 0.0, 0.0, 0, 0},
    {0, 5.0, 5.0, 0, 0}, {2, nan_value, 0.0, 0, 0},
    // Escaping exactly at step == limit reads the same as never escaping.
    {0, 2.0, 0.0, 1, 1}, {1, 2.0, 0.0, 1, 1}, {2, 2.0, 0.0, 1, 1},
    // A NaN modulus has not escaped: NaN points run to the limit.
    {0, nan_value, 0.0, 50, 50}, {1, 0.0, nan_value, 50, 50}, {2, nan_value, nan_value, 50, 50},
    // Infinities escape at once.
    {0, inf_value, 0.0, 50, 0}, {1, -inf_value, 0.0, 50, 0}, {2, 0.0, inf_value, 50, 0},
    // c = i: 0 -> i -> -1 + i -> -i -> -1 + i ... a cycle under z^2 + c.
    {0, 0.0, 1.0, 60000, 60000},
    // c = -1 + 0.5i under z^2: escapes after four steps.
    {0, -1.0, 0.5, 1000, 4},
    // Just beyond the tip at -2 the modulus already exceeds 4.
    {0, -2.0000000000000004, 0.0, 1000, 0},
    // Exponent 3 at c = i/2 and exponent 4 at c = 0.5: counted escapes.
    {1, 0.0, 0.5, 1000, 1000}, {2, 0.5, 0.0, 1000, 11},
};

TEST(EscapeTime, DefinitionEdgeCases)
{
    for (const escape_case& row : escape_cases) {
        EXPECT_EQ(figure_functions[row.figure](row.re, row.im, row.limit), row.expected)
            << "figure " << row.figure << " at (" << row.re << ", " << row.im << ") limit " << row.limit;
    }
}

}  // namespace
