#include "renderer.h"

#include "formulas.h"
#include "palettes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// A CFractal with a buffer of its own, for views of any size.
struct test_image {
    CFractal fractal;
    std::vector<std::uint8_t> buffer;

    test_image(double cx, double cy, double r, std::int32_t limit, int figure = 0, int palette = 0,
               std::int32_t width = IMAGE_WIDTH, std::int32_t height = IMAGE_HEIGHT)
        : buffer(static_cast<std::size_t>(width) * height * 3, 0xAB)
    {
        fractal.pixels = buffer.data();
        fractal.width = width;
        fractal.height = height;
        set_view(fractal, {cx, cy, r, limit, figure, palette});
    }

    const std::uint8_t* pixel(int x, int row) const { return buffer.data() + 3 * (x + fractal.width * row); }
};

// The definition as one plain loop on one thread, written out independently
// of the renderer: the reference every rendered image must equal.
std::vector<std::uint8_t> reference_image(const CFractal& f)
{
    std::vector<std::uint8_t> out(static_cast<std::size_t>(f.width) * f.height * 3);
    for (int i = 0; i < f.height; ++i) {
        for (int x = 0; x < f.width; ++x) {
            const double re = (static_cast<double>(2 * x - f.width) * f.radius) / f.width + f.center_x;
            const double im = (static_cast<double>(2 * i - f.height) * f.radius) / f.height + f.center_y;
            const std::int32_t n = figure_functions[f.figure_index](re, im, f.max_iterations);
            std::uint8_t* p = out.data() + 3 * (static_cast<std::size_t>(i) * f.width + x);
            if (n < f.max_iterations)
                std::memcpy(p, palette_colors[f.palette_index][static_cast<std::uint32_t>(n) % palette_lengths[f.palette_index]], 3);
            else
                std::memset(p, 0, 3);
        }
    }
    return out;
}

TEST(Renderer, RecordStartsZeroed)
{
    const CFractal f;
    EXPECT_EQ(f.window, nullptr);
    EXPECT_EQ(f.memory_dc, nullptr);
    EXPECT_EQ(f.dib_section, nullptr);
    EXPECT_EQ(f.previous_bitmap, nullptr);
    EXPECT_EQ(f.pixels, nullptr);
    EXPECT_EQ(f.width | f.height | f.max_iterations | f.figure_index | f.palette_index, 0);
    EXPECT_EQ(f.drag_start_x | f.drag_start_y, 0);
    EXPECT_EQ(f.center_x, 0.0);
    EXPECT_EQ(f.center_y, 0.0);
    EXPECT_EQ(f.radius, 0.0);
    EXPECT_FALSE(f.dragging);
    EXPECT_FALSE(f.show_time);
}

// Where the edges of the image sample the plane, and which way is up.
TEST(Renderer, MappingOfEdgesAndOrientation)
{
    test_image t(0.25, -0.5, 1.5, 1000);
    EXPECT_EQ(column_re(t.fractal, 0), 0.25 - 1.5);
    EXPECT_EQ(row_im(t.fractal, 0), -0.5 - 1.5);
    EXPECT_EQ(column_re(t.fractal, 320), 0.25);
    EXPECT_EQ(row_im(t.fractal, 320), -0.5);
    EXPECT_EQ(column_re(t.fractal, 639), 0.25 + 1.5 * 638.0 / 640.0);

    // Centre i with radius 1: memory row 0 samples im = 0 (inside the set,
    // black), the top row samples im near 2 (outside). Flipped rows would
    // swap them.
    test_image up(0.0, 1.0, 1.0, 1000);
    compute_image(up.fractal);
    const std::uint8_t black[3] = {0, 0, 0};
    EXPECT_EQ(std::memcmp(up.pixel(320, 0), black, 3), 0);
    EXPECT_NE(std::memcmp(up.pixel(320, 639), black, 3), 0);
}

TEST(Renderer, StartUpViewPixels)
{
    test_image t(0.0, 0.0, 2.0, 1000);
    compute_image(t.fractal);
    // c = 0: black. c = -2 - 2i: escapes at once, palette 0 entry 0 is red,
    // stored blue, green, red.
    const std::uint8_t black[3] = {0, 0, 0};
    const std::uint8_t red[3] = {0x00, 0x00, 0xFF};
    EXPECT_EQ(std::memcmp(t.pixel(320, 320), black, 3), 0);
    EXPECT_EQ(std::memcmp(t.pixel(0, 0), red, 3), 0);
    // c = -2 on the real axis stays at 2 for ever: black.
    EXPECT_EQ(std::memcmp(t.pixel(0, 320), black, 3), 0);
}

struct view {
    double cx, cy, r;
    std::int32_t limit;
    int figure, palette;
    std::int32_t width, height;
};

// Views across exponents, limits, tiny radii, far centres, odd sizes and every palette.
const view views[] = {
    {0.0, 0.0, 2.0, 1000, 0, 0, 640, 640},
    {0.0, 0.0, 2.0, 1, 0, 3, 640, 640},
    {0.0, 0.0, 2.0, 300, 1, 1, 160, 160},
    {0.3, 0.5, 0.05, 500, 2, 2, 160, 160},
    {-0.75, 0.1, 0.02, 60000, 0, 4, 48, 48},
    {-0.1, 0.65, 0.1, 60000, 1, 5, 40, 40},
    {-0.7436438870371, 0.1318259042053, 1e-13, 2000, 0, 6, 64, 64},
    {3.5, -7.25, 4.0, 1000, 0, 7, 64, 64},
    {-2.5, 2.5, 0.75, 100, 2, 8, 64, 64},
    {0.0, 0.0, 2.0, 200, 0, 9, 13, 7},
    {0.0, 0.0, 2.0, 200, 0, 10, 5, 9},
    {-1.0, 0.0, 0.5, 200, 0, 11, 64, 64},
    {-1.0, 0.0, 0.5, 200, 1, 12, 64, 64},
    {-1.0, 0.0, 0.5, 200, 2, 13, 64, 64},
    {-0.5, 0.5, 1.0, 500, 0, 14, 64, 64},
};

TEST(Renderer, EightWorkersEqualThePlainLoopOnEveryByte)
{
    for (const view& v : views) {
        test_image t(v.cx, v.cy, v.r, v.limit, v.figure, v.palette, v.width, v.height);
        compute_image(t.fractal);
        EXPECT_EQ(t.buffer, reference_image(t.fractal))
            << "view " << v.cx << ", " << v.cy << ", r " << v.r << ", limit " << v.limit << ", figure " << v.figure
            << ", palette " << v.palette << ", " << v.width << "x" << v.height;
    }
}

TEST(Renderer, EveryByteIsWritten)
{
    // The buffer starts as 0xAB, a level no palette uses.
    for (const view& v : views) {
        test_image t(v.cx, v.cy, v.r, v.limit > 2000 ? 2000 : v.limit, v.figure, v.palette, v.width, v.height);
        compute_image(t.fractal);
        EXPECT_EQ(std::memchr(t.buffer.data(), 0xAB, t.buffer.size()), nullptr) << "palette " << v.palette;
    }
}

// Refuses the workers whose bit is set in refused_workers.
unsigned refused_workers = 0;
std::atomic<int> workers_running{0};

bool start_some(std::thread& thread, const CFractal& fractal, int k)
{
    if (refused_workers & (1u << k))
        return false;
    thread = std::thread([&fractal, k] {
        ++workers_running;
        // A slow worker: compute_image must still wait for it.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        render_columns(fractal, k);
        --workers_running;
    });
    return true;
}

TEST(Renderer, RefusedWorkersAreRenderedByTheCaller)
{
    for (const unsigned refused : {0x00u, 0x01u, 0x81u, 0x5Au, 0xFEu, 0xFFu}) {
        refused_workers = refused;
        test_image t(-0.5, 0.0, 1.5, 200, 0, 2, 64, 64);
        compute_image(t.fractal, start_some);
        EXPECT_EQ(workers_running.load(), 0) << "returned while a worker still ran, refused " << refused;
        EXPECT_EQ(t.buffer, reference_image(t.fractal)) << "refused " << refused;
    }
}

TEST(Renderer, ElapsedTimeIsMeasured)
{
    refused_workers = 0;
    test_image t(0.0, 0.0, 2.0, 10, 0, 0, 16, 16);
    // The slow starter holds each worker for 20 ms.
    const std::int32_t elapsed = compute_image(t.fractal, start_some);
    EXPECT_GE(elapsed, 19);
    EXPECT_LT(elapsed, 60000);
}

}  // namespace
