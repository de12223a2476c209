// Drives the program's own main window inside the test process: start-up as
// the entry function does it, the window messages a user's gestures produce,
// and the modal dialog and time report answered from inside their loops.
#pragma once

#include "main_window.h"
#include "render_paths.h"
#include "renderer.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

using image = std::vector<std::uint8_t>;

// The main window, made by the program's start-up function, destroyed (and
// its class unregistered, so the next one can register it) at scope end.
class test_window {
public:
    test_window();
    ~test_window();
    test_window(const test_window&) = delete;
    test_window& operator=(const test_window&) = delete;

    HWND handle() const { return window_; }
    CFractal fractal;

private:
    HWND window_ = nullptr;
};

void PrintTo(const view_parameters& view, std::ostream* out);
// Puts a view into the window's record and renders it, as a dialog apply would.
void show_view(test_window& window, const view_parameters& view);

// The engine's rendering of a view: 640 x 640, bottom-up blue-green-red.
image render_view(const view_parameters& view);
// The window's off-screen bitmap.
image bitmap_of(const CFractal& fractal);
// What the window's client area shows, in the bitmap's layout.
image window_pixels(HWND window);
// Pixel (x, y) of an image in client coordinates (y down), as 0xRRGGBB.
std::uint32_t pixel_at(const image& pixels, int x, int y);

// The messages of the gestures, in client coordinates.
void press(HWND window, int x, int y);
void move(HWND window, int x, int y);
void release(HWND window, int x, int y);
void wheel(HWND window, int amount);

// How the parameter dialog is answered.
inline constexpr int NO_SELECTION = -2;  // clears a list's selection
enum class dialog_end { ok_button, enter_key, cancel_button, close_box, escape_key };
struct dialog_answer {
    std::optional<std::wstring> x{}, y{}, r{}, c{};  // texts put over the shown ones
    int figure = -1;                         // list index to select; -1 leaves it
    int palette = -1;
    int show_time = -1;                      // BST_CHECKED or BST_UNCHECKED; -1 leaves it
    dialog_end end = dialog_end::ok_button;
};

// The dialog as it opened.
struct shown_dialog {
    std::wstring x, y, r, c;
    LRESULT figure = -1;
    LRESULT palette = -1;
    int figure_count = 0;
    int palette_count = 0;
    bool show_time = false;
    HWND owner = nullptr;
    bool owner_enabled = true;
    POINT client_origin{};  // in the main window's client coordinates
};

// What opened while a gesture ran.
struct modal_log {
    int dialogs = 0;
    shown_dialog shown;
    bool stayed_open_after_escape = false;
    std::vector<std::wstring> reports;  // the time reports' texts, in order
    HWND report_owner = nullptr;
    bool timed_out = false;  // a modal window outlived its few seconds and was closed by force
};

// Runs gesture, answering any parameter dialog with answer and dismissing
// every time report. Each modal window gets a few seconds at most.
modal_log run_gesture(const std::function<void()>& gesture, const dialog_answer& answer = {});

// A right click that opens the dialog, answered so.
modal_log use_dialog(HWND window, const dialog_answer& answer);

// GDI objects of this process: GetGuiResources where the platform counts
// them, else the entries of the process's GDI handle table.
unsigned gdi_objects();
