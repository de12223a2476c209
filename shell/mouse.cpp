#include "mouse.h"

void on_left_button_down(CFractal&, int, int) {}
void on_mouse_move(CFractal&, int, int) {}
void on_left_button_up(CFractal&, int, int) {}
void on_capture_changed(CFractal&, HWND) {}
void zoom_by_wheel(CFractal&, WPARAM) {}
