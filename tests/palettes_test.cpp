#include "palettes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Colours as 0xRRGGBB with channel levels up to 0x100, the full level of the
// arithmetic; a stored byte shows 0x100 as 0xFF.
struct rgb {
    int r, g, b;
};
using course = std::vector<rgb>;

constexpr rgb K{0, 0, 0}, W{0x100, 0x100, 0x100}, R{0x100, 0, 0}, G{0, 0x100, 0}, B{0, 0, 0x100};
constexpr rgb Y{0x100, 0x100, 0}, C{0, 0x100, 0x100}, M{0x100, 0, 0x100};

// From each point to the next in `steps` equal steps, leaving out the first
// point itself: every ramp starts one step above its start.
course ramp(const std::vector<rgb>& points, int steps)
{
    course out;
    for (std::size_t p = 1; p < points.size(); ++p) {
        const rgb a = points[p - 1], z = points[p];
        for (int k = 1; k <= steps; ++k)
            out.push_back({a.r + (z.r - a.r) * k / steps, a.g + (z.g - a.g) * k / steps, a.b + (z.b - a.b) * k / steps});
    }
    return out;
}

// The hue circle from red round to red, leaving out the last red.
course hue_circle(int per_sixth)
{
    course out = ramp({R, Y, G, C, B, M, R}, per_sixth);
    out.pop_back();
    out.insert(out.begin(), R);
    return out;
}

// Up the ramp and back down without repeating either end.
course up_and_back(const course& up)
{
    course out = up;
    for (std::size_t j = up.size() - 1; j-- > 1;)
        out.push_back(up[j]);
    return out;
}

course without_last(course c)
{
    c.pop_back();
    return c;
}

// Every palette as its rule describes it.
std::vector<course> rebuilt_palettes()
{
    return {
        hue_circle(4),
        hue_circle(8),
        hue_circle(16),
        up_and_back(ramp({K, B, W}, 16)),
        up_and_back(ramp({K, R, Y}, 16)),
        without_last(ramp({K, G, W, M, K}, 16)),
        without_last(ramp({K, B, W, Y, R, K}, 16)),
        without_last(ramp({K, R, Y, W, C, B, K}, 16)),
        {R, C},
        {B, Y},
        {G, M},
        {W},
        up_and_back(ramp({K, W}, 4)),
        up_and_back(ramp({K, W}, 8)),
        up_and_back(ramp({K, W}, 16)),
    };
}

std::uint8_t stored(int level)
{
    return static_cast<std::uint8_t>(level > 0xFF ? 0xFF : level);
}

// Every byte of every palette, unused slots included, against the rebuilt rule.
TEST(Palettes, EveryEntryFollowsItsRule)
{
    const std::vector<course> expected = rebuilt_palettes();
    ASSERT_EQ(expected.size(), static_cast<std::size_t>(PALETTE_COUNT));
    for (int p = 0; p < PALETTE_COUNT; ++p) {
        EXPECT_EQ(palette_lengths[p], expected[p].size()) << "palette " << p;
        for (int j = 0; j < PALETTE_MAX_LENGTH; ++j) {
            const rgb c = j < static_cast<int>(expected[p].size()) ? expected[p][j] : K;
            const std::uint8_t bgr[3] = {stored(c.b), stored(c.g), stored(c.r)};
            for (int byte = 0; byte < 3; ++byte)
                EXPECT_EQ(palette_colors[p][j][byte], bgr[byte]) << "palette " << p << " entry " << j << " byte " << byte;
        }
    }
}

// A few entries as a person reads them (RRGGBB), so the rule itself is
// held to the documented colours: ends, turning points, first falling steps.
TEST(Palettes, RebuiltRuleGivesTheDocumentedColours)
{
    struct named {
        int palette, entry;
        unsigned rrggbb;
    };
    const named rows[] = {
        {0, 0, 0xFF0000}, {0, 5, 0xC0FF00}, {0, 23, 0xFF0040}, {1, 47, 0xFF0020}, {2, 17, 0xF0FF00},
        {3, 0, 0x000010}, {3, 31, 0xFFFFFF}, {3, 32, 0xF0F0FF}, {3, 61, 0x000020}, {5, 32, 0xFFF0FF},
        {5, 62, 0x100010}, {6, 48, 0xFFF000}, {7, 48, 0xF0FFFF}, {7, 94, 0x000010}, {12, 4, 0xC0C0C0},
    };
    const std::vector<course> palettes = rebuilt_palettes();
    for (const named& row : rows) {
        const rgb c = palettes[row.palette][row.entry];
        EXPECT_EQ(unsigned(stored(c.r)) << 16 | unsigned(stored(c.g)) << 8 | stored(c.b), row.rrggbb)
            << "palette " << row.palette << " entry " << row.entry;
    }
}

}  // namespace
