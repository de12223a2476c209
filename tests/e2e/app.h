// Drives the real quellarin.exe from a second process on the same Wine
// desktop: starts it, finds its window, captures its pixels, sends input.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "fractal.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The program under test, as a Windows path; set by main from the command line.
extern std::wstring app_path;

// Polls until condition holds or timeout_ms passes; true when it held.
bool wait_until(const std::function<bool()>& condition, int timeout_ms = 15000);

// The top-level window of class win_fractal titled "Quellarin", or null.
HWND find_main_window();
// How many such windows exist.
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
    HANDLE handle() const { return process_; }
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

// The client area as a 640 x 640 bottom-up blue-green-red buffer, read from the screen.
std::vector<std::uint8_t> capture_client(HWND window);

// The engine's rendering of a view, in the same layout.
struct view {
    double center_x = DEFAULT_CENTER_X;
    double center_y = DEFAULT_CENTER_Y;
    double radius = DEFAULT_RADIUS;
    std::int32_t max_iterations = DEFAULT_MAX_ITERATIONS;
    std::int32_t figure_index = 0;
    std::int32_t palette_index = 0;
};
std::vector<std::uint8_t> render_view(const view& v);

// How many pixels differ between two images of the same size.
int differing_pixels(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b);

// Waits until the window shows exactly the expected image; the differing pixel count otherwise.
int wait_for_image(HWND window, const std::vector<std::uint8_t>& expected, int timeout_ms = 15000);

// Real input through the platform's input queue, in client coordinates of window.
void move_mouse_to(HWND window, int x, int y);
void mouse_button(DWORD flags);
void turn_wheel(int amount);
void type_text(const std::wstring& text);
void press_key(WORD virtual_key);

// The first visible top-level window of the process with this caption, or null.
HWND find_process_window(DWORD process_id, const std::wstring& caption);
std::wstring window_text(HWND window);
