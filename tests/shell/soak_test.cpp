// Random gestures of every kind with a fixed seed, against a small model of
// the view they should leave. The bitmap is held to the engine's rendering
// of the model's view every 100 gestures and at the end, and the process's
// GDI objects must stay as many as after a warm-up. (Wine reports no USER
// object or handle counts, so those are not asserted.)
#include "window_harness.h"

#include "formulas.h"
#include "palettes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

// QUELLARIN_SOAK_GESTURES, or 500.
int gesture_count()
{
    const char* text = std::getenv("QUELLARIN_SOAK_GESTURES");
    const int count = text ? std::atoi(text) : 0;
    return count > 0 ? count : 500;
}

// What the program should hold after each gesture.
struct model {
    view_parameters view;
    bool show_time = false;
    int wheel_remainder = 0;
};

std::wstring number_text(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);  // reads back exactly
    return {text, text + std::char_traits<char>::length(text)};
}

class soak {
public:
    explicit soak(test_window& window) : window_(window), hwnd_(window.handle()) {}

    // Runs one gesture of the given kind; every computation it makes while
    // the report is on shows one report.
    void run(int kind)
    {
        computations_ = 0;
        modal_log log;
        switch (kind) {
        case 0: case 1: case 2: log = drag(); break;
        case 3: case 4: case 5: log = turn_wheel(); break;
        case 6: case 7: log = apply_valid(); break;
        case 8: log = apply_refused(); break;
        case 9: log = leave_dialog(); break;
        case 10: minimise_and_restore(); break;
        default: lose_capture(); break;
        }
        ASSERT_FALSE(log.timed_out) << trace_;
        ASSERT_EQ(log.reports.size(), expected_.show_time ? computations_ : 0) << trace_;
    }

    static constexpr int KINDS = 12;
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    const model& expected() const { return expected_; }
    const std::string& trace() const { return trace_; }

private:
    void note(const std::string& what) { trace_ = "last gesture: " + what; }

    modal_log drag()
    {
        const int x0 = pick(0, 639);
        const int y0 = pick(0, 639);
        // Mostly inside, sometimes well beyond the edges while captured.
        const int x1 = pick(-400, 1040);
        const int y1 = pick(-400, 1040);
        note("drag " + std::to_string(x0) + "," + std::to_string(y0) + " -> " + std::to_string(x1) + "," +
             std::to_string(y1));
        const modal_log log = run_gesture([&] {
            press(hwnd_, x0, y0);
            for (int m = pick(0, 3); m > 0; --m)
                move(hwnd_, pick(-100, 740), pick(-100, 740));
            release(hwnd_, x1, y1);
        });
        view_parameters& v = expected_.view;
        v.center_x = v.center_x - 2 * ((static_cast<double>(x1 - x0) * v.radius) / 640);
        v.center_y = v.center_y + 2 * ((static_cast<double>(y1 - y0) * v.radius) / 640);
        expected_.wheel_remainder = 0;
        computations_ = 1;
        return log;
    }

    modal_log turn_wheel()
    {
        static const int amounts[] = {120, -120, 120, -120, 240, -360, 60, -60, 30, 90, -1, 600};
        const int amount = amounts[pick(0, 11)];
        note("wheel " + std::to_string(amount));
        const modal_log log = run_gesture([&] { wheel(hwnd_, amount); });
        int& rest = expected_.wheel_remainder;
        if ((amount > 0 && rest < 0) || (amount < 0 && rest > 0))
            rest = 0;
        rest += amount;
        for (; rest >= 120 || rest <= -120; rest -= rest > 0 ? 120 : -120) {
            const double r = rest > 0 ? expected_.view.radius * 0.5 : expected_.view.radius * 2;
            if (r >= 1e-14 && r <= 4.0) {
                expected_.view.radius = r;
                ++computations_;
            }
        }
        return log;
    }

    modal_log apply_valid()
    {
        const view_parameters v{std::uniform_real_distribution<double>(-2.0, 2.0)(random_),
                                std::uniform_real_distribution<double>(-2.0, 2.0)(random_),
                                std::ldexp(1.0, pick(-40, 2)), pick(1, 1500), pick(0, FIGURE_COUNT - 1),
                                pick(0, PALETTE_COUNT - 1)};
        const bool show_time = pick(0, 3) == 0;
        note("apply " + std::to_string(v.center_x) + ", " + std::to_string(v.center_y) + ", r " +
             std::to_string(v.radius) + ", c " + std::to_string(v.max_iterations));
        expected_.view = v;
        expected_.show_time = show_time;
        expected_.wheel_remainder = 0;
        computations_ = 1;
        return use_dialog(hwnd_, {number_text(v.center_x), number_text(v.center_y), number_text(v.radius),
                                  std::to_wstring(v.max_iterations), v.figure_index, v.palette_index,
                                  show_time ? BST_CHECKED : BST_UNCHECKED, dialog_end::ok_button});
    }

    // One refused field drops the whole input, lists and report included.
    modal_log apply_refused()
    {
        static const wchar_t* const centres[] = {L"3", L"-2.0000000000000004", L"nan", L"-inf"};
        static const wchar_t* const radii[] = {L"0", L"1e-14", L"4.000000000000001", L"inf"};
        static const wchar_t* const limits[] = {L"0", L"60001", L"-5"};
        dialog_answer answer{.figure = pick(0, 2), .palette = pick(0, 14), .show_time = BST_CHECKED};
        switch (pick(0, 3)) {
        case 0: answer.x = centres[pick(0, 3)]; break;
        case 1: answer.y = centres[pick(0, 3)]; break;
        case 2: answer.r = radii[pick(0, 3)]; break;
        default: answer.c = limits[pick(0, 2)]; break;
        }
        note("refused apply");
        expected_.wheel_remainder = 0;
        return use_dialog(hwnd_, answer);
    }

    modal_log leave_dialog()
    {
        static const dialog_end ends[] = {dialog_end::cancel_button, dialog_end::close_box, dialog_end::escape_key};
        note("dialog left unapplied");
        expected_.wheel_remainder = 0;
        return use_dialog(hwnd_, {.x = L"1", .r = L"0.5", .palette = pick(0, 14), .end = ends[pick(0, 2)]});
    }

    void minimise_and_restore()
    {
        note("minimise and restore");
        ShowWindow(hwnd_, SW_MINIMIZE);
        ShowWindow(hwnd_, SW_RESTORE);
        UpdateWindow(hwnd_);
    }

    // A drag whose capture another window takes: it ends without a computation.
    void lose_capture()
    {
        note("drag that loses the capture");
        press(hwnd_, pick(0, 639), pick(0, 639));
        move(hwnd_, pick(0, 639), pick(0, 639));
        ReleaseCapture();
        release(hwnd_, pick(0, 639), pick(0, 639));
        UpdateWindow(hwnd_);
        expected_.wheel_remainder = 0;
    }

    test_window& window_;
    HWND hwnd_;
    std::mt19937 random_{20261207u};
    model expected_;
    std::size_t computations_ = 0;
    std::string trace_;
};

// Compares the program with the model; an empty string when they agree.
std::string disagreement(const test_window& window, const model& expected)
{
    const view_parameters now = view_of(window.fractal);
    const view_parameters& v = expected.view;
    if (now.center_x != v.center_x || now.center_y != v.center_y || now.radius != v.radius ||
        now.max_iterations != v.max_iterations || now.figure_index != v.figure_index ||
        now.palette_index != v.palette_index || window.fractal.show_time != expected.show_time)
        return "view differs from the model";
    if (bitmap_of(window.fractal) != render_view(v))
        return "bitmap differs from the engine's rendering";
    return {};
}

TEST(Soak, RandomGesturesKeepTheImageExactAndNothingLeaks)
{
    test_window window;
    ASSERT_NE(window.handle(), nullptr);
    soak gestures(window);
    // Every kind twice first: the platform keeps what the first dialogs and
    // report boxes create (fonts, cached device contexts).
    for (int round = 0; round < 2; ++round) {
        for (int kind = 0; kind < soak::KINDS; ++kind)
            ASSERT_NO_FATAL_FAILURE(gestures.run(kind));
    }
    const unsigned gdi_before = gdi_objects();
    const int count = gesture_count();
    for (int g = 1; g <= count; ++g) {
        ASSERT_NO_FATAL_FAILURE(gestures.run(gestures.pick(0, soak::KINDS - 1))) << "gesture " << g;
        if (g % 100 == 0 || g == count) {
            const std::string wrong = disagreement(window, gestures.expected());
            ASSERT_EQ(wrong, "") << "after gesture " << g << "; " << gestures.trace();
            std::printf("%d gestures: bitmap matches the engine; %u GDI objects\n", g, gdi_objects());
        }
    }
    const unsigned gdi_after = gdi_objects();
    std::printf("GDI objects %u -> %u\n", gdi_before, gdi_after);
    EXPECT_GT(gdi_after, 0u) << "GDI objects not counted";
    EXPECT_EQ(gdi_after, gdi_before);
}

}  // namespace
