// Random gestures of every kind with a fixed seed, against a small model of
// the view they should leave. The bitmap is held to the engine's rendering
// of the model's view every 100 gestures and at the end, and the process's
// GDI objects must stay as many as after a warm-up. (Wine reports no USER
// object or handle counts, so those are not asserted.)
#include "window_harness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

// QUELLARIN_SOAK_GESTURES, or 500.
int gesture_count()
{
    const char* text = std::getenv("QUELLARIN_SOAK_GESTURES");
    return text && std::atoi(text) > 0 ? std::atoi(text) : 500;
}

std::wstring number_text(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);  // reads back exactly
    return {text, text + std::char_traits<char>::length(text)};
}

class soak {
public:
    static constexpr int KINDS = 10;

    explicit soak(HWND window) : hwnd_(window) {}

    // One gesture of the given kind; each computation it makes while the
    // report is on must show one report.
    void run(int kind)
    {
        computations_ = 0;
        modal_log log;
        if (kind < 3)
            log = drag();
        else if (kind < 6)
            log = turn_wheel();
        else if (kind < 8)
            log = apply_valid();
        else if (kind == 8)
            log = leave_unapplied();
        else
            minimise_or_lose_capture();
        ASSERT_FALSE(log.timed_out) << trace;
        ASSERT_EQ(log.reports.size(), show_time ? computations_ : 0) << trace;
    }

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    // The model: what the program should hold now.
    view_parameters view;
    bool show_time = false;
    std::string trace;

private:
    modal_log drag()
    {
        // Mostly inside, sometimes well beyond the edges while captured.
        const int x0 = pick(0, 639), y0 = pick(0, 639), x1 = pick(-400, 1040), y1 = pick(-400, 1040);
        trace = "drag by " + std::to_string(x1 - x0) + "," + std::to_string(y1 - y0);
        const modal_log log = run_gesture([&] {
            press(hwnd_, x0, y0);
            for (int m = pick(0, 3); m > 0; --m)
                move(hwnd_, pick(-100, 740), pick(-100, 740));
            release(hwnd_, x1, y1);
        });
        view.center_x = view.center_x - 2 * ((static_cast<double>(x1 - x0) * view.radius) / 640);
        view.center_y = view.center_y + 2 * ((static_cast<double>(y1 - y0) * view.radius) / 640);
        wheel_remainder_ = 0;
        computations_ = 1;
        return log;
    }

    modal_log turn_wheel()
    {
        static const int amounts[] = {120, -120, 120, -120, 240, -360, 60, -60, 30, 90, -1, 600};
        const int amount = amounts[pick(0, 11)];
        trace = "wheel " + std::to_string(amount);
        const modal_log log = run_gesture([&] { wheel(hwnd_, amount); });
        if ((amount > 0) != (wheel_remainder_ > 0))
            wheel_remainder_ = 0;
        for (wheel_remainder_ += amount; std::abs(wheel_remainder_) >= 120;) {
            const double r = wheel_remainder_ > 0 ? view.radius * 0.5 : view.radius * 2;
            wheel_remainder_ -= wheel_remainder_ > 0 ? 120 : -120;
            if (r >= 1e-14 && r <= 4.0) {
                view.radius = r;
                ++computations_;
            }
        }
        return log;
    }

    modal_log apply_valid()
    {
        std::uniform_real_distribution<double> centre(-2.0, 2.0);
        view = {centre(random_), centre(random_), std::ldexp(1.0, pick(-40, 2)), pick(1, 1500), pick(0, 2),
                pick(0, 14)};
        show_time = pick(0, 3) == 0;
        trace = "apply " + std::to_string(view.center_x) + ", " + std::to_string(view.center_y) + ", r " +
                std::to_string(view.radius) + ", c " + std::to_string(view.max_iterations);
        wheel_remainder_ = 0;
        computations_ = 1;
        return use_dialog(hwnd_, {number_text(view.center_x), number_text(view.center_y), number_text(view.radius),
                                  std::to_wstring(view.max_iterations), view.figure_index, view.palette_index,
                                  show_time ? BST_CHECKED : BST_UNCHECKED, dialog_end::ok_button});
    }

    // One refused field, or Cancel, the close box or Escape: nothing of the
    // input is kept, lists and report included.
    modal_log leave_unapplied()
    {
        static const wchar_t* const centres[] = {L"3", L"-2.0000000000000004", L"nan", L"-inf"};
        static const wchar_t* const radii[] = {L"0", L"1e-14", L"4.000000000000001", L"inf"};
        static const dialog_end ends[] = {dialog_end::cancel_button, dialog_end::close_box, dialog_end::escape_key};
        dialog_answer answer{.figure = pick(0, 2), .palette = pick(0, 14), .show_time = BST_CHECKED};
        switch (pick(0, 4)) {
        case 0: answer.x = centres[pick(0, 3)]; break;
        case 1: answer.y = centres[pick(0, 3)]; break;
        case 2: answer.r = radii[pick(0, 3)]; break;
        case 3: answer.c = pick(0, 1) ? L"0" : L"60001"; break;
        default: answer.end = ends[pick(0, 2)]; break;
        }
        trace = "dialog left unapplied";
        wheel_remainder_ = 0;
        return use_dialog(hwnd_, answer);
    }

    // Neither changes the view: minimising and restoring repaints, and a drag
    // whose capture another window takes ends without a computation.
    void minimise_or_lose_capture()
    {
        if (pick(0, 1)) {
            trace = "minimise and restore";
            ShowWindow(hwnd_, SW_MINIMIZE);
            ShowWindow(hwnd_, SW_RESTORE);
        } else {
            trace = "drag that loses the capture";
            press(hwnd_, pick(0, 639), pick(0, 639));
            move(hwnd_, pick(0, 639), pick(0, 639));
            ReleaseCapture();
            release(hwnd_, pick(0, 639), pick(0, 639));
            wheel_remainder_ = 0;
        }
        UpdateWindow(hwnd_);
    }

    HWND hwnd_;
    std::mt19937 random_{20261207u};
    int wheel_remainder_ = 0;
    std::size_t computations_ = 0;
};

TEST(Soak, RandomGesturesKeepTheImageExactAndNothingLeaks)
{
    test_window window;
    ASSERT_NE(window.handle(), nullptr);
    soak gestures(window.handle());
    // Every kind a few times first: the platform keeps what the first
    // dialogs and report boxes create (fonts, cached device contexts).
    for (int kind = 0; kind < 3 * soak::KINDS; ++kind)
        ASSERT_NO_FATAL_FAILURE(gestures.run(kind % soak::KINDS));
    const unsigned gdi_before = gdi_objects();
    const int count = gesture_count();
    for (int g = 1; g <= count; ++g) {
        ASSERT_NO_FATAL_FAILURE(gestures.run(gestures.pick(0, soak::KINDS - 1))) << "gesture " << g;
        if (g % 100 != 0 && g != count)
            continue;
        const view_parameters& v = gestures.view;
        ASSERT_EQ(view_of(window.fractal), v) << "after gesture " << g << "; " << gestures.trace;
        ASSERT_EQ(window.fractal.show_time, gestures.show_time) << "after gesture " << g << "; " << gestures.trace;
        ASSERT_TRUE(bitmap_of(window.fractal) == render_view(v)) << "bitmap after gesture " << g;
        std::printf("%d gestures: bitmap matches the engine; %u GDI objects\n", g, gdi_objects());
    }
    EXPECT_GT(gdi_before, 0u) << "GDI objects not counted";
    EXPECT_EQ(gdi_objects(), gdi_before);
}

}  // namespace
