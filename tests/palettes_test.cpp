#include "palettes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Channel levels run up to 0x100, the full level of the arithmetic; a stored
// byte shows 0x100 as 0xFF.
struct rgb {
    int r, g, b;
};
using course = std::vector<rgb>;

constexpr rgb K{0, 0, 0}, W{0x100, 0x100, 0x100}, R{0x100, 0, 0}, G{0, 0x100, 0}, B{0, 0, 0x100};
constexpr rgb Y{0x100, 0x100, 0}, C{0, 0x100, 0x100}, M{0x100, 0, 0x100};

// From each point to the next in `steps` equal steps, the first point left
// out unless `first`, the last one left out unless `last`.
course ramp(const course& points, int steps, bool first = false, bool last = true)
{
    course out;
    for (std::size_t p = 1; p < points.size(); ++p) {
        const rgb a = points[p - 1], z = points[p];
        for (int k = first && p == 1 ? 0 : 1; k <= steps; ++k)
            out.push_back({a.r + (z.r - a.r) * k / steps, a.g + (z.g - a.g) * k / steps, a.b + (z.b - a.b) * k / steps});
    }
    out.resize(out.size() - !last);
    return out;
}

// Up the ramp and back down without repeating either end.
course up_and_back(course out)
{
    for (std::size_t j = out.size() - 1; j-- > 1;)
        out.push_back(out[j]);
    return out;
}

unsigned stored(int level) { return level > 0xFF ? 0xFF : level; }

// Every byte of every palette, unused slots included, against its rule
// rebuilt here, stored blue, green, red.
TEST(Palettes, EveryEntryFollowsItsRule)
{
    const course expected[PALETTE_COUNT] = {
        // The hue circle from red round to red, the last red left out.
        ramp({R, Y, G, C, B, M, R}, 4, true, false), ramp({R, Y, G, C, B, M, R}, 8, true, false),
        ramp({R, Y, G, C, B, M, R}, 16, true, false),
        up_and_back(ramp({K, B, W}, 16)), up_and_back(ramp({K, R, Y}, 16)),
        ramp({K, G, W, M, K}, 16, false, false), ramp({K, B, W, Y, R, K}, 16, false, false),
        ramp({K, R, Y, W, C, B, K}, 16, false, false),
        {R, C}, {B, Y}, {G, M}, {W},
        up_and_back(ramp({K, W}, 4)), up_and_back(ramp({K, W}, 8)), up_and_back(ramp({K, W}, 16)),
    };
    for (int p = 0; p < PALETTE_COUNT; ++p) {
        EXPECT_EQ(palette_lengths[p], expected[p].size()) << "palette " << p;
        for (std::size_t j = 0; j < PALETTE_MAX_LENGTH; ++j) {
            const rgb c = j < expected[p].size() ? expected[p][j] : K;
            EXPECT_EQ(std::vector<unsigned>(palette_colors[p][j], palette_colors[p][j] + 3),
                      (std::vector<unsigned>{stored(c.b), stored(c.g), stored(c.r)})) << "palette " << p << " entry " << j;
        }
    }
    // The rule held to colours as a person reads them (RRGGBB): ends, turning
    // points, first falling steps.
    const unsigned documented[][3] = {
        {0, 0, 0xFF0000}, {0, 5, 0xC0FF00}, {0, 23, 0xFF0040}, {1, 47, 0xFF0020}, {2, 17, 0xF0FF00},
        {3, 0, 0x000010}, {3, 31, 0xFFFFFF}, {3, 32, 0xF0F0FF}, {3, 61, 0x000020}, {5, 32, 0xFFF0FF},
        {5, 62, 0x100010}, {6, 48, 0xFFF000}, {7, 48, 0xF0FFFF}, {7, 94, 0x000010}, {12, 4, 0xC0C0C0},
    };
    for (const auto& [p, j, rrggbb] : documented) {
        const std::uint8_t* c = palette_colors[p][j];
        EXPECT_EQ(unsigned(c[2]) << 16 | unsigned(c[1]) << 8 | c[0], rrggbb) << "palette " << p << " entry " << j;
    }
}

}  // namespace
