#include "linear_light.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Every byte's own light encodes to the byte, and every boundary between two
// bytes falls exactly on the light of the half-way value: just below it the
// lower byte, on it the upper one; lights a rounding past the ends stay in range.
TEST(LinearLight, EncodingRoundsToTheNearestByte)
{
    const linear_light light;
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(light.encode(light.decode(static_cast<std::uint8_t>(b))), b) << "byte " << b;
    for (int v = 0; v < 255; ++v) {
        const double half_way = srgb_to_linear((v + 0.5) / 255.0);
        EXPECT_EQ(light.encode(std::nextafter(half_way, 0.0)), v) << "just below byte " << v << "'s upper boundary";
        EXPECT_EQ(light.encode(half_way), v + 1) << "on byte " << v << "'s upper boundary";
    }
    EXPECT_EQ(light.encode(std::nextafter(1.0, 2.0)), 255);
    EXPECT_EQ(light.encode(-0.0), 0);
}

}  // namespace
