// A long run of random gestures with a fixed seed: drags of every length and
// direction, wheel notches both ways and past the limits, dialog applies with
// valid and invalid values, palette and figure changes, the time report on
// and off, minimise and restore. The test tracks the view it expects and
// holds the window's pixels to the engine's rendering of it; the program's
// object and handle counts must come back to where they started.
#include "app.h"

#include "formulas.h"
#include "palettes.h"
#include "resource.h"
#include "text_numbers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

std::string narrow(const std::wstring& text)
{
    std::string out;
    for (const wchar_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// QUELLARIN_SOAK_GESTURES, or 100.
int gesture_count()
{
    const char* text = std::getenv("QUELLARIN_SOAK_GESTURES");
    const int count = text ? std::atoi(text) : 0;
    return count > 0 ? count : 100;
}

struct expected_state {
    view v;
    bool show_time = false;
};

struct process_counts {
    DWORD gdi = 0;
    DWORD user = 0;
    DWORD handles = 0;
};

process_counts counts_of(const app_process& app)
{
    process_counts c;
    c.gdi = gdi_objects_of(app);
    c.user = GetGuiResources(app.handle(), GR_USEROBJECTS);
    GetProcessHandleCount(app.handle(), &c.handles);
    return c;
}

class soak {
public:
    soak(const app_process& app, unsigned seed) : app_(app), random_(seed) {}

    void run_one()
    {
        settle();
        run_kind(pick(0, 9));
    }

    // Kinds 0-2 drag, 3-5 turn the wheel, 6-7 apply valid values, 8 invalid
    // ones, 9 minimises and restores.
    void run_kind(int kind)
    {
        switch (kind) {
        case 0: case 1: case 2: drag(); break;
        case 3: case 4: case 5: wheel(); break;
        case 6: case 7: apply_valid(); break;
        case 8: apply_invalid(); break;
        case 9: minimise_and_restore(); break;
        }
    }

    const expected_state& expected() const { return state_; }

    // The last gestures, newest last, for the message of a failure.
    std::string recent() const
    {
        std::string out;
        for (const std::string& line : trace_)
            out += "  " + line + "\n";
        return out;
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    // Waits until the main window is back in front and idle, as a user waits
    // for the window before the next gesture: input sent while the program
    // is still reactivating it after a dialog lands unpredictably.
    void settle()
    {
        wait_until([&] {
            return gui_of(app_.window()).hwndActive == app_.window() && IsWindowEnabled(app_.window()) &&
                   !IsIconic(app_.window());
        });
        SendMessageTimeoutW(app_.window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 30000, nullptr);
        Sleep(30);
    }

    // Every computation while the report is on shows exactly one box.
    void expect_report_if_on()
    {
        if (!state_.show_time)
            return;
        HWND box = wait_for_time_report(app_, 20000);
        ASSERT_NE(box, nullptr) << "no time report";
        dismiss(box);
    }

    void drag()
    {
        const POINT from{pick(0, 639), pick(0, 639)};
        // Mostly inside the window, sometimes beyond its edges while captured.
        const POINT to{pick(-100, 739), pick(-60, 680)};
        button_at(app_.window(), from.x, from.y, MOUSEEVENTF_LEFTDOWN);
        move_mouse_to(app_.window(), (from.x + to.x) / 2, (from.y + to.y) / 2);
        move_mouse_to(app_.window(), to.x, to.y);
        button_at(app_.window(), to.x, to.y, MOUSEEVENTF_LEFTUP);
        note("drag " + std::to_string(from.x) + "," + std::to_string(from.y) + " -> " + std::to_string(to.x) + "," +
             std::to_string(to.y));
        view& v = state_.v;
        v.center_x = v.center_x - 2 * ((static_cast<double>(to.x - from.x) * v.radius) / IMAGE_WIDTH);
        v.center_y = v.center_y + 2 * ((static_cast<double>(to.y - from.y) * v.radius) / IMAGE_HEIGHT);
        expect_report_if_on();
    }

    void wheel()
    {
        const bool forward = pick(0, 1) == 1;
        move_mouse_to(app_.window(), pick(0, 639), pick(0, 639));
        turn_wheel(forward ? WHEEL_DELTA : -WHEEL_DELTA);
        note(forward ? "wheel forward" : "wheel back");
        const double r = forward ? state_.v.radius * 0.5 : state_.v.radius + state_.v.radius;
        if (r < 1e-14 || r > 4.0) {
            // Past a limit: nothing happens, so nothing to wait for but the message.
            Sleep(50);
            return;
        }
        state_.v.radius = r;
        expect_report_if_on();
    }

    std::wstring random_number(double low, double high)
    {
        wchar_t text[WIDE_BUFFER_LENGTH];
        const double value = std::uniform_real_distribution<double>(low, high)(random_);
        format_wide(reinterpret_cast<char16_t*>(text), WIDE_BUFFER_LENGTH, u"%1.14lf", value);
        return text;
    }

    void apply_valid()
    {
        HWND dialog = open_dialog(app_);
        ASSERT_NE(dialog, nullptr);
        const std::wstring x = random_number(-2.0, 2.0);
        const std::wstring y = random_number(-2.0, 2.0);
        const std::wstring r = random_number(1e-6, 4.0);
        const std::wstring c = std::to_wstring(pick(1, 1500));
        const int figure = pick(0, FIGURE_COUNT - 1);
        const int palette = pick(0, PALETTE_COUNT - 1);
        const bool toggle = pick(0, 3) == 0;
        type_into_edit(dialog, IDC_CENTER_X, x);
        type_into_edit(dialog, IDC_CENTER_Y, y);
        type_into_edit(dialog, IDC_RADIUS, r);
        type_into_edit(dialog, IDC_ITERATIONS, c);
        select_list_entry(dialog, IDC_FIGURE_LIST, figure);
        select_list_entry(dialog, IDC_PALETTE_LIST, palette);
        if (toggle)
            click_window(GetDlgItem(dialog, IDC_SHOW_TIME));
        click_window(GetDlgItem(dialog, IDC_OK));
        state_.v = {read_as_program(x), read_as_program(y), read_as_program(r), std::stoi(c), figure, palette};
        note("apply " + narrow(x) + " " + narrow(y) + " " + narrow(r) + " " + narrow(c) + " figure " +
             std::to_string(figure) + " palette " + std::to_string(palette) + (toggle ? " toggle" : ""));
        state_.show_time = state_.show_time != toggle;
        expect_report_if_on();
        ASSERT_TRUE(wait_until([&] { return !IsWindow(dialog); }));
    }

    // One field gets a text its check refuses; the whole input is then
    // dropped, the palette chosen with it included.
    void apply_invalid()
    {
        struct field {
            int id;
            std::vector<std::wstring> refused;
        };
        static const field fields[] = {
            {IDC_CENTER_X, {L"3", L"-2.5", L"nan", L"inf", L"60001", L"2.0000000000001"}},
            {IDC_CENTER_Y, {L"-3", L"2.5", L"-nan", L"-inf", L"1e9", L"-2.0000000000001"}},
            {IDC_RADIUS, {L"0", L"-1", L"nan", L"inf", L"4.5", L"1e-15", L"abc"}},
            {IDC_ITERATIONS, {L"0", L"60001", L"-1", L"abc", L"99999999999"}},
        };
        HWND dialog = open_dialog(app_);
        ASSERT_NE(dialog, nullptr);
        const field& f = fields[pick(0, 3)];
        select_list_entry(dialog, IDC_PALETTE_LIST, pick(0, PALETTE_COUNT - 1));
        const std::wstring& text = f.refused[static_cast<std::size_t>(pick(0, static_cast<int>(f.refused.size()) - 1))];
        type_into_edit(dialog, f.id, text);
        note("refused " + narrow(text) + " in " + std::to_string(f.id));
        click_window(GetDlgItem(dialog, IDC_OK));
        ASSERT_TRUE(wait_until([&] { return !IsWindow(dialog); }));
    }

    void minimise_and_restore()
    {
        note("minimise and restore");
        ShowWindow(app_.window(), SW_MINIMIZE);
        wait_until([&] { return IsIconic(app_.window()) != FALSE; });
        ShowWindow(app_.window(), SW_RESTORE);
        wait_until([&] { return !IsIconic(app_.window()); });
        SetForegroundWindow(app_.window());
        Sleep(100);
    }

    void note(const std::string& what)
    {
        if (trace_.size() == 12)
            trace_.erase(trace_.begin());
        trace_.push_back(what);
    }

    const app_process& app_;
    std::mt19937 random_;
    expected_state state_;
    std::vector<std::string> trace_;
};

TEST(Soak, RandomGesturesKeepTheImageExactAndNothingLeaks)
{
    app_process app;
    ASSERT_NE(app.window(), nullptr);
    ASSERT_EQ(wait_for_image(app.window(), render_view({})), 0);
    soak run(app, 20261207u);
    // Every kind of gesture a few times first: the platform keeps what the
    // first dialogs, lists and report boxes create (fonts, cached device
    // contexts) for later ones. Counting starts after that.
    for (int round = 0; round < 3; ++round) {
        for (int kind = 0; kind < 10; ++kind)
            run.run_kind(kind);
    }
    const process_counts before = counts_of(app);
    const int gestures = gesture_count();
    for (int g = 1; g <= gestures; ++g) {
        run.run_one();
        if (testing::Test::HasFatalFailure())
            FAIL() << "gesture " << g;
        if (g % 100 == 0 || g == gestures) {
            const view& v = run.expected().v;
            if (wait_for_image(app.window(), render_view(v), 30000) != 0) {
                const dialog_values shown = read_dialog_values(app);
                FAIL() << "after gesture " << g << " the window differs from the expected view " << v.center_x << ", "
                       << v.center_y << ", r " << v.radius << ", c " << v.max_iterations << ", figure "
                       << v.figure_index << ", palette " << v.palette_index << "; the program shows "
                       << narrow(shown.x) << ", " << narrow(shown.y) << ", r " << narrow(shown.r) << ", c "
                       << narrow(shown.c) << ", figure " << shown.figure << ", palette " << shown.palette
                       << "\nlast gestures:\n" << run.recent();
            }
            std::printf("%d gestures: window matches the engine; %lu GDI objects\n", g, gdi_objects_of(app));
        }
    }

    const process_counts after = counts_of(app);
    // Wine reports no USER object or handle counts (0 and 0); GDI objects it
    // does, through its handle table.
    std::printf("GDI objects %lu -> %lu, USER objects %lu -> %lu, handles %lu -> %lu\n", before.gdi, after.gdi,
                before.user, after.user, before.handles, after.handles);
    EXPECT_GT(after.gdi, 0u) << "GDI objects not counted";
    EXPECT_EQ(after.gdi, before.gdi);
    EXPECT_EQ(after.user, before.user);
    EXPECT_EQ(after.handles, before.handles);
    EXPECT_EQ(count_main_windows(), 1);
    EXPECT_EQ(app.close_and_wait(), 0);
}

}  // namespace
