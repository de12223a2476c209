#include "main_window.h"

#include "gdi_guards.h"
#include "mouse.h"
#include "parameter_dialog.h"
#include "time_report.h"

bool register_main_window_class(HINSTANCE instance)
{
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.style = 0;  // no double clicks, no redraw on resize
    window_class.lpfnWndProc = main_window_proc;
    window_class.cbClsExtra = 0;
    // One slot that holds a whole pointer, also in a 64-bit build.
    window_class.cbWndExtra = sizeof(void*);
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    window_class.hIconSm = LoadIconW(nullptr, IDI_APPLICATION);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = nullptr;  // WM_PAINT covers the whole client area
    window_class.lpszMenuName = nullptr;
    window_class.lpszClassName = WINDOW_CLASS;
    return RegisterClassExW(&window_class) != 0;
}

void centre_main_window(HWND window, int width, int height)
{
    RECT outer{0, 0, width, height};
    AdjustWindowRect(&outer, MAIN_WINDOW_STYLE, FALSE);
    const int w = outer.right - outer.left;
    const int h = outer.bottom - outer.top;
    RECT desktop{};
    GetWindowRect(GetDesktopWindow(), &desktop);
    MoveWindow(window, desktop.right / 2 - w / 2, desktop.bottom / 2 - h / 2, w, h, FALSE);
}

bool create_off_screen_image(CFractal& fractal)
{
    window_dc screen(window_of(fractal));
    HDC memory_dc = CreateCompatibleDC(screen);
    fractal.memory_dc = memory_dc;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = fractal.width;
    info.bmiHeader.biHeight = fractal.height;  // positive: rows run bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    fractal.dib_section = dib;
    fractal.pixels = static_cast<std::uint8_t*>(bits);
    if (dib && memory_dc)
        fractal.previous_bitmap = SelectObject(memory_dc, dib);
    return memory_dc && dib && bits;
}

HWND start_main_window(HINSTANCE instance, CFractal& fractal, int show_command)
{
    if (!register_main_window_class(instance))
        return nullptr;
    HWND window = CreateWindowExW(0, WINDOW_CLASS, WINDOW_TITLE, MAIN_WINDOW_STYLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!window)
        return nullptr;
    SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(&fractal));
    fractal.window = window;
    fractal.width = IMAGE_WIDTH;
    fractal.height = IMAGE_HEIGHT;
    centre_main_window(window, fractal.width, fractal.height);

    // Without pixel memory there is nothing to render into: stop as a failed
    // window creation does. WM_DESTROY gives back what was created.
    if (!create_off_screen_image(fractal)) {
        DestroyWindow(window);
        return nullptr;
    }

    set_default_view(fractal);
    compute_and_report(fractal);  // the report is off at start-up
    fractal.dragging = false;
    ShowWindow(window, show_command);
    UpdateWindow(window);
    return window;
}

namespace {

// Painting only copies the finished image; rendering happens elsewhere.
void on_paint(HWND window, const CFractal& fractal)
{
    paint_dc dc(window);
    BitBlt(dc, 0, 0, fractal.width, fractal.height, memory_dc_of(fractal), 0, 0, SRCCOPY);
}

// Gives the graphics objects back and ends the message loop.
void on_destroy(const CFractal& fractal)
{
    HDC memory_dc = memory_dc_of(fractal);
    if (memory_dc && fractal.previous_bitmap)
        SelectObject(memory_dc, static_cast<HGDIOBJ>(fractal.previous_bitmap));
    if (fractal.dib_section)
        DeleteObject(static_cast<HGDIOBJ>(fractal.dib_section));
    if (memory_dc)
        DeleteDC(memory_dc);
    PostQuitMessage(0);
}

// Signed client coordinates: while the mouse is captured they can lie left
// of or above the window.
int x_of(LPARAM lparam) { return static_cast<short>(LOWORD(lparam)); }
int y_of(LPARAM lparam) { return static_cast<short>(HIWORD(lparam)); }

}  // namespace

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    // Null for the messages of window creation, before start-up stores it.
    CFractal* fractal = fractal_of(window);
    if (!fractal)
        return DefWindowProcW(window, message, wparam, lparam);

    switch (message) {
    case WM_PAINT:
        on_paint(window, *fractal);
        return 0;
    case WM_DESTROY:
        on_destroy(*fractal);
        return 0;
    case WM_LBUTTONDOWN:
        on_left_button_down(*fractal, x_of(lparam), y_of(lparam));
        return 0;
    case WM_MOUSEMOVE:
        on_mouse_move(*fractal, x_of(lparam), y_of(lparam));
        return 0;
    case WM_LBUTTONUP:
        on_left_button_up(*fractal, x_of(lparam), y_of(lparam));
        return 0;
    case WM_CAPTURECHANGED:
        on_capture_changed(*fractal, reinterpret_cast<HWND>(lparam));
        return 0;
    case WM_MOUSEWHEEL:
        zoom_by_wheel(*fractal, wparam);
        return 0;
    case WM_RBUTTONDOWN:
        open_parameter_dialog(*fractal);
        return 0;
    default:
        return DefWindowProcW(window, message, wparam, lparam);
    }
}
