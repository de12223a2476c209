// The main window: its class, its message handler and its off-screen image.
#pragma once

#include "win32.h"

inline constexpr const wchar_t* WINDOW_CLASS = L"win_fractal";
inline constexpr const wchar_t* WINDOW_TITLE = L"Quellarin";
// Fixed size: caption, system menu and minimize box, nothing to resize with.
inline constexpr DWORD MAIN_WINDOW_STYLE = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

bool register_main_window_class(HINSTANCE instance);

// Sizes the window for a width x height client area and centres it on the
// desktop window's rectangle.
void centre_main_window(HWND window, int width, int height);

// Creates the memory device context and the 24-bit bottom-up bitmap section
// whose pixel memory the engine renders into; false when there is none.
bool create_off_screen_image(CFractal& fractal);

// Start-up after the single-instance check: registers the class, creates and
// centres the window, stores fractal in its extra data, makes the off-screen
// image, computes the first image and shows the window. Null when a step
// failed; the caller owns fractal either way and must keep it alive as long
// as the window exists.
HWND start_main_window(HINSTANCE instance, CFractal& fractal, int show_command);

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
