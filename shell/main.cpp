// The program's entry: one instance, one window, one CFractal.
#include "main_window.h"
#include "time_report.h"

#include <memory>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_command)
{
    // A running instance is left alone; this one just ends.
    if (FindWindowW(WINDOW_CLASS, WINDOW_TITLE))
        return 0;
    if (!register_main_window_class(instance))
        return 0;

    // Owned here and outlives the window: every handler reaches it through
    // the window's extra data slot.
    auto fractal = std::make_unique<CFractal>();
    HWND window = CreateWindowExW(0, WINDOW_CLASS, WINDOW_TITLE, MAIN_WINDOW_STYLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 0;
    SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(fractal.get()));
    fractal->window = window;
    fractal->width = IMAGE_WIDTH;
    fractal->height = IMAGE_HEIGHT;
    centre_main_window(window, fractal->width, fractal->height);

    // Without pixel memory there is nothing to render into: stop as a failed
    // window creation does. WM_DESTROY gives back what was created.
    if (!create_off_screen_image(*fractal)) {
        DestroyWindow(window);
        return 0;
    }

    set_default_view(*fractal);
    compute_and_report(*fractal);  // the report is off at start-up
    fractal->dragging = false;
    ShowWindow(window, show_command);
    UpdateWindow(window);

    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
