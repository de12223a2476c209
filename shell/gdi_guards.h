// Small owners for the graphics resources the shell borrows for a moment.
#pragma once

#include "win32.h"

// A window's device context from GetDC, released when it goes out of scope.
class window_dc {
public:
    explicit window_dc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~window_dc() { ReleaseDC(window_, dc_); }
    window_dc(const window_dc&) = delete;
    window_dc& operator=(const window_dc&) = delete;
    operator HDC() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint/EndPaint around the drawing of one WM_PAINT.
class paint_dc {
public:
    explicit paint_dc(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
    ~paint_dc() { EndPaint(window_, &paint_); }
    paint_dc(const paint_dc&) = delete;
    paint_dc& operator=(const paint_dc&) = delete;
    operator HDC() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};
