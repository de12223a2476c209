// The parameter dialog and the time report, answered from inside their modal loops.
#include "window_harness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>
#include <tuple>

using namespace std::string_literals;

namespace {

TEST(Dialog, OpensOverTheClientAreaShowingTheCurrentView)
{
    test_window window;
    show_view(window, {-0.5, 1.25, std::ldexp(1.0, -15), 777, 2, 14});
    window.fractal.show_time = true;
    const modal_log log = use_dialog(window.handle(), {.end = dialog_end::cancel_button});
    ASSERT_EQ(log.dialogs, 1);
    const shown_dialog& s = log.shown;
    EXPECT_EQ(std::tuple(s.owner, s.owner_enabled, s.client_origin.x, s.client_origin.y),
              std::tuple(window.handle(), false, 0L, 0L));
    // Fixed 14 decimals, ties to even; the lists hold every name.
    EXPECT_EQ(std::tuple(s.x, s.y, s.r, s.c), std::tuple(L"-0.50000000000000"s, L"1.25000000000000"s,
                                                         L"0.00003051757812"s, L"777"s));
    EXPECT_EQ(std::tuple(s.figure, s.palette, s.figure_count, s.palette_count, s.show_time),
              std::tuple(2, 14, 3, 15, true));
    EXPECT_TRUE(log.reports.empty()) << "Cancel computed";
    EXPECT_TRUE(IsWindowEnabled(window.handle()));
}

struct apply_case {
    const wchar_t *x, *y, *r, *c;
    bool applied;
    double center_x = 0, center_y = 0, radius = 0;
    int iterations = 0;
};

// Every bound is inclusive except the radius's lower one; the next
// representable value beyond each is refused (the centre's below -2 held by
// view_limits_test.cpp, whose predicate the dialog applies to both parts).
TEST(Dialog, AcceptsExactlyTheBoundsAndRefusesWhatLiesBeyond)
{
    const apply_case cases[] = {
        {L"2", L"-2", L"4", L"1", true, 2.0, -2.0, 4.0, 1},
        {L"-2", L"2", L"1.0000000000000002e-14", L"60000", true, -2.0, 2.0, 1.0000000000000002e-14, 60000},
        {L"2.0000000000000004", L"0", L"1", L"100", false},
        {L"0", L"2.0000000000000004", L"1", L"100", false},
        {L"0", L"0", L"4.000000000000001", L"100", false},
        {L"0", L"0", L"1e-14", L"100", false},
        {L"0", L"0", L"1", L"0", false},
        {L"0", L"0", L"1", L"60001", false},
        {L"nan", L"0", L"1", L"100", false},
        {L"0", L"-inf", L"1", L"100", false},
        {L"0", L"0", L"abc", L"100", false},  // no number reads as 0
        {L"0", L"0", L"1", L"99999999999", false},  // clamped, never wrapped into range
        // What a user types: words read as 0, Japanese digits and spaces, trailing letters.
        {L"abc", L"1e-3", L"\u3000 0.5", L"５００", true, 0.0, 0.001, 0.5, 500},
        {L"-0.25", L"+0.125", L"2", L" 321abc", true, -0.25, 0.125, 2.0, 321},
    };
    test_window window;
    for (const apply_case& c : cases) {
        SCOPED_TRACE(testing::Message() << "x " << c.x << ", y " << c.y << ", r " << c.r << ", c " << c.c);
        const view_parameters before{0.125, -0.125, 1.5, 50, 1, 3};
        show_view(window, before);
        const modal_log log = use_dialog(window.handle(), {.x = c.x, .y = c.y, .r = c.r, .c = c.c, .figure = 2,
                                                           .palette = 7, .show_time = BST_CHECKED});
        ASSERT_EQ(log.dialogs, 1);
        EXPECT_FALSE(log.timed_out);
        // A refusal keeps everything: the numbers, the lists and the report chosen with them.
        const view_parameters expected =
            c.applied ? view_parameters{c.center_x, c.center_y, c.radius, c.iterations, 2, 7} : before;
        EXPECT_EQ(view_of(window.fractal), expected);
        EXPECT_EQ(window.fractal.show_time, c.applied);
        EXPECT_EQ(log.reports.size(), c.applied ? 1u : 0u);
        EXPECT_TRUE(bitmap_of(window.fractal) == render_view(expected));
        window.fractal.show_time = false;
    }
}

// OK without an edit re-reads the 14-decimal texts: the deepest wheel zoom
// shows as the refused bound, one notch out as 3e-14.
TEST(Dialog, UnchangedTextsAreReadBackAsShown)
{
    test_window window;
    show_view(window, {0.1234567890123456, 0.0, std::ldexp(1.0, -46), 100, 0, 0});
    use_dialog(window.handle(), {});
    EXPECT_EQ(window.fractal.radius, std::ldexp(1.0, -46));
    EXPECT_EQ(window.fractal.center_x, 0.1234567890123456);

    show_view(window, {0.1234567890123456, 0.0, std::ldexp(1.0, -45), 100, 0, 0});
    use_dialog(window.handle(), {.end = dialog_end::enter_key});
    EXPECT_EQ(window.fractal.radius, 3e-14);
    EXPECT_EQ(window.fractal.center_x, 0.12345678901235);
}

TEST(Dialog, EndsAsEachControlSays)
{
    test_window window;
    HWND hwnd = window.handle();
    const dialog_answer change{.x = L"1", .palette = 11, .show_time = BST_CHECKED};

    for (const dialog_end end : {dialog_end::cancel_button, dialog_end::close_box, dialog_end::escape_key}) {
        dialog_answer answer = change;
        answer.end = end;
        const modal_log log = use_dialog(hwnd, answer);
        EXPECT_EQ(std::tuple(log.dialogs, log.stayed_open_after_escape, log.reports.size(), log.timed_out),
                  std::tuple(1, end == dialog_end::escape_key, 0u, false));
        EXPECT_EQ(std::tuple(window.fractal.center_x, window.fractal.palette_index), std::tuple(0.0, 0));
    }

    // Only another palette: the geometry is the same, the image is recomputed.
    modal_log log = use_dialog(hwnd, {.palette = 11, .end = dialog_end::enter_key});
    EXPECT_EQ(window.fractal.palette_index, 11);
    EXPECT_TRUE(bitmap_of(window.fractal) == render_view({0.0, 0.0, 2.0, 1000, 0, 11}));
    UpdateWindow(hwnd);
    EXPECT_TRUE(window_pixels(hwnd) == bitmap_of(window.fractal));

    // Lists that report no selection keep the old figure and palette.
    log = use_dialog(hwnd, {.x = L"0.5", .figure = NO_SELECTION, .palette = NO_SELECTION});
    EXPECT_EQ(window.fractal.center_x, 0.5);
    EXPECT_EQ(window.fractal.figure_index, 0);
    EXPECT_EQ(window.fractal.palette_index, 11);
}

// The report shows once per computation while it is on, owned by the main
// window, and never while it is off: here for the dialog's own computation;
// for drags and notches the mouse tests count the reports while it is on,
// and the soak test's model holds them to none while it is off.
TEST(Dialog, TimeReportFollowsEveryComputationOnlyWhileOn)
{
    test_window window;
    HWND hwnd = window.handle();
    modal_log log = use_dialog(hwnd, {.show_time = BST_CHECKED});
    ASSERT_EQ(log.reports.size(), 1u);
    EXPECT_TRUE(std::regex_match(log.reports[0], std::wregex(L"[0-9]+ミリ秒"))) << log.reports[0].size();
    EXPECT_EQ(log.report_owner, hwnd);

    log = use_dialog(hwnd, {.show_time = BST_UNCHECKED});
    EXPECT_TRUE(log.reports.empty());
    EXPECT_FALSE(window.fractal.show_time);
}

}  // namespace
