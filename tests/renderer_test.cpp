#include "renderer.h"

#include "render_paths.h"
#include "test_views.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <stop_token>
#include <thread>
#include <tuple>
#include <vector>

namespace {

// Where the plane is sampled (the lower-left corner of each cell, memory row 0
// at the bottom), and pixels whose colour follows from the definition by hand.
TEST(Renderer, PixelsWorkedOutByHand)
{
    std::vector<std::uint8_t> buffer;
    const std::tuple<view_parameters, int, int, std::vector<int>> cases[] = {  // view, x, row, BGR
        // Start-up view: c = -2 - 2i escapes at once, red stored blue, green,
        // red; c = -2 stays at 2 for ever, black.
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
    for (const auto& [view, x, row, bgr] : cases) {
        compute_image(record({"", view, 640, 640, 0}, buffer));
        const std::uint8_t* p = &buffer[3 * (x + 640 * row)];
        EXPECT_EQ(std::vector<int>(p, p + 3), bgr) << "x " << x << " row " << row << " centre " << view.center_x;
    }
}

class each_worker : public testing::TestWithParam<render_path> {};

// Worker k draws the columns k, k + 8, ... of every row, and nothing else.
TEST_P(each_worker, draws_its_own_columns)
{
    SKIP_WITHOUT_UNIT(GetParam());
    path_guard guard;
    const test_view t = {"", {-0.5, 0.0, 1.5, 200, 0, 0}, 13, 7, 0};  // columns 0 to 4 have two pixels a row
    force_render_path(GetParam());
    for (int k = 0; k < WORKER_COUNT; ++k) {
        std::vector<std::uint8_t> buffer;
        render_columns(record(t, buffer), k);
        for (std::size_t p = 0; p < buffer.size(); ++p) {
            // 0xA5 is what record left, a level no palette uses.
            EXPECT_EQ(buffer[p] != 0xA5, p / 3 % t.width % WORKER_COUNT == std::size_t(k))
                << "worker " << k << " x " << p / 3 % t.width << " row " << p / 3 / t.width;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(paths, each_worker, testing::ValuesIn(all_render_paths), path_test_name);

unsigned refused_workers = 0;  // bit k refuses worker k

bool start_unless_refused(std::thread& thread, const CFractal& fractal, int k)
{
    return !(refused_workers >> k & 1) && start_render_worker(thread, fractal, k);
}

TEST(Renderer, RefusedWorkersAreDrawnByTheCaller)
{
    const test_view t = {"", {-0.75, 0.1, 0.05, 255, 0, 2}, 64, 64, 0};
    std::vector<std::uint8_t> expected, buffer;
    compute_image(record(t, expected));
    for (const unsigned refused : {0x00u, 0x81u, 0x5Au, 0xFFu}) {
        refused_workers = refused;
        compute_image(record(t, buffer), start_unless_refused);
        EXPECT_EQ(buffer, expected) << "refused " << refused;
    }
}

// Every worker's work is done once, a refused worker's on the calling
// thread, and fan_out returns only when every started one has ended; rows
// shared out cover each row once, with no more parts than rows.
TEST(Renderer, FanOutDoesEveryWorkOnceRefusedOnTheCaller)
{
    const std::thread::id caller = std::this_thread::get_id();
    for (const unsigned refused : {0x0u, 0x1u, 0x12u, 0x3Fu}) {
        std::vector<int> runs(6, 0);
        std::vector<std::thread::id> where(6);
        const auto work = [&](int k) {
            where[static_cast<std::size_t>(k)] = std::this_thread::get_id();
            ++runs[static_cast<std::size_t>(k)];
        };
        fan_out(
            6,
            [&](std::thread& thread, int k) {
                return !(refused >> k & 1) && start_worker_thread(thread, [&work, k] { work(k); });
            },
            work);
        for (int k = 0; k < 6; ++k) {
            EXPECT_EQ(runs[static_cast<std::size_t>(k)], 1) << "worker " << k << ", refused " << refused;
            EXPECT_EQ(where[static_cast<std::size_t>(k)] == caller, (refused >> k & 1) != 0) << "worker " << k;
        }
    }
    for (const auto& [rows, workers] : {std::pair{1, 8}, std::pair{7, 3}, std::pair{640, 8}, std::pair{5, 5}}) {
        std::vector<std::atomic<int>> covered(static_cast<std::size_t>(rows));
        std::atomic<int> parts = 0;
        fan_out_rows(rows, workers, [&](std::int32_t first, std::int32_t end) {
            ++parts;
            for (std::int32_t i = first; i < end; ++i)
                ++covered[static_cast<std::size_t>(i)];
        });
        EXPECT_EQ(parts, std::min(rows, workers));
        for (std::int32_t i = 0; i < rows; ++i)
            EXPECT_EQ(covered[static_cast<std::size_t>(i)], 1) << rows << " rows, row " << i;
    }
}

// A render whose stop was requested writes no pixel, on every path.
TEST(Renderer, AStoppedRenderEnds)
{
    path_guard guard;
    const test_view t = {"", {-0.75, 0.1, 0.05, 60000, 0, 2}, 64, 64, 0};
    std::stop_source stop;
    stop.request_stop();
    for (int p = 0; p <= static_cast<int>(best_render_path()); ++p) {
        force_render_path(static_cast<render_path>(p));
        std::vector<std::uint8_t> buffer;
        exact_job job = job_of(t, buffer);
        job.stop = stop.get_token();
        compute_image(job);
        EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 0xA5), std::ssize(buffer)) << render_path_name(static_cast<render_path>(p));
    }
}

}  // namespace
