// The real quellarin.exe as a user meets it: started, dragged, zoomed, set
// through its dialog with the time report, a second start, and Alt+F4.
#include "app.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

TEST(User, StartsDragsZoomsAppliesTheDialogAndCloses)
{
    app_process app;
    ASSERT_NE(app.window(), nullptr);
    HWND window = app.window();

    // Centred on the desktop, the first image the engine's.
    RECT outer{};
    RECT desktop{};
    GetWindowRect(window, &outer);
    GetWindowRect(GetDesktopWindow(), &desktop);
    EXPECT_EQ(outer.left, desktop.right / 2 - (outer.right - outer.left) / 2);
    EXPECT_EQ(outer.top, desktop.bottom / 2 - (outer.bottom - outer.top) / 2);
    view v;
    ASSERT_EQ(wait_for_image(window, render_view(v)), 0) << "first image";

    // A second start ends at once and leaves the one window.
    EXPECT_EQ(run_second_instance(), 0);
    EXPECT_EQ(count_main_windows(), 1);

    // Drag 160 px right and 80 px up: the centre moves left and down.
    button_at(window, 300, 300, MOUSEEVENTF_LEFTDOWN);
    move_mouse_to(window, 380, 260);
    move_mouse_to(window, 460, 220);
    button_at(window, 460, 220, MOUSEEVENTF_LEFTUP);
    v.center_x = -1.0;
    v.center_y = -0.5;
    EXPECT_EQ(wait_for_image(window, render_view(v)), 0) << "after the drag";

    // One notch forward halves the radius.
    turn_wheel(WHEEL_DELTA);
    v.radius = 1.0;
    EXPECT_EQ(wait_for_image(window, render_view(v)), 0) << "after the wheel";

    // Typed values, another palette and the time report.
    HWND dialog = open_dialog(app);
    ASSERT_NE(dialog, nullptr);
    type_into_edit(dialog, IDC_CENTER_X, L"-0.75");
    type_into_edit(dialog, IDC_CENTER_Y, L"0.1");
    type_into_edit(dialog, IDC_RADIUS, L"0.25");
    type_into_edit(dialog, IDC_ITERATIONS, L"500");
    select_list_entry(dialog, IDC_PALETTE_LIST, 3);
    click_window(GetDlgItem(dialog, IDC_SHOW_TIME));
    click_window(GetDlgItem(dialog, IDC_OK));
    HWND report = wait_for_time_report(app);
    ASSERT_NE(report, nullptr);
    EXPECT_TRUE(std::regex_match(report_text(report), std::wregex(L"[0-9]+ミリ秒")));
    dismiss(report);
    EXPECT_EQ(wait_for_image(window, render_view({-0.75, 0.1, 0.25, 500, 0, 3})), 0) << "after the dialog";

    // Alt+F4 closes the window and the program exits with 0.
    SetForegroundWindow(window);
    wait_until([&] { return GetForegroundWindow() == window; }, 3000);
    INPUT keys[4]{};
    for (INPUT& key : keys)
        key.type = INPUT_KEYBOARD;
    keys[0].ki.wVk = VK_MENU;
    keys[1].ki.wVk = VK_F4;
    keys[2].ki.wVk = VK_F4;
    keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
    keys[3].ki.wVk = VK_MENU;
    keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, keys, sizeof keys[0]);
    EXPECT_EQ(app.wait_for_exit(), 0);
}

}  // namespace
