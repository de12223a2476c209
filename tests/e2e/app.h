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

// A 24-bit bottom-up bitmap section selected into a memory device context,
// both released when it goes out of scope.
class dib_image {
public:
    dib_image(int width, int height);
    // A 640 x 640 image holding a copy of pixels.
    explicit dib_image(const std::vector<std::uint8_t>& pixels);
    ~dib_image();
    dib_image(const dib_image&) = delete;
    dib_image& operator=(const dib_image&) = delete;

    HDC dc() const { return dc_; }
    const BITMAPINFOHEADER& header() const { return info_.bmiHeader; }
    // Copies the screen's pixels from (x, y) on over the whole image.
    void copy_from_screen(int x, int y);
    // The rows as they are in memory, bottom row first, each padded to 4 bytes.
    std::vector<std::uint8_t> pixels() const;

private:
    BITMAPINFO info_{};
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    std::uint8_t* bits_ = nullptr;
};

// The client area as a 640 x 640 bottom-up blue-green-red buffer, read from the screen.
std::vector<std::uint8_t> capture_client(HWND window);

// The engine's rendering of a view, in the same layout.
using view = view_parameters;
std::vector<std::uint8_t> render_view(const view& v);

// How many pixels differ between two images of the same size.
int differing_pixels(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b);

// Waits until the window shows exactly the expected image; the differing pixel count otherwise.
int wait_for_image(HWND window, const std::vector<std::uint8_t>& expected, int timeout_ms = 15000);

// Real input through the platform's input queue, in client coordinates of window.
void move_mouse_to(HWND window, int x, int y);
void turn_wheel(int amount);
void type_text(const std::wstring& text);
void press_key(WORD virtual_key);

// How many GDI objects the process holds. GetGuiResources where the platform
// counts them; else (Wine) the entries of the process's GDI handle table.
DWORD gdi_objects_of(const app_process& app);

// The first visible top-level window of the process with this caption, or null.
HWND find_process_window(DWORD process_id, const std::wstring& caption);
std::wstring window_text(HWND window);

// The active and focused windows of the thread that owns window; null ones
// when it has none or cannot be asked.
GUITHREADINFO gui_of(HWND window);

// A left click at the middle of a window (a control, a button), by real input.
void click_window(HWND window);
// One button event at client point (x, y) of window, e.g. MOUSEEVENTF_LEFTDOWN.
void button_at(HWND window, int x, int y, DWORD button);
// A click of the given buttons at client point (x, y) of window.
void click_at(HWND window, int x, int y, DWORD down, DWORD up);

// The process's dialog titled "パラメータ" once it is visible, or null.
HWND wait_for_dialog(const app_process& app, int timeout_ms = 60000);
// Right-clicks the main window and waits for the dialog.
HWND open_dialog(const app_process& app);
// Replaces an edit control's text by typing, as a user does.
void type_into_edit(HWND dialog, int id, const std::wstring& text);
// Selects a list entry with the keyboard: Home, then Down index times.
void select_list_entry(HWND dialog, int id, int index);
std::wstring control_text(HWND dialog, int id);
LRESULT send_to_control(HWND dialog, int id, UINT message, WPARAM wparam = 0, LPARAM lparam = 0);

// The time report box of the process, once visible, or null.
HWND wait_for_time_report(const app_process& app, int timeout_ms = 10000);
// The text of the report box's message, e.g. L"153ミリ秒".
std::wstring report_text(HWND box);
// Presses the box's OK button and waits for it to go.
void dismiss(HWND box);
// True when the process shows no time report for quiet_ms.
bool no_time_report_for(const app_process& app, int quiet_ms);

// Values as the dialog shows them, read and then the dialog cancelled.
struct dialog_values {
    std::wstring x, y, r, c;
    LRESULT figure = -1;
    LRESULT palette = -1;
    bool show_time = false;
};
dialog_values read_dialog_values(const app_process& app);

// The number the program reads from an edit text, through the engine's own conversion.
double read_as_program(const std::wstring& text);
