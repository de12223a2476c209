// Deep views held to the oracle: at each location of the table
// (test_locations.cpp), every pixel whose count the oracle can decide gets
// exactly that count, with the approximation table and without.
// `make verify-deep` prints the comparison, passed or not, as a report.
#include "location_check.h"
#include "test_locations.h"

#include <gtest/gtest.h>

namespace {

class deep_locations : public testing::TestWithParam<test_location> {};

TEST_P(deep_locations, decidable_pixels_agree_with_the_oracle)
{
    const test_location& location = GetParam();
    const location_check check = check_location(location);
    ASSERT_TRUE(check.problem.empty()) << check.problem;
    for (const location_mode& mode : check.modes) {
        const char* const table = mode.use_table ? "with" : "without";
        EXPECT_TRUE(mode.agrees()) << table << " the table, " << delta_type_name(mode.type)
                                   << " deltas: " << mode.agreement.agreeing << " of " << mode.agreement.decidable
                                   << " decidable pixels agree";
    }
}

INSTANTIATE_TEST_SUITE_P(table, deep_locations, testing::ValuesIn(deep_test_locations()),
                         [](const testing::TestParamInfo<test_location>& info) { return info.param.name; });

}  // namespace
