#include "fast_render.h"

#include "formulas.h"
#include "fractal.h"
#include "renderer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <thread>
#include <vector>

namespace {

constexpr double nan_value = std::numeric_limits<double>::quiet_NaN();
constexpr double inf_value = std::numeric_limits<double>::infinity();

// Every path this processor can run, the definition first.
std::vector<render_path> runnable_paths()
{
    std::vector<render_path> paths;
    for (render_path path : {render_path::scalar, render_path::sse2, render_path::avx2}) {
        if (path <= best_render_path())
            paths.push_back(path);
    }
    return paths;
}

// Restores the renderer's path when a test ends.
class path_guard {
public:
    ~path_guard() { force_render_path(saved_); }

private:
    render_path saved_ = active_render_path();
};

struct view_case {
    const char* name;
    double center_x;
    double center_y;
    double radius;
    std::int32_t limit;
    std::int32_t figure;
    std::int32_t size;  // width and height
};

// Views for the escape counts. The 60000-step views are small so that the
// scalar reference stays quick.
const view_case count_views[] = {
    // z^2 + c
    {"start-up", 0.0, 0.0, 2.0, 1000, 0, 64},
    {"limit 1", 0.0, 0.0, 2.0, 1, 0, 64},
    {"limit 255", -0.75, 0.1, 0.05, 255, 0, 64},
    {"limit 256", -0.75, 0.1, 0.05, 256, 0, 64},
    {"limit 257", -0.75, 0.1, 0.05, 257, 0, 64},
    {"inside the main cardioid", -0.2, 0.0, 0.3, 60000, 0, 32},
    {"cardioid cusp", 0.25, 0.0, 0.01, 60000, 0, 32},
    {"cardioid and period-2 bulb", -0.75, 0.0, 0.01, 60000, 0, 32},
    {"period-2 bulb edge", -1.0, 0.25, 0.01, 60000, 0, 32},
    {"cardioid and period-3 bulb", -0.125, 0.6495, 0.01, 60000, 0, 32},
    {"seahorse valley", -0.743643887037151, 0.131825904205330, 0.000014628, 60000, 0, 32},
    {"radius 1e-13", -0.743643887037151, 0.131825904205330, 1e-13, 3000, 0, 64},
    {"wholly outside", 3.0, 3.0, 0.5, 1000, 0, 32},
    {"cycle through c = i", 0.0, 1.0, 0.001, 60000, 0, 32},
    {"tip at c = -2", -2.0, 0.0, 0.001, 60000, 0, 32},
    {"limit 0", -0.5, 0.0, 1.0, 0, 0, 16},
    {"negative limit", -0.5, 0.0, 1.0, -3, 0, 16},
    {"NaN centre x", nan_value, 0.0, 1.0, 1000, 0, 16},
    {"NaN centre y", 0.0, nan_value, 1.0, 1000, 0, 16},
    {"infinite centre x", inf_value, 0.0, 1.0, 1000, 0, 16},
    {"infinite centre y", 0.0, -inf_value, 1.0, 1000, 0, 16},
    {"infinite radius", 0.0, 0.0, inf_value, 100, 0, 16},
    // z^3 + c
    {"exponent 3 start-up", 0.0, 0.0, 2.0, 1000, 1, 64},
    {"exponent 3 limit 1", 0.0, 0.0, 2.0, 1, 1, 32},
    {"exponent 3 limit 257", 0.35, 0.35, 0.2, 257, 1, 64},
    {"exponent 3 boundary", 0.0, 0.9, 0.3, 2000, 1, 64},
    {"exponent 3 inside", 0.0, 0.0, 0.3, 60000, 1, 32},
    {"exponent 3 deep boundary", 0.405033684203657, 0.630802588524209, 0.001, 60000, 1, 32},
    {"exponent 3 NaN centre", nan_value, nan_value, 1.0, 500, 1, 16},
    {"exponent 3 radius 1e-13", 0.553305323403455, 0.171157393630665, 1e-13, 3000, 1, 32},
    // z^4 + c
    {"exponent 4 start-up", 0.0, 0.0, 2.0, 1000, 2, 64},
    {"exponent 4 limit 256", 0.5, 0.5, 0.3, 256, 2, 64},
    {"exponent 4 boundary", 0.5, 0.5, 0.3, 2000, 2, 64},
    {"exponent 4 inside", 0.3, 0.5, 0.05, 5000, 2, 64},
    {"exponent 4 deep inside", 0.0, 0.0, 0.3, 60000, 2, 32},
    {"exponent 4 deep boundary", 0.657093126012202, 0.203262723244878, 0.001, 60000, 2, 32},
    {"exponent 4 radius 1e-13", 0.657093126012202, 0.203262723244878, 1e-13, 3000, 2, 32},
    {"exponent 4 infinite centre", -inf_value, 0.5, 1.0, 500, 2, 16},
};

// A view record of the given size with no pixels.
CFractal make_view(const view_case& view)
{
    CFractal fractal;
    fractal.width = view.size;
    fractal.height = view.size;
    set_view(fractal, {view.center_x, view.center_y, view.radius, view.limit, view.figure, 0});
    return fractal;
}

// The counts of the definition itself, pixel by pixel.
std::vector<std::int32_t> definition_counts(const CFractal& fractal)
{
    std::vector<std::int32_t> counts(static_cast<std::size_t>(fractal.width) * fractal.height);
    for (std::int32_t i = 0; i < fractal.height; ++i) {
        for (std::int32_t x = 0; x < fractal.width; ++x)
            counts[x + static_cast<std::size_t>(fractal.width) * i] = figure_functions[fractal.figure_index](
                column_re(fractal, x), row_im(fractal, i), fractal.max_iterations);
    }
    return counts;
}

TEST(FastRender, CountsMatchTheDefinitionOnEveryPath)
{
    for (const view_case& view : count_views) {
        const CFractal fractal = make_view(view);
        const std::vector<std::int32_t> expected = definition_counts(fractal);
        for (render_path path : runnable_paths()) {
            // The scalar path is the definition; run it only where it is quick.
            if (path == render_path::scalar && view.limit > 5000)
                continue;
            std::vector<std::int32_t> counts(expected.size(), -7);
            compute_counts(fractal, path, counts.data());
            std::size_t wrong = 0;
            std::size_t first = 0;
            for (std::size_t p = counts.size(); p-- > 0;) {
                if (counts[p] != expected[p]) {
                    ++wrong;
                    first = p;
                }
            }
            EXPECT_EQ(wrong, 0u) << view.name << " on " << render_path_name(path) << ": first at x "
                                 << first % view.size << " row " << first / view.size << " gave " << counts[first]
                                 << ", not " << expected[first];
        }
    }
}

struct image_case {
    const char* name;
    double center_x;
    double center_y;
    double radius;
    std::int32_t limit;
    std::int32_t figure;
    std::int32_t palette;
    std::int32_t width;
    std::int32_t height;
    bool refuse_odd_workers;  // the calling thread renders workers 1, 3, 5, 7
};

const image_case image_views[] = {
    {"start-up", 0.0, 0.0, 2.0, 1000, 0, 0, 640, 640, false},
    {"exponent 3 start-up", 0.0, 0.0, 2.0, 1000, 1, 7, 640, 640, false},
    {"exponent 4 edge", 0.5, 0.5, 0.3, 300, 2, 13, 640, 640, false},
    {"refused workers", -0.75, 0.1, 0.05, 500, 0, 3, 640, 640, true},
    {"13 x 7", -0.5, 0.0, 1.5, 200, 0, 2, 13, 7, false},
    {"5 x 3", 0.0, 0.0, 2.0, 100, 1, 8, 5, 3, false},
    {"1 x 1", 0.0, 0.0, 1.0, 100, 2, 11, 1, 1, false},
    {"7 x 640", -1.0, 0.0, 1.0, 300, 0, 6, 7, 640, false},
    {"640 x 1", -1.0, 0.0, 1.0, 300, 0, 6, 640, 1, true},
};

// Refuses the odd workers' threads.
bool start_even_workers(std::thread& thread, const CFractal& fractal, int k)
{
    return k % 2 == 0 && start_worker_thread(thread, fractal, k);
}

// The image of the view rendered by compute_image on the given path.
std::vector<std::uint8_t> render_image(const image_case& view, render_path path)
{
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(view.width) * view.height * 3, 0xA5);
    CFractal fractal;
    fractal.pixels = pixels.data();
    fractal.width = view.width;
    fractal.height = view.height;
    set_view(fractal, {view.center_x, view.center_y, view.radius, view.limit, view.figure, view.palette});
    force_render_path(path);
    compute_image(fractal, view.refuse_odd_workers ? start_even_workers : start_worker_thread);
    return pixels;
}

TEST(FastRender, ImagesAreByteIdenticalOnEveryPath)
{
    path_guard guard;
    for (const image_case& view : image_views) {
        const std::vector<std::uint8_t> expected = render_image(view, render_path::scalar);
        for (render_path path : runnable_paths()) {
            if (path == render_path::scalar)
                continue;
            EXPECT_TRUE(render_image(view, path) == expected) << view.name << " on " << render_path_name(path);
        }
    }
}

TEST(FastRender, ForcingAPathFallsBackToOneThatRuns)
{
    path_guard guard;
    const render_path best = best_render_path();
    for (render_path path : {render_path::scalar, render_path::sse2, render_path::avx2}) {
        force_render_path(path);
        EXPECT_EQ(active_render_path(), path <= best ? path : best) << render_path_name(path);
    }
#if defined(__x86_64__)
    EXPECT_NE(best, render_path::scalar);
#endif
}

struct name_case {
    const char* name;
    render_path expected;
};

TEST(FastRender, PathNamesReadBack)
{
    const name_case names[] = {
        {"scalar", render_path::scalar},   {"sse2", render_path::sse2}, {"avx2", render_path::avx2},
        {"AVX2", render_path::sse2},       {"", render_path::sse2},     {"avx", render_path::sse2},
        {"scalar ", render_path::sse2},    {nullptr, render_path::sse2},
    };
    for (const name_case& row : names) {
        EXPECT_EQ(render_path_from_name(row.name, render_path::sse2), row.expected)
            << (row.name != nullptr ? row.name : "(null)");
    }
    for (render_path path : {render_path::scalar, render_path::sse2, render_path::avx2})
        EXPECT_EQ(render_path_from_name(render_path_name(path), render_path::scalar), path);
}

}  // namespace
