#include "renderer.h"

#include "fast_render.h"
#include "test_views.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint8_t UNWRITTEN = 0xA5;  // a level no palette uses

// A record of the test view with a buffer of its own.
struct test_image {
    CFractal fractal;
    std::vector<std::uint8_t> buffer;

    explicit test_image(const test_view& t) : buffer(static_cast<std::size_t>(t.width) * t.height * 3, UNWRITTEN)
    {
        fractal.pixels = buffer.data();
        fractal.width = t.width;
        fractal.height = t.height;
        set_view(fractal, t.view);
    }

    const std::uint8_t* pixel(int x, int row) const { return buffer.data() + 3 * (x + fractal.width * row); }
};

// Where the first and last columns and rows sample the plane: the lower-left
// corner of each cell, memory row 0 at the bottom.
TEST(Renderer, EdgesSampleTheLowerLeftCorners)
{
    test_image t({"", {0.25, -0.5, 1.5, 1000, 0, 0}, 640, 640, 0});
    EXPECT_EQ(column_re(t.fractal, 0), 0.25 - 1.5);
    EXPECT_EQ(row_im(t.fractal, 0), -0.5 - 1.5);
    EXPECT_EQ(column_re(t.fractal, 320), 0.25);
    EXPECT_EQ(row_im(t.fractal, 639), -0.5 + 1.5 * 638.0 / 640.0);
}

struct pixel_case {
    view_parameters view;
    int x;
    int row;
    std::uint8_t bgr[3];
};

// Pixels whose colour follows from the definition by hand.
constexpr pixel_case pixel_cases[] = {
    // Start-up view: c = 0 is black; c = -2 - 2i escapes at once, red
    // stored blue, green, red; c = -2 stays at 2 for ever, black.
    {{}, 320, 320, {0, 0, 0}},
    {{}, 0, 0, {0x00, 0x00, 0xFF}},
    {{}, 0, 320, {0, 0, 0}},
    // Centre i, radius 1: memory row 0 samples c = 0 (black); the top row
    // samples 1.996875i, which escapes after one step (entry 1, FF4000).
    {{0.0, 1.0, 1.0, 1000, 0, 0}, 320, 0, {0, 0, 0}},
    {{0.0, 1.0, 1.0, 1000, 0, 0}, 320, 639, {0x00, 0x40, 0xFF}},
    // Palette 3 on the real axis: c = 2.4921875 escapes at once (000010),
    // c = 1.75 after one step (000020).
    {{0.0, 0.0, 2.5, 100, 0, 3}, 639, 320, {0x10, 0x00, 0x00}},
    {{0.0, 0.0, 2.5, 100, 0, 3}, 544, 320, {0x20, 0x00, 0x00}},
};

TEST(Renderer, PixelsWorkedOutByHand)
{
    for (const pixel_case& c : pixel_cases) {
        test_image t({"", c.view, 640, 640, 0});
        compute_image(t.fractal);
        const std::uint8_t* p = t.pixel(c.x, c.row);
        EXPECT_TRUE(std::memcmp(p, c.bgr, 3) == 0)
            << "x " << c.x << " row " << c.row << " centre " << c.view.center_x << ", " << c.view.center_y << ": "
            << int(p[0]) << " " << int(p[1]) << " " << int(p[2]);
    }
}

// Worker k draws the columns k, k + 8, ... of every row, and nothing else.
TEST(Renderer, EachWorkerDrawsItsOwnColumns)
{
    const render_path saved = active_render_path();
    for (const render_path path : {render_path::scalar, render_path::sse2, render_path::avx2}) {
        force_render_path(path);
        for (int k = 0; k < WORKER_COUNT; ++k) {
            test_image t(view_named("13 x 7"));  // columns 0 to 4 have two pixels a row
            render_columns(t.fractal, k);
            for (int i = 0; i < t.fractal.height; ++i) {
                for (int x = 0; x < t.fractal.width; ++x) {
                    const bool drawn = std::memchr(t.pixel(x, i), UNWRITTEN, 3) == nullptr;
                    EXPECT_EQ(drawn, x % WORKER_COUNT == k) << "worker " << k << " x " << x << " row " << i;
                }
            }
        }
    }
    force_render_path(saved);
}

// Refuses the workers whose bit is set in refused_workers.
unsigned refused_workers = 0;
std::atomic<int> workers_running{0};

bool start_slowly(std::thread& thread, const CFractal& fractal, int k)
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

TEST(Renderer, RefusedWorkersAreDrawnByTheCallerAndTheTimeIsMeasured)
{
    test_image expected(view_named("limit 255"));
    compute_image(expected.fractal);
    for (const unsigned refused : {0x00u, 0x01u, 0x81u, 0x5Au, 0xFEu, 0xFFu}) {
        refused_workers = refused;
        test_image t(view_named("limit 255"));
        const std::int32_t elapsed = compute_image(t.fractal, start_slowly);
        EXPECT_EQ(workers_running.load(), 0) << "returned while a worker still ran, refused " << refused;
        EXPECT_EQ(t.buffer, expected.buffer) << "refused " << refused;
        if (refused != 0xFF) {
            EXPECT_GE(elapsed, 19) << "each started worker sleeps 20 ms";
        }
    }
}

}  // namespace
