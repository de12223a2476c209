#include "mouse.h"

#include "gdi_guards.h"
#include "time_report.h"
#include "view_limits.h"

namespace {

// Wheel amounts short of a whole notch, kept until they add up to one.
// There is one main window per process, so one remainder.
int wheel_remainder = 0;

// The wait cursor while the window's thread is blocked in the computation.
void compute_with_busy_cursor(CFractal& fractal)
{
    HCURSOR replaced = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    ShowCursor(TRUE);
    compute_and_report(fractal);
    ShowCursor(FALSE);
    SetCursor(replaced);
}

// One notch: halve (forward) or double (backward) the radius about the view
// centre, with the old image stretched as a preview while the new one renders.
void zoom_one_notch(CFractal& fractal, bool forward)
{
    const double r = forward ? fractal.radius * 0.5 : fractal.radius + fractal.radius;
    if (!wheel_accepts_radius(r))
        return;
    fractal.radius = r;
    const int w = fractal.width;
    const int h = fractal.height;
    {
        window_dc dc(window_of(fractal));
        if (forward) {
            StretchBlt(dc, -w / 2, -h / 2, 2 * w, 2 * h, memory_dc_of(fractal), 0, 0, w, h, SRCCOPY);
        } else {
            Rectangle(dc, 0, 0, w, h);
            StretchBlt(dc, w / 4, h / 4, w / 2, h / 2, memory_dc_of(fractal), 0, 0, w, h, SRCCOPY);
        }
    }
    compute_with_busy_cursor(fractal);
    InvalidateRect(window_of(fractal), nullptr, FALSE);
}

}  // namespace

void drop_wheel_remainder() { wheel_remainder = 0; }

void on_left_button_down(CFractal& fractal, int x, int y)
{
    // A fraction of a notch left from before the drag must not zoom later.
    drop_wheel_remainder();
    fractal.drag_start_x = x;
    fractal.drag_start_y = y;
    fractal.dragging = true;
    SetCapture(window_of(fractal));
}

// The live preview: the old image follows the pointer on a white ground.
void on_mouse_move(CFractal& fractal, int x, int y)
{
    if (!fractal.dragging)
        return;
    window_dc dc(window_of(fractal));
    Rectangle(dc, 0, 0, fractal.width, fractal.height);
    BitBlt(dc, x - fractal.drag_start_x, y - fractal.drag_start_y, fractal.width, fractal.height, memory_dc_of(fractal),
           0, 0, SRCCOPY);
}

// The end of a drag: the content follows the pointer, so the centre moves
// against it in x and, the imaginary axis pointing up, with it in y.
void on_left_button_up(CFractal& fractal, int x, int y)
{
    if (!fractal.dragging)
        return;
    const int dx = x - fractal.drag_start_x;
    const int dy = y - fractal.drag_start_y;
    fractal.center_x = fractal.center_x - 2 * ((static_cast<double>(dx) * fractal.radius) / fractal.width);
    fractal.center_y = fractal.center_y + 2 * ((static_cast<double>(dy) * fractal.radius) / fractal.height);
    // The drag ends here, before the computation: a time report takes the
    // capture, and that loss must not be taken for an aborted drag, which
    // would repaint over the preview the report is meant to stand on.
    fractal.dragging = false;
    compute_with_busy_cursor(fractal);
    ReleaseCapture();
    InvalidateRect(window_of(fractal), nullptr, FALSE);
}

// Another window took the capture mid-drag (a dialog, a message box): the
// drag is over, nothing is recomputed, and the preview gives way to the image.
void on_capture_changed(CFractal& fractal, HWND new_capture)
{
    if (!fractal.dragging || new_capture == window_of(fractal))
        return;
    fractal.dragging = false;
    InvalidateRect(window_of(fractal), nullptr, FALSE);
}

void zoom_by_wheel(CFractal& fractal, WPARAM wparam)
{
    if (fractal.dragging)
        return;
    // High-resolution wheels and touchpads report fractions of a notch, and
    // fast wheels several notches at once: each whole notch is one step.
    const int delta = GET_WHEEL_DELTA_WPARAM(wparam);
    // A turn the other way starts afresh, so a whole notch always acts at once.
    if ((delta > 0 && wheel_remainder < 0) || (delta < 0 && wheel_remainder > 0))
        wheel_remainder = 0;
    wheel_remainder += delta;
    while (wheel_remainder >= WHEEL_DELTA) {
        wheel_remainder -= WHEEL_DELTA;
        zoom_one_notch(fractal, true);
    }
    while (wheel_remainder <= -WHEEL_DELTA) {
        wheel_remainder += WHEEL_DELTA;
        zoom_one_notch(fractal, false);
    }
}
