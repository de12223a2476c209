// Panning and zooming with the mouse, through the window's own messages.
// With the time report on, each computation shows one report, so the
// reports count the computations.
#include "window_harness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace {

struct drag_case {
    int x0, y0, x1, y1;
    double center_x, center_y;  // expected, from the start-up view
};

TEST(Mouse, DragMovesTheCentreByTheSignedDistanceAndRendersIt)
{
    const drag_case cases[] = {
        {320, 320, 640, 320, -2.0, 0.0},        // right by half the window
        {320, 320, 320, 640, 0.0, 2.0},         // down: the centre goes up
        {100, 100, -50, -30, 0.9375, -0.8125},  // ends left of and above the window, captured
        {639, 0, 700, 800, -0.38125, 5.0},      // ends right of and below it
        {200, 200, 200, 200, 0.0, 0.0},         // no movement still computes
    };
    test_window window;
    window.fractal.show_time = true;
    for (const drag_case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x0 << "," << c.y0 << " -> " << c.x1 << "," << c.y1);
        show_view(window, {});
        const modal_log log = run_gesture([&] {
            press(window.handle(), c.x0, c.y0);
            EXPECT_EQ(GetCapture(), window.handle());
            move(window.handle(), (c.x0 + c.x1) / 2, (c.y0 + c.y1) / 2);
            release(window.handle(), c.x1, c.y1);
        });
        EXPECT_EQ(std::tuple(window.fractal.center_x, window.fractal.center_y, window.fractal.radius, log.reports.size()),
                  std::tuple(c.center_x, c.center_y, 2.0, 1u));
        EXPECT_FALSE(window.fractal.dragging);
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_TRUE(bitmap_of(window.fractal) == render_view(view_of(window.fractal)));
    }
}

TEST(Mouse, WheelStepsAreWholeNotchesWithinTheLimits)
{
    struct wheel_case {
        double radius;
        std::vector<int> amounts;
        double expected;
        std::size_t computations;
    };
    const wheel_case cases[] = {
        {2.0, {120}, 1.0, 1},
        {2.0, {-120}, 4.0, 1},
        {4.0, {-120}, 4.0, 0},     // already at the top
        {3.0, {-120}, 3.0, 0},     // 6 is refused, not clamped to 4
        {2e-14, {120}, 1e-14, 1},  // exactly the bottom is accepted
        {1.5e-14, {120}, 1.5e-14, 0},
        {2.0, {60, 60}, 1.0, 1},   // halves add up to a notch
        {2.0, {240}, 0.5, 2},      // two notches at once
        {2.0, {90, -120}, 4.0, 1}, // a turn the other way drops the remainder
        {2.0, {48 * 120}, std::ldexp(1.0, -46), 47},  // the 48th notch would pass 1e-14
    };
    test_window window;
    window.fractal.show_time = true;
    for (const wheel_case& c : cases) {
        SCOPED_TRACE(testing::Message() << "radius " << c.radius << ", first amount " << c.amounts[0]);
        // A tiny turn against the row's first amount clears what the row before left.
        wheel(window.handle(), c.amounts[0] > 0 ? -1 : 1);
        show_view(window, {0.0, 0.0, c.radius, 200, 0, 0});
        const modal_log log = run_gesture([&] {
            for (const int amount : c.amounts)
                wheel(window.handle(), amount);
        });
        EXPECT_EQ(window.fractal.radius, c.expected);
        EXPECT_EQ(log.reports.size(), c.computations);
        EXPECT_TRUE(bitmap_of(window.fractal) == render_view(view_of(window.fractal)));
    }
}

// A fraction of a notch left before another gesture never zooms after it.
TEST(Mouse, WheelRemainderIsDroppedWhenADragBeginsOrTheDialogOpens)
{
    test_window window;
    HWND hwnd = window.handle();
    wheel(hwnd, 60);
    press(hwnd, 10, 10);
    release(hwnd, 10, 10);
    wheel(hwnd, 60);
    EXPECT_EQ(window.fractal.radius, 2.0);
    use_dialog(hwnd, {.end = dialog_end::cancel_button});
    wheel(hwnd, 60);
    EXPECT_EQ(window.fractal.radius, 2.0);
    wheel(hwnd, 60);
    EXPECT_EQ(window.fractal.radius, 1.0);
}

TEST(Mouse, WheelAndStrayReleasesDoNothingOutsideTheirGesture)
{
    test_window window;
    HWND hwnd = window.handle();
    window.fractal.show_time = true;
    const image before = bitmap_of(window.fractal);
    modal_log log = run_gesture([&] {
        release(hwnd, 400, 400);  // no press began a drag
        press(hwnd, 100, 100);
        wheel(hwnd, 120);  // ignored while dragging
        EXPECT_TRUE(window.fractal.dragging);
        // Another window takes the capture: the drag ends, nothing is computed.
        ReleaseCapture();
        move(hwnd, 300, 300);
        release(hwnd, 300, 300);
    });
    EXPECT_EQ(log.reports.size(), 0u);
    EXPECT_FALSE(window.fractal.dragging);
    EXPECT_EQ(view_of(window.fractal).center_x, 0.0);
    EXPECT_EQ(view_of(window.fractal).radius, 2.0);
    EXPECT_TRUE(bitmap_of(window.fractal) == before);
    UpdateWindow(hwnd);
    EXPECT_TRUE(window_pixels(hwnd) == before);
}

// The previews stay on the window until the next paint: a drag shows the
// old image at the pointer's offset, a notch forward the old image doubled
// about the centre, a notch back the old image halved in the middle, each on
// a white ground with a black outline where the image leaves it bare.
TEST(Mouse, PreviewsShowTheOldImageMovedOrStretched)
{
    test_window window;
    HWND hwnd = window.handle();
    const auto ground = [](int x, int y) -> std::uint32_t {
        return x == 0 || y == 0 || x == 639 || y == 639 ? 0x000000 : 0xFFFFFF;
    };
    const auto inside = [](int x, int y) { return x >= 0 && x < 640 && y >= 0 && y < 640; };
    // Pixels that differ from the rule; the rule may leave a pixel open.
    const auto wrong = [&](const image& old, auto rule) {
        const image shown = window_pixels(hwnd);
        int count = 0;
        for (int y = 0; y < 640; ++y) {
            for (int x = 0; x < 640; ++x) {
                const std::optional<std::uint32_t> expected = rule(old, x, y);
                count += expected && *expected != pixel_at(shown, x, y);
            }
        }
        UpdateWindow(hwnd);
        return count;
    };

    image old = bitmap_of(window.fractal);
    press(hwnd, 300, 300);
    move(hwnd, 337, 279);
    EXPECT_EQ(wrong(old, [&](const image& o, int x, int y) -> std::optional<std::uint32_t> {
                  return inside(x - 37, y + 21) ? pixel_at(o, x - 37, y + 21) : ground(x, y);
              }), 0) << "drag";
    release(hwnd, 300, 300);

    old = bitmap_of(window.fractal);
    wheel(hwnd, 120);
    EXPECT_EQ(wrong(old, [](const image& o, int x, int y) -> std::optional<std::uint32_t> {
                  return pixel_at(o, (x + 320) / 2, (y + 320) / 2);
              }), 0) << "notch forward";

    // Shrinking combines 2 x 2 blocks; a uniform block keeps its colour
    // whatever the stretching mode, so only those are compared.
    old = bitmap_of(window.fractal);
    wheel(hwnd, -120);
    int compared = 0;
    EXPECT_EQ(wrong(old, [&](const image& o, int x, int y) -> std::optional<std::uint32_t> {
                  if (x < 160 || x >= 480 || y < 160 || y >= 480)
                      return ground(x, y);
                  const int sx = 2 * (x - 160), sy = 2 * (y - 160);
                  const std::uint32_t c = pixel_at(o, sx, sy);
                  if (pixel_at(o, sx + 1, sy) != c || pixel_at(o, sx, sy + 1) != c || pixel_at(o, sx + 1, sy + 1) != c)
                      return std::nullopt;
                  ++compared;
                  return c;
              }), 0) << "notch back";
    EXPECT_GT(compared, 320 * 320 / 2);
}

}  // namespace
