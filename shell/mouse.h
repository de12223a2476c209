// Mouse navigation: dragging pans, the wheel zooms about the view centre.
#pragma once

#include "win32.h"

void on_left_button_down(CFractal& fractal, int x, int y);
void on_mouse_move(CFractal& fractal, int x, int y);
void on_left_button_up(CFractal& fractal, int x, int y);
void on_capture_changed(CFractal& fractal, HWND new_capture);
void zoom_by_wheel(CFractal& fractal, WPARAM wparam);

// Forgets the wheel amounts short of a whole notch; another gesture has begun.
void drop_wheel_remainder();
