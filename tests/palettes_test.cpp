#include "palettes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The stored entry as a person reads it, 0xRRGGBB.
std::uint32_t rgb(int palette, int entry)
{
    const std::uint8_t* bgr = palette_colors[palette][entry];
    return static_cast<std::uint32_t>(bgr[2]) << 16 | static_cast<std::uint32_t>(bgr[1]) << 8 | bgr[0];
}

TEST(Palettes, LengthsAndUnusedSlots)
{
    constexpr std::uint32_t expected[PALETTE_COUNT] = {24, 48, 96, 62, 62, 63, 79, 95, 2, 2, 2, 1, 6, 14, 30};
    for (int p = 0; p < PALETTE_COUNT; ++p) {
        EXPECT_EQ(palette_lengths[p], expected[p]) << "palette " << p;
        for (int j = static_cast<int>(expected[p]); j < PALETTE_MAX_LENGTH; ++j)
            EXPECT_EQ(rgb(p, j), 0u) << "palette " << p << " slot " << j;
    }
}

struct named_entry {
    int palette;
    int entry;
    std::uint32_t rgb;
};

// First and last entries, the turning points of the ramps, and a few inner ones.
constexpr named_entry named_entries[] = {
    {0, 0, 0xFF0000}, {0, 4, 0xFFFF00}, {0, 8, 0x00FF00}, {0, 23, 0xFF0040},
    {1, 1, 0xFF2000}, {1, 8, 0xFFFF00}, {1, 47, 0xFF0020},
    {2, 15, 0xFFF000}, {2, 16, 0xFFFF00}, {2, 95, 0xFF0010},
    {3, 0, 0x000010}, {3, 15, 0x0000FF}, {3, 31, 0xFFFFFF}, {3, 32, 0xF0F0FF}, {3, 61, 0x000020},
    {4, 0, 0x100000}, {4, 15, 0xFF0000}, {4, 31, 0xFFFF00}, {4, 61, 0x200000},
    {5, 15, 0x00FF00}, {5, 31, 0xFFFFFF}, {5, 47, 0xFF00FF}, {5, 62, 0x100010},
    {6, 31, 0xFFFFFF}, {6, 47, 0xFFFF00}, {6, 63, 0xFF0000}, {6, 78, 0x100000},
    {7, 15, 0xFF0000}, {7, 31, 0xFFFF00}, {7, 47, 0xFFFFFF}, {7, 63, 0x00FFFF}, {7, 79, 0x0000FF}, {7, 94, 0x000010},
    {8, 0, 0xFF0000}, {8, 1, 0x00FFFF},
    {9, 0, 0x0000FF}, {9, 1, 0xFFFF00},
    {10, 0, 0x00FF00}, {10, 1, 0xFF00FF},
    {11, 0, 0xFFFFFF},
    {12, 0, 0x404040}, {12, 3, 0xFFFFFF}, {12, 5, 0x808080},
    {13, 0, 0x202020}, {13, 7, 0xFFFFFF}, {13, 13, 0x404040},
    {14, 0, 0x101010}, {14, 15, 0xFFFFFF}, {14, 29, 0x202020},
};

TEST(Palettes, NamedEntries)
{
    for (const named_entry& row : named_entries)
        EXPECT_EQ(rgb(row.palette, row.entry), row.rgb) << "palette " << row.palette << " entry " << row.entry;
}

// The hue circles, rebuilt from their rule: each sixth raises or lowers one
// channel in equal steps, and a full level of 0x100 is stored as 0xFF.
TEST(Palettes, HueCirclesFollowTheirRule)
{
    struct circle {
        int palette;
        int steps_per_sixth;
    };
    for (const circle c : {circle{0, 4}, circle{1, 8}, circle{2, 16}}) {
        const int step = 0x100 / c.steps_per_sixth;
        const auto level = [](int value) { return static_cast<std::uint32_t>(value > 0xFF ? 0xFF : value); };
        for (int j = 0; j < 6 * c.steps_per_sixth; ++j) {
            const int sixth = j / c.steps_per_sixth;
            const int up = (j % c.steps_per_sixth) * step;
            const std::uint32_t rising = level(up);
            const std::uint32_t falling = level(0x100 - up);
            std::uint32_t r = 0, g = 0, b = 0;
            switch (sixth) {
            case 0: r = 0xFF, g = rising; break;
            case 1: r = falling, g = 0xFF; break;
            case 2: g = 0xFF, b = rising; break;
            case 3: g = falling, b = 0xFF; break;
            case 4: b = 0xFF, r = rising; break;
            case 5: b = falling, r = 0xFF; break;
            }
            EXPECT_EQ(rgb(c.palette, j), r << 16 | g << 8 | b) << "palette " << c.palette << " entry " << j;
        }
    }
}

// The up-and-back ramps run down the way they came up, without repeating
// either end: entry top + d equals entry top - d.
TEST(Palettes, RampsComeBackDownSymmetrically)
{
    struct ramp {
        int palette;
        int top;
    };
    for (const ramp r : {ramp{3, 31}, ramp{4, 31}, ramp{12, 3}, ramp{13, 7}, ramp{14, 15}}) {
        const int length = static_cast<int>(palette_lengths[r.palette]);
        EXPECT_EQ(length, 2 * r.top) << "palette " << r.palette;
        for (int d = 1; r.top + d < length; ++d)
            EXPECT_EQ(rgb(r.palette, r.top + d), rgb(r.palette, r.top - d)) << "palette " << r.palette << " d " << d;
    }
}

TEST(Palettes, NamesInListOrder)
{
    const char16_t* expected[PALETTE_COUNT] = {
        u"24色", u"48色", u"96色", u"青白32色", u"赤黄32色", u"緑白紫63色", u"青白黄赤79色", u"赤黄白水青95色",
        u"赤水2色", u"青黄2色", u"緑紫2色", u"白1色", u"白黒4色", u"白黒8色", u"白黒16色",
    };
    for (int p = 0; p < PALETTE_COUNT; ++p)
        EXPECT_EQ(std::u16string(palette_names[p]), std::u16string(expected[p])) << "palette " << p;
}

}  // namespace
