// The views the engine's tests render: each probes a rule of the definition
// (limits, the escape bound, NaN and infinite samples), the vector kernels'
// lane and cycle handling (interiors at 60000 steps, deep zooms), or an
// awkward image size; between them they use every figure and palette.
#pragma once

#include "fractal.h"

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string_view>

struct test_view {
    const char* name;
    view_parameters view;
    std::int32_t width;
    std::int32_t height;
    // FNV-1a of the definition's counts (4 little-endian bytes each, memory
    // row by memory row) from an independent implementation: Python floats,
    // IEEE doubles with each operation rounded, in the order written.
    std::uint64_t counts_hash;
};

inline constexpr double NAN_VALUE = std::numeric_limits<double>::quiet_NaN();
inline constexpr double INF_VALUE = std::numeric_limits<double>::infinity();

inline constexpr test_view test_views[] = {
    // z^2 + c
    {"start-up", {0.0, 0.0, 2.0, 1000, 0, 0}, 640, 640, 0x1a35a40443fa5849},
    {"limit 1", {0.0, 0.0, 2.0, 1, 0, 1}, 64, 64, 0xf93b1e67e3e49324},
    {"limit 255", {-0.75, 0.1, 0.05, 255, 0, 2}, 64, 64, 0x09689dc3dac4885f},
    {"limit 256", {-0.75, 0.1, 0.05, 256, 0, 3}, 64, 64, 0x3b2b5c6bfb2d7b9b},
    {"limit 257", {-0.75, 0.1, 0.05, 257, 0, 4}, 64, 64, 0x4c13478a6a6f32bf},
    {"inside the main cardioid", {-0.2, 0.0, 0.3, 60000, 0, 5}, 32, 32, 0x43024efeda93a325},
    {"cardioid cusp", {0.25, 0.0, 0.01, 60000, 0, 6}, 32, 32, 0x4a1242f9b34467eb},
    {"period-2 bulb edge", {-1.0, 0.25, 0.01, 60000, 0, 7}, 32, 32, 0x96b5ea01f1bb9775},
    {"cardioid and period-3 bulb", {-0.125, 0.6495, 0.01, 60000, 0, 8}, 32, 32, 0xdd0e4f92492daa3c},
    {"seahorse valley", {-0.743643887037151, 0.131825904205330, 0.000014628, 60000, 0, 9}, 32, 32, 0x4269b9c342ce6cad},
    {"radius 1e-13", {-0.743643887037151, 0.131825904205330, 1e-13, 3000, 0, 10}, 64, 64, 0x786ca8c65e851aaa},
    {"wholly outside", {3.5, -7.25, 4.0, 1000, 0, 11}, 32, 32, 0xb93a0c83ce3b6325},
    {"cycle through c = i", {0.0, 1.0, 0.001, 60000, 0, 12}, 32, 32, 0x30cefb073baad926},
    {"tip at c = -2", {-2.0, 0.0, 0.001, 60000, 0, 13}, 32, 32, 0xdc3132b965319900},
    {"limit 0", {-0.5, 0.0, 1.0, 0, 0, 14}, 16, 16, 0x51d88627df287325},
    {"negative limit", {-0.5, 0.0, 1.0, -3, 0, 0}, 16, 16, 0x51d88627df287325},
    {"NaN centre", {NAN_VALUE, 0.0, 1.0, 1000, 0, 1}, 16, 16, 0x7917ac526a0aeb25},
    {"infinite centre", {0.0, -INF_VALUE, 1.0, 1000, 0, 2}, 16, 16, 0x51d88627df287325},
    {"infinite radius", {0.0, 0.0, INF_VALUE, 100, 0, 3}, 16, 16, 0xa31cc5382268b341},
    {"13 x 7", {-0.5, 0.0, 1.5, 200, 0, 4}, 13, 7, 0xb50aeb792351bf65},
    {"7 x 640", {-1.0, 0.0, 1.0, 300, 0, 5}, 7, 640, 0xb3787db4dec2eae6},
    {"640 x 1", {-1.0, 0.0, 1.0, 300, 0, 6}, 640, 1, 0x2aa50622087f5e72},
    // z^3 + c
    {"exponent 3 start-up", {0.0, 0.0, 2.0, 1000, 1, 7}, 64, 64, 0xc946990448c17d9c},
    {"exponent 3 limit 257", {0.35, 0.35, 0.2, 257, 1, 8}, 64, 64, 0xe5a43280cc100ea9},
    {"exponent 3 boundary", {0.0, 0.9, 0.3, 2000, 1, 9}, 64, 64, 0xf92829f1a0868e47},
    {"exponent 3 inside", {0.0, 0.0, 0.3, 60000, 1, 10}, 32, 32, 0x43024efeda93a325},
    {"exponent 3 deep boundary", {0.405033684203657, 0.630802588524209, 0.001, 60000, 1, 11}, 32, 32, 0xc60d9c7bc63b7711},
    {"exponent 3 radius 1e-13", {0.553305323403455, 0.171157393630665, 1e-13, 3000, 1, 12}, 32, 32, 0x95c699ed7ecbc325},
    {"exponent 3 NaN centre", {NAN_VALUE, NAN_VALUE, 1.0, 500, 1, 13}, 16, 16, 0xa1ac843f77f4b725},
    {"5 x 3", {0.0, 0.0, 2.0, 100, 1, 14}, 5, 3, 0xc4e35efeecedb915},
    // z^4 + c
    {"exponent 4 start-up", {0.0, 0.0, 2.0, 1000, 2, 0}, 64, 64, 0x969edd48edf3b56d},
    {"exponent 4 limit 256", {0.5, 0.5, 0.3, 256, 2, 1}, 64, 64, 0x453415c1105f2293},
    {"exponent 4 inside", {0.3, 0.5, 0.05, 5000, 2, 2}, 64, 64, 0x68ce9462578ea325},
    {"exponent 4 deep inside", {0.0, 0.0, 0.3, 60000, 2, 3}, 32, 32, 0x43024efeda93a325},
    {"exponent 4 deep boundary", {0.657093126012202, 0.203262723244878, 0.001, 60000, 2, 4}, 32, 32, 0x8aee9684d6c543d0},
    {"exponent 4 radius 1e-13", {0.657093126012202, 0.203262723244878, 1e-13, 3000, 2, 5}, 32, 32, 0x818d40d5c1e8c6c2},
    {"exponent 4 infinite centre", {-INF_VALUE, 0.5, 1.0, 500, 2, 6}, 16, 16, 0x51d88627df287325},
    {"1 x 1", {0.0, 0.0, 1.0, 100, 2, 7}, 1, 1, 0xad2aca7747985764},
};

// The view of that name in the table.
inline const test_view& view_named(std::string_view name)
{
    for (const test_view& t : test_views) {
        if (name == t.name)
            return t;
    }
    std::abort();
}
