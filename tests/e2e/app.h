// Drives the real quellarin.exe from a second process on the same Wine
// desktop: starts it, finds its window, captures its pixels, sends input.
#pragma once

#include "win32.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The program under test, as a Windows path; set by main from the command line.
extern std::wstring app_path;

// Polls until condition holds or timeout_ms passes; true when it held.
bool wait_until(const std::function<bool()>& condition, int timeout_ms = 15000);

// How many top-level windows of class win_fractal titled "Quellarin" exist.
int count_main_windows();

// A running instance of the program, closed (or at last killed) when it goes out of scope.
class app_process {
public:
    app_process();
    ~app_process();
    app_process(const app_process&) = delete;
    app_process& operator=(const app_process&) = delete;

    bool started() const { return process_ != nullptr; }
    HWND window() const { return window_; }
    DWORD id() const { return id_; }
    // Asks the window to close and waits for the process; its exit code, or -1.
    int close_and_wait(int timeout_ms = 15000);
    // Waits for the process to end by itself; its exit code, or -1.
    int wait_for_exit(int timeout_ms = 15000);

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
    HWND window_ = nullptr;
};

// Starts another instance and returns its exit code (or -1 if it does not end).
int run_second_instance(int timeout_ms = 15000);

// The engine's rendering of a view, in the same layout.
using view = view_parameters;
std::vector<std::uint8_t> render_view(const view& v);

// Waits until the window shows exactly the expected image; the differing pixel count otherwise.
int wait_for_image(HWND window, const std::vector<std::uint8_t>& expected, int timeout_ms = 15000);

// Real input through the platform's input queue, in client coordinates of window.
void move_mouse_to(HWND window, int x, int y);
void turn_wheel(int amount);

// A left click at the middle of a window (a control, a button), by real input.
void click_window(HWND window);
// One button event at client point (x, y) of window, e.g. MOUSEEVENTF_LEFTDOWN.
void button_at(HWND window, int x, int y, DWORD button);
// A click of the given buttons at client point (x, y) of window.
void click_at(HWND window, int x, int y, DWORD down, DWORD up);

// Right-clicks the main window and waits for the dialog.
HWND open_dialog(const app_process& app);
// Replaces an edit control's text by typing, as a user does.
void type_into_edit(HWND dialog, int id, const std::wstring& text);
// Selects a list entry with the keyboard: Home, then Down index times.
void select_list_entry(HWND dialog, int id, int index);

// The time report box of the process, once visible, or null.
HWND wait_for_time_report(const app_process& app, int timeout_ms = 10000);
// The text of the report box's message, e.g. L"153ミリ秒".
std::wstring report_text(HWND box);
// Presses the box's OK button and waits for it to go.
void dismiss(HWND box);

// The pieces the steps above are made of.
void type_text(const std::wstring& text);
void press_key(WORD virtual_key);
std::wstring window_text(HWND window);
// The first visible top-level window of the process with this caption, or null.
HWND find_process_window(DWORD process_id, const std::wstring& caption);
HWND wait_for_dialog(const app_process& app, int timeout_ms = 60000);
LRESULT send_to_control(HWND dialog, int id, UINT message, WPARAM wparam = 0, LPARAM lparam = 0);
// The active and focused windows of the thread that owns window.
GUITHREADINFO gui_of(HWND window);
