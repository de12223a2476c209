// The views the engine's tests render: each probes a rule of the definition
// (limits, the escape bound, NaN and infinite samples), the vector kernels'
// lane and cycle handling (interiors at 60000 steps, deep zooms), or an
// awkward image size; between them they use every figure and palette. Also
// the record and path guard the tests share.
#pragma once

#include "render_paths.h"
#include "renderer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

struct test_view {
    const char* name;
    view_parameters view;
    std::int32_t width, height;
    // FNV-1a of the definition's counts (4 little-endian bytes each, memory
    // row by memory row) from an independent implementation: Python floats,
    // IEEE doubles with each operation rounded, in the order written.
    std::uint64_t counts_hash;
};

inline constexpr double NAN_VALUE = std::numeric_limits<double>::quiet_NaN();
inline constexpr double INF_VALUE = std::numeric_limits<double>::infinity();

// Not constexpr: a view holds its texts in std::string.
inline const test_view test_views[] = {
    // z^2 + c
    {"start-up", {0.0, 0.0, 2.0, 1000, 0, 0}, 640, 640, 0x1a35a40443fa5849},
    {"limit 255", {-0.75, 0.1, 0.05, 255, 0, 1}, 64, 64, 0x09689dc3dac4885f},
    {"limit 257", {-0.75, 0.1, 0.05, 257, 0, 2}, 64, 64, 0x4c13478a6a6f32bf},
    {"inside the main cardioid", {-0.2, 0.0, 0.3, 60000, 0, 3}, 32, 32, 0x43024efeda93a325},
    {"cardioid cusp", {0.25, 0.0, 0.01, 60000, 0, 4}, 32, 32, 0x4a1242f9b34467eb},
    {"seahorse valley", {-0.743643887037151, 0.131825904205330, 0.000014628, 60000, 0, 5}, 32, 32, 0x4269b9c342ce6cad},
    {"radius 1e-13", {-0.743643887037151, 0.131825904205330, 1e-13, 3000, 0, 6}, 64, 64, 0x786ca8c65e851aaa},
    {"tip at c = -2", {-2.0, 0.0, 0.001, 60000, 0, 7}, 32, 32, 0xdc3132b965319900},
    {"limit 0", {-0.5, 0.0, 1.0, 0, 0, 8}, 16, 16, 0x51d88627df287325},
    {"negative limit", {-0.5, 0.0, 1.0, -3, 0, 9}, 16, 16, 0x51d88627df287325},
    {"NaN centre", {NAN_VALUE, 0.0, 1.0, 1000, 0, 10}, 16, 16, 0x7917ac526a0aeb25},
    {"13 x 7", {-0.5, 0.0, 1.5, 200, 0, 11}, 13, 7, 0xb50aeb792351bf65},
    {"7 x 640", {-1.0, 0.0, 1.0, 300, 0, 12}, 7, 640, 0xb3787db4dec2eae6},
    // z^3 + c
    {"exponent 3 start-up", {0.0, 0.0, 2.0, 1000, 1, 13}, 64, 64, 0xc946990448c17d9c},
    {"exponent 3 inside", {0.0, 0.0, 0.3, 60000, 1, 14}, 32, 32, 0x43024efeda93a325},
    {"exponent 3 deep boundary", {0.405033684203657, 0.630802588524209, 0.001, 60000, 1, 0}, 32, 32, 0xc60d9c7bc63b7711},
    // z^4 + c
    {"exponent 4 start-up", {0.0, 0.0, 2.0, 1000, 2, 1}, 64, 64, 0x969edd48edf3b56d},
    {"exponent 4 deep inside", {0.0, 0.0, 0.3, 60000, 2, 2}, 32, 32, 0x43024efeda93a325},
    {"exponent 4 deep boundary", {0.657093126012202, 0.203262723244878, 0.001, 60000, 2, 3}, 32, 32, 0x8aee9684d6c543d0},
    {"exponent 4 infinite centre", {-INF_VALUE, 0.5, 1.0, 500, 2, 4}, 16, 16, 0x51d88627df287325},
    {"1 x 1", {0.0, 0.0, 1.0, 100, 2, 5}, 1, 1, 0xad2aca7747985764},
};

inline constexpr render_path all_render_paths[] = {render_path::scalar, render_path::sse2, render_path::avx2,
                                                   render_path::avx512};

// A path the processor lacks would fall back to a narrower one and pass in
// its stead: the running test is marked skipped instead, naming the unit.
#define SKIP_WITHOUT_UNIT(path)                                                                                       \
    if ((path) > best_render_path())                                                                                  \
    GTEST_SKIP() << "this processor has no " << render_path_name(path) << " unit"

// A test's name for its path: scalar, sse2, avx2 or avx512.
inline std::string path_test_name(const testing::TestParamInfo<render_path>& i) { return render_path_name(i.param); }

// Restores the renderer's path when a test ends.
struct path_guard {
    render_path saved = active_render_path();
    ~path_guard() { force_render_path(saved); }
};

// A record of the view drawing into buffer, which it fills with 0xA5, a
// level no palette uses.
inline CFractal record(const test_view& t, std::vector<std::uint8_t>& buffer)
{
    buffer.assign(static_cast<std::size_t>(t.width) * t.height * 3, 0xA5);
    CFractal fractal;
    fractal.pixels = buffer.data();
    fractal.width = t.width;
    fractal.height = t.height;
    set_view(fractal, t.view);
    return fractal;
}

// The viewer's job for the view, drawing into buffer as record does, with
// the given workers.
inline exact_job job_of(const test_view& t, std::vector<std::uint8_t>& buffer, int workers = WORKER_COUNT)
{
    exact_job job = viewer_job(record(t, buffer));
    job.workers = workers;
    return job;
}
