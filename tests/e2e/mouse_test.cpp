// Dragging and the wheel, driven by real mouse input, with their previews.
#include "app.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Switches the time report on through the dialog and dismisses the report
// of that very computation; afterwards every computation shows one box.
void switch_report_on(const app_process& app)
{
    HWND dialog = open_dialog(app);
    ASSERT_NE(dialog, nullptr);
    click_window(GetDlgItem(dialog, IDC_SHOW_TIME));
    click_window(GetDlgItem(dialog, IDC_OK));
    HWND box = wait_for_time_report(app);
    ASSERT_NE(box, nullptr);
    dismiss(box);
    ASSERT_TRUE(wait_until([&] { return !IsWindow(dialog); }));
}

// Presses the left button at from, moves to to in small steps, and releases
// there unless keep_holding.
void drag(HWND window, POINT from, POINT to, bool keep_holding = false)
{
    button_at(window, from.x, from.y, MOUSEEVENTF_LEFTDOWN);
    Sleep(50);
    for (int step = 1; step <= 8; ++step) {
        move_mouse_to(window, from.x + (to.x - from.x) * step / 8, from.y + (to.y - from.y) * step / 8);
        Sleep(30);
    }
    if (!keep_holding)
        button_at(window, to.x, to.y, MOUSEEVENTF_LEFTUP);
}

// Wine sends a window's last drawing outside WM_PAINT to the X server only
// with its next one, so a held drag shows the move before the last. One more
// move message at the same place redraws the same preview and pushes the
// last one out, as a real pointer's jitter would.
void settle_preview(HWND window, int x, int y)
{
    PostMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
}

void wheel_over(HWND window, int amount)
{
    move_mouse_to(window, 320, 320);
    turn_wheel(amount);
}

enum class preview { drag, zoom_in, zoom_out };

// The preview as the described drawing operations produce it from the old
// image: a white rectangle with the default pen and brush, then the old image
// copied at the drag offset, or stretched to double or half size.
std::vector<std::uint8_t> expected_preview(const std::vector<std::uint8_t>& old_image, preview kind, int dx = 0,
                                           int dy = 0)
{
    const dib_image source(old_image);
    const dib_image target(old_image);
    const int w = IMAGE_WIDTH;
    const int h = IMAGE_HEIGHT;
    switch (kind) {
    case preview::drag:
        Rectangle(target.dc(), 0, 0, w, h);
        BitBlt(target.dc(), dx, dy, w, h, source.dc(), 0, 0, SRCCOPY);
        break;
    case preview::zoom_in:
        StretchBlt(target.dc(), -w / 2, -h / 2, 2 * w, 2 * h, source.dc(), 0, 0, w, h, SRCCOPY);
        break;
    case preview::zoom_out:
        Rectangle(target.dc(), 0, 0, w, h);
        StretchBlt(target.dc(), w / 4, h / 4, w / 2, h / 2, source.dc(), 0, 0, w, h, SRCCOPY);
        break;
    }
    return target.pixels();
}

// Pixels that differ outside the report box, which covers part of the window.
int differing_outside(HWND window, HWND box, const std::vector<std::uint8_t>& expected)
{
    const std::vector<std::uint8_t> shown = capture_client(window);
    RECT covered{};
    GetWindowRect(box, &covered);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    OffsetRect(&covered, -origin.x, -origin.y);
    int count = 0;
    for (int row = 0; row < IMAGE_HEIGHT; ++row) {
        const int y = IMAGE_HEIGHT - 1 - row;  // bottom-up buffer, top-down screen
        for (int x = 0; x < IMAGE_WIDTH; ++x) {
            if (x >= covered.left && x < covered.right && y >= covered.top && y < covered.bottom)
                continue;
            const std::size_t at = 3 * (static_cast<std::size_t>(row) * IMAGE_WIDTH + x);
            count += shown[at] != expected[at] || shown[at + 1] != expected[at + 1] || shown[at + 2] != expected[at + 2];
        }
    }
    return count;
}

TEST(Mouse, WheelStopsAtTheRadiusLimits)
{
    app_process app;
    ASSERT_NE(app.window(), nullptr);
    wheel_over(app.window(), 120);
    EXPECT_EQ(wait_for_image(app.window(), render_view({0.0, 0.0, 1.0})), 0);

    // 47 notches in all reach 2^-46; the 48th would go below 1e-14.
    for (int notch = 1; notch < 48; ++notch)
        turn_wheel(120);
    EXPECT_EQ(read_dialog_values(app).r, L"0.00000000000001");
    // One back gives 2^-45 only if the 48th was refused.
    wheel_over(app.window(), -120);
    EXPECT_EQ(read_dialog_values(app).r, L"0.00000000000003");
}

TEST(Mouse, WheelBackStopsAtFour)
{
    app_process app;
    ASSERT_NE(app.window(), nullptr);
    switch_report_on(app);
    wheel_over(app.window(), -120);
    HWND box = wait_for_time_report(app);
    ASSERT_NE(box, nullptr) << "2 -> 4 was refused";
    dismiss(box);
    EXPECT_EQ(wait_for_image(app.window(), render_view({0.0, 0.0, 4.0})), 0);
    turn_wheel(-120);
    EXPECT_TRUE(no_time_report_for(app, 1000)) << "4 -> 8 was accepted";
    EXPECT_EQ(read_dialog_values(app).r, L"4.00000000000000");
}

TEST(Mouse, DragMovesTheCentreWithThePointer)
{
    app_process app;
    ASSERT_NE(app.window(), nullptr);
    // 320 pixels right at radius 2: the centre moves by -2 in x.
    drag(app.window(), {160, 320}, {480, 320});
    EXPECT_EQ(wait_for_image(app.window(), render_view({-2.0, 0.0, 2.0})), 0);
    // 320 pixels down: +2 in y.
    drag(app.window(), {320, 160}, {320, 480});
    EXPECT_EQ(wait_for_image(app.window(), render_view({-2.0, 2.0, 2.0})), 0);
    // A small diagonal drag, checked against the pan arithmetic.
    drag(app.window(), {300, 300}, {337, 289});
    view moved{-2.0, 2.0, 2.0};
    moved.center_x = moved.center_x - 2 * ((37.0 * 2.0) / 640);
    moved.center_y = moved.center_y + 2 * ((-11.0 * 2.0) / 640);
    EXPECT_EQ(wait_for_image(app.window(), render_view(moved)), 0);
}

TEST(Mouse, WheelIgnoredWhileDraggingAndReleaseWithoutPress)
{
    app_process app;
    ASSERT_NE(app.window(), nullptr);
    switch_report_on(app);

    // The wheel during a drag does nothing; the zero-length drag recomputes the same view.
    drag(app.window(), {320, 320}, {320, 320}, true);
    turn_wheel(120);
    Sleep(300);
    button_at(app.window(), 320, 320, MOUSEEVENTF_LEFTUP);
    HWND box = wait_for_time_report(app);
    ASSERT_NE(box, nullptr);
    dismiss(box);
    EXPECT_TRUE(no_time_report_for(app, 800)) << "the wheel computed during the drag";
    EXPECT_EQ(wait_for_image(app.window(), render_view({})), 0);

    // A press outside the window, released over it, is no drag.
    RECT outer{};
    GetWindowRect(app.window(), &outer);
    POINT outside{outer.left - 20, outer.top + 100};
    ScreenToClient(app.window(), &outside);
    button_at(app.window(), outside.x, outside.y, MOUSEEVENTF_LEFTDOWN);
    Sleep(50);
    button_at(app.window(), 300, 300, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(no_time_report_for(app, 1000)) << "a release without a press recomputed";
    EXPECT_EQ(wait_for_image(app.window(), render_view({}), 2000), 0);
}

TEST(Mouse, PreviewsHoldTheScreenWhileTheReportIsUp)
{
    app_process app;
    ASSERT_NE(app.window(), nullptr);
    switch_report_on(app);
    const std::vector<std::uint8_t> start = render_view({});

    // Drag: the old image follows the pointer on white, during and after the gesture.
    drag(app.window(), {200, 200}, {260, 230}, true);
    settle_preview(app.window(), 260, 230);
    const std::vector<std::uint8_t> dragged = expected_preview(start, preview::drag, 60, 30);
    EXPECT_EQ(wait_for_image(app.window(), dragged, 5000), 0);
    button_at(app.window(), 260, 230, MOUSEEVENTF_LEFTUP);
    HWND box = wait_for_time_report(app);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(differing_outside(app.window(), box, dragged), 0);
    dismiss(box);
    view after_drag;
    after_drag.center_x = 0.0 - 2 * ((60.0 * 2.0) / 640);
    after_drag.center_y = 0.0 + 2 * ((30.0 * 2.0) / 640);
    const std::vector<std::uint8_t> panned = render_view(after_drag);
    ASSERT_EQ(wait_for_image(app.window(), panned), 0);

    // Forward notch: the old image doubled about the centre.
    wheel_over(app.window(), 120);
    box = wait_for_time_report(app);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(differing_outside(app.window(), box, expected_preview(panned, preview::zoom_in)), 0);
    dismiss(box);
    after_drag.radius = 1.0;
    const std::vector<std::uint8_t> zoomed = render_view(after_drag);
    ASSERT_EQ(wait_for_image(app.window(), zoomed), 0);

    // Backward notch: the old image at half size inside a white frame.
    turn_wheel(-120);
    box = wait_for_time_report(app);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(differing_outside(app.window(), box, expected_preview(zoomed, preview::zoom_out)), 0);
    dismiss(box);
    after_drag.radius = 2.0;
    EXPECT_EQ(wait_for_image(app.window(), render_view(after_drag)), 0);
}

TEST(Mouse, LosingTheCaptureEndsTheDrag)
{
    app_process app;
    ASSERT_NE(app.window(), nullptr);
    switch_report_on(app);
    const std::vector<std::uint8_t> start = render_view({});

    drag(app.window(), {200, 200}, {260, 240}, true);
    settle_preview(app.window(), 260, 240);
    ASSERT_EQ(wait_for_image(app.window(), expected_preview(start, preview::drag, 60, 40), 5000), 0);
    // The right button opens the dialog mid-drag; it takes the capture away.
    click_at(app.window(), 260, 240, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    HWND dialog = wait_for_dialog(app);
    ASSERT_NE(dialog, nullptr);
    button_at(app.window(), 260, 240, MOUSEEVENTF_LEFTUP);
    click_window(GetDlgItem(dialog, IDC_CANCEL));
    ASSERT_TRUE(wait_until([&] { return !IsWindow(dialog); }));

    // The drag is over: the image is back, moves draw no preview, a release computes nothing.
    EXPECT_EQ(wait_for_image(app.window(), start), 0);
    move_mouse_to(app.window(), 100, 100);
    button_at(app.window(), 400, 300, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(no_time_report_for(app, 1000));
    EXPECT_EQ(wait_for_image(app.window(), start, 2000), 0);

    // And the wheel works again.
    wheel_over(app.window(), 120);
    HWND box = wait_for_time_report(app);
    ASSERT_NE(box, nullptr) << "the wheel is still ignored";
    dismiss(box);
    EXPECT_EQ(wait_for_image(app.window(), render_view({0.0, 0.0, 1.0})), 0);
}

TEST(Mouse, PartialNotchesAddUp)
{
    app_process app;
    ASSERT_NE(app.window(), nullptr);
    switch_report_on(app);

    // Half a notch does nothing; the second half makes one step.
    wheel_over(app.window(), 60);
    EXPECT_TRUE(no_time_report_for(app, 1000)) << "half a notch recomputed";
    EXPECT_EQ(wait_for_image(app.window(), render_view({}), 2000), 0);
    turn_wheel(60);
    HWND box = wait_for_time_report(app);
    ASSERT_NE(box, nullptr);
    dismiss(box);
    EXPECT_TRUE(no_time_report_for(app, 800));
    EXPECT_EQ(wait_for_image(app.window(), render_view({0.0, 0.0, 1.0})), 0);

    // Two notches in one message are two steps, each with its report.
    turn_wheel(240);
    for (int step = 0; step < 2; ++step) {
        box = wait_for_time_report(app);
        ASSERT_NE(box, nullptr) << "step " << step;
        dismiss(box);
    }
    EXPECT_TRUE(no_time_report_for(app, 800));
    EXPECT_EQ(wait_for_image(app.window(), render_view({0.0, 0.0, 0.25})), 0);

    // A part turned back is dropped: a whole notch the other way acts at once.
    turn_wheel(40);
    turn_wheel(-120);
    box = wait_for_time_report(app);
    ASSERT_NE(box, nullptr);
    dismiss(box);
    EXPECT_EQ(wait_for_image(app.window(), render_view({0.0, 0.0, 0.5})), 0);
}

}  // namespace
